// SPDX-License-Identifier: GPL-3.0-or-later
// Address and number conversions the search and the parameter table rely on.
#include "CoreText.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

using namespace CardwiseCore;

TEST(CoreTextTest, ParseAddressReadsAsTheStandardParser)
{
    const struct
    {
        const char* pszText;
        std::uint32_t dwHostOrder; // what the standard parser gives, in host order
    } arrCases[] = {{"192.168.1.10", 0xC0A8010A},    {"10.1", 0x0A000001},
                    {"10.1.2", 0x0A010002},          {"0x7f.1", 0x7F000001},
                    {"017.0.0.1", 0x0F000001},       {"3232235786", 0xC0A8010A},
                    {"255.255.255.255", 0xFFFFFFFF}, {"abc", 0xFFFFFFFF},
                    {"256.1.1.1", 0xFFFFFFFF},       {"", 0xFFFFFFFF}};
    for (const auto& c : arrCases)
        EXPECT_EQ(ntohl(ParseAddress(c.pszText)), c.dwHostOrder) << '"' << c.pszText << '"';
}

TEST(CoreTextTest, AddressTextAndControlValuesUseNetworkOrder)
{
    EXPECT_EQ(AddressText(inet_addr("192.168.1.255")), "192.168.1.255");
    EXPECT_EQ(ControlToNetwork(0xC0A80101), inet_addr("192.168.1.1"));
}

TEST(CoreTextTest, AtoLReadsLikeTheCardsPlatform)
{
    const struct
    {
        const char* pszText;
        std::int32_t nValue;
    } arrCases[] = {{"80", 80},
                    {"  42abc", 42},
                    {"\t-7", -7},
                    {"+13", 13},
                    {"", 0},
                    {"x1", 0},
                    {"- 1", 0},
                    {"2147483647", INT32_MAX},
                    {"2147483648", INT32_MAX},
                    {"-2147483648", INT32_MIN},
                    {"-99999999999999999999", INT32_MIN}};
    for (const auto& c : arrCases)
        EXPECT_EQ(AtoL32(QString::fromLatin1(c.pszText)), c.nValue) << '"' << c.pszText << '"';
}

TEST(CoreTextTest, CardTextFallsBackToLatin1)
{
    EXPECT_EQ(CardText("caf\xc3\xa9", 5), QString::fromUtf8("café"));
    EXPECT_EQ(CardText("caf\xe9", 4), QString::fromLatin1("caf\xe9"));
}

} // namespace
