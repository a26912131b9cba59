// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter edit dialog: when OK can be pressed, the whole new value selected when its
// field gets the focus, and what the caller receives.
#include "ParamEditDlg.h"

#include "ModalDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTestEventList>

class tst_CParamEditDlg : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void okIsOnExactlyWhenTheValueDiffers_data();
    void okIsOnExactlyWhenTheValueDiffers();
    void focusSelectsTheWholeNewValue_data();
    void focusSelectsTheWholeNewValue();
    void callerReceivesTheNewValueOnlyAfterOk_data();
    void callerReceivesTheNewValueOnlyAfterOk();

private:
    // Shows and activates the dialog; returns its new-value field.
    QLineEdit* Open(const QString& strOriginal);

    std::unique_ptr<CParamEditDlg> m_pDlg;
};

void tst_CParamEditDlg::cleanup()
{
    m_pDlg.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

QLineEdit* tst_CParamEditDlg::Open(const QString& strOriginal)
{
    m_pDlg = std::make_unique<CParamEditDlg>(QStringLiteral("IP Addr"), strOriginal);
    m_pDlg->show();
    m_pDlg->activateWindow();
    if (!QTest::qWaitForWindowActive(m_pDlg.get()))
        qWarning("the dialog did not become active");
    return m_pDlg->findChild<QLineEdit*>("IDC_SET_DATA");
}

void tst_CParamEditDlg::okIsOnExactlyWhenTheValueDiffers_data()
{
    QTest::addColumn<QTestEventList>("typing");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("okEnabled");

    // The field has the focus, which selects all of it.
    QTestEventList typeChar;
    typeChar.addKeyClick(Qt::Key_End);
    typeChar.addKeyClicks(QStringLiteral("5"));
    QTestEventList typeAndDelete = typeChar;
    typeAndDelete.addKeyClick(Qt::Key_Backspace);
    QTestEventList retype;
    retype.addKeyClicks(QStringLiteral("10.0.0.1"));
    QTestEventList erase;
    erase.addKeyClick(Qt::Key_Backspace);

    // clang-format off
    QTest::newRow("untouched") << QTestEventList() << "10.0.0.1" << false;
    QTest::newRow("char typed") << typeChar << "10.0.0.15" << true;
    QTest::newRow("char typed and deleted") << typeAndDelete << "10.0.0.1" << false;
    QTest::newRow("same text retyped") << retype << "10.0.0.1" << false;
    QTest::newRow("emptied") << erase << "" << true;
    // clang-format on
}

void tst_CParamEditDlg::okIsOnExactlyWhenTheValueDiffers()
{
    QFETCH(QTestEventList, typing);
    QFETCH(QString, text);
    QFETCH(bool, okEnabled);
    QLineEdit* pNew = Open(QStringLiteral("10.0.0.1"));
    QCOMPARE(m_pDlg->findChild<QLineEdit*>("IDC_ORIGINAL_DATA")->text(),
             QStringLiteral("10.0.0.1"));
    pNew->setFocus();

    typing.simulate(pNew);

    QCOMPARE(pNew->text(), text);
    QCOMPARE(m_pDlg->findChild<QPushButton*>("IDOK")->isEnabled(), okEnabled);
}

void tst_CParamEditDlg::focusSelectsTheWholeNewValue_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");

    QTest::newRow("tab") << Qt::TabFocusReason;
    QTest::newRow("click") << Qt::MouseFocusReason;
    QTest::newRow("focus from the program") << Qt::OtherFocusReason;
}

void tst_CParamEditDlg::focusSelectsTheWholeNewValue()
{
    QFETCH(Qt::FocusReason, reason);
    QLineEdit* pNew = Open(QStringLiteral("192.168.1.20"));
    m_pDlg->findChild<QLineEdit*>("IDC_ORIGINAL_DATA")->setFocus();

    if (reason == Qt::MouseFocusReason)
        QTest::mouseClick(pNew, Qt::LeftButton, {}, pNew->rect().center());
    else if (reason == Qt::TabFocusReason)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    else
        pNew->setFocus();

    QVERIFY(pNew->hasFocus());
    QTRY_COMPARE(pNew->selectedText(), QStringLiteral("192.168.1.20"));
}

void tst_CParamEditDlg::callerReceivesTheNewValueOnlyAfterOk_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answered");

    // clang-format off
    QTest::newRow("ok") << "8080" << "IDOK" << true;
    QTest::newRow("ok with empty value") << "" << "IDOK" << true;
    QTest::newRow("cancel") << "8080" << "IDCANCEL" << false;
    // clang-format on
}

void tst_CParamEditDlg::callerReceivesTheNewValueOnlyAfterOk()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(bool, answered);
    const CWhenModal modal([&](QDialog* pModal) {
        auto* pNew = pModal->findChild<QLineEdit*>("IDC_SET_DATA");
        pNew->clear();
        QTest::keyClicks(pNew, typed);
        QTest::mouseClick(pModal->findChild<QPushButton*>(button), Qt::LeftButton);
    });

    const std::optional<QString> strNew =
        RunParamEditDlg(nullptr, QStringLiteral("HTTP Port"), QStringLiteral("80"));

    QCOMPARE(strNew.has_value(), answered);
    QCOMPARE(strNew.value_or(QStringLiteral("<none>")), answered ? typed : "<none>");
}

QTEST_MAIN(tst_CParamEditDlg)
#include "tst_cparameditdlg.moc"
