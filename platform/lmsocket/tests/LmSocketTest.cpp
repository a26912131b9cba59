// SPDX-License-Identifier: GPL-3.0-or-later
// CLmSocket on real sockets inside a private network namespace: delivery, port conflicts,
// broadcast permission, bursts, and closing or destroying from inside onReceive.
#include "LmSocket.h"

#include "NetworkIsolation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct CReceived
{
    std::string data;
    std::string address;
    unsigned int port;
};

class CRecordingSocket : public CLmSocket
{
public:
    int onReceive(const unsigned char* data, int size, const char* address,
                  unsigned int port) override
    {
        m_received.push_back(
            {std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)),
             address, port});
        if (m_onReceive)
            m_onReceive();
        return 0;
    }

    std::vector<CReceived> m_received;
    std::function<void()> m_onReceive;
};

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

int Send(CLmSocket& socket, const std::string& text, const char* address, unsigned int port)
{
    return socket.SendTo(reinterpret_cast<const unsigned char*>(text.data()), text.size(), address,
                         port, 0xFFFFFFFF);
}

} // namespace

class CLmSocketTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_receiver.CreateSocket(16789, CLmSocket::TYPE_DGRAM, 0), 1);
        ASSERT_EQ(m_sender.CreateSocket(16788, CLmSocket::TYPE_DGRAM, 0), 1);
    }

    CRecordingSocket m_receiver;
    CRecordingSocket m_sender;
};

TEST_F(CLmSocketTest, DeliversDatagramWithSender)
{
    EXPECT_EQ(Send(m_sender, "hello", "127.0.0.1", 16789), 5);

    ASSERT_TRUE(WaitFor([&] { return !m_receiver.m_received.empty(); }));
    EXPECT_EQ(m_receiver.m_received[0].data, "hello");
    EXPECT_EQ(m_receiver.m_received[0].address, "127.0.0.1");
    EXPECT_EQ(m_receiver.m_received[0].port, 16788u);
}

TEST_F(CLmSocketTest, RefusesPortInUseAndWrongType)
{
    CRecordingSocket second;
    EXPECT_EQ(second.CreateSocket(16789, CLmSocket::TYPE_DGRAM, CLmSocket::OPT_BROADCAST), 0);
    EXPECT_EQ(second.CreateSocket(16790, 1, 0), 0);
    EXPECT_EQ(Send(second, "x", "127.0.0.1", 16789), 0);
    second.SetBindAddress("not an address");
    EXPECT_EQ(second.CreateSocket(16790, CLmSocket::TYPE_DGRAM, 0), 0);
}

TEST_F(CLmSocketTest, SendsBroadcastWithoutBroadcastOption)
{
    // Linux refuses broadcasts on a socket without SO_BROADCAST; a directed broadcast must
    // still leave whatever options the caller passed.
    EXPECT_EQ(Send(m_sender, "to all", "127.255.255.255", 16789), 6);
    ASSERT_TRUE(WaitFor([&] { return !m_receiver.m_received.empty(); }));
    EXPECT_EQ(m_receiver.m_received[0].data, "to all");
}

TEST_F(CLmSocketTest, RefusesBadDestinations)
{
    EXPECT_EQ(Send(m_sender, "x", "not.an.address", 16789), 0);
    EXPECT_EQ(Send(m_sender, "x", "", 16789), 0);
    EXPECT_EQ(m_sender.SendTo(nullptr, 1, "127.0.0.1", 16789, 0), 0);
    EXPECT_EQ(Send(m_sender, "x", "127.0.0.1", 70000), 0);
}

TEST_F(CLmSocketTest, KeepsABurstOfTwoThousandReplies)
{
    if (::geteuid() == 0) {
        EXPECT_GE(m_receiver.GetReceiveBufferSize(), CLmSocket::RECEIVE_BUFFER_SIZE);
    }
    const std::string reply(200, 'r');
    // No event processing while sending: everything waits in the receive buffer.
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(Send(m_sender, reply, "127.0.0.1", 16789), 200);

    EXPECT_TRUE(WaitFor([&] { return m_receiver.m_received.size() == 2000; }))
        << m_receiver.m_received.size() << " of 2000 received";
}

TEST_F(CLmSocketTest, TimersRunBetweenBatchesOfAFlood)
{
    // A timer that falls due while datagrams keep coming (a sweep's tick under a flood) must
    // run before the last of them is handled.
    std::size_t nAtTimer = 0;
    m_receiver.m_onReceive = [&] {
        if (m_receiver.m_received.size() == 1)
            QTimer::singleShot(0, [&] { nAtTimer = m_receiver.m_received.size(); });
    };
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(Send(m_sender, "flood", "127.0.0.1", 16789), 5);

    ASSERT_TRUE(WaitFor([&] { return m_receiver.m_received.size() == 2000 && nAtTimer > 0; }));
    EXPECT_LT(nAtTimer, 2000u);
    // And the socket still hears what comes after the flood.
    ASSERT_EQ(Send(m_sender, "after", "127.0.0.1", 16789), 5);
    ASSERT_TRUE(WaitFor([&] { return m_receiver.m_received.size() == 2001; }));
    EXPECT_EQ(m_receiver.m_received.back().data, "after");
}

TEST_F(CLmSocketTest, CloseStopsReceiving)
{
    m_receiver.m_onReceive = [this] { m_receiver.Close(); };
    Send(m_sender, "one", "127.0.0.1", 16789);
    Send(m_sender, "two", "127.0.0.1", 16789);

    ASSERT_TRUE(WaitFor([&] { return !m_receiver.m_received.empty(); }));
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(m_receiver.m_received.size(), 1u);
    EXPECT_EQ(m_receiver.GetLocalPort(), 0u);
    EXPECT_EQ(m_receiver.Close(), 0);
    EXPECT_EQ(Send(m_receiver, "x", "127.0.0.1", 16788), 0);
}

TEST_F(CLmSocketTest, SurvivesDestructionFromOnReceive)
{
    auto* doomed = new CRecordingSocket;
    ASSERT_EQ(doomed->CreateSocket(16800, CLmSocket::TYPE_DGRAM, 0), 1);
    int calls = 0;
    doomed->m_onReceive = [&calls, doomed] {
        ++calls;
        delete doomed;
    };
    for (int i = 0; i < 3; ++i)
        Send(m_sender, "x", "127.0.0.1", 16800);

    WaitFor([&] { return calls > 0; });
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(calls, 1);
}

int main(int argc, char** argv)
{
    NetworkIsolation::Require("lmsocket_netns_tests");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
