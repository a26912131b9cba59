// SPDX-License-Identifier: LGPL-2.1-or-later
// Text lines of values and groups.
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct LineCase
{
    const char* name;
    std::function<CVarData()> make;
    const char* line;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class CVarDataFormatTest : public ::testing::TestWithParam<LineCase>
{
};

class CVarDataGroupFormatTest : public ::testing::Test
{
protected:
    static std::string Render(const CVarDataGroup& group, std::size_t room = 1 << 16)
    {
        std::vector<char> buffer(room, '\x7F');
        const int n = group.Format(buffer.data());
        EXPECT_EQ(buffer[static_cast<std::size_t>(n)], '\0');
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    }

    static CVarDataGroup GroupOfSize(int n)
    {
        CVarDataGroup group;
        for (int i = 0; i < n; ++i)
            group.Add(i, static_cast<unsigned int>(i + 1));
        return group;
    }
};

} // namespace

TEST_P(CVarDataFormatTest, RendersTheLine)
{
    const LineCase& c = GetParam();
    CVarData value = c.make();
    char buffer[256];
    std::memset(buffer, 0x7F, sizeof buffer);
    const int n = value.Format(buffer);
    EXPECT_STREQ(buffer, c.line);
    EXPECT_EQ(n, static_cast<int>(std::strlen(c.line)));
    EXPECT_EQ(value.Format(nullptr), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CVarDataFormatTest,
    ::testing::Values(LineCase{"Char", [] { return CVarData(char(-56), 3); },
                               "ID=[3],type=[VD_char],value=[-56],length=[1]"},
                      LineCase{"Byte", [] { return CVarData(static_cast<unsigned char>(200), 3); },
                               "ID=[3],type=[VD_BYTE],value=[200],length=[1]"},
                      LineCase{"Short", [] { return CVarData(short(-2), 4); },
                               "ID=[4],type=[VD_short],value=[-2],length=[2]"},
                      LineCase{"Word",
                               [] { return CVarData(static_cast<unsigned short>(65534), 4); },
                               "ID=[4],type=[VD_WORD],value=[65534],length=[2]"},
                      LineCase{"Int", [] { return CVarData(-5, 5); },
                               "ID=[5],type=[VD_int],value=[-5],length=[4]"},
                      LineCase{"Uint", [] { return CVarData(4294967295u, 6); },
                               "ID=[6],type=[VD_UINT],value=[4294967295],length=[4]"},
                      LineCase{"Long", [] { return CVarData(-7L, 7); },
                               "ID=[7],type=[VD_long],value=[-7],length=[4]"},
                      LineCase{"DwordPrintsSigned", [] { return CVarData(4294967295UL, 8); },
                               "ID=[8],type=[VD_DWORD],value=[-1],length=[4]"},
                      LineCase{"Float", [] { return CVarData(1.5f, 9); },
                               "ID=[9],type=[VD_float],value=[1.5000],length=[4]"},
                      LineCase{"Double", [] { return CVarData(2.71828, 10); },
                               "ID=[10],type=[VD_double],value=[2.7183],length=[8]"},
                      LineCase{"Text", [] { return CVarData("a b", 11); },
                               "ID=[11],type=[VD_string],value=[a b],length=[4]"},
                      LineCase{"Block",
                               [] {
                                   const unsigned char b[] = {0x01, 0xAB, 0xFF};
                                   return CVarData(b, 3, 9);
                               },
                               "ID=[9],type=[VD_Buffer],length=[3],buf=[01 ab ff ]"},
                      LineCase{"EmptyBlock", [] { return CVarData(nullptr, 0, 9); },
                               "ID=[9],type=[VD_Buffer],length=[0],buf=[]"},
                      LineCase{"LongBlock",
                               [] {
                                   unsigned char b[21];
                                   for (int i = 0; i < 21; ++i)
                                       b[i] = static_cast<unsigned char>(i);
                                   return CVarData(b, 21, 1);
                               },
                               "ID=[1],type=[VD_Buffer],length=[21],buf=[00 01 02 03 04 05 06 07 "
                               "08 09 0a 0b 0c 0d 0e 0f "
                               "10 11 12 13 ...]"},
                      LineCase{"HighIdPrintsNegative", [] { return CVarData(1, 0x80000000u); },
                               "ID=[-2147483648],type=[VD_int],value=[1],length=[4]"},
                      LineCase{"Empty", [] { return CVarData(); }, "not init data "},
                      LineCase{"Unassigned", [] { return WithCode(0); }, "invalid data type"}),
    CaseName<LineCase>);

TEST_F(CVarDataGroupFormatTest, HeadLineThenOneLinePerElement)
{
    CVarDataGroup group;
    char buffer[32];
    EXPECT_EQ(group.Format(buffer), 11);
    EXPECT_STREQ(buffer, "nSize=[0]\r\n");
    group.Add(static_cast<unsigned char>(200), 3);
    group.Add(CVarData());
    EXPECT_EQ(Render(group),
              "nSize=[2]\r\nID=[3],type=[VD_BYTE],value=[200],length=[1]\r\nnot init data \r\n");
}

TEST_F(CVarDataGroupFormatTest, ThirtyOrMoreElementsShowTheFirstThirty)
{
    const std::string longHead =
        "nSize=[%d]\xEF\xBC\x8C\xE6\x95\xB0\xE6\x8D\xAE\xE5\xA4\xAA\xE5\xA4\x9A\xEF\xBC"
        "\x8C\xE5\x8F\xAA\xE6\x98\xBE\xE7\xA4\xBA\xE5\x89\x8D"
        "30\xE7\xAC\x94\r\n";
    const struct
    {
        int size;
        bool longHead;
        int lines;
    } cases[] = {{29, false, 29}, {30, true, 30}, {31, true, 30}, {100, true, 30}};
    for (const auto& c : cases) {
        const std::string text = Render(GroupOfSize(c.size));
        std::string head = longHead;
        head.replace(head.find("%d"), 2, std::to_string(c.size));
        if (!c.longHead)
            head = "nSize=[" + std::to_string(c.size) + "]\r\n";
        EXPECT_EQ(text.compare(0, head.size(), head), 0) << c.size;
        int crlf = 0;
        for (std::size_t p = text.find("\r\n"); p != std::string::npos;
             p = text.find("\r\n", p + 2))
            ++crlf;
        EXPECT_EQ(crlf, c.lines + 1) << c.size;
        const std::string last = "ID=[" + std::to_string(c.lines) + "],type=[VD_int],value=[" +
                                 std::to_string(c.lines - 1) + "],length=[4]\r\n";
        EXPECT_EQ(text.substr(text.size() - last.size()), last) << c.size;
    }
}

TEST_F(CVarDataGroupFormatTest, OverlongLineIsCutToTheScratchArea)
{
    const std::string text(65534, 'x');
    CVarData value(text.c_str(), 1);
    std::vector<char> own(70000);
    const int full = value.Format(own.data());
    EXPECT_EQ(full, static_cast<int>(
                        std::strlen("ID=[1],type=[VD_string],value=[],length=[65535]") + 65534));

    CVarDataGroup group;
    group.Add(value);
    group.Add(2, 2);
    const std::string rendered = Render(group, 140000);
    const std::string head = "nSize=[2]\r\n";
    const std::size_t firstEnd = rendered.find("\r\n", head.size());
    EXPECT_EQ(firstEnd - head.size(), 65534u);
    EXPECT_EQ(rendered.substr(head.size(), 65534), std::string(own.data(), 65534));
    EXPECT_EQ(rendered.substr(firstEnd), "\r\nID=[2],type=[VD_int],value=[2],length=[4]\r\n");
    group.Trace();
    value.Trace();
}
