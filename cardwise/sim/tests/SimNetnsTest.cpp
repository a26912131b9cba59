// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceSocket against the real cardwise-sim over loopback, inside a private network
// namespace: searches, the Subnet-scope broadcast, set requests, restarts and sim errors.
#include "CardProtocol.h"
#include "DeviceSocket.h"
#include "FakeDeviceSocket.h"
#include "NetworkIsolation.h"
#include "SimProcess.h"

#include <LmVarData/VarData.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace CardProtocol;

namespace {

bool WaitFor(const std::function<bool()>& fnDone, int nMs = 5000)
{
    QDeadlineTimer deadline(nMs);
    while (!fnDone() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return fnDone();
}

// Lets everything in flight arrive; used only to show that something does NOT arrive.
void Settle(int nMs)
{
    WaitFor([] { return false; }, nMs);
}

const QString SIM = QStringLiteral(CARDWISE_SIM_PATH);

CVarDataGroup NewSettings(const char* pszIp, bool bRestart)
{
    CVarDataGroup values;
    values.Add(static_cast<unsigned long>(::inet_addr(pszIp)), SET_IP);
    values.Add(static_cast<unsigned long>(::inet_addr("255.255.255.0")), SET_MASK);
    values.Add(static_cast<unsigned long>(::inet_addr("10.9.9.1")), SET_GATEWAY);
    values.Add(static_cast<unsigned long>(8080), SET_HTTP_PORT);
    if (bRestart)
        values.Add(static_cast<char>(1), SET_RESTART);
    return values;
}

} // namespace

class CDeviceSocketSimTest : public ::testing::Test
{
protected:
    CRecordingOwner m_owner;
    CDeviceSocket m_socket{&m_owner};
};

TEST_F(CDeviceSocketSimTest, SearchFindsEverySimulatedCard)
{
    CSimProcess sim(SIM, {"--cards", "500", "--reply-jitter-ms", "100"});
    ASSERT_FALSE(sim.WaitReady().isEmpty());
    ASSERT_NE(m_socket.OpenSocket(1), 0);

    m_socket.SendSearch("127.0.0.1", PORT_CARD);

    ASSERT_TRUE(WaitFor([&] { return m_owner.LatestByMac().size() == 500; }))
        << m_owner.LatestByMac().size() << " of 500 cards found";
    EXPECT_EQ(m_owner.LatestByMac().at("00-1A-2B-00-01-F4").nFwVer, 699);
    const CVarDataGroup* pParams = m_socket.FindDeviceParams("00-1A-2B-00-00-01");
    ASSERT_NE(pParams, nullptr);
    EXPECT_EQ(CommandOf(pParams->GetAt(0).GetID()), CMD_DEVICE_INFO);
    EXPECT_EQ(pParams->GetSize(), 16);
}

TEST_F(CDeviceSocketSimTest, SubnetScopeSearchReachesCardsByBroadcast)
{
    CSimProcess sim(SIM, {"--cards", "5", "--bind", "0.0.0.0"});
    ASSERT_FALSE(sim.WaitReady().isEmpty());
    // Subnet scope opens without the broadcast flag; the directed broadcast must still leave.
    ASSERT_NE(m_socket.OpenSocket(0), 0);

    m_socket.SendSearch("127.255.255.255", PORT_CARD);

    ASSERT_TRUE(WaitFor([&] { return m_owner.LatestByMac().size() == 5; }));
    const CVarDataGroup* pParams = m_socket.FindDeviceParams("00-1A-2B-00-00-05");
    ASSERT_NE(pParams, nullptr);
    EXPECT_EQ(CommandOf(pParams->GetAt(0).GetID()), CMD_DEVICE_INFO_BROADCAST);
}

TEST_F(CDeviceSocketSimTest, CardsOfTheirOwnAddressAnswerWhatReachesThem)
{
    // Inside the namespace all of 127.0.0.0/8 is local: three hosts on one endpoint.
    CSimProcess sim(SIM, {"--cards", "3", "--first-address", "127.1.0.1", "--bind", "0.0.0.0"});
    ASSERT_FALSE(sim.WaitReady().isEmpty());
    ASSERT_NE(m_socket.OpenSocket(0), 0);
    m_socket.SetDirectedOnly(true);

    // A request to one card's address: that card answers, from there, and the reply names the
    // interface and the local address that received it.
    m_socket.SendSearch("127.1.0.2", PORT_CARD);
    ASSERT_TRUE(WaitFor([&] { return !m_owner.m_arrDetails.empty(); }));
    Settle(100);
    ASSERT_EQ(m_owner.LatestByMac().size(), 1u);
    const CRecordingOwner::CDeviceCall card = m_owner.LatestByMac().at("00-1A-2B-00-00-02");
    EXPECT_EQ(card.dwSource, ::inet_addr("127.1.0.2"));
    EXPECT_EQ(card.strIp, "127.1.0.2");
    EXPECT_EQ(m_owner.m_arrDetails[0].strInterface, "lo");
    EXPECT_EQ(m_owner.m_arrDetails[0].dwLocalAddress, ::inet_addr("127.0.0.1"));

    // An address that no card has gets no answer; a broadcast reaches all three.
    m_socket.SendSearch("127.1.0.9", PORT_CARD);
    m_socket.SendSearch("127.255.255.255", PORT_CARD);
    ASSERT_TRUE(WaitFor([&] { return m_owner.LatestByMac().size() == 3; }));
    EXPECT_EQ(m_owner.LatestByMac().at("00-1A-2B-00-00-03").dwSource, ::inet_addr("127.1.0.3"));
}

TEST_F(CDeviceSocketSimTest, RightPasswordSetsAndRestartsTheCard)
{
    CSimProcess sim(SIM, {"--cards", "3", "--restart-ms", "1500"});
    ASSERT_FALSE(sim.WaitReady().isEmpty());
    ASSERT_NE(m_socket.OpenSocket(1), 0);
    const unsigned char arrMac[] = {0x00, 0x1A, 0x2B, 0x00, 0x00, 0x02};

    EXPECT_GT(m_socket.SendSetParams(arrMac, NewSettings("10.9.9.9", true), "lemon", "127.0.0.1",
                                     PORT_CARD),
              0);

    ASSERT_TRUE(WaitFor([&] { return m_owner.LatestByMac().count("00-1A-2B-00-00-02") == 1; }));
    const CRecordingOwner::CDeviceCall acknowledged = m_owner.LatestByMac().at("00-1A-2B-00-00-02");
    EXPECT_EQ(acknowledged.strIp, "10.9.9.9");
    EXPECT_EQ(acknowledged.nHwVer, -1);
    EXPECT_TRUE(m_owner.m_arrStatuses.empty());

    // Given the card restarts, when searched at once, then only the other two answer.
    m_owner.m_arrDevices.clear();
    m_socket.SendSearch("", PORT_CARD);
    ASSERT_TRUE(WaitFor([&] { return m_owner.LatestByMac().size() == 2; }));
    Settle(200);
    EXPECT_EQ(m_owner.LatestByMac().count("00-1A-2B-00-00-02"), 0u);

    // When it is back, it answers with its new settings.
    QDeadlineTimer nextSearch(0);
    ASSERT_TRUE(WaitFor(
        [&] {
            if (nextSearch.hasExpired()) {
                m_socket.SendSearch("", PORT_CARD);
                nextSearch.setRemainingTime(100);
            }
            return m_owner.LatestByMac().count("00-1A-2B-00-00-02") == 1;
        },
        10000));
    EXPECT_EQ(m_owner.LatestByMac().at("00-1A-2B-00-00-02").strIp, "10.9.9.9");
    const CVarDataGroup* pParams = m_socket.FindDeviceParams("00-1A-2B-00-00-02");
    ASSERT_NE(pParams, nullptr);
    EXPECT_EQ((*pParams)[MakeValueId(CMD_DEVICE_INFO, INFO_HTTP_PORT)].Get_int(), 8080);
}

TEST_F(CDeviceSocketSimTest, WrongPasswordGetsErrorReply)
{
    CSimProcess sim(SIM, {"--cards", "2"});
    ASSERT_FALSE(sim.WaitReady().isEmpty());
    ASSERT_NE(m_socket.OpenSocket(1), 0);
    const unsigned char arrMac[] = {0x00, 0x1A, 0x2B, 0x00, 0x00, 0x01};

    m_socket.SendSetParams(arrMac, NewSettings("10.9.9.9", false), "lemons", "127.0.0.1",
                           PORT_CARD);

    ASSERT_TRUE(WaitFor([&] { return !m_owner.m_arrStatuses.empty(); }));
    EXPECT_EQ(m_owner.m_arrStatuses[0], std::make_pair(0, std::string("Password Error")));
    m_socket.SendSearch("", PORT_CARD);
    ASSERT_TRUE(WaitFor([&] { return m_owner.LatestByMac().size() == 2; }));
    EXPECT_EQ(m_owner.LatestByMac().at("00-1A-2B-00-00-01").strIp, "192.168.1.10");
}

// The bad network the simulator makes on request: every request lost, every reply twice, the
// answers to a search in a shuffled order.
TEST_F(CDeviceSocketSimTest, ChaosOptionsShapeTheReplies)
{
    const struct
    {
        QStringList arrArguments;
        std::size_t nReports; // device reports for one search of 20 cards
        bool bInCardOrder;
    } arrCases[] = {
        {{"--loss", "1"}, 0, true},
        {{"--duplicate", "1"}, 40, true},
        {{"--reorder"}, 20, false},
    };
    for (const auto& c : arrCases) {
        CSimProcess sim(SIM, QStringList{"--cards", "20"} + c.arrArguments);
        ASSERT_FALSE(sim.WaitReady().isEmpty());
        CRecordingOwner owner;
        CDeviceSocket socket(&owner);
        ASSERT_NE(socket.OpenSocket(1), 0);

        socket.SendSearch("127.0.0.1", PORT_CARD);

        WaitFor([&] { return owner.m_arrDevices.size() >= c.nReports && c.nReports > 0; }, 3000);
        Settle(200);
        const QString strCase = c.arrArguments.join(' ');
        ASSERT_EQ(owner.m_arrDevices.size(), c.nReports) << strCase.toStdString();
        const bool bInOrder =
            std::is_sorted(owner.m_arrDevices.begin(), owner.m_arrDevices.end(),
                           [](const auto& a, const auto& b) { return a.strMac < b.strMac; });
        EXPECT_EQ(bInOrder, c.bInCardOrder) << strCase.toStdString();
        socket.Close();
    }
}

TEST_F(CDeviceSocketSimTest, SimulatorReportsUnusableEndpointAndBadArguments)
{
    CSimProcess first(SIM, {"--cards", "1"});
    ASSERT_FALSE(first.WaitReady().isEmpty());

    const struct
    {
        QStringList arrArguments;
        int nExitCode;
        const char* pszMessage;
    } arrCases[] = {
        {{"--cards", "1"}, 2, "port in use"},
        {{"--bind", "10.255.0.1", "--port", "16800"}, 2, "cannot listen on 10.255.0.1:16800"},
        // Usage errors (the unit tests hold the rest): one of the arguments, one of the file.
        {{"--cards", "0"}, 1, "--cards"},
        {{"--config", "/nonexistent/cards.json"}, 1, "/nonexistent/cards.json"},
    };
    for (const auto& c : arrCases) {
        CSimProcess sim(SIM, c.arrArguments);
        ASSERT_TRUE(sim.Process().waitForFinished(10000));
        EXPECT_EQ(sim.Process().exitCode(), c.nExitCode) << c.pszMessage;
        EXPECT_TRUE(sim.ErrorText().contains(c.pszMessage)) << c.pszMessage;
    }
}

int main(int argc, char** argv)
{
    NetworkIsolation::Require("cardwise_sim_netns_tests");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
