// SPDX-License-Identifier: GPL-3.0-or-later
// MAC and address texts, and the broadcast rule of request targets.
#include "CardProtocol.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace CardProtocol;

TEST(CardProtocolTest, ParsesMacTexts)
{
    const struct
    {
        const char* pszText;
        int nOk;
        unsigned char arrMac[6];
    } arrCases[] = {
        {"00-1A-2B-3C-4D-5E", 1, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        {"00:1a:2b:3c:4d:5e", 1, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        {"00-1A-2B-3C-4D", 0, {}},
        {"00-1A-2B-3C-4D-5E-", 0, {}},
        {"00-1A-2B-3C-4D-5G", 0, {}},
        {"0-1A-2B-3C-4D-5E", 0, {}},
        {"", 0, {}},
    };
    for (const auto& c : arrCases) {
        unsigned char arrMac[6] = {9, 9, 9, 9, 9, 9};
        EXPECT_EQ(ParseMac(c.pszText, arrMac), c.nOk) << c.pszText;
        if (c.nOk) {
            EXPECT_EQ(std::memcmp(arrMac, c.arrMac, 6), 0) << c.pszText;
        } else {
            EXPECT_EQ(arrMac[0], 9) << c.pszText;
        }
    }
}

TEST(CardProtocolTest, FormatsAddressInOctetOrder)
{
    const unsigned char arrOctets[] = {192, 168, 1, 10};
    std::uint32_t dwAddress;
    std::memcpy(&dwAddress, arrOctets, sizeof dwAddress);
    char szText[ADDRESS_TEXT_SIZE];
    EXPECT_STREQ(FormatAddress(dwAddress, szText), "192.168.1.10");
    EXPECT_STREQ(FormatAddress(0xFFFFFFFFu, szText), "255.255.255.255");
}

TEST(CardProtocolTest, BroadcastTargetIsAnyTextContaining255)
{
    EXPECT_TRUE(IsBroadcastTarget("192.168.1.255"));
    EXPECT_TRUE(IsBroadcastTarget("10.0.255.7"));
    EXPECT_TRUE(IsBroadcastTarget("10.255.0.1"));
    EXPECT_TRUE(IsBroadcastTarget("255.255.255.255"));
    EXPECT_FALSE(IsBroadcastTarget("192.168.1.20"));
    EXPECT_FALSE(IsBroadcastTarget("10.25.5.1"));
    EXPECT_FALSE(IsBroadcastTarget(""));
    EXPECT_FALSE(IsBroadcastTarget(nullptr));
}
