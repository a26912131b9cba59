// Simulated cards: device-information encodings, generated fleets, passwords, applied settings.
#include "SimCard.h"

#include "CardFrame.h"

#include <LmVarData/VarData.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

using namespace CardProtocol;

namespace {

// The DataType byte of every item of an encoded device-information frame, by identifier.
std::map<int, int> WireTypes(const CSimCard& card)
{
    CardFrame::FrameBuffer frame;
    const int length = CardFrame::Encode(frame, CCardFrameHeader(), card.DeviceInfo());
    std::map<int, int> types;
    for (int pos = HEADER_SIZE;
         pos + 4 <= length && !(frame[pos] == 0xFF && frame[pos + 1] == 0xFF);
         pos += 4 + frame[pos + 3])
        types[frame[pos] | frame[pos + 1] << 8] = frame[pos + 2];
    return types;
}

} // namespace

class CSimCardTest : public ::testing::Test
{
protected:
    CSimCard m_card = GenerateSimCards(1).front();
};

TEST_F(CSimCardTest, DeviceInfoUsesTheCardsIntegerEncoding)
{
    const struct
    {
        SimIntEncoding encoding;
        int version, flag, port;
    } cases[] = {
        {SimIntEncoding::Byte, VD_BYTE, VD_char, VD_WORD},
        {SimIntEncoding::Word, VD_WORD, VD_WORD, VD_WORD},
        {SimIntEncoding::DWord, VD_int, VD_DWORD, VD_UINT},
    };
    for (const auto& c : cases) {
        m_card.encoding = c.encoding;
        const std::map<int, int> types = WireTypes(m_card);
        EXPECT_EQ(types.at(INFO_HW_VERSION), c.version);
        EXPECT_EQ(types.at(INFO_DHCP), c.flag);
        EXPECT_EQ(types.at(INFO_TELNET_PORT), c.port);
        EXPECT_EQ(types.at(INFO_MAC), VD_Buffer);
        EXPECT_EQ(types.at(INFO_IP), VD_DWORD);
        EXPECT_EQ(types.at(INFO_ADMIN_PASSWORD), VD_Buffer);
        const std::set<int> ids = {1, 2, 3, 4, 5, 6, 11, 12, 13, 15, 16, 17, 20, 21, 22, 23};
        std::set<int> present;
        for (const auto& t : types)
            present.insert(t.first);
        EXPECT_EQ(present, ids);
    }
}

TEST_F(CSimCardTest, DeviceInfoDecodesToTheCardsValues)
{
    m_card.encoding = SimIntEncoding::Byte;
    m_card.fwVersion = 300; // too large for a BYTE
    m_card.httpPort = 8080;
    CardFrame::FrameBuffer frame;
    const int length = CardFrame::Encode(frame, CCardFrameHeader(), m_card.DeviceInfo());
    CCardFrameHeader header;
    CVarDataGroup values;
    ASSERT_EQ(CardFrame::Parse(frame, static_cast<std::size_t>(length), header, values),
              CardFrame::PARSE_OK);

    EXPECT_EQ(values[INFO_FW_VERSION].Get_int(), 300);
    EXPECT_EQ(values[INFO_HTTP_PORT].Get_int(), 8080);
    EXPECT_EQ(values[INFO_IP].Get_DWORD(), ::inet_addr("192.168.1.10"));
    unsigned char id[DEVICE_ID_SIZE + 1] = {};
    ASSERT_EQ(values[INFO_DEVICE_ID].Get_Buffer(id, DEVICE_ID_SIZE), DEVICE_ID_SIZE);
    EXPECT_STREQ(reinterpret_cast<char*>(id), "4c454d4f-4e53-4000-8000-001a2b000001");
}

TEST_F(CSimCardTest, GeneratedFleetIsDeterministicAndDistinct)
{
    const std::vector<CSimCard> cards = GenerateSimCards(2000);
    ASSERT_EQ(cards.size(), 2000u);
    std::set<std::string> macs;
    for (const CSimCard& card : cards) {
        char text[MAC_TEXT_SIZE];
        macs.insert(FormatMac(card.mac, text));
    }
    EXPECT_EQ(macs.size(), 2000u);
    EXPECT_EQ(*macs.begin(), "00-1A-2B-00-00-01");
    EXPECT_EQ(*macs.rbegin(), "00-1A-2B-00-07-D0");
    EXPECT_EQ(cards[200].ip, ::inet_addr("192.168.2.10"));
    EXPECT_EQ(cards[200].gateway, ::inet_addr("192.168.2.1"));
    EXPECT_EQ(cards[1].encoding, SimIntEncoding::Word);
    EXPECT_EQ(GenerateSimCards(3)[2].fwVersion, cards[2].fwVersion);
}

TEST_F(CSimCardTest, OnlyTheCardsPasswordIsAccepted)
{
    const struct
    {
        const char* cardPassword;
        const char* sent;
        bool accepted;
    } cases[] = {
        {"lemon", "lemon", true},
        {"lemon", "lemo", false},
        {"lemon", "lemon2", false},
        {"lemon", "", false},
        {"", "", true},
        // Only 16 bytes travel, so a longer password is checked on its first 16.
        {"a-password-of-twenty", "a-password-of-tw", true},
        {"a-password-of-twenty", "a-password-of-t", false},
    };
    for (const auto& c : cases) {
        m_card.password = c.cardPassword;
        CCardFrameHeader header;
        CardFrame::SetPassword(header, c.sent);
        EXPECT_EQ(m_card.AcceptsPassword(header.Password), c.accepted)
            << c.cardPassword << " / " << c.sent;
    }
}

TEST_F(CSimCardTest, AppliesDecodedSetRequest)
{
    CVarDataGroup values;
    values.Add(static_cast<unsigned long>(::inet_addr("10.77.1.50")), SET_IP);
    values.Add(static_cast<unsigned long>(::inet_addr("255.255.0.0")), SET_MASK);
    values.Add(static_cast<unsigned long>(::inet_addr("10.77.0.1")), SET_GATEWAY);
    values.Add(static_cast<char>(1), SET_DHCP);
    values.Add("new-secret", SET_GRIDMON_PASSWORD);
    values.Add(static_cast<unsigned long>(8080), SET_HTTP_PORT);
    values.Add(static_cast<char>(0), SET_TELNET_ENABLE);
    CardFrame::FrameBuffer frame;
    const int length =
        CardFrame::BuildSetRequest(frame, true, std::tm{}, "lemon", m_card.mac, values);
    CCardFrameHeader header;
    CVarDataGroup decoded;
    ASSERT_EQ(CardFrame::Parse(frame, static_cast<std::size_t>(length), header, decoded),
              CardFrame::PARSE_OK);

    EXPECT_FALSE(m_card.Apply(decoded));
    EXPECT_EQ(m_card.ip, ::inet_addr("10.77.1.50"));
    EXPECT_EQ(m_card.mask, ::inet_addr("255.255.0.0"));
    EXPECT_EQ(m_card.dhcp, 1);
    EXPECT_EQ(m_card.gridmonPassword, "new-secret");
    EXPECT_EQ(m_card.httpPort, 8080);
    EXPECT_EQ(m_card.telnetEnable, 0);

    const CVarDataGroup ack = m_card.Acknowledgement();
    EXPECT_EQ(ack[ACK_GATEWAY].Get_DWORD(), ::inet_addr("10.77.0.1"));

    CVarDataGroup restart;
    restart.Add(static_cast<char>(1), MakeValueId(CMD_SET_PARAMS, SET_RESTART));
    EXPECT_TRUE(m_card.Apply(restart));
}
