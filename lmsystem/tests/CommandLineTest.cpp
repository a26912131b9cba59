// SPDX-License-Identifier: LGPL-2.1-or-later
// The service wrapper's command lines: splitting into arguments, and quoting that splits back.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace lmsys {
namespace {

struct SplitCase
{
    const char* pszLine;
    std::vector<std::string> args;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << "line [" << c.pszLine << "]";
}

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitCommandLineTest, Splits)
{
    EXPECT_EQ(SplitCommandLine(GetParam().pszLine), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"a.exe", {"a.exe"}},
        SplitCase{"a.exe install now", {"a.exe", "install", "now"}},
        SplitCase{"  a.exe \t\n x", {"a.exe", "x"}},
        // The blank that ends an argument is part of it; more white space gives an empty one.
        SplitCase{"a.exe ", {"a.exe"}}, SplitCase{"a.exe  ", {"a.exe", ""}},
        SplitCase{"a.exe x   ", {"a.exe", "x", ""}},
        SplitCase{"\"C:\\a b\\a.exe\" ", {"C:\\a b\\a.exe"}},
        SplitCase{"\"C:\\a b\\a.exe\"  ", {"C:\\a b\\a.exe", ""}},
        SplitCase{"\"C:\\Program Files\\a.exe\" -service",
                  {"C:\\Program Files\\a.exe", "-service"}},
        SplitCase{"\"D:\\svc\\a.exe\"  -service", {"D:\\svc\\a.exe", "-service"}},
        SplitCase{"C:\\Program Files\\a.exe", {"C:\\Program", "Files\\a.exe"}},
        // A quote ends a quoted argument only before white space or the end.
        SplitCase{"\"a\"b c\" d", {"a\"b c", "d"}}, SplitCase{"\"a\"\" b", {"a\"", "b"}},
        SplitCase{"\"no end", {"no end"}}, SplitCase{"a.exe \"\"", {"a.exe", ""}},
        SplitCase{"a.exe \"", {"a.exe", ""}},
        // Quotes inside an unquoted argument are ordinary characters.
        SplitCase{"a\"b c\"d", {"a\"b", "c\"d"}},
        // In a quoted argument, backslashes before a quote halve; an odd run escapes it.
        SplitCase{R"("a\" b" c)", {"a\" b", "c"}}, SplitCase{R"("a\\" b)", {"a\\", "b"}},
        SplitCase{R"("a\\\" b" c)", {"a\\\" b", "c"}},
        SplitCase{R"("C:\a\b" x)", {"C:\\a\\b", "x"}},
        SplitCase{R"(a\"b "c\d")", {"a\\\"b", "c\\d"}}));

// Whatever an argument holds, the joined line splits back into the same arguments.
class JoinCommandLineTest : public ::testing::TestWithParam<std::vector<std::string>>
{
};

TEST_P(JoinCommandLineTest, SplitsBack)
{
    EXPECT_EQ(SplitCommandLine(JoinCommandLine(GetParam())), GetParam());
    for (const std::string& arg : GetParam())
        EXPECT_EQ(SplitCommandLine(QuoteArgument(arg) + " x"),
                  (std::vector<std::string>{arg, "x"}));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, JoinCommandLineTest,
    ::testing::Values(std::vector<std::string>{"/opt/cw svc/host", "-service", "", "\"q"},
                      std::vector<std::string>{"/opt/b\" install/host", "-service"},
                      std::vector<std::string>{"/opt/b\\\" x/host", "a b\\", "\\\\", "\""},
                      std::vector<std::string>{"tab\there", "new\nline", "\" \"", "a\\ b"}));

} // namespace
} // namespace lmsys
