// SPDX-License-Identifier: GPL-3.0-or-later
// The search, the two timer phases and the Setup flow, driven tick by tick over a fake socket.
#include "AssistantCore.h"

#include "CardProtocol.h"
#include "CoreFakes.h"
#include "QtPrinters.h"

#include "DeviceNotes.h"

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
        services.fnClockMs = [this] { return m_nNowMs; };
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
    // Range scope over the two control values, searched.
    void SearchRange(std::uint32_t dwStart, std::uint32_t dwEnd)
    {
        m_view.m_nScopeRadio = Core::SCOPE_RANGE;
        m_core.OnScopeChanged();
        m_view.m_mapAddress[View::IDC_ADDRESS] = dwStart;
        m_view.m_mapAddress[View::IDC_MASK] = dwEnd;
        m_core.OnSearch();
    }
    // Moves the clock on by nMs and ticks the range sweep once.
    void TickRange(std::int64_t nMs)
    {
        m_nNowMs += nMs;
        m_core.OnTimer(Core::TIMER_RANGE_SWEEP);
    }
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
    std::vector<CAdapterAddress> m_arrAdapters{{"192.168.1.10", "255.255.255.0", 2, "eth-a"}};
    CMessageRecorder m_messages;
    std::function<bool(COptionTable&)> m_fnDialog;
    int m_nDialogRuns = 0;
    bool m_bSearchDuringDialog = true;
    CFakeCard m_card;
    std::int64_t m_nNowMs = 5000;
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
    m_arrAdapters = {{"192.168.1.10", "255.255.255.0", 2, "eth-a"},
                     {"10.1.2.3", "255.0.0.0", 2, "eth-a"},
                     {"172.16.0.5", "255.255.255.255", 3, "eth-b"}, // a host route: skipped
                     {"0.0.0.0", "0.0.0.0", 4, "eth-c"},            // an adapter without address
                     {"10.9.9.9", "bad mask", 5, "eth-d"}};
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

TEST_F(CAssistantCoreTest, RangeSweepAsksEveryAddressTwiceThenWaitsForLateReplies)
{
    // 10.0.255.254 to 10.1.0.1: one address whose text holds "255", and a second octet carry.
    m_core.SetRangeRate(CardwiseCore::RATE_MAX);
    SearchRange(0x0A00FFFE, 0x0A010001);
    EXPECT_EQ(m_timers.GetPeriod(Core::TIMER_RANGE_SWEEP), Core::RANGE_TICK_MS);
    TickRange(10);

    // The second pass after the first, every request in its directed form, to one host each
    const std::vector<std::string> arrPass{"10.0.255.254", "10.0.255.255", "10.1.0.0", "10.1.0.1"};
    std::vector<std::string> arrBoth = arrPass;
    arrBoth.insert(arrBoth.end(), arrPass.begin(), arrPass.end());
    EXPECT_EQ(Addresses(CMD_SEARCH), arrBoth);
    EXPECT_TRUE(Addresses(CMD_SEARCH_BROADCAST).empty());
    EXPECT_FALSE(m_network.Current()->m_arrCreates.empty());
    EXPECT_EQ(m_core.GetProgress().GetPos(), 8);
    EXPECT_EQ(m_core.GetProgress().GetUpper(), 8);
    EXPECT_EQ(m_view.m_strStatusLine, "Scanning 10.0.255.254 – 10.1.0.1: 8 of 8");

    // One second after the last request for late replies, then the sweep is over
    TickRange(999);
    EXPECT_EQ(m_core.GetTimerId(), static_cast<unsigned int>(Core::TIMER_RANGE_SWEEP));
    m_network.Deliver(DeviceInfoFrame(m_card, CMD_DEVICE_INFO), "10.1.0.1");
    TickRange(1);
    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_EQ(m_view.m_strStatusLine, "Scanning Device  Finished");
    EXPECT_EQ(m_core.GetDeviceList().GetItemCount(), 1);
    EXPECT_EQ(m_network.m_arrSent.size(), 8u);
    EXPECT_EQ(m_core.GetRangeSweepMs(), 8 * 1000 / CardwiseCore::RATE_MAX + 1000);
}

struct SPacingCase
{
    const char* pszName;
    int nRate;
    std::vector<int> arrStepsMs;   // clock steps, one tick after each
    std::vector<int> arrSentAfter; // requests sent after each tick
};

class CRangePacingTest : public CAssistantCoreTest,
                         public ::testing::WithParamInterface<SPacingCase>
{
};

TEST_P(CRangePacingTest, SendsWhatTheClockSaysIsDue)
{
    const SPacingCase& c = GetParam();
    m_core.SetRangeRate(c.nRate);
    SearchRange(0x0A000001, 0x0A00FFFF); // 65535 addresses: the sweep outlasts every case
    EXPECT_EQ(m_network.m_arrSent.size(), 1u);
    std::vector<int> arrSent;
    for (const int nStep : c.arrStepsMs) {
        TickRange(nStep);
        arrSent.push_back(static_cast<int>(m_network.m_arrSent.size()));
    }
    EXPECT_EQ(arrSent, c.arrSentAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CRangePacingTest,
    ::testing::Values(
        SPacingCase{"DefaultRateEveryTick", 2000, {10, 10, 10}, {21, 41, 61}},
        // Ticks that come late or unevenly do not change the pace.
        SPacingCase{"UnevenTicks", 2000, {7, 23, 1, 19}, {15, 61, 63, 101}},
        SPacingCase{"SlowRate", 150, {10, 10, 10, 40}, {2, 4, 5, 11}},
        // A second without ticks sends one burst's worth (50 ms), then the pace goes on.
        SPacingCase{"StalledLoop", 2000, {1000, 10, 10}, {101, 121, 141}},
        SPacingCase{"FastRate", 20000, {10, 10}, {201, 401}}),
    [](const ::testing::TestParamInfo<SPacingCase>& tested) { return tested.param.pszName; });

TEST_F(CAssistantCoreTest, StopEndsTheRangeSweepWithWhatWasFound)
{
    SearchRange(0x0A000001, 0x0A0000FF);
    EXPECT_TRUE(m_core.GetButtonStates(false).bStop);
    EXPECT_TRUE(m_view.m_bSearchEnabled); // Search is Stop now
    TickRange(10);
    m_network.Deliver(DeviceInfoFrame(m_card, CMD_DEVICE_INFO), "10.0.0.20");
    const auto nSent = m_network.m_arrSent.size();

    m_core.StopSearch();

    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_FALSE(m_timers.IsActive(Core::TIMER_RANGE_SWEEP));
    EXPECT_FALSE(m_core.GetButtonStates(false).bStop);
    EXPECT_TRUE(m_view.m_bSearchEnabled);
    EXPECT_EQ(m_view.m_strStatusLine, "Stopped: 21 of 510 requests sent");
    EXPECT_EQ(m_core.GetDeviceList().GetItemCount(), 1);
    TickRange(10);
    EXPECT_EQ(m_network.m_arrSent.size(), nSent);
    // Outside a range sweep Stop does nothing.
    m_core.StopSearch();
    EXPECT_EQ(m_view.m_strStatusLine, "Stopped: 21 of 510 requests sent");
}

struct SRangeRefusal
{
    const char* pszName;
    std::uint32_t dwStart;
    std::uint32_t dwEnd;
    const char* pszMessage;
};

class CRangeRefusalTest : public CAssistantCoreTest,
                          public ::testing::WithParamInterface<SRangeRefusal>
{
};

TEST_P(CRangeRefusalTest, SendsNothing)
{
    const SRangeRefusal& c = GetParam();
    SearchAndListCard();
    CFakeDeviceSocket* pPrevious = m_network.Current();

    SearchRange(c.dwStart, c.dwEnd);

    ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
    EXPECT_EQ(m_messages.m_arrMessages[0].strText, c.pszMessage);
    EXPECT_EQ(m_messages.m_arrMessages[0].strCaption, "ERROR");
    EXPECT_EQ(m_messages.m_arrMessages[0].nIcon, MSG_ICON_STOP);
    EXPECT_TRUE(m_network.m_arrSent.empty());
    EXPECT_EQ(m_network.Current(), pPrevious);
    EXPECT_EQ(m_core.GetTimerId(), 0u);
    EXPECT_TRUE(m_view.m_bSearchEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CRangeRefusalTest,
    ::testing::Values(
        SRangeRefusal{"EndBelowStart", 0x0A000102, 0x0A000101,
                      "The end address 10.0.1.1 is below the start address 10.0.1.2."},
        SRangeRefusal{"TooLarge", 0x0A000000, 0x0A010000,
                      "10.0.0.0 – 10.1.0.0 holds 65537 addresses; one sweep covers at most "
                      "65536."},
        SRangeRefusal{"BlankStart", 0, 0x0A000101, "must input the param"}),
    [](const ::testing::TestParamInfo<SRangeRefusal>& tested) { return tested.param.pszName; });

TEST_F(CAssistantCoreTest, SetupInRangeScopeGoesToTheReplyAddressAndSweepsTheRangeAgain)
{
    m_core.SetRangeRate(CardwiseCore::RATE_MAX);
    SearchRange(0x0A000001, 0x0A00000A);
    m_network.Deliver(DeviceInfoFrame(m_card), "10.0.0.7");
    TickRange(10);
    TickRange(1000);
    ASSERT_EQ(m_core.GetTimerId(), 0u);
    m_network.m_arrSent.clear();
    AcceptDialog();

    EXPECT_EQ(m_core.SetupDevice(0), Core::SETUP_SENT);
    EXPECT_EQ(Addresses(CMD_SET_PARAMS), std::vector<std::string>{"10.0.0.7"});
    EXPECT_TRUE(Addresses(CMD_SET_PARAMS_BROADCAST).empty());

    // The controls change during the wait; the new sweep still covers the range of the search.
    m_view.m_mapAddress[View::IDC_MASK] = 0x0A0000FF;
    RunTimer(m_core, m_timers, Core::TIMER_RESTART_WAIT, 2000);
    EXPECT_EQ(m_core.GetTimerId(), static_cast<unsigned int>(Core::TIMER_RANGE_SWEEP));
    EXPECT_EQ(m_core.GetRangeEnd(), 0x0A00000Au);
    EXPECT_EQ(m_core.GetProgress().GetUpper(), 20);
}

TEST_F(CAssistantCoreTest, RepliesRecordTheirAdapterAndTheListExplainsEachCard)
{
    // Given a Local search, and replies received on eth-a (index 2, 192.168.1.10/24)
    m_network.m_mapInterfaces = {{2, "eth-a"}};
    const CLmPacketInfo onEthA{inet_addr("192.168.1.10"), 2};
    m_core.OnSearch();
    CFakeCard foreign = m_card;
    foreign.strIp = "192.168.50.7";
    m_network.Deliver(DeviceInfoFrame(foreign), "192.168.50.7", onEthA);

    // Then the row names the adapter, and the card is out of its subnets
    const CDeviceListModel& list = m_core.GetDeviceList();
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetItemText(0, CDeviceListModel::COL_ADAPTER), "eth-a");
    EXPECT_EQ(list.data(list.index(0, CDeviceListModel::COL_ADAPTER), Qt::ToolTipRole),
              "192.168.1.10");
    EXPECT_EQ(list.GetNotes(0), static_cast<unsigned int>(NOTE_OTHER_SUBNET));
    EXPECT_EQ(list.GetItemText(0, CDeviceListModel::COL_NOTE), "Other subnet");
    EXPECT_FALSE(m_core.CheckDeviceReachable(0));
    ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
    EXPECT_TRUE(m_messages.m_arrMessages[0].strText.startsWith(
        "192.168.50.7 is in none of the subnets of adapter eth-a"));

    // When a second card reports the same address, both rows carry the conflict
    CFakeCard twin = foreign;
    twin.strMac = "00-1A-2B-3C-4D-5F";
    m_network.Deliver(DeviceInfoFrame(twin), "192.168.50.7", onEthA);
    EXPECT_EQ(list.GetNotes(0),
              static_cast<unsigned int>(NOTE_OTHER_SUBNET | NOTE_ADDRESS_CONFLICT));
    EXPECT_EQ(list.GetNotes(1),
              static_cast<unsigned int>(NOTE_OTHER_SUBNET | NOTE_ADDRESS_CONFLICT));

    // A sweep of host addresses finds the same card without the subnet note
    SearchRange(0xC0A83207, 0xC0A83207);
    m_network.Deliver(DeviceInfoFrame(foreign, CMD_DEVICE_INFO), "192.168.50.7", onEthA);
    EXPECT_EQ(list.GetNotes(0), static_cast<unsigned int>(NOTE_NONE));
    EXPECT_TRUE(m_core.CheckDeviceReachable(0));
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
    [](const ::testing::TestParamInfo<SErrorReplyCase>& tested) { return tested.param.pszName; });

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
