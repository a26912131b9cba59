// SPDX-License-Identifier: GPL-3.0-or-later
// What the three programs accept as an address, a MAC, a mask, --subnet, --range, --rate and
// --trace, and what not.
#include "ProgramOptions.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace CardwiseCore;

enum EKind
{
    ADDRESS,
    MAC,
    MASK,
    SUBNET,
    RANGE,
    RATE,
    TRACE
};

struct CTypedCase
{
    EKind nKind;
    const char* pszText;
    const char* pszRead; // hexadecimal value ("ADDRESS/MASK", "START-END"); "" refused
};

void PrintTo(const CTypedCase& c, std::ostream* pStream)
{
    *pStream << '"' << c.pszText << '"';
}

std::string Hex(std::uint32_t dwValue)
{
    char szText[9];
    std::snprintf(szText, sizeof szText, "%08X", dwValue);
    return szText;
}

// The value as the case writes it, or "" when the text is refused (with a message).
std::string Read(EKind nKind, const QString& strText)
{
    QString strError;
    switch (nKind) {
    case ADDRESS:
        return ParseTypedAddress(strText) ? Hex(*ParseTypedAddress(strText)) : "";
    case MAC: {
        unsigned char arrMac[CardProtocol::MAC_SIZE];
        if (!ParseTypedMac(strText, arrMac))
            return "";
        return QByteArray(reinterpret_cast<const char*>(arrMac), sizeof arrMac)
            .toHex()
            .toUpper()
            .toStdString();
    }
    case MASK:
        return ParseTypedMask(strText) ? Hex(*ParseTypedMask(strText)) : "";
    case SUBNET: {
        SSubnet subnet;
        if (ParseSubnetOption(strText, subnet, strError))
            return Hex(subnet.dwAddress) + '/' + Hex(subnet.dwMask);
        break;
    }
    case RANGE: {
        SRange range;
        if (ParseRangeOption(strText, range, strError))
            return Hex(range.dwStart) + '-' + Hex(range.dwEnd);
        break;
    }
    case RATE: {
        int nRate = 0;
        if (ParseRateOption(strText, nRate, strError))
            return std::to_string(nRate);
        break;
    }
    case TRACE: {
        int nLevel = -1;
        if (ParseTraceOption(strText, nLevel, strError))
            return std::to_string(nLevel);
        break;
    }
    }
    EXPECT_FALSE(strError.isEmpty());
    return "";
}

class ProgramOptionsTest : public ::testing::TestWithParam<CTypedCase>
{
};

TEST_P(ProgramOptionsTest, ReadsTypedTextOneWay)
{
    EXPECT_EQ(Read(GetParam().nKind, QString::fromUtf8(GetParam().pszText)), GetParam().pszRead);
}

// clang-format off
const CTypedCase CASES[] = {
    // Addresses: four decimal numbers from 0 to 255, nothing else.
    {ADDRESS, "192.168.1.10", "C0A8010A"},   {ADDRESS, "0.0.0.0", "00000000"},
    {ADDRESS, "255.255.255.255", "FFFFFFFF"},
    {ADDRESS, "192.168.1.010", ""}, // the standard parser reads 192.168.1.8
    {ADDRESS, "192.168.1.00", ""},   {ADDRESS, "1", ""},          {ADDRESS, "10.1", ""},
    {ADDRESS, "10.1.2", ""},         {ADDRESS, "0x7f.0.0.1", ""}, {ADDRESS, "3232235786", ""},
    {ADDRESS, "1.2.3.256", ""},      {ADDRESS, "1.2.3.4.5", ""},  {ADDRESS, " 1.2.3.4", ""},
    {ADDRESS, "1.2.3.4 ", ""},       {ADDRESS, "1.2. 3.4", ""},   {ADDRESS, "1.2.3.+4", ""},
    {ADDRESS, "1.2..4", ""},         {ADDRESS, "1.2.3.", ""},     {ADDRESS, "1.2.3.４", ""},
    {ADDRESS, "abc", ""},            {ADDRESS, "", ""},
    // MACs: six two-digit octets, '-' or ':' between them, nothing around them.
    {MAC, "00-1A-2B-3C-4D-5E", "001A2B3C4D5E"}, {MAC, "00:1a:2b:3c:4d:5e", "001A2B3C4D5E"},
    {MAC, "00-1A-2B-3C-4D-5E ", ""}, {MAC, "00-1A-2B-3C-4D-5E-", ""}, {MAC, "001A2B3C4D5E", ""},
    {MAC, "00-1A-2B-3C-4D", ""},     {MAC, "00-1A-2B-3C-4D-5Ｅ", ""},
    // Masks: the ones first, or a prefix length.
    {MASK, "255.255.255.0", "FFFFFF00"},     {MASK, "0.0.0.0", "00000000"},
    {MASK, "255.255.255.255", "FFFFFFFF"},   {MASK, "24", "FFFFFF00"},
    {MASK, "0", "00000000"},                 {MASK, "32", "FFFFFFFF"},
    {MASK, "20", "FFFFF000"},                {MASK, "33", ""},     {MASK, "08", ""},
    {MASK, "-8", ""},                        {MASK, "+8", ""},     {MASK, "255.0.255.0", ""},
    {MASK, "255.255.255.010", ""},
    // --subnet: ADDRESS/MASK, neither 0.
    {SUBNET, "192.168.1.7/255.255.255.0", "C0A80107/FFFFFF00"},
    {SUBNET, "10.1.2.3/20", "0A010203/FFFFF000"},
    {SUBNET, "127.0.0.1/32", "7F000001/FFFFFFFF"},
    {SUBNET, "10.0.0.1", ""},        {SUBNET, "10.1/8", ""},      {SUBNET, "10.0.0.256/8", ""},
    {SUBNET, "10.0.0.1/33", ""},     {SUBNET, "10.0.0.1/8/8", ""},
    {SUBNET, "0.0.0.0/255.0.0.0", ""}, {SUBNET, "10.0.0.1/0", ""}, {SUBNET, "/24", ""},
    // --range: START-END, neither 0, the end not below the start, at most 65536 addresses.
    {RANGE, "10.213.9.0-10.213.9.255", "0AD50900-0AD509FF"},
    {RANGE, "10.0.0.5-10.0.0.5", "0A000005-0A000005"},
    {RANGE, "127.1.0.0-127.1.255.255", "7F010000-7F01FFFF"},
    {RANGE, "127.1.0.0-127.2.0.0", ""}, {RANGE, "10.0.0.9-10.0.0.8", ""},
    {RANGE, "0.0.0.0-10.0.0.1", ""},    {RANGE, "10.0.0.1", ""},     {RANGE, "10.0.0.1-", ""},
    {RANGE, "10.0.0.1-10.0.1", ""},     {RANGE, "10.0.0.1--10.0.0.2", ""},
    // --rate: requests per second from 1 to 100000.
    {RATE, "1", "1"},     {RATE, "2000", "2000"}, {RATE, "100000", "100000"},
    {RATE, "0", ""},      {RATE, "100001", ""},   {RATE, "02000", ""},  {RATE, "fast", ""},
    // --trace: a level of 0 or more.
    {TRACE, "0", "0"},    {TRACE, "20", "20"},  {TRACE, "40", "40"},  {TRACE, "high", ""},
    {TRACE, "-1", ""},    {TRACE, "", ""},      {TRACE, "9999999999", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Texts, ProgramOptionsTest, ::testing::ValuesIn(CASES));

} // namespace
