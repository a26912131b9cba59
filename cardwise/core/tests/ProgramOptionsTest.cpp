// What the three programs accept as an address, a mask, --subnet and --trace, and what not.
#include "ProgramOptions.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace CardwiseCore;

enum EKind
{
    ADDRESS,
    MASK,
    SUBNET,
    TRACE
};

struct CTypedCase
{
    EKind nKind;
    const char* pszText;
    const char* pszRead; // hexadecimal value ("ADDRESS/MASK" for --subnet); "" refused
};

void PrintTo(const CTypedCase& c, std::ostream* pStream)
{
    *pStream << '"' << c.pszText << '"';
}

std::string Hex(std::uint32_t dwValue)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", dwValue);
    return text;
}

// The value as the case writes it, or "" when the text is refused (with a message).
std::string Read(EKind nKind, const QString& strText)
{
    QString strError;
    switch (nKind) {
    case ADDRESS:
        return ParseTypedAddress(strText) ? Hex(*ParseTypedAddress(strText)) : "";
    case MASK:
        return ParseTypedMask(strText) ? Hex(*ParseTypedMask(strText)) : "";
    case SUBNET: {
        SSubnet subnet;
        if (ParseSubnetOption(strText, subnet, strError))
            return Hex(subnet.dwAddress) + '/' + Hex(subnet.dwMask);
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

INSTANTIATE_TEST_SUITE_P(
    Texts, ProgramOptionsTest,
    ::testing::Values(
        // Addresses: four decimal numbers from 0 to 255, nothing else.
        CTypedCase{ADDRESS, "192.168.1.10", "C0A8010A"},
        CTypedCase{ADDRESS, "0.0.0.0", "00000000"},
        CTypedCase{ADDRESS, "255.255.255.255", "FFFFFFFF"},
        CTypedCase{ADDRESS, "192.168.1.010", ""}, // the standard parser reads 8
        CTypedCase{ADDRESS, "192.168.1.00", ""}, CTypedCase{ADDRESS, "1", ""},
        CTypedCase{ADDRESS, "10.1", ""}, CTypedCase{ADDRESS, "10.1.2", ""},
        CTypedCase{ADDRESS, "0x7f.0.0.1", ""}, CTypedCase{ADDRESS, "3232235786", ""},
        CTypedCase{ADDRESS, "1.2.3.256", ""}, CTypedCase{ADDRESS, "1.2.3.4.5", ""},
        CTypedCase{ADDRESS, " 1.2.3.4", ""}, CTypedCase{ADDRESS, "1.2.3.4 ", ""},
        CTypedCase{ADDRESS, "1.2. 3.4", ""}, CTypedCase{ADDRESS, "1.2.3.+4", ""},
        CTypedCase{ADDRESS, "1.2..4", ""}, CTypedCase{ADDRESS, "1.2.3.", ""},
        CTypedCase{ADDRESS, "1.2.3.４", ""}, CTypedCase{ADDRESS, "abc", ""},
        CTypedCase{ADDRESS, "", ""},
        // Masks: ones first, or a prefix length.
        CTypedCase{MASK, "255.255.255.0", "FFFFFF00"}, CTypedCase{MASK, "0.0.0.0", "00000000"},
        CTypedCase{MASK, "255.255.255.255", "FFFFFFFF"}, CTypedCase{MASK, "24", "FFFFFF00"},
        CTypedCase{MASK, "0", "00000000"}, CTypedCase{MASK, "32", "FFFFFFFF"},
        CTypedCase{MASK, "20", "FFFFF000"}, CTypedCase{MASK, "33", ""},
        CTypedCase{MASK, "08", ""}, CTypedCase{MASK, "-8", ""}, CTypedCase{MASK, "+8", ""},
        CTypedCase{MASK, "255.0.255.0", ""}, CTypedCase{MASK, "255.255.255.010", ""},
        // --subnet: ADDRESS/MASK, neither 0.
        CTypedCase{SUBNET, "192.168.1.7/255.255.255.0", "C0A80107/FFFFFF00"},
        CTypedCase{SUBNET, "10.1.2.3/20", "0A010203/FFFFF000"},
        CTypedCase{SUBNET, "127.0.0.1/32", "7F000001/FFFFFFFF"},
        CTypedCase{SUBNET, "10.0.0.1", ""}, CTypedCase{SUBNET, "10.1/8", ""},
        CTypedCase{SUBNET, "10.0.0.256/8", ""}, CTypedCase{SUBNET, "10.0.0.1/33", ""},
        CTypedCase{SUBNET, "10.0.0.1/8/8", ""}, CTypedCase{SUBNET, "0.0.0.0/255.0.0.0", ""},
        CTypedCase{SUBNET, "10.0.0.1/0", ""}, CTypedCase{SUBNET, "/24", ""},
        // --trace: a level of 0 or more.
        CTypedCase{TRACE, "0", "0"}, CTypedCase{TRACE, "20", "20"},
        CTypedCase{TRACE, "40", "40"}, CTypedCase{TRACE, "high", ""},
        CTypedCase{TRACE, "-1", ""}, CTypedCase{TRACE, "", ""},
        CTypedCase{TRACE, "9999999999", ""}));

TEST(ProgramOptionsMessageTest, MessagesNameTheOptionAndTheText)
{
    SSubnet subnet;
    QString strError;
    ASSERT_FALSE(ParseSubnetOption(QStringLiteral("10.1/8"), subnet, strError));
    EXPECT_TRUE(strError.startsWith(QStringLiteral("--subnet expects ADDRESS/MASK")));
    EXPECT_TRUE(strError.contains(QStringLiteral("'10.1/8'")));
    ASSERT_FALSE(ParseSubnetOption(QStringLiteral("0.0.0.0/8"), subnet, strError));
    EXPECT_TRUE(strError.contains(QStringLiteral("other than 0.0.0.0")));
    int nLevel = 0;
    ASSERT_FALSE(ParseTraceOption(QStringLiteral("high"), nLevel, strError));
    EXPECT_EQ(strError, QStringLiteral("--trace expects a level such as 0, 20 or 40, not 'high'"));
}

} // namespace
