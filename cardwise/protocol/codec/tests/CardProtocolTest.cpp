// MAC and address texts, and the broadcast rule of request targets.
#include "CardProtocol.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace CardProtocol;

TEST(CardProtocolTest, ParsesMacTexts)
{
    const struct
    {
        const char* text;
        int ok;
        unsigned char mac[6];
    } cases[] = {
        {"00-1A-2B-3C-4D-5E", 1, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        {"00:1a:2b:3c:4d:5e", 1, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
        {"00-1A-2B-3C-4D", 0, {}},
        {"00-1A-2B-3C-4D-5E-", 0, {}},
        {"00-1A-2B-3C-4D-5G", 0, {}},
        {"0-1A-2B-3C-4D-5E", 0, {}},
        {"", 0, {}},
    };
    for (const auto& c : cases) {
        unsigned char mac[6] = {9, 9, 9, 9, 9, 9};
        EXPECT_EQ(ParseMac(c.text, mac), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(std::memcmp(mac, c.mac, 6), 0) << c.text;
        } else {
            EXPECT_EQ(mac[0], 9) << c.text;
        }
    }
}

TEST(CardProtocolTest, FormatsAddressInOctetOrder)
{
    const unsigned char octets[] = {192, 168, 1, 10};
    std::uint32_t address;
    std::memcpy(&address, octets, sizeof address);
    char text[ADDRESS_TEXT_SIZE];
    EXPECT_STREQ(FormatAddress(address, text), "192.168.1.10");
    EXPECT_STREQ(FormatAddress(0xFFFFFFFFu, text), "255.255.255.255");
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
