// SPDX-License-Identifier: GPL-3.0-or-later
// The batch sender: many cards at once but one request at a time to each, one retry for a
// lost acknowledgement, and only the replies of cards with a request out count. The batch run
// over the core: results from the answers and from reading back.
#include "BatchApply.h"

#include "CardFrame.h"
#include "CoreFakes.h"
#include "FakeDeviceSocket.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

class CBatchSenderTest : public ::testing::Test
{
protected:
    CBatchSenderTest() : m_sender(m_timers, [this] { return m_nNowMs; }) {}

    void Start(int nCards)
    {
        std::vector<CBatchSender::SJob> arrJobs;
        for (int i = 0; i < nCards; ++i) {
            CBatchSender::SJob job;
            job.arrMac[4] = static_cast<unsigned char>(i / 256);
            job.arrMac[5] = static_cast<unsigned char>(i % 256);
            job.grpSend.Add(static_cast<char>(1), CardProtocol::SET_SNMP_ENABLE);
            job.strPassword = "lemon";
            job.arrTargets = {QStringLiteral("10.0.0.255")};
            arrJobs.push_back(job);
        }
        m_socket.OpenSocket(1);
        m_sender.Start(m_socket, std::move(arrJobs), [this] { ++m_nDoneCalls; });
    }
    static std::string MacOf(int nCard)
    {
        unsigned char arrMac[CardProtocol::MAC_SIZE] = {0,
                                                        0,
                                                        0,
                                                        0,
                                                        static_cast<unsigned char>(nCard / 256),
                                                        static_cast<unsigned char>(nCard % 256)};
        char szMac[CardProtocol::MAC_TEXT_SIZE];
        return CardProtocol::FormatMac(arrMac, szMac);
    }
    // The set requests sent so far, counted by the MAC in their header.
    std::map<std::string, int> SentByMac() const
    {
        std::map<std::string, int> mapSent;
        for (const CFakeDeviceSocket::CSent& sent : m_socket.m_arrSent) {
            CCardFrameHeader header;
            CVarDataGroup group;
            CardFrame::Parse(sent.arrFrame.data(), sent.arrFrame.size(), header, group);
            char szMac[CardProtocol::MAC_TEXT_SIZE];
            ++mapSent[CardProtocol::FormatMac(header.MAC, szMac)];
        }
        return mapSent;
    }
    void Tick(std::int64_t nAdvanceMs)
    {
        m_nNowMs += nAdvanceMs;
        m_sender.OnTimer();
    }

    CSteppedTimerHost m_timers;
    std::int64_t m_nNowMs = 1000;
    CFakeDeviceSocket m_socket{nullptr};
    CBatchSender m_sender;
    int m_nDoneCalls = 0;
};

TEST_F(CBatchSenderTest, SendsEachCardOnceAndNoMoreThanTheCapAtATime)
{
    constexpr int CARDS = CBatchSender::IN_FLIGHT_MAX + 8;
    Start(CARDS);
    EXPECT_TRUE(m_timers.IsActive(CBatchSender::TIMER_BATCH));
    EXPECT_EQ(m_socket.m_arrSent.size(), static_cast<std::size_t>(CBatchSender::IN_FLIGHT_MAX));
    for (int i = 0; i < CARDS; ++i) {
        // Card i's request went out before its acknowledgement, and only once.
        ASSERT_EQ(SentByMac()[MacOf(i)], 1) << i;
        m_sender.OnSetAcknowledged(MacOf(i).c_str());
    }
    EXPECT_EQ(m_socket.m_arrSent.size(), static_cast<std::size_t>(CARDS));
    EXPECT_EQ(m_nDoneCalls, 1);
    EXPECT_FALSE(m_sender.IsRunning());
    EXPECT_FALSE(m_timers.IsActive(CBatchSender::TIMER_BATCH));
    for (int i = 0; i < CARDS; ++i)
        EXPECT_EQ(m_sender.GetOutcome(static_cast<std::size_t>(i)),
                  CBatchSender::OUTCOME_ACKNOWLEDGED);
}

TEST_F(CBatchSenderTest, OneRetryForALostAcknowledgementThenNoAnswer)
{
    Start(3);
    m_sender.OnSetAcknowledged(MacOf(0).c_str());
    const std::string strMac1 = MacOf(1);
    unsigned char arrMac1[CardProtocol::MAC_SIZE] = {0, 0, 0, 0, 0, 1};
    m_sender.OnSetErrorReply(arrMac1);
    // Replies of cards without a request out change nothing.
    unsigned char arrMac0[CardProtocol::MAC_SIZE] = {};
    m_sender.OnSetErrorReply(arrMac0);
    m_sender.OnSetAcknowledged("00-00-00-00-00-63");

    Tick(CBatchSender::ANSWER_MS - 1);
    EXPECT_EQ(SentByMac()[MacOf(2)], 1);
    Tick(1);
    EXPECT_EQ(SentByMac()[MacOf(2)], 2);
    EXPECT_EQ(m_nDoneCalls, 0);
    Tick(CBatchSender::ANSWER_MS);
    EXPECT_EQ(SentByMac()[MacOf(2)], 2);
    EXPECT_EQ(m_nDoneCalls, 1);

    EXPECT_EQ(m_sender.GetOutcome(0), CBatchSender::OUTCOME_ACKNOWLEDGED);
    EXPECT_EQ(m_sender.GetOutcome(1), CBatchSender::OUTCOME_REJECTED);
    EXPECT_EQ(m_sender.GetOutcome(2), CBatchSender::OUTCOME_NO_ANSWER);
    EXPECT_EQ(SentByMac()[strMac1], 1);
}

TEST_F(CBatchSenderTest, StopSendsNothingMore)
{
    Start(CBatchSender::IN_FLIGHT_MAX + 1);
    m_sender.Stop();
    m_sender.OnSetAcknowledged(MacOf(0).c_str());
    Tick(CBatchSender::ANSWER_MS);
    EXPECT_EQ(m_socket.m_arrSent.size(), static_cast<std::size_t>(CBatchSender::IN_FLIGHT_MAX));
    EXPECT_FALSE(m_timers.IsActive(CBatchSender::TIMER_BATCH));
    EXPECT_EQ(m_sender.GetOutcome(0), CBatchSender::OUTCOME_WAITING);
    EXPECT_EQ(m_nDoneCalls, 0);
}

TEST_F(CBatchSenderTest, NoCardsIsDoneAtOnce)
{
    Start(0);
    EXPECT_EQ(m_nDoneCalls, 1);
    EXPECT_TRUE(m_socket.m_arrSent.empty());
}

// Two cards found in a subnet; A acknowledges and reads back its new value, B refuses the
// password. The read-back search starts on a tick, not inside the last answer's delivery.
TEST(CBatchRunTest, ResultsComeFromTheAnswersAndTheReadBack)
{
    CRecordingView view;
    CSteppedTimerHost timers;
    CFakeNetwork network;
    CAssistantServices services;
    services.fnCreateSocket = network.Factory();
    services.fnGetAdapters = [] { return std::vector<CAdapterAddress>(); };
    CAssistantCore core(view, timers, services);
    view.m_pCore = &core;
    view.m_nScopeRadio = CAssistantCore::SCOPE_SUBNET;
    core.OnScopeChanged();
    view.m_mapAddress[CAssistantView::IDC_ADDRESS] = 0xC0A80100;

    CFakeCard a;
    CFakeCard b;
    b.strMac = "00-1A-2B-3C-4D-5F";
    b.strIp = "192.168.1.21";
    core.OnSearch();
    network.Deliver(DeviceInfoFrame(a), a.strIp.c_str());
    network.Deliver(DeviceInfoFrame(b), b.strIp.c_str());
    RunTimer(core, timers, CAssistantCore::TIMER_SWEEP, 1000);

    CBatchPlan plan;
    SPlanProblems problems;
    std::vector<SFoundCard> arrFound;
    for (const CFakeCard* pCard : {&a, &b})
        arrFound.push_back({QString::fromStdString(pCard->strMac),
                            QString::fromStdString(pCard->strIp),
                            core.GetSocket()->FindDeviceParams(pCard->strMac.c_str())});
    ASSERT_TRUE(plan.Parse("MAC,HTTP Port\n*,8080\n", problems));
    ASSERT_TRUE(plan.Prepare(arrFound, {}, false, problems));

    CBatchRun run(core, timers, [] { return std::int64_t{0}; });
    int nDone = 0;
    run.Start(plan.GetCards(), QStringLiteral("lemon"), false, [&nDone] { ++nDone; });
    EXPECT_EQ(run.GetSentTotal(), 2);
    network.Deliver(ErrorFrame(true, b.strMac), b.strIp.c_str());
    network.Deliver(AckFrame(a), a.strIp.c_str());
    EXPECT_EQ(network.m_nCreated, 1);
    EXPECT_EQ(run.GetPhase(), CBatchRun::PHASE_RESTART_WAIT);

    run.OnTimer(CBatchRun::TIMER_RUN);
    EXPECT_EQ(run.GetPhase(), CBatchRun::PHASE_READ_BACK);
    EXPECT_EQ(network.m_nCreated, 2);
    a.nHttpPort = 8080;
    network.Deliver(DeviceInfoFrame(a), a.strIp.c_str());
    network.Deliver(DeviceInfoFrame(b), b.strIp.c_str());
    RunTimer(core, timers, CAssistantCore::TIMER_SWEEP, 1000);
    run.OnTimer(CBatchRun::TIMER_RUN);

    EXPECT_EQ(nDone, 1);
    ASSERT_EQ(run.GetResults().size(), 2u);
    EXPECT_EQ(run.GetResults()[0], APPLY_VERIFIED);
    EXPECT_EQ(run.GetResults()[1], APPLY_PASSWORD_REJECTED);
    EXPECT_EQ(run.GetCards()[0].arrChanges[0].strRead, "8080");
    EXPECT_FALSE(timers.IsActive(CBatchRun::TIMER_RUN));
}

} // namespace
