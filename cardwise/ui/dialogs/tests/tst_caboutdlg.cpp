// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: the version line read from the running program's own version block (this
// program is built once with a block of version 1.2.3.4 and once without any), never the
// template's sample text, and the box's other parts.
#include "AboutDlg.h"

#include "ModalDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class tst_CAboutDlg : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }
    void everyOpeningShowsTheProgramVersion();
};

void tst_CAboutDlg::everyOpeningShowsTheProgramVersion()
{
    const QString strVersion = QStringLiteral(EXPECTED_FILE_VERSION);
    const QString strExpected =
        strVersion.isEmpty() ? QString() : QStringLiteral("Vantor 设置助手 ") + strVersion;
    for (int nOpening = 0; nOpening < 2; ++nOpening) {
        QStringList arrShown;
        const CWhenModal modal([&arrShown](QDialog* pModal) {
            const auto* pIcon = pModal->findChild<QLabel*>("lblIcon");
            auto* pOk = pModal->findChild<QPushButton*>("IDOK");
            arrShown << pModal->windowTitle() << pModal->findChild<QLabel*>("IDC_VERSION")->text()
                     << (pIcon->pixmap().isNull() ? "no icon" : "icon") << pOk->text();
            QTest::mouseClick(pOk, Qt::LeftButton);
        });

        ShowAboutBox(nullptr);

        QCOMPARE(arrShown, (QStringList{"关于 Cardwise", strExpected, "icon", "确定"}));
    }
}

QTEST_MAIN(tst_CAboutDlg)
#include "tst_caboutdlg.moc"
