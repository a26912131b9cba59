// SPDX-License-Identifier: GPL-3.0-or-later
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
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::Encode(arrFrame, CCardFrameHeader(), card.DeviceInfo());
    std::map<int, int> mapTypes;
    for (int nPos = HEADER_SIZE;
         nPos + 4 <= nLength && !(arrFrame[nPos] == 0xFF && arrFrame[nPos + 1] == 0xFF);
         nPos += 4 + arrFrame[nPos + 3])
        mapTypes[arrFrame[nPos] | arrFrame[nPos + 1] << 8] = arrFrame[nPos + 2];
    return mapTypes;
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
        SimIntEncoding nEncoding;
        int nVersion, nFlag, nPort;
    } arrCases[] = {
        {SimIntEncoding::Byte, VD_BYTE, VD_char, VD_WORD},
        {SimIntEncoding::Word, VD_WORD, VD_WORD, VD_WORD},
        {SimIntEncoding::DWord, VD_int, VD_DWORD, VD_UINT},
    };
    for (const auto& c : arrCases) {
        m_card.nEncoding = c.nEncoding;
        const std::map<int, int> mapTypes = WireTypes(m_card);
        EXPECT_EQ(mapTypes.at(INFO_HW_VERSION), c.nVersion);
        EXPECT_EQ(mapTypes.at(INFO_DHCP), c.nFlag);
        EXPECT_EQ(mapTypes.at(INFO_TELNET_PORT), c.nPort);
        EXPECT_EQ(mapTypes.at(INFO_MAC), VD_Buffer);
        EXPECT_EQ(mapTypes.at(INFO_IP), VD_DWORD);
        EXPECT_EQ(mapTypes.at(INFO_ADMIN_PASSWORD), VD_Buffer);
        const std::set<int> arrIds = {1, 2, 3, 4, 5, 6, 11, 12, 13, 15, 16, 17, 20, 21, 22, 23};
        std::set<int> arrPresent;
        for (const auto& t : mapTypes)
            arrPresent.insert(t.first);
        EXPECT_EQ(arrPresent, arrIds);
    }
}

TEST_F(CSimCardTest, DeviceInfoDecodesToTheCardsValues)
{
    m_card.nEncoding = SimIntEncoding::Byte;
    m_card.nFwVersion = 300; // too large for a BYTE
    m_card.nHttpPort = 8080;
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::Encode(arrFrame, CCardFrameHeader(), m_card.DeviceInfo());
    CCardFrameHeader header;
    CVarDataGroup values;
    ASSERT_EQ(CardFrame::Parse(arrFrame, static_cast<std::size_t>(nLength), header, values),
              CardFrame::PARSE_OK);

    EXPECT_EQ(values[INFO_FW_VERSION].Get_int(), 300);
    EXPECT_EQ(values[INFO_HTTP_PORT].Get_int(), 8080);
    EXPECT_EQ(values[INFO_IP].Get_DWORD(), ::inet_addr("192.168.1.10"));
    unsigned char arrId[DEVICE_ID_SIZE + 1] = {};
    ASSERT_EQ(values[INFO_DEVICE_ID].Get_Buffer(arrId, DEVICE_ID_SIZE), DEVICE_ID_SIZE);
    EXPECT_STREQ(reinterpret_cast<char*>(arrId), "4c454d4f-4e53-4000-8000-001a2b000001");
}

TEST_F(CSimCardTest, GeneratedFleetIsDeterministicAndDistinct)
{
    const std::vector<CSimCard> arrCards = GenerateSimCards(2000);
    ASSERT_EQ(arrCards.size(), 2000u);
    std::set<std::string> arrMacs;
    for (const CSimCard& card : arrCards) {
        char szText[MAC_TEXT_SIZE];
        arrMacs.insert(FormatMac(card.arrMac, szText));
    }
    EXPECT_EQ(arrMacs.size(), 2000u);
    EXPECT_EQ(*arrMacs.begin(), "00-1A-2B-00-00-01");
    EXPECT_EQ(*arrMacs.rbegin(), "00-1A-2B-00-07-D0");
    EXPECT_EQ(arrCards[200].dwIp, ::inet_addr("192.168.2.10"));
    EXPECT_EQ(arrCards[200].dwGateway, ::inet_addr("192.168.2.1"));
    EXPECT_EQ(arrCards[1].nEncoding, SimIntEncoding::Word);
    EXPECT_EQ(GenerateSimCards(3)[2].nFwVersion, arrCards[2].nFwVersion);
}

TEST_F(CSimCardTest, OnlyTheCardsPasswordIsAccepted)
{
    const struct
    {
        const char* pszCardPassword;
        const char* pszSent;
        bool bAccepted;
    } arrCases[] = {
        {"lemon", "lemon", true},
        {"lemon", "lemo", false},
        {"lemon", "lemon2", false},
        {"lemon", "", false},
        {"", "", true},
        // Only 16 bytes travel, so a longer password is checked on its first 16.
        {"a-password-of-twenty", "a-password-of-tw", true},
        {"a-password-of-twenty", "a-password-of-t", false},
    };
    for (const auto& c : arrCases) {
        m_card.strPassword = c.pszCardPassword;
        CCardFrameHeader header;
        CardFrame::SetPassword(header, c.pszSent);
        EXPECT_EQ(m_card.AcceptsPassword(header.Password), c.bAccepted)
            << c.pszCardPassword << " / " << c.pszSent;
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
    CardFrame::FrameBuffer arrFrame;
    const int nLength =
        CardFrame::BuildSetRequest(arrFrame, true, std::tm{}, "lemon", m_card.arrMac, values);
    CCardFrameHeader header;
    CVarDataGroup decoded;
    ASSERT_EQ(CardFrame::Parse(arrFrame, static_cast<std::size_t>(nLength), header, decoded),
              CardFrame::PARSE_OK);

    EXPECT_FALSE(m_card.Apply(decoded));
    EXPECT_EQ(m_card.dwIp, ::inet_addr("10.77.1.50"));
    EXPECT_EQ(m_card.dwMask, ::inet_addr("255.255.0.0"));
    EXPECT_EQ(m_card.nDhcp, 1);
    EXPECT_EQ(m_card.strGridmonPassword, "new-secret");
    EXPECT_EQ(m_card.nHttpPort, 8080);
    EXPECT_EQ(m_card.nTelnetEnable, 0);

    const CVarDataGroup ack = m_card.Acknowledgement();
    EXPECT_EQ(ack[ACK_GATEWAY].Get_DWORD(), ::inet_addr("10.77.0.1"));

    CVarDataGroup restart;
    restart.Add(static_cast<char>(1), MakeValueId(CMD_SET_PARAMS, SET_RESTART));
    EXPECT_TRUE(m_card.Apply(restart));
}
