// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over a fake network, stepped timers and recorded message boxes.
#include "CardwiseDlg.h"
#include "CoreFakes.h"
#include "ModalDialog.h"
#include "IPAddressCtrl.h"
#include "ProgressCtrl.h"
#include "Resource.h"

#include "LmLang.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>

namespace {

const CFakeCard CARD_A{"00-1A-2B-00-00-01", "192.168.1.2", "255.255.255.0", "192.168.1.1", 2, 7};
const CFakeCard CARD_B{"00-1A-2B-00-00-02", "192.168.1.100", "255.255.255.0", "192.168.1.1", 3, 9};
const CFakeCard CARD_C{"00-1A-2B-00-00-03", "10.0.0.5", "255.0.0.0", "10.0.0.1", 1, 4};

} // namespace

class tst_CCardwiseDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpSearchesLocalScope();
    void socketFailureStartsNoPhase();
    void tabOrderFollowsTemplate();
    void startUpLabelsStayUntranslated();
    void subnetClickRestoresDefaults();
    void subnetSearchChecksInput_data();
    void subnetSearchChecksInput();
    void sweepStepsProgressAndRepeats();
    void buttonsFollowPhaseAndSelection();
    void listOrderAndUpdates();
    void strayErrorReplyLeavesSweepRunning();
    void enterRunsSetupEscapeCloses();
    void closingDuringSweepStopsTimers();
    void deviceToolsUseReplyAddress();
    void rangeSweepShowsProgressAndStops();
    void savedListComparedUntilNextSearch();
    void batchSetupPreviewsRunsAndSavesResults();

private:
    // Builds and shows the window; the first search has run when it returns.
    void MakeWindow();
    template <typename T> T* Find(const char* pszName) const
    {
        return m_pDlg->findChild<T*>(QLatin1String(pszName));
    }
    QString Text(const char* pszLabel) const { return Find<QLabel>(pszLabel)->text(); }
    // Ticks timer 1 through the window while it runs; returns the ticks.
    int RunSweep();
    void Deliver(const CFakeCard& card, const char* pszSource);
    void ClickRow(int nRow);
    // Clicks the radio's indicator, the part of the button that takes clicks.
    void ClickRadio(const char* pszName);
    void TypeInto(const char* pszControl, const QString& strKeys);
    QString Cell(int nRow, int nColumn) const;
    bool ToolButtonsEnabled() const;

    CFakeNetwork m_network;
    CSteppedTimerHost m_timers;
    std::int64_t m_nNowMs = 0;
    CMessageRecorder m_messages;
    int m_nParamDialogRuns = 0;
    QStringList m_arrLaunched;
    QString m_strListFile;  // what the file dialog answers
    QString m_strBatchFile; // what the Batch Setup's file dialog answers
    std::unique_ptr<CCardwiseDlg> m_pDlg;
};

void tst_CCardwiseDlg::init()
{
    m_network = CFakeNetwork();
    m_timers = CSteppedTimerHost();
    m_nNowMs = 0;
    m_messages.m_arrMessages.clear();
    m_nParamDialogRuns = 0;
    m_arrLaunched.clear();
    SetLocalLang("default", 1);
}

void tst_CCardwiseDlg::cleanup()
{
    m_pDlg.reset();
    SetLocalLang("default", 1);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_CCardwiseDlg::MakeWindow()
{
    CCardwiseDlgServices services;
    services.core.fnCreateSocket = m_network.Factory();
    // One adapter with a broadcast of its own, one whose all-ones mask gives none.
    services.core.fnGetAdapters = [] {
        return std::vector<CAdapterAddress>{{"192.168.1.10", "255.255.255.0", 2, "eth-a"},
                                            {"10.9.8.7", "255.255.255.255", 3, "eth-b"}};
    };
    services.core.fnMessageBox = m_messages.Sink();
    services.core.fnRunParamDialog = [this](COptionTable&) {
        ++m_nParamDialogRuns;
        return false;
    };
    services.core.fnClockMs = [this] { return m_nNowMs; };
    services.pTimers = &m_timers;
    services.fnGetHostAddresses = [] { return QStringList{"192.168.1.10", "10.9.8.7"}; };
    services.tools.fnOpenUrl = [this](const QString& strUrl) { m_arrLaunched << strUrl; };
    services.tools.fnRunInTerminal = [this](const QStringList& arrCmd) {
        m_arrLaunched << arrCmd.join(' ');
    };
    services.fnAskListFile = [this](bool) { return m_strListFile; };
    services.fnAskBatchFile = [this](bool) { return m_strBatchFile; };
    services.tools.fnRunIpConfig = [](QByteArray& strOutput) {
        strOutput = "\r\n\nlo: up\n";
        return true;
    };
    m_pDlg = std::make_unique<CCardwiseDlg>(std::move(services));
    m_pDlg->show();
    m_pDlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_pDlg.get()));
}

int tst_CCardwiseDlg::RunSweep()
{
    int nTicks = 0;
    while (nTicks < 1000 && m_timers.IsActive(CAssistantCore::TIMER_SWEEP)) {
        m_pDlg->OnTimer(CAssistantCore::TIMER_SWEEP);
        ++nTicks;
    }
    return nTicks;
}

void tst_CCardwiseDlg::Deliver(const CFakeCard& card, const char* pszSource)
{
    m_network.Deliver(DeviceInfoFrame(card), pszSource);
}

void tst_CCardwiseDlg::ClickRow(int nRow)
{
    auto* pList = Find<QTableView>("IDC_DEVICE_LIST");
    const QRect rect = pList->visualRect(pList->model()->index(nRow, CDeviceListModel::COL_MAC));
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, rect.center());
}

void tst_CCardwiseDlg::ClickRadio(const char* pszName)
{
    auto* pRadio = Find<QRadioButton>(pszName);
    const int nHalf = pRadio->height() / 2;
    QTest::mouseClick(pRadio, Qt::LeftButton, {}, QPoint(nHalf, nHalf));
}

void tst_CCardwiseDlg::TypeInto(const char* pszControl, const QString& strKeys)
{
    auto* pCtrl = Find<CIPAddressCtrl>(pszControl);
    pCtrl->ClearAddress();
    pCtrl->Field(0)->setFocus();
    for (const QChar c : strKeys)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

QString tst_CCardwiseDlg::Cell(int nRow, int nColumn) const
{
    const QAbstractItemModel* pModel = Find<QTableView>("IDC_DEVICE_LIST")->model();
    return pModel->data(pModel->index(nRow, nColumn)).toString();
}

bool tst_CCardwiseDlg::ToolButtonsEnabled() const
{
    // The four buttons always move together; a mismatch counts as the wrong state.
    const bool bSetup = Find<QPushButton>("IDOK")->isEnabled();
    for (const char* pszName : {"IDC_WEB", "IDC_TELNET", "IDC_PING"}) {
        if (Find<QPushButton>(pszName)->isEnabled() != bSetup)
            return !bSetup;
    }
    return bSetup;
}

void tst_CCardwiseDlg::startUpSearchesLocalScope()
{
    MakeWindow();

    // The window searches the PC's networks at once, before the operator does anything
    QVERIFY(Find<QRadioButton>("IDC_SCOPE_LOCAL")->isChecked());
    QVERIFY(!Find<CIPAddressCtrl>("IDC_ADDRESS")->isEnabled());
    QVERIFY(!Find<CIPAddressCtrl>("IDC_MASK")->isEnabled());
    QVERIFY(Find<QRadioButton>("IDC_SCOPE_RANGE")->isVisible());
    QVERIFY(Find<QRadioButton>("IDC_SCOPE_RANGE")->isEnabled());
    QCOMPARE(m_network.m_nCreated, 1);
    QCOMPARE(m_network.m_arrSent.size(), size_t(2));
    QCOMPARE(m_network.m_arrSent[0].strAddress, std::string("192.168.1.255"));
    QCOMPARE(m_network.m_arrSent[1].strAddress, std::string("255.255.255.255"));
    QCOMPARE(m_timers.GetPeriod(CAssistantCore::TIMER_SWEEP), 20u);
    QCOMPARE(m_timers.GetPeriod(TIMER_CLOCK), 1000u);
    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("Scanning Device...."));
    QVERIFY(!Find<QPushButton>("IDC_SEARCH")->isEnabled());
    QVERIFY(!ToolButtonsEnabled());
    QCOMPARE(Find<CProgressCtrl>("IDC_PROGRESS")->value(), 1);

    // The status bar shows the PC's addresses, and the time from the first clock tick
    QCOMPARE(Text("ID_INDICATOR_IP"), QStringLiteral("192.168.1.10,10.9.8.7"));
    m_pDlg->OnTimer(TIMER_CLOCK);
    QVERIFY(QTime::fromString(Text("ID_INDICATOR_TIME"), QStringLiteral("HH:mm:ss")).isValid());
    QVERIFY(Find<QTableView>("IDC_DEVICE_LIST")->isColumnHidden(CDeviceListModel::COL_KEY));
}

void tst_CCardwiseDlg::socketFailureStartsNoPhase()
{
    m_network.m_nCreateResult = 0;
    MakeWindow();

    // The message itself is the core's; the window must stay usable without a socket
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(1));
    QVERIFY(m_network.m_arrSent.empty());
    QVERIFY(!m_timers.IsActive(CAssistantCore::TIMER_SWEEP));
    QVERIFY(Find<QPushButton>("IDC_SEARCH")->isEnabled());
    QVERIFY(m_timers.IsActive(TIMER_CLOCK));
}

void tst_CCardwiseDlg::tabOrderFollowsTemplate()
{
    MakeWindow();
    // The tab stops from the first radio on; an address control is entered at its first
    // field. Of the scope radios only the checked one is a tab stop, as in a group of the
    // native dialog; the arrow keys move between them.
    QStringList arrChain;
    QWidget* const pFirst = Find<QWidget>("IDC_SCOPE_LOCAL");
    QWidget* pWidget = pFirst;
    do {
        QString strName = pWidget->objectName();
        if (qobject_cast<CIPAddressCtrl*>(pWidget->parentWidget()) != nullptr)
            strName = pWidget->parentWidget()->objectName();
        const bool bStop = (pWidget->focusPolicy() & Qt::TabFocus) && strName.startsWith("ID");
        if (bStop && (arrChain.isEmpty() || arrChain.last() != strName))
            arrChain << strName;
        pWidget = pWidget->nextInFocusChain();
    } while (pWidget != pFirst);

    QCOMPARE(arrChain.join(' '),
             QStringLiteral("IDC_SCOPE_LOCAL IDC_SEARCH IDOK IDCANCEL IDC_ADDRESS "
                            "IDC_MASK IDC_DEVICE_LIST IDC_WEB IDC_TELNET "
                            "IDC_PING IDC_IPCONFIG"));
}

void tst_CCardwiseDlg::startUpLabelsStayUntranslated()
{
    // Given the Chinese catalogue
    QCOMPARE(SetLocalLang("Lang0804", 1), 1);
    MakeWindow();

    // Then the template texts are translated, but the labels show the English member texts
    QCOMPARE(Find<QPushButton>("IDC_SEARCH")->text(),
             QString::fromUtf8(GetTranslateText("Search")));
    QVERIFY(Find<QPushButton>("IDC_SEARCH")->text() != QStringLiteral("Search"));
    QCOMPARE(Text("IDC_ADDR_LABEL"), QStringLiteral("IP Addr"));
    QCOMPARE(Text("IDC_MASK_LABEL"), QStringLiteral("Mask"));
    QCOMPARE(Find<QRadioButton>("IDC_SCOPE_RANGE")->text(), QStringLiteral("指定网段"));

    // When Subnet is chosen the address label is translated and the mask label is not; back
    // in Local they stay so
    ClickRadio("IDC_SCOPE_SUBNET");
    const QString strTranslated = QString::fromUtf8(GetTranslateText("IP Addr"));
    QVERIFY(strTranslated != QStringLiteral("IP Addr"));
    QCOMPARE(Text("IDC_ADDR_LABEL"), strTranslated);
    QCOMPARE(Text("IDC_MASK_LABEL"), QStringLiteral("Mask"));
    ClickRadio("IDC_SCOPE_LOCAL");
    QCOMPARE(Text("IDC_ADDR_LABEL"), strTranslated);
}

void tst_CCardwiseDlg::subnetClickRestoresDefaults()
{
    MakeWindow();
    auto* pAddress = Find<CIPAddressCtrl>("IDC_ADDRESS");
    auto* pMask = Find<CIPAddressCtrl>("IDC_MASK");

    ClickRadio("IDC_SCOPE_SUBNET");
    QVERIFY(pAddress->isEnabled() && pMask->isEnabled());
    TypeInto("IDC_ADDRESS", QStringLiteral("10.0.0.1"));
    pMask->ClearAddress();

    ClickRadio("IDC_SCOPE_SUBNET");
    QCOMPARE(pAddress->GetAddress(), 0xC0A80101u);
    QCOMPARE(pMask->GetAddress(), 0xFFFFFF00u);

    ClickRadio("IDC_SCOPE_LOCAL");
    QVERIFY(!pAddress->isEnabled() && !pMask->isEnabled());
    QCOMPARE(pAddress->GetAddress(), 0xC0A80101u);
}

void tst_CCardwiseDlg::subnetSearchChecksInput_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("destination"); // empty: rejected

    QTest::newRow("class C") << "192.168.1.1"
                             << "255.255.255.0"
                             << "192.168.1.255";
    QTest::newRow("single address") << "127.0.0.1"
                                    << "255.255.255.255"
                                    << "127.0.0.1";
    QTest::newRow("blank address") << ""
                                   << "255.255.255.0"
                                   << "";
    QTest::newRow("zero address") << "0.0.0.0"
                                  << "255.255.255.0"
                                  << "";
    QTest::newRow("zero mask") << "10.0.0.1"
                               << "0.0.0.0"
                               << "";
}

void tst_CCardwiseDlg::subnetSearchChecksInput()
{
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, destination);

    // Given a finished Local search that listed a card
    MakeWindow();
    Deliver(CARD_A, "192.168.1.2");
    RunSweep();
    const size_t nSentBefore = m_network.m_arrSent.size();

    // When the operator types a subnet and searches
    ClickRadio("IDC_SCOPE_SUBNET");
    TypeInto("IDC_ADDRESS", address);
    TypeInto("IDC_MASK", mask);
    QTest::mouseClick(Find<QPushButton>("IDC_SEARCH"), Qt::LeftButton);

    // Then the list is emptied either way
    QCOMPARE(Find<QTableView>("IDC_DEVICE_LIST")->model()->rowCount(), 0);
    if (destination.isEmpty()) {
        QCOMPARE(m_messages.m_arrMessages.size(), size_t(1));
        QCOMPARE(m_messages.m_arrMessages[0].strText, QStringLiteral("must input the param"));
        QCOMPARE(m_network.m_nCreated, 1);
        QCOMPARE(m_network.m_arrSent.size(), nSentBefore);
        QVERIFY(Find<QPushButton>("IDC_SEARCH")->isEnabled());
    } else {
        QVERIFY(m_messages.m_arrMessages.empty());
        QCOMPARE(m_network.m_nCreated, 2);
        QCOMPARE(m_network.m_arrSent.back().strAddress, destination.toStdString());
        QVERIFY(m_timers.IsActive(CAssistantCore::TIMER_SWEEP));
    }
}

void tst_CCardwiseDlg::sweepStepsProgressAndRepeats()
{
    MakeWindow();
    QSignalSpy finished(m_pDlg.get(), &CCardwiseDlg::searchFinished);
    auto* pProgress = Find<CProgressCtrl>("IDC_PROGRESS");

    // The first sweep: one step at the start and 49 ticks fill the bar
    QCOMPARE(RunSweep(), 50);
    QCOMPARE(pProgress->value(), pProgress->maximum());
    QCOMPARE(pProgress->maximum(), 50);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("Scanning Device  Finished"));
    QVERIFY(Find<QPushButton>("IDC_SEARCH")->isEnabled());
    // Four repeats, all to the last destination
    QCOMPARE(m_network.m_arrSent.size(), size_t(6));
    for (size_t i = 2; i < m_network.m_arrSent.size(); ++i)
        QCOMPARE(m_network.m_arrSent[i].strAddress, std::string("255.255.255.255"));

    // The next sweep starts from a full bar: its first step wraps to the start
    QTest::mouseClick(Find<QPushButton>("IDC_SEARCH"), Qt::LeftButton);
    QCOMPARE(pProgress->value(), 0);
    QCOMPARE(RunSweep(), 50);
    QCOMPARE(pProgress->value(), 49);
    QCOMPARE(finished.count(), 2);
}

void tst_CCardwiseDlg::buttonsFollowPhaseAndSelection()
{
    MakeWindow();
    Deliver(CARD_A, "192.168.1.2");

    // A row selected during the sweep leaves the buttons off
    ClickRow(0);
    QCOMPARE(Find<QTableView>("IDC_DEVICE_LIST")->selectionModel()->selectedRows().size(), 1);
    QVERIFY(!ToolButtonsEnabled());

    // The end of the sweep alone does not refresh them; the next click does
    RunSweep();
    QVERIFY(!ToolButtonsEnabled());
    ClickRow(0);
    QVERIFY(ToolButtonsEnabled());

    // A new search empties the list, and the selection goes with the rows
    QTest::mouseClick(Find<QPushButton>("IDC_SEARCH"), Qt::LeftButton);
    QVERIFY(!ToolButtonsEnabled());
}

void tst_CCardwiseDlg::listOrderAndUpdates()
{
    MakeWindow();
    Deliver(CARD_A, "192.168.1.2");
    Deliver(CARD_B, "192.168.1.100");
    Deliver(CARD_C, "10.0.0.5");

    // Rows stand in the byte order of the configured address text
    QCOMPARE(Cell(0, CDeviceListModel::COL_IP), QStringLiteral("10.0.0.5"));
    QCOMPARE(Cell(1, CDeviceListModel::COL_IP), QStringLiteral("192.168.1.100"));
    QCOMPARE(Cell(2, CDeviceListModel::COL_MAC), QStringLiteral("00-1A-2B-00-00-01"));

    // A second reply of the same card updates its row in place (the version rules are the
    // model's), with the address the reply came from
    CFakeCard moved = CARD_A;
    moved.strIp = "10.0.0.9";
    Deliver(moved, "172.16.0.9");
    QCOMPARE(Find<QTableView>("IDC_DEVICE_LIST")->model()->rowCount(), 3);
    QCOMPARE(Cell(2, CDeviceListModel::COL_IP), QStringLiteral("10.0.0.9"));
    QCOMPARE(Cell(2, CDeviceListModel::COL_ACTUAL_IP), QStringLiteral("172.16.0.9"));

    // An acknowledgement shows its status at once, without waiting for a tick
    m_network.Deliver(AckFrame(CARD_B), "192.168.1.100");
    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("setting request is accessed"));
    QCOMPARE(Cell(1, CDeviceListModel::COL_FW_VER), QStringLiteral("9"));
}

void tst_CCardwiseDlg::strayErrorReplyLeavesSweepRunning()
{
    MakeWindow();
    m_pDlg->OnTimer(CAssistantCore::TIMER_SWEEP);
    const int nPos = Find<CProgressCtrl>("IDC_PROGRESS")->value();

    // No set request is out: whoever sent it, the reply answers nothing
    m_network.Deliver(ErrorFrame(true), "192.168.1.2");

    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("Scanning Device...."));
    QVERIFY(m_timers.IsActive(CAssistantCore::TIMER_SWEEP));
    QVERIFY(!Find<QPushButton>("IDC_SEARCH")->isEnabled());
    m_pDlg->OnTimer(CAssistantCore::TIMER_SWEEP);
    QCOMPARE(Find<CProgressCtrl>("IDC_PROGRESS")->value(), nPos + 1);
}

void tst_CCardwiseDlg::enterRunsSetupEscapeCloses()
{
    MakeWindow();
    Deliver(CARD_A, "192.168.1.2");
    RunSweep();
    auto* pList = Find<QTableView>("IDC_DEVICE_LIST");
    QSignalSpy rejected(m_pDlg.get(), &QDialog::rejected);

    // Without a selection Enter does nothing, and the window stays
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_Return);
    QCOMPARE(m_nParamDialogRuns, 0);

    // With a row selected Enter runs the Setup flow for it, and the window still stays
    ClickRow(0);
    QTest::keyClick(pList, Qt::Key_Return);
    QTest::keyClick(pList, Qt::Key_Enter);
    QCOMPARE(m_nParamDialogRuns, 2);
    QVERIFY(m_pDlg->isVisible());
    QCOMPARE(m_network.m_nDestroyed, 0);
    QVERIFY(ToolButtonsEnabled());

    // Esc closes it and takes the socket and the timers with it
    QTest::keyClick(pList, Qt::Key_Escape);
    QVERIFY(!m_pDlg->isVisible());
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(m_network.m_nDestroyed, 1);
    QCOMPARE(m_timers.GetActiveCount(), 0);
}

void tst_CCardwiseDlg::closingDuringSweepStopsTimers()
{
    MakeWindow();
    m_pDlg->OnTimer(CAssistantCore::TIMER_SWEEP);
    const int nTick = m_pDlg->GetCore().GetTick();
    const size_t nSent = m_network.m_arrSent.size();

    QTest::mouseClick(Find<QPushButton>("IDCANCEL"), Qt::LeftButton);

    QVERIFY(!m_pDlg->isVisible());
    QCOMPARE(m_network.m_nDestroyed, 1);
    QCOMPARE(m_timers.GetActiveCount(), 0);
    for (int i = 0; i < 10; ++i)
        m_pDlg->OnTimer(CAssistantCore::TIMER_SWEEP);
    QCOMPARE(m_pDlg->GetCore().GetTick(), nTick);
    QCOMPARE(m_network.m_arrSent.size(), nSent);
}

void tst_CCardwiseDlg::deviceToolsUseReplyAddress()
{
    MakeWindow();
    Deliver(CARD_A, "192.168.1.20");
    RunSweep();
    ClickRow(0);

    for (const char* pszButton : {"IDC_WEB", "IDC_PING", "IDC_TELNET"})
        QTest::mouseClick(Find<QPushButton>(pszButton), Qt::LeftButton);
    QCOMPARE(m_arrLaunched,
             (QStringList{"http://192.168.1.20", "ping 192.168.1.20", "telnet 192.168.1.20"}));

    // IpConfig shows the tool's output without its leading line ends
    QTest::mouseClick(Find<QPushButton>("IDC_IPCONFIG"), Qt::LeftButton);
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(1));
    QCOMPARE(m_messages.m_arrMessages[0].strText, QStringLiteral("lo: up\n"));
    QCOMPARE(m_messages.m_arrMessages[0].strCaption, QStringLiteral("IpConfig Output"));

    // A card out of the subnets of the adapter that found it: each tool says so instead
    m_arrLaunched.clear();
    m_network.m_mapInterfaces = {{2, "eth-a"}};
    QTest::mouseClick(Find<QPushButton>("IDC_SEARCH"), Qt::LeftButton);
    CFakeCard foreign = CARD_A;
    foreign.strIp = "192.168.50.7";
    m_network.Deliver(DeviceInfoFrame(foreign), "192.168.50.7",
                      CLmPacketInfo{inet_addr("192.168.1.10"), 2});
    RunSweep();
    ClickRow(0);
    QCOMPARE(Cell(0, CDeviceListModel::COL_ADAPTER), QStringLiteral("eth-a"));
    QCOMPARE(Cell(0, CDeviceListModel::COL_NOTE), QStringLiteral("Other subnet"));
    for (const char* pszButton : {"IDC_WEB", "IDC_PING", "IDC_TELNET"})
        QTest::mouseClick(Find<QPushButton>(pszButton), Qt::LeftButton);
    QVERIFY(m_arrLaunched.isEmpty());
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(4));
    QVERIFY(m_messages.m_arrMessages[3].strText.contains(QStringLiteral("cannot reach it")));
}

void tst_CCardwiseDlg::rangeSweepShowsProgressAndStops()
{
    MakeWindow();
    RunSweep();
    auto* pSearch = Find<QPushButton>("IDC_SEARCH");
    auto* pProgress = Find<CProgressCtrl>("IDC_PROGRESS");

    // Given the range radio with a range of 256 addresses typed in
    ClickRadio("IDC_SCOPE_RANGE");
    QCOMPARE(Text("IDC_ADDR_LABEL"), QStringLiteral("Start Addr"));
    TypeInto("IDC_ADDRESS", QStringLiteral("10.213.9.0"));
    TypeInto("IDC_MASK", QStringLiteral("10.213.9.255"));

    // When Search is pressed, it reads Stop, and the bar and the status count the requests
    QTest::mouseClick(pSearch, Qt::LeftButton);
    QCOMPARE(pSearch->text(), QStringLiteral("Stop"));
    QVERIFY(pSearch->isEnabled());
    QCOMPARE(pProgress->maximum(), 512);
    for (int i = 0; i < 15; ++i) {
        m_nNowMs += 10;
        m_pDlg->OnTimer(CAssistantCore::TIMER_RANGE_SWEEP);
    }
    QCOMPARE(pProgress->value(), 301);
    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("Scanning 10.213.9.0 – 10.213.9.255: 301 of 512"));

    // Then Stop ends it, and Search is back
    QTest::mouseClick(pSearch, Qt::LeftButton);
    QCOMPARE(pSearch->text(), QStringLiteral("Search"));
    QVERIFY(!m_timers.IsActive(CAssistantCore::TIMER_RANGE_SWEEP));
    QCOMPARE(m_network.m_arrSent.back().strAddress, std::string("10.213.9.44"));

    // Esc stops a sweep too, and the window stays; once idle Esc closes it
    QTest::mouseClick(pSearch, Qt::LeftButton);
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    QVERIFY(!m_timers.IsActive(CAssistantCore::TIMER_RANGE_SWEEP));
    QVERIFY(m_pDlg->isVisible());
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    QVERIFY(!m_pDlg->isVisible());
}

void tst_CCardwiseDlg::savedListComparedUntilNextSearch()
{
    QTemporaryDir dir;
    MakeWindow();
    Deliver(CARD_A, "192.168.1.2");
    Deliver(CARD_B, "192.168.1.100");
    RunSweep();

    // Given the list saved as JSON and as CSV
    auto* pSave = Find<QAction>("IDM_SAVE_LIST");
    auto* pCompare = Find<QAction>("IDM_COMPARE_LIST");
    m_strListFile = dir.filePath(QStringLiteral("site.json"));
    pSave->trigger();
    m_strListFile = dir.filePath(QStringLiteral("site.CSV"));
    pSave->trigger();
    QFile csv(m_strListFile);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().count('\n'), 3);
    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("2 card(s) saved"));

    // When card B is gone, card C is new and card A has another address
    QTest::mouseClick(Find<QPushButton>("IDC_SEARCH"), Qt::LeftButton);
    QVERIFY(!pCompare->isEnabled());
    CFakeCard moved = CARD_A;
    moved.strIp = "192.168.1.3";
    Deliver(moved, "192.168.1.2");
    Deliver(CARD_C, "10.0.0.5");
    RunSweep();
    m_strListFile = dir.filePath(QStringLiteral("site.json"));
    pCompare->trigger();

    // Then the notes say so, card B follows as a greyed Missing row, the status sums it up
    QCOMPARE(Text("IDC_STATUS"), QStringLiteral("1 new, 1 missing, 1 changed"));
    QCOMPARE(Cell(0, CDeviceListModel::COL_NOTE), QStringLiteral("New"));
    QCOMPARE(Cell(1, CDeviceListModel::COL_NOTE), QStringLiteral("Changed (IP Addr(Set))"));
    QCOMPARE(Cell(2, CDeviceListModel::COL_MAC), QStringLiteral("00-1A-2B-00-00-02"));
    QCOMPARE(Cell(2, CDeviceListModel::COL_NOTE), QStringLiteral("Missing"));
    ClickRow(2);
    QVERIFY(Find<QTableView>("IDC_DEVICE_LIST")->selectionModel()->selectedRows().isEmpty());
    QVERIFY(!ToolButtonsEnabled());

    // A file that is no saved list leaves the comparison as it was, with a message
    m_strListFile = dir.filePath(QStringLiteral("site.CSV"));
    pCompare->trigger();
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(1));
    QVERIFY(m_messages.m_arrMessages[0].strText.contains(QStringLiteral("not JSON")));
    QCOMPARE(Find<QTableView>("IDC_DEVICE_LIST")->model()->rowCount(), 3);

    // The next search ends the comparison
    QTest::mouseClick(Find<QPushButton>("IDC_SEARCH"), Qt::LeftButton);
    Deliver(CARD_C, "10.0.0.5");
    QCOMPARE(Find<QTableView>("IDC_DEVICE_LIST")->model()->rowCount(), 1);
    QCOMPARE(Cell(0, CDeviceListModel::COL_NOTE), QString());
}

void tst_CCardwiseDlg::batchSetupPreviewsRunsAndSavesResults()
{
    QTemporaryDir dir;
    MakeWindow();
    auto* pBatch = Find<QAction>("IDM_BATCH_SETUP");
    QVERIFY(!pBatch->isEnabled()); // the first search runs
    Deliver(CARD_A, "192.168.1.2");
    Deliver(CARD_B, "192.168.1.100");
    RunSweep();
    QVERIFY(pBatch->isEnabled());
    // The cards that were sent a set request so far.
    const auto fnSetMacs = [this] {
        QStringList arrMacs;
        for (const CFakeNetwork::CSentFrame& frame : m_network.m_arrSent) {
            const QString strMac = QString::fromStdString(frame.strMac);
            if ((frame.nCommand == CardProtocol::CMD_SET_PARAMS ||
                 frame.nCommand == CardProtocol::CMD_SET_PARAMS_BROADCAST) &&
                !arrMacs.contains(strMac))
                arrMacs.append(strMac);
        }
        return arrMacs;
    };

    CWhenModal whenModal(
        [&](QDialog* pDlg) {
            auto* pParams = pDlg->findChild<QTableWidget*>(QStringLiteral("IDC_BATCH_PARAMS"));
            auto* pTable = pDlg->findChild<QTableWidget*>(QStringLiteral("IDC_BATCH_TABLE"));
            auto* pStatus = pDlg->findChild<QLabel*>(QStringLiteral("IDC_BATCH_STATUS"));
            const auto fnButton = [pDlg](const char* pszName) {
                return pDlg->findChild<QPushButton*>(QLatin1String(pszName));
            };
            const auto fnParamRow = [pParams](const char* pszName) {
                for (int nRow = 0; nRow < pParams->rowCount(); ++nRow) {
                    if (pParams->item(nRow, 1)->text() == QLatin1String(pszName))
                        return nRow;
                }
                return -1;
            };
            // A cell of the card's row; the table lists the cards as the window does.
            const auto fnCell = [pTable](const CFakeCard& card, int nColumn) {
                for (int nRow = 0; nRow < pTable->rowCount(); ++nRow) {
                    if (pTable->item(nRow, 0)->text() == QString::fromStdString(card.strMac))
                        return pTable->item(nRow, nColumn)->text();
                }
                return QStringLiteral("no row");
            };
            QCOMPARE(pDlg->findChild<QTableWidget*>(QStringLiteral("IDC_BATCH_CARDS"))->rowCount(),
                     2);
            QVERIFY(!fnButton("IDC_BATCH_SAVE")->isEnabled());

            // Given a new HTTP port for both cards, the preview shows current -> planned
            const int nPort = fnParamRow("HTTP Port");
            QCOMPARE(pParams->item(nPort, 2)->text(), QStringLiteral("80"));
            pParams->item(nPort, 2)->setText(QStringLiteral("8080"));
            QCOMPARE(pParams->item(nPort, 0)->checkState(), Qt::Checked);
            QTest::mouseClick(fnButton("IDC_BATCH_PREVIEW"), Qt::LeftButton);
            QCOMPARE(pTable->rowCount(), 2);
            QCOMPARE(fnCell(CARD_A, 3), QStringLiteral("planned"));
            QCOMPARE(fnCell(CARD_A, 4), QStringLiteral("HTTP Port: 80 \u2192 8080"));

            // One address for both cards is refused with its problem, and nothing is sent
            const int nIp = fnParamRow("IP Addr");
            pParams->item(nIp, 2)->setText(QStringLiteral("192.168.1.60"));
            QTest::mouseClick(fnButton("IDC_BATCH_RUN"), Qt::LeftButton);
            QCOMPARE(pTable->rowCount(), 1);
            QVERIFY(pTable->item(0, 1)->text().contains(QStringLiteral("would both have address")));
            QVERIFY(pStatus->text().startsWith(QStringLiteral("Plan refused, nothing sent")));
            QVERIFY(fnSetMacs().isEmpty());

            // When the address is left alone and the run goes without the restart wait
            pParams->item(nIp, 0)->setCheckState(Qt::Unchecked);
            QTest::keyClicks(pDlg->findChild<QLineEdit*>(QStringLiteral("IDC_PASSWORD")),
                             QStringLiteral("lemon"));
            pDlg->findChild<QCheckBox*>(QStringLiteral("IDC_AUTO_RESTART"))->setChecked(false);
            QTest::mouseClick(fnButton("IDC_BATCH_RUN"), Qt::LeftButton);
            QCOMPARE(fnSetMacs(), QStringList({QString::fromStdString(CARD_B.strMac),
                                               QString::fromStdString(CARD_A.strMac)}));
            QCOMPARE(fnCell(CARD_B, 3), QStringLiteral("sending"));
            QVERIFY(!fnButton("IDC_BATCH_PREVIEW")->isEnabled());
            m_network.Deliver(AckFrame(CARD_A), "192.168.1.2");
            m_network.Deliver(ErrorFrame(true, CARD_B.strMac), "192.168.1.100");
            m_pDlg->OnTimer(CBatchRun::TIMER_RUN);
            CFakeCard moved = CARD_A;
            moved.nHttpPort = 8080;
            Deliver(moved, "192.168.1.2"); // B, which refused, no longer answers
            RunSweep();
            m_pDlg->OnTimer(CBatchRun::TIMER_RUN);

            // Then the result table says which card took its values, and saves as CSV
            QCOMPARE(fnCell(CARD_A, 3), QStringLiteral("verified"));
            QCOMPARE(fnCell(CARD_B, 3), QStringLiteral("password-rejected"));
            QCOMPARE(fnCell(CARD_B, 1), QStringLiteral("192.168.1.100"));
            QCOMPARE(pStatus->text(), QStringLiteral("1 verified, 0 not-applied, "
                                                     "1 password-rejected, 0 no-answer, "
                                                     "0 not-found"));
            QVERIFY(fnButton("IDC_BATCH_SAVE")->isEnabled());
            m_strBatchFile = dir.filePath(QStringLiteral("results.csv"));
            QTest::mouseClick(fnButton("IDC_BATCH_SAVE"), Qt::LeftButton);
            QFile results(m_strBatchFile);
            QVERIFY(results.open(QIODevice::ReadOnly));
            const QStringList arrLines = QString::fromUtf8(results.readAll()).split('\n');
            QCOMPARE(arrLines.value(0), QStringLiteral("MAC,IP Addr,Line,Result,Changes"));
            QVERIFY(arrLines.contains(QStringLiteral("00-1A-2B-00-00-01,192.168.1.2,,verified,"
                                                     "HTTP Port: 80 \u2192 8080")));
            QCOMPARE(arrLines.size(), 4); // the header, two cards, the last line's end
            QVERIFY(!arrLines.join('\n').contains(QStringLiteral("lemon")));
            QTest::mouseClick(fnButton("IDCANCEL"), Qt::LeftButton);
        },
        m_pDlg.get());
    pBatch->trigger();
    QVERIFY(whenModal.HasRun());
    QVERIFY(m_messages.m_arrMessages.empty());
}

QTEST_MAIN(tst_CCardwiseDlg)
#include "tst_ccardwisedlg.moc"
