// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarData: the conversion table, text and block getters, copies and comparison.
#include <LmVarData/VarData.h>

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>

namespace {

struct ConversionCase
{
    const char* name;
    std::function<CVarData()> make;
    // char, BYTE, short, WORD, int, UINT, long, DWORD, float, double
    long long c, b, s, w, i, u, l, d;
    double f, df;
};

void PrintTo(const ConversionCase& c, std::ostream* os)
{
    *os << c.name;
}

class CVarDataConversionTest : public ::testing::TestWithParam<ConversionCase>
{
};

} // namespace

TEST_P(CVarDataConversionTest, GettersFollowTheTable)
{
    const ConversionCase& c = GetParam();
    CVarData v = c.make();
    EXPECT_EQ(v.Get_char(), static_cast<char>(c.c));
    EXPECT_EQ(v.Get_BYTE(), static_cast<unsigned char>(c.b));
    EXPECT_EQ(v.Get_short(), static_cast<short>(c.s));
    EXPECT_EQ(v.Get_WORD(), static_cast<unsigned short>(c.w));
    EXPECT_EQ(v.Get_int(), static_cast<int>(c.i));
    EXPECT_EQ(v.Get_UINT(), static_cast<unsigned int>(c.u));
    EXPECT_EQ(v.Get_long(), static_cast<long>(c.l));
    EXPECT_EQ(v.Get_DWORD(), static_cast<unsigned long>(c.d));
    EXPECT_EQ(v.Get_float(), static_cast<float>(c.f));
    EXPECT_EQ(v.Get_double(), c.df);
    EXPECT_EQ(static_cast<long>(v), v.Get_long());
    EXPECT_EQ(static_cast<float>(v), v.Get_float());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CVarDataConversionTest,
    ::testing::Values(
        ConversionCase{"CharMinusOne", [] { return CVarData(char(-1), 0); }, -1, 255, -1, 65535, -1,
                       4294967295LL, -1, 4294967295LL, -1, -1},
        ConversionCase{"Byte200", [] { return CVarData(static_cast<unsigned char>(200), 0); }, -56,
                       200, 200, 200, 200, 200, 200, 200, 200, 200},
        ConversionCase{"ShortMinusTwo", [] { return CVarData(short(-2), 0); }, -2, 254, -2, 65534,
                       -2, 4294967294LL, -2, 4294967294LL, -2, -2},
        ConversionCase{"Word65534", [] { return CVarData(static_cast<unsigned short>(65534), 0); },
                       -2, 254, -2, 65534, 65534, 65534, 65534, 65534, 65534, 65534},
        ConversionCase{"UintAllBits", [] { return CVarData(4294967295u, 0); }, -1, 255, -1, 65535,
                       -1, 4294967295LL, -1, 4294967295LL, 4294967296.0, 4294967295.0},
        ConversionCase{"Float3e9", [] { return CVarData(3e9f, 0); }, 0, 0, 24064, 24064,
                       -1294967296LL, 3000000000LL, -1294967296LL, 3000000000LL, 3e9, 3e9},
        ConversionCase{"DoubleMinus1p9", [] { return CVarData(-1.9, 0); }, -1, 255, -1, 65535, -1,
                       4294967295LL, -1, 4294967295LL, static_cast<float>(-1.9), -1.9},
        ConversionCase{"DoubleAbove32Bits", [] { return CVarData(4294967301.0, 0); }, 5, 5, 5, 5, 5,
                       5, 5, 5, 4294967301.0f, 4294967301.0},
        ConversionCase{"DoubleJustBelow2Pow63", [] { return CVarData(9223372036854774784.0, 0); },
                       0, 0, -1024, 64512, -1024, 4294966272LL, -1024, 4294966272LL,
                       9223372036854774784.0f, 9223372036854774784.0},
        ConversionCase{"DoubleAt2Pow63", [] { return CVarData(9223372036854775808.0, 0); }, 0, 0, 0,
                       0, 0, 0, 0, 0, 9223372036854775808.0f, 9223372036854775808.0},
        ConversionCase{"Text", [] { return CVarData("12", 0); }, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        ConversionCase{"Unassigned", [] { return WithCode(200); }, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
    CaseName<ConversionCase>);

TEST(CVarDataTest, NanAndLongWidth)
{
    CVarData nan(std::nan(""), 1);
    EXPECT_EQ(nan.Get_int(), 0);
    EXPECT_TRUE(std::isnan(nan.Get_float()));

    // long and unsigned long keep 32 bits, also where the platform's long is wider.
    CVarData value(static_cast<long>(0x80000000LL), 1);
    EXPECT_EQ(value.GetLength(), 4);
    EXPECT_EQ(value.Get_long(), -2147483647L - 1);
    value.Set_DWORD(static_cast<unsigned long>(-1));
    EXPECT_EQ(value.Get_DWORD(), 0xFFFFFFFFUL);
}

TEST(CVarDataTest, DefaultValueIsEmpty)
{
    CVarData value;
    unsigned char buffer[16];
    EXPECT_EQ(value.GetType(), VD_empty);
    EXPECT_EQ(value.GetLength(), 8);
    EXPECT_EQ(value.IsEmpty(), 1);
    EXPECT_EQ(value.Get_string(), nullptr);
    EXPECT_EQ(value.Get_Buffer(buffer, sizeof buffer), -1);
    EXPECT_EQ(WithCode(0).IsEmpty(), 1);
    EXPECT_EQ(WithCode(14).IsEmpty(), 1);
}

TEST(CVarDataTest, TextAndBlockGettersCheckBufferAndType)
{
    CVarData value;
    char text[8] = {'x'};
    EXPECT_EQ(value.Set_string(""), 1);
    EXPECT_EQ(value.Get_string(text, 1), 1);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(value.Get_string(text, 0), -1);
    EXPECT_EQ(value.Get_string(nullptr, 8), -1);

    const unsigned char block[] = {'h', 'i', 0};
    unsigned char out[4];
    EXPECT_EQ(value.Set_Buffer(block, 3), 3);
    EXPECT_STREQ(value.Get_string(), "hi");
    EXPECT_EQ(value.Get_string(text, sizeof text), -1);
    EXPECT_EQ(value.Get_Buffer(out, 2), -1);
    EXPECT_EQ(value.Get_Buffer(out, 4), 3);

    value.Set_Buffer(nullptr, 0);
    EXPECT_EQ(value.GetType(), VD_Buffer);
    EXPECT_EQ(value.Get_Buffer(out, 0), 0);
    value.Set_int(1);
    EXPECT_EQ(value.Get_string(), nullptr);
    EXPECT_EQ(value.Get_Buffer(out, 4), -1);
}

TEST(CVarDataTest, SettersKeepIdAndAcceptOwnStorage)
{
    CVarData value("hello", 7);
    value = 2.5;
    EXPECT_EQ(value.GetType(), VD_double);
    EXPECT_EQ(value.GetID(), 7u);
    value = "hello";
    EXPECT_EQ(value.Set_string(value.Get_string() + 2), 4);
    EXPECT_STREQ(value.Get_string(), "llo");
    value.Set_Buffer(reinterpret_cast<const unsigned char*>(value.Get_string()) + 1, 2);
    unsigned char out[2];
    ASSERT_EQ(value.Get_Buffer(out, 2), 2);
    EXPECT_EQ(out[1], 'o');
    EXPECT_EQ(value.GetID(), 7u);
}

TEST(CVarDataTest, OverlongTextIsCutToFitTheLength)
{
    const std::string tooLong(70000, 'b');
    CVarData value;
    EXPECT_EQ(value.Set_string(tooLong.c_str()), 65535);
    EXPECT_EQ(std::strlen(value.Get_string()), 65534u);
}

TEST(CVarDataTest, CopyIsDeepAndSelfAssignmentKeepsValue)
{
    CVarData original("abc", 9);
    CVarData copy(original);
    original.Set_string("zzz");
    EXPECT_STREQ(copy.Get_string(), "abc");
    EXPECT_EQ(copy.GetID(), 9u);

    CVarData& self = copy;
    copy = self;
    EXPECT_STREQ(copy.Get_string(), "abc");
    copy = CVarData();
    EXPECT_EQ(copy.GetType(), VD_empty);
    EXPECT_EQ(copy.GetID(), 0u);
}

TEST(CVarDataTest, ComparisonUsesLeftOperandType)
{
    const unsigned char block[] = {'a', 'b', 0};
    const struct
    {
        const char* name;
        CVarData a, b;
        int expected;
    } cases[] = {
        {"int vs double truncates", CVarData(5, 1), CVarData(5.7, 2), 1},
        {"double vs int", CVarData(5.7, 1), CVarData(5, 1), 0},
        {"int zero vs empty", CVarData(0, 1), CVarData(), 1},
        {"empty vs int zero", CVarData(), CVarData(0, 1), 0},
        {"unassigned vs same", WithCode(200), WithCode(200), 0},
        {"char low 8 bits", CVarData(char(-1), 1), CVarData(static_cast<unsigned short>(0x12FF), 1),
         1},
        {"short vs uint", CVarData(short(-1), 1), CVarData(65535u, 1), 1},
        {"float vs double", CVarData(0.1f, 1), CVarData(0.1, 1), 1},
        {"double vs float", CVarData(0.1, 1), CVarData(0.1f, 1), 0},
        {"equal texts", CVarData("ab", 1), CVarData("ab", 2), 1},
        {"text vs block", CVarData("ab", 1), CVarData(block, 3, 1), 0},
        {"equal blocks", CVarData(block, 3, 1), CVarData(block, 3, 1), 1},
        {"block prefix", CVarData(block, 3, 1), CVarData(block, 2, 1), 0},
    };
    for (auto c : cases)
        EXPECT_EQ(c.a == c.b, c.expected) << c.name;
}
