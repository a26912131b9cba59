// The search, the two timer phases and the Setup flow, driven tick by tick over a fake socket.
#include "AssistantCore.h"

#include "CardProtocol.h"
#include "CoreFakes.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

namespace {

using namespace CardProtocol;
using Core = CAssistantCore;
using View = CAssistantView;

class CAssistantCoreTest : public ::testing::Test
{
protected:
    CAssistantCoreTest() : m_core(m_view, m_timers, Services()) { m_view.m_pCore = &m_core; }

    CAssistantServices Services()
    {
        CAssistantServices services;
        services.fnCreateSocket = m_network.Factory();
        services.fnGetAdapters = [this] { return m_arrAdapters; };
        services.fnMessageBox = m_messages.Sink();
        services.fnRunParamDialog = [this](COptionTable& option) {
            ++m_nDialogRuns;
            m_bSearchDuringDialog = m_view.m_bSearchEnabled;
            return m_fnDialog && m_fnDialog(option);
        };
        return services;
    }

    // Frames of one command that went out, in order.
    std::vector<const CFakeNetwork::CSentFrame*> Sent(std::uint16_t nCommand) const
    {
        std::vector<const CFakeNetwork::CSentFrame*> arrFrames;
        for (const auto& sent : m_network.m_arrSent) {
            if (sent.nCommand == nCommand)
                arrFrames.push_back(&sent);
        }
        return arrFrames;
    }
    std::vector<std::string> Addresses(std::uint16_t nCommand) const
    {
        std::vector<std::string> arrAddresses;
        for (const auto* pSent : Sent(nCommand))
            arrAddresses.push_back(pSent->strAddress);
        return arrAddresses;
    }
    void SetSubnet(std::uint32_t dwAddress, std::uint32_t dwMask)
    {
        m_view.m_nScopeRadio = Core::SCOPE_SUBNET;
        m_core.OnScopeChanged();
        m_view.m_mapAddress[View::IDC_ADDRESS] = dwAddress;
        m_view.m_mapAddress[View::IDC_MASK] = dwMask;
    }
    int FinishSweep() { return RunTimer(m_core, m_timers, Core::TIMER_SWEEP, 1000); }
    // A Local search that lists m_card, with the sweep run to its end.
    void SearchAndListCard()
    {
        m_core.OnSearch();
        m_network.Deliver(DeviceInfoFrame(m_card), "192.168.1.20");
        FinishSweep();
        m_network.m_arrSent.clear();
    }
    // Accepts the dialog as it was filled; pfnEdit may change it first.
    void AcceptDialog(const std::function<void(COptionTable&)>& fnEdit = nullptr)
    {
        m_fnDialog = [fnEdit](COptionTable& option) {
            if (fnEdit)
                fnEdit(option);
            return option.OnOK(nullptr) == COptionTable::CHECK_OK;
        };
    }

    CRecordingView m_view;
    CSteppedTimerHost m_timers;
    CFakeNetwork m_network;
    std::vector<CAdapterAddress> m_arrAdapters{{"192.168.1.10", "255.255.255.0"}};
    CMessageRecorder m_messages;
    std::function<bool(COptionTable&)> m_fnDialog;
    int m_nDialogRuns = 0;
    bool m_bSearchDuringDialog = true;
    CFakeCard m_card;
    Core m_core;
};

TEST_F(CAssistantCoreTest, ScopeChangeSetsLabelsDefaultsAndControls)
{
    EXPECT_EQ(m_core.GetAddrLabel(), "IP Addr");
    EXPECT_EQ(m_core.GetMaskLabel(), "Mask");

    // In this order, each after an address typed into the control: Subnet and range put their
    // defaults back, Local keeps the labels and values that were there.
    const struct
    {
        int nScope;
        const char* pszAddrLabel;
        const char* pszMaskLabel;
        std::uint32_t dwAddress;
        std::uint32_t dwMask;
        bool bEnabled;
    } arrSteps[] = {
        {Core::SCOPE_RANGE, "Start Addr", "End  Addr", 0xC0A80101, 0xC0A80164, true},
        {Core::SCOPE_LOCAL, "Start Addr", "End  Addr", 0x0A000001, 0xC0A80164, false},
        {Core::SCOPE_SUBNET, "IP Addr", "Mask", 0xC0A80101, 0xFFFFFF00, true},
    };
    for (const auto& step : arrSteps) {
        SCOPED_TRACE(step.nScope);
        m_view.m_mapAddress[View::IDC_ADDRESS] = 0x0A000001;
        m_view.m_nScopeRadio = step.nScope;
        m_core.OnScopeChanged();
        EXPECT_EQ(m_view.m_strAddrLabel, step.pszAddrLabel);
        EXPECT_EQ(m_view.m_strMaskLabel, step.pszMaskLabel);
        EXPECT_EQ(m_view.m_mapAddress[View::IDC_ADDRESS], step.dwAddress);
        EXPECT_EQ(m_view.m_mapAddress[View::IDC_MASK], step.dwMask);
        EXPECT_EQ(m_view.m_bAddressEnabled, step.bEnabled);
    }
}

TEST_F(CAssistantCoreTest, LocalDestinationsAreAdapterBroadcastsThenLimitedBroadcast)
{
    m_arrAdapters = {{"192.168.1.10", "255.255.255.0"},
                     {"10.1.2.3", "255.0.0.0"},
                     {"172.16.0.5", "255.255.255.255"}, // a host route: skipped
                     {"0.0.0.0", "0.0.0.0"},            // an adapter without address
                     {"10.9.9.9", "bad mask"}};
    m_core.CollectBroadcastAddresses();
    EXPECT_EQ(m_core.GetDestinations(), (QStringList{"192.168.1.255", "10.255.255.255",
                                                     "255.255.255.255", "255.255.255.255"}));

    m_arrAdapters.clear();
    m_core.CollectBroadcastAddresses();
    EXPECT_EQ(m_core.GetDestinations(), QStringList{"255.255.255.255"});
}

TEST_F(CAssistantCoreTest, LocalSearchSendsToEachDestinationAndRepeatsToTheLast)
{
    m_core.OnSearch();
    ASSERT_NE(m_network.Current(), nullptr);
    ASSERT_EQ(m_network.Current()->m_arrCreates.size(), 1u);
    EXPECT_EQ(m_network.Current()->m_arrCreates[0].nPort, PORT_HOST);
    EXPECT_EQ(Addresses(CMD_SEARCH_BROADCAST),
              (std::vector<std::string>{"192.168.1.255", "255.255.255.255"}));

    EXPECT_EQ(FinishSweep(), Core::SWEEP_TICKS);
    EXPECT_EQ(Addresses(CMD_SEARCH_BROADCAST),
              (std::vector<std::string>{"192.168.1.255", "255.255.255.255", "255.255.255.255",
                                        "255.255.255.255", "255.255.255.255", "255.255.255.255"}));
    for (const auto& sent : m_network.m_arrSent)
        EXPECT_EQ(sent.nPort, PORT_CARD);
}

TEST_F(CAssistantCoreTest, SweepRunsFiftyTicksWithProgressAndStatus)
{
    CProgressModel& progress = m_core.GetProgress();
    m_core.OnSearch();
    EXPECT_EQ(m_core.GetTimerId(), static_cast<unsigned int>(Core::TIMER_SWEEP));
    EXPECT_EQ(m_timers.GetPeriod(Core::TIMER_SWEEP), 20u);
    EXPECT_FALSE(m_view.m_bSearchEnabled);
    EXPECT_EQ(m_view.m_strStatusLine, "Scanning Device....");
    EXPECT_EQ(progress.GetUpper(), 50);
    EXPECT_EQ(progress.GetPos(), 1);

    RunTimer(m_core, m_timers, Core::TIMER_SWEEP, 49);
    EXPECT_EQ(progress.GetPos(), 50);
    EXPECT_TRUE(m_timers.IsActive(Core::TIMER_SWEEP));

    m_core.OnTimer(Core::TIMER_SWEEP);
    EXPECT_FALSE(m_timers.IsActive(Core::TIMER_SWEEP));
    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_TRUE(m_view.m_bSearchEnabled);
    EXPECT_EQ(m_view.m_strStatusLine, "Scanning Device  Finished");
    EXPECT_EQ(progress.GetPos(), 50);

    // The next sweep starts from a full bar, which wraps at its first step.
    m_core.OnSearch();
    EXPECT_EQ(progress.GetPos(), 0);
}

TEST_F(CAssistantCoreTest, SubnetSearchSendsToTheDirectedBroadcastOrTheOneHost)
{
    SetSubnet(0xC0A80101, 0xFFFFFF00);
    m_core.OnSearch();
    EXPECT_EQ(m_core.GetDestinations(), QStringList{"192.168.1.255"});
    FinishSweep();
    EXPECT_EQ(Addresses(CMD_SEARCH_BROADCAST), std::vector<std::string>(5, "192.168.1.255"));

    m_network.m_arrSent.clear();
    SetSubnet(0x0A000007, 0xFFFFFFFF);
    m_core.OnSearch();
    EXPECT_EQ(Addresses(CMD_SEARCH), std::vector<std::string>{"10.0.0.7"});
    EXPECT_TRUE(Addresses(CMD_SEARCH_BROADCAST).empty());
}

TEST_F(CAssistantCoreTest, SubnetNeedsAddressAndMask)
{
    m_core.OnSearch();
    m_network.Deliver(DeviceInfoFrame(m_card), "192.168.1.20");
    FinishSweep();
    CFakeDeviceSocket* pPrevious = m_network.Current();

    for (const auto& input :
         {std::pair<std::uint32_t, std::uint32_t>{0, 0xFFFFFF00}, {0xC0A80101, 0}}) {
        m_messages.m_arrMessages.clear();
        SetSubnet(input.first, input.second);
        m_core.OnSearch();
        ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
        EXPECT_EQ(m_messages.m_arrMessages[0].strText, "must input the param");
        EXPECT_EQ(m_messages.m_arrMessages[0].strCaption, "ERROR");
        EXPECT_EQ(m_messages.m_arrMessages[0].nIcon, MSG_ICON_STOP);
    }
    EXPECT_EQ(m_network.m_nCreated, 1);
    EXPECT_EQ(m_network.Current(), pPrevious);
    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_EQ(m_core.GetDeviceList().GetItemCount(), 0); // emptied all the same
}

TEST_F(CAssistantCoreTest, SocketThatCannotOpenStartsNoPhase)
{
    m_network.m_nCreateResult = 0;
    m_core.OnSearch();
    ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
    EXPECT_EQ(m_messages.m_arrMessages[0].strText, "初始化网络接口失败");
    EXPECT_EQ(m_messages.m_arrMessages[0].strCaption, "错误");
    EXPECT_EQ(m_messages.m_arrMessages[0].nIcon, MSG_ICON_STOP);
    EXPECT_EQ(m_core.GetSocket(), nullptr);
    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_TRUE(m_view.m_bSearchEnabled);
    EXPECT_TRUE(m_network.m_arrSent.empty());
}

TEST_F(CAssistantCoreTest, RangeScopeOnlyRecordsTheAddresses)
{
    m_view.m_nScopeRadio = Core::SCOPE_RANGE;
    m_core.OnScopeChanged();
    m_core.OnSearch();
    EXPECT_EQ(m_core.GetRangeStart(), 0xC0A80101u);
    EXPECT_EQ(m_core.GetRangeEnd(), 0xC0A80164u);
    EXPECT_EQ(m_network.m_nCreated, 0);
    EXPECT_EQ(m_core.GetTimerId(), 0u);
}

TEST_F(CAssistantCoreTest, SearchAgainSweepsOnTheSameSocketAndKeepsTheList)
{
    EXPECT_FALSE(m_core.SearchAgain()); // no search yet
    SearchAndListCard();
    CFakeCard other = m_card;
    other.strMac = "00-1A-2B-3C-4D-5F";

    ASSERT_TRUE(m_core.SearchAgain());
    EXPECT_FALSE(m_core.SearchAgain()); // its sweep runs
    m_network.Deliver(DeviceInfoFrame(other), "192.168.1.21");
    EXPECT_EQ(FinishSweep(), Core::SWEEP_TICKS);

    EXPECT_EQ(m_network.m_nCreated, 1);
    EXPECT_EQ(Addresses(CMD_SEARCH_BROADCAST),
              (std::vector<std::string>{"192.168.1.255", "255.255.255.255", "255.255.255.255",
                                        "255.255.255.255", "255.255.255.255", "255.255.255.255"}));
    EXPECT_EQ(m_core.GetDeviceList().GetItemCount(), 2);
    EXPECT_NE(m_core.GetSocket()->FindDeviceParams("00-1A-2B-3C-4D-5E"), nullptr);
    EXPECT_EQ(m_core.GetStatus(), "Scanning Device  Finished");
}

TEST_F(CAssistantCoreTest, RepliesAfterTheSweepStillListCards)
{
    m_core.OnSearch();
    FinishSweep();
    m_network.Deliver(DeviceInfoFrame(m_card, CMD_DEVICE_INFO), "192.168.1.20");
    ASSERT_EQ(m_core.GetDeviceList().GetItemCount(), 1);
    EXPECT_EQ(m_core.GetDeviceList().GetItemText(0, CDeviceListModel::COL_MAC),
              "00-1A-2B-3C-4D-5E");
}

TEST_F(CAssistantCoreTest, AcknowledgementShowsAcceptedStatus)
{
    SearchAndListCard();
    m_network.Deliver(AckFrame(m_card), "192.168.1.20");
    EXPECT_EQ(m_view.m_strStatusLine, "setting request is accessed");
    EXPECT_EQ(m_core.GetDeviceList().GetItemText(0, CDeviceListModel::COL_HW_VER), "2");
}

TEST_F(CAssistantCoreTest, SetupSendsToEveryLocalDestinationAndWaitsForRestart)
{
    SearchAndListCard();
    AcceptDialog([](COptionTable& option) { option.m_strPassword = "secret"; });
    EXPECT_EQ(m_core.SetupDevice(0), Core::SETUP_SENT);

    const auto arrSets = Sent(CMD_SET_PARAMS_BROADCAST);
    ASSERT_EQ(arrSets.size(), 2u);
    EXPECT_EQ(arrSets[0]->strAddress, "192.168.1.255");
    EXPECT_EQ(arrSets[1]->strAddress, "255.255.255.255");
    EXPECT_EQ(arrSets[0]->strMac, "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(arrSets[0]->arrFrame.data() + 19)),
              "secret");
    const CVarDataGroup& values = arrSets[0]->values;
    ASSERT_EQ(values.GetSize(), 12);
    EXPECT_EQ(ItemOf(values.GetID(0)), SET_IP);
    EXPECT_EQ(ItemOf(values.GetID(11)), SET_RESTART);

    EXPECT_EQ(m_core.GetStatus(), "Send setting request to device.........");
    EXPECT_EQ(m_core.GetTimerId(), static_cast<unsigned int>(Core::TIMER_RESTART_WAIT));
    EXPECT_FALSE(m_view.m_bSearchEnabled);
    EXPECT_EQ(m_view.m_nUpdateButtons, 1);
}

TEST_F(CAssistantCoreTest, SetupInSubnetScopeSendsToTheDirectedBroadcastOnly)
{
    SetSubnet(0xC0A80101, 0xFFFFFF00);
    SearchAndListCard();
    AcceptDialog([](COptionTable& option) { option.m_bAutoRestart = 0; });
    m_core.SetupDevice(0);
    EXPECT_EQ(Addresses(CMD_SET_PARAMS_BROADCAST), std::vector<std::string>{"192.168.1.255"});
    // Without a restart nothing waits and Search is back at once.
    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_TRUE(m_view.m_bSearchEnabled);
    EXPECT_EQ(Sent(CMD_SET_PARAMS_BROADCAST)[0]->values.GetIndex(SET_RESTART), -1);
}

TEST_F(CAssistantCoreTest, CancelledSetupSendsNothing)
{
    SearchAndListCard();
    EXPECT_EQ(m_core.SetupDevice(0), Core::SETUP_CANCELLED);
    EXPECT_EQ(m_nDialogRuns, 1);
    EXPECT_FALSE(m_bSearchDuringDialog);
    EXPECT_TRUE(m_network.m_arrSent.empty());
    EXPECT_TRUE(m_view.m_bSearchEnabled);
    EXPECT_EQ(m_view.m_nUpdateButtons, 1);
}

TEST_F(CAssistantCoreTest, SetupWithoutStoredParametersReportsDataError)
{
    // A row that only an acknowledgement put there: this socket never saw the card's data.
    m_core.OnSearch();
    FinishSweep();
    m_network.Deliver(AckFrame(m_card), "192.168.1.20");
    AcceptDialog();
    EXPECT_EQ(m_core.SetupDevice(0), Core::SETUP_NO_DATA);
    ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
    EXPECT_EQ(m_messages.m_arrMessages[0].strText, "数据错误,请重新搜索尝试");
    EXPECT_EQ(m_nDialogRuns, 0);
    EXPECT_TRUE(Sent(CMD_SET_PARAMS_BROADCAST).empty());
    EXPECT_TRUE(m_view.m_bSearchEnabled);
}

TEST_F(CAssistantCoreTest, SetupOfRowWithoutProperMacSendsNothing)
{
    // A device information whose MAC item is no 6-byte block is listed and stored under "".
    CVarDataGroup values;
    values.Add(static_cast<unsigned long>(1), INFO_MAC);
    for (std::uint16_t nItem = INFO_IP; nItem <= INFO_FW_VERSION; ++nItem)
        values.Add(static_cast<unsigned long>(0x0101A8C0), nItem);
    m_core.OnSearch();
    m_network.Deliver(ReplyFrame(CMD_DEVICE_INFO_BROADCAST, "00-00-00-00-00-00", values),
                      "192.168.1.1");
    FinishSweep();
    ASSERT_NE(m_network.Current()->FindDeviceParams(""), nullptr);
    AcceptDialog();
    EXPECT_EQ(m_core.SetupDevice(0), Core::SETUP_NO_DATA);
    EXPECT_TRUE(Sent(CMD_SET_PARAMS_BROADCAST).empty());
}

TEST_F(CAssistantCoreTest, SetupIsIgnoredWhileAPhaseRuns)
{
    m_core.OnSearch();
    m_network.Deliver(DeviceInfoFrame(m_card), "192.168.1.20");
    AcceptDialog();
    EXPECT_EQ(m_core.SetupDevice(0), Core::SETUP_BUSY);
    EXPECT_EQ(m_nDialogRuns, 0);
    EXPECT_TRUE(Sent(CMD_SET_PARAMS_BROADCAST).empty());
    EXPECT_EQ(m_core.GetTimerId(), static_cast<unsigned int>(Core::TIMER_SWEEP));
}

TEST_F(CAssistantCoreTest, RestartWaitEndsWithANewSearch)
{
    SearchAndListCard();
    AcceptDialog();
    m_core.SetupDevice(0);
    CProgressModel& progress = m_core.GetProgress();
    EXPECT_EQ(progress.GetUpper(), 1050);
    EXPECT_EQ(progress.GetPos(), 1);

    RunTimer(m_core, m_timers, Core::TIMER_RESTART_WAIT, 149);
    EXPECT_EQ(m_core.GetStatus(), "Send setting request to device.........");
    m_core.OnTimer(Core::TIMER_RESTART_WAIT);
    EXPECT_EQ(m_core.GetStatus(), "Waitting for device restart...");

    RunTimer(m_core, m_timers, Core::TIMER_RESTART_WAIT, 850);
    EXPECT_EQ(m_core.GetTick(), 1000);
    EXPECT_EQ(progress.GetPos(), 1001);
    EXPECT_EQ(m_network.m_nCreated, 1);

    m_core.OnTimer(Core::TIMER_RESTART_WAIT);
    EXPECT_FALSE(m_timers.IsActive(Core::TIMER_RESTART_WAIT));
    EXPECT_TRUE(m_timers.IsActive(Core::TIMER_SWEEP));
    EXPECT_EQ(m_core.GetTimerId(), static_cast<unsigned int>(Core::TIMER_SWEEP));
    EXPECT_EQ(m_core.GetTick(), 0);
    EXPECT_EQ(m_network.m_nCreated, 2);
    EXPECT_EQ(m_core.GetDeviceList().GetItemCount(), 0);
    EXPECT_EQ(m_core.GetStatus(), "Scanning Device....");
    EXPECT_FALSE(m_view.m_bSearchEnabled);
}

// Where an error reply arrives, and from which card: only the card that the set request
// addressed ends the restart wait (or answers a set without restart); a sweep never ends.
struct SErrorReplyCase
{
    const char* pszName;
    enum EWhen
    {
        DURING_SWEEP,
        DURING_RESTART_WAIT,
        AFTER_SET,          // a set request without restart, nothing runs
        DURING_LATER_SWEEP, // the sweep that follows the restart wait
    } nWhen;
    bool bFromAddressedCard;
    bool bPasswordItem;
    const char* pszStatus; // what the status shows after; null: as before
};

void PrintTo(const SErrorReplyCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class CAssistantCoreErrorReplyTest : public CAssistantCoreTest,
                                     public ::testing::WithParamInterface<SErrorReplyCase>
{
};

TEST_P(CAssistantCoreErrorReplyTest, OnlyTheAddressedCardAnswersASetRequest)
{
    const SErrorReplyCase& c = GetParam();
    SearchAndListCard();
    if (c.nWhen == SErrorReplyCase::DURING_SWEEP)
        m_core.OnSearch();
    else {
        AcceptDialog([&c](COptionTable& option) {
            option.m_bAutoRestart = c.nWhen == SErrorReplyCase::AFTER_SET ? 0 : 1;
        });
        ASSERT_EQ(m_core.SetupDevice(0), Core::SETUP_SENT);
        if (c.nWhen == SErrorReplyCase::DURING_LATER_SWEEP)
            RunTimer(m_core, m_timers, Core::TIMER_RESTART_WAIT, Core::RESTART_TICKS + 1);
    }
    const unsigned int nPhase = m_core.GetTimerId();
    RunTimer(m_core, m_timers, nPhase, 5);
    const QString strStatus = m_core.GetStatus();
    const int nTick = m_core.GetTick();

    m_network.Deliver(
        ErrorFrame(c.bPasswordItem, c.bFromAddressedCard ? m_card.strMac : "00-1A-2B-3C-4D-5F"),
        "192.168.1.21");

    if (c.pszStatus != nullptr) {
        EXPECT_EQ(m_core.GetStatus(), c.pszStatus);
        EXPECT_EQ(m_view.m_strStatusLine, c.pszStatus);
        EXPECT_EQ(m_core.GetTimerId(), 0u);
        EXPECT_EQ(m_timers.GetActiveCount(), 0);
        EXPECT_TRUE(m_view.m_bSearchEnabled);
    } else {
        EXPECT_EQ(m_core.GetStatus(), strStatus);
        EXPECT_EQ(m_core.GetTimerId(), nPhase);
        m_core.OnTimer(nPhase);
        EXPECT_EQ(m_core.GetTick(), nPhase == 0 ? nTick : nTick + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CAssistantCoreErrorReplyTest,
    ::testing::Values(SErrorReplyCase{"SweepGoesOnWhateverTheSender", SErrorReplyCase::DURING_SWEEP,
                                      true, true, nullptr},
                      SErrorReplyCase{"AddressedCardEndsRestartWait",
                                      SErrorReplyCase::DURING_RESTART_WAIT, true, true,
                                      "Password Error"},
                      SErrorReplyCase{"OtherCardLeavesRestartWait",
                                      SErrorReplyCase::DURING_RESTART_WAIT, false, true, nullptr},
                      SErrorReplyCase{"AddressedCardAnswersSetWithoutRestart",
                                      SErrorReplyCase::AFTER_SET, true, true, "Password Error"},
                      SErrorReplyCase{"ReplyWithoutPasswordItemShowsNoText",
                                      SErrorReplyCase::AFTER_SET, true, false, ""},
                      SErrorReplyCase{"OtherCardDoesNotAnswerSet", SErrorReplyCase::AFTER_SET,
                                      false, true, nullptr},
                      SErrorReplyCase{"LaterSweepGoesOn", SErrorReplyCase::DURING_LATER_SWEEP, true,
                                      true, nullptr}),
    [](const ::testing::TestParamInfo<SErrorReplyCase>& info) { return info.param.pszName; });

TEST_F(CAssistantCoreTest, TicksOfAnotherPhaseAreIgnored)
{
    m_core.OnSearch();
    m_core.OnTimer(Core::TIMER_RESTART_WAIT);
    EXPECT_EQ(m_core.GetTick(), 0);
    FinishSweep();
    const auto nSent = m_network.m_arrSent.size();
    m_core.OnTimer(Core::TIMER_SWEEP);
    EXPECT_EQ(m_core.GetTick(), Core::SWEEP_TICKS);
    EXPECT_EQ(m_network.m_arrSent.size(), nSent);
}

TEST_F(CAssistantCoreTest, DestroyClosesTheSocketAndStopsThePhase)
{
    m_core.OnSearch();
    m_core.OnDestroy();
    EXPECT_EQ(m_network.m_nDestroyed, 1);
    EXPECT_EQ(m_core.GetSocket(), nullptr);
    EXPECT_EQ(m_timers.GetActiveCount(), 0);
}

} // namespace
