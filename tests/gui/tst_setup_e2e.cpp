// SPDX-License-Identifier: GPL-3.0-or-later
// The Setup flow end to end: the real window, real sockets and the real parameter dialogs
// against cardwise-sim on the loopback of a network namespace of its own.
#include "CardProtocol.h"
#include "CardwiseDlg.h"
#include "DeviceSocket.h"
#include "MessageRecorder.h"
#include "ModalDialog.h"
#include "NetworkIsolation.h"
#include "OptionTable.h"
#include "SimProcess.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int CARDS = 3;
// Loopback answers in milliseconds; the margins are for loaded or sanitized runs.
constexpr int WAIT_MS = 15000;

template <typename T> T* Child(QWidget* pParent, const char* name)
{
    T* pChild = pParent->findChild<T*>(QLatin1String(name));
    if (pChild == nullptr)
        qFatal("no control %s in %s", name, qPrintable(pParent->objectName()));
    return pChild;
}

} // namespace

class tst_SetupE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void setupChangesHttpPortOfTheCard();
    void wrongPasswordEndsRestartWait();

private:
    QString Status() const { return Child<QLabel>(m_pDlg.get(), "IDC_STATUS")->text(); }
    QTableView* List() const { return Child<QTableView>(m_pDlg.get(), "IDC_DEVICE_LIST"); }
    QString MessageTexts() const;
    QString Mac(int nRow) const;
    void SelectRow(int nRow);
    // Clicks Setup; fnDrive runs inside the OPTION dialog, which must end before this returns.
    void RunSetup(const std::function<void(QDialog*)>& fnDrive);
    std::optional<long> HttpPortOf(const QString& strMac) const;

    std::unique_ptr<CSimProcess> m_pSim;
    std::unique_ptr<CCardwiseDlg> m_pDlg;
    CMessageRecorder m_messages;
};

void tst_SetupE2e::initTestCase()
{
    // Nothing is sent unless only loopback exists here (exits with the skip code otherwise).
    NetworkIsolation::Require("tst_setup_e2e");
    qputenv("CARDWISE_LANG", "default");

    m_pSim =
        std::make_unique<CSimProcess>(QStringLiteral(CARDWISE_SIM_PATH),
                                      QStringList{"--bind", "127.0.0.1", "--cards",
                                                  QString::number(CARDS), "--restart-ms", "500"});
    QVERIFY2(m_pSim->WaitReady(WAIT_MS).startsWith("cardwise-sim: 3 cards on 127.0.0.1:"),
             m_pSim->ErrorText().constData());
}

void tst_SetupE2e::cleanupTestCase()
{
    m_pSim.reset();
}

void tst_SetupE2e::init()
{
    m_messages.m_arrMessages.clear();
    CCardwiseDlgServices services;
    services.core.fnMessageBox = m_messages.Sink();
    // fnRunParamDialog stays empty: the window makes the real OPTION dialog runner over
    // itself, reporting into this recorder.
    services.fnGetHostAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
    services.initialSubnet = CardwiseCore::SSubnet{0x7F000001u, 0xFFFFFFFFu};
    m_pDlg = std::make_unique<CCardwiseDlg>(services);
    m_pDlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));

    // Given the list filled with the simulated cards and the search sweep over.
    QTRY_COMPARE_WITH_TIMEOUT(List()->model()->rowCount(), CARDS, WAIT_MS);
    QTRY_COMPARE_WITH_TIMEOUT(m_pDlg->GetCore().GetTimerId(), 0u, WAIT_MS);
}

void tst_SetupE2e::cleanup()
{
    m_pDlg.reset();
}

QString tst_SetupE2e::MessageTexts() const
{
    QStringList arrTexts;
    for (const CRecordedMessage& message : m_messages.m_arrMessages)
        arrTexts << message.strText;
    return arrTexts.join(QLatin1Char('|'));
}

QString tst_SetupE2e::Mac(int nRow) const
{
    const QAbstractItemModel* pModel = List()->model();
    return pModel->data(pModel->index(nRow, CDeviceListModel::COL_MAC)).toString();
}

void tst_SetupE2e::SelectRow(int nRow)
{
    const QRect rect = List()->visualRect(List()->model()->index(nRow, CDeviceListModel::COL_MAC));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    QVERIFY(Child<QPushButton>(m_pDlg.get(), "IDOK")->isEnabled());
}

void tst_SetupE2e::RunSetup(const std::function<void(QDialog*)>& fnDrive)
{
    const CWhenModal option([fnDrive](QDialog* pOption) {
        QCOMPARE(pOption->objectName(), QStringLiteral("IDD_OPTION"));
        fnDrive(pOption);
        QVERIFY2(!pOption->isVisible(), "the OPTION dialog did not accept");
    });
    // The Setup button runs the modal dialog; the click returns once it has ended.
    QTest::mouseClick(Child<QPushButton>(m_pDlg.get(), "IDOK"), Qt::LeftButton);
    QVERIFY(option.HasRun());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

std::optional<long> tst_SetupE2e::HttpPortOf(const QString& strMac) const
{
    CDeviceSocket* pSocket = m_pDlg->GetCore().GetSocket();
    const CVarDataGroup* pParams =
        pSocket != nullptr ? pSocket->FindDeviceParams(strMac.toLatin1().constData()) : nullptr;
    if (pParams == nullptr)
        return std::nullopt;
    for (int nPos = 0; nPos < pParams->GetSize(); ++nPos) {
        if (CardProtocol::ItemOf(pParams->GetID(nPos)) == CardProtocol::INFO_HTTP_PORT)
            return static_cast<long>(pParams->GetAt(nPos).Get_DWORD());
    }
    return std::nullopt;
}

void tst_SetupE2e::setupChangesHttpPortOfTheCard()
{
    // Given the listed cards at their default HTTP port.
    const QString strMac = Mac(0);
    QCOMPARE(HttpPortOf(strMac), std::optional<long>(80));

    // When the card's row is selected and Setup runs with HTTP Port edited to 8081 and the
    // restart unticked.
    SelectRow(0);
    RunSetup([](QDialog* pOption) {
        auto* pParams = Child<QTableWidget>(pOption, "IDC_PARAM_LIST");
        const QList<QTableWidgetItem*> arrFound = pParams->findItems("HTTP Port", Qt::MatchExactly);
        QCOMPARE(arrFound.size(), 1);
        pParams->scrollToItem(arrFound.first());
        const QPoint point = pParams->visualItemRect(arrFound.first()).center();
        const CWhenModal edit(
            [](QDialog* pEdit) {
                QCOMPARE(pEdit->objectName(), QStringLiteral("IDD_PARAM_EDIT"));
                QCOMPARE(Child<QLineEdit>(pEdit, "IDC_ORIGINAL_DATA")->text(),
                         QStringLiteral("80"));
                auto* pNew = Child<QLineEdit>(pEdit, "IDC_SET_DATA");
                pNew->selectAll();
                QTest::keyClicks(pNew, "8081");
                QTest::mouseClick(Child<QPushButton>(pEdit, "IDOK"), Qt::LeftButton);
            },
            pOption);
        QTest::mouseClick(pParams->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(pParams->viewport(), Qt::LeftButton, {}, point);
        QVERIFY(edit.HasRun());
        QCOMPARE(pParams->item(arrFound.first()->row(), COptionTable::COL_VALUE)->text(),
                 QStringLiteral("8081"));
        auto* pRestart = Child<QCheckBox>(pOption, "IDC_AUTO_RESTART");
        QVERIFY(pRestart->isChecked());
        QTest::mouseClick(pRestart, Qt::LeftButton, {},
                          QPoint(pRestart->height() / 2, pRestart->height() / 2));
        QVERIFY(!pRestart->isChecked());
        QTest::mouseClick(Child<QPushButton>(pOption, "IDOK"), Qt::LeftButton);
    });

    // Then the card acknowledges, no restart wait runs, and a fresh search reads 8081 back.
    QCOMPARE(m_pDlg->GetCore().GetTimerId(), 0u);
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("setting request is accessed"), WAIT_MS);
    QVERIFY2(m_messages.m_arrMessages.empty(), qPrintable(MessageTexts()));
    QSignalSpy finished(m_pDlg.get(), &CCardwiseDlg::searchFinished);
    QTest::mouseClick(Child<QPushButton>(m_pDlg.get(), "IDC_SEARCH"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, WAIT_MS);
    QCOMPARE(List()->model()->rowCount(), CARDS);
    for (int nRow = 0; nRow < CARDS; ++nRow) {
        const QString strRowMac = Mac(nRow);
        QCOMPARE(HttpPortOf(strRowMac), std::optional<long>(strRowMac == strMac ? 8081 : 80));
    }
}

void tst_SetupE2e::wrongPasswordEndsRestartWait()
{
    // Given a card's row selected, When Setup sends with a wrong password and the restart ticked.
    SelectRow(1);
    RunSetup([](QDialog* pOption) {
        auto* pPassword = Child<QLineEdit>(pOption, "IDC_PASSWORD");
        pPassword->selectAll();
        QTest::keyClicks(pPassword, "not-lemon");
        auto* pRestart = Child<QCheckBox>(pOption, "IDC_AUTO_RESTART");
        pRestart->setChecked(true);
        QTest::mouseClick(Child<QPushButton>(pOption, "IDOK"), Qt::LeftButton);
    });

    // Then the restart wait has started and Search is off while it runs...
    QCOMPARE(m_pDlg->GetCore().GetTimerId(), 2u);
    auto* pSearch = Child<QPushButton>(m_pDlg.get(), "IDC_SEARCH");
    QVERIFY(!pSearch->isEnabled());
    // ...and the card's error reply ends it well before its 20 s run out (a wait that ran out
    // would start a sweep, not go idle, within the timeout).
    QTRY_COMPARE_WITH_TIMEOUT(m_pDlg->GetCore().GetTimerId(), 0u, WAIT_MS);
    QCOMPARE(Status(), QStringLiteral("Password Error"));
    QVERIFY(pSearch->isEnabled());
    QVERIFY2(m_messages.m_arrMessages.empty(), qPrintable(MessageTexts()));
}

QTEST_MAIN(tst_SetupE2e)
#include "tst_setup_e2e.moc"
