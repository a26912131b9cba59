// SPDX-License-Identifier: GPL-3.0-or-later
// Trace filtering by level, the CARDWISE_TRACE threshold, sinks and standard error output.
#include "LmDebug.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

int Trace(CLmDebug& debug, int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = debug.DbgTrace(level, format, args);
    va_end(args);
    return result;
}

} // namespace

class CLmDebugTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_debug.SetThreshold(20);
        m_debug.SetSink([this](int level, const char* text) { m_lines.emplace_back(level, text); });
    }

    CLmDebug m_debug;
    std::vector<std::pair<int, std::string>> m_lines;
};

TEST_F(CLmDebugTest, PassesTracesAtOrAboveThreshold)
{
    EXPECT_EQ(Trace(m_debug, 0, "detail %d\n", 1), 0);
    EXPECT_EQ(Trace(m_debug, 20, "frame %s\r\n", "x"), 9);
    EXPECT_EQ(Trace(m_debug, 40, "warn %02X ", 0xAB), 8);

    ASSERT_EQ(m_lines.size(), 2u);
    EXPECT_EQ(m_lines[0], std::make_pair(20, std::string("frame x\r\n")));
    EXPECT_EQ(m_lines[1], std::make_pair(40, std::string("warn AB ")));
}

TEST_F(CLmDebugTest, FormatsLongTracesWhole)
{
    const std::string text(3000, 'y');
    Trace(m_debug, 40, "%s|%d", text.c_str(), 7);
    ASSERT_EQ(m_lines.size(), 1u);
    EXPECT_EQ(m_lines[0].second, text + "|7");
}

TEST_F(CLmDebugTest, ThresholdComesFromEnvironment)
{
    const struct
    {
        const char* value;
        int threshold;
    } cases[] = {{"0", 0}, {"25", 25}, {"-5", -5}, {"", 40}, {"high", 40}, {"20x", 40}};
    for (const auto& c : cases) {
        ::setenv("CARDWISE_TRACE", c.value, 1);
        CLmDebug debug;
        EXPECT_EQ(debug.GetThreshold(), c.threshold) << c.value;
    }
    ::unsetenv("CARDWISE_TRACE");
    EXPECT_EQ(CLmDebug().GetThreshold(), CLmDebug::DEFAULT_THRESHOLD);
}

TEST_F(CLmDebugTest, StandardErrorGetsOneLinePerTraceWithPlainLineEnds)
{
    m_debug.SetSink({});
    testing::internal::CaptureStderr();
    Trace(m_debug, 40, "\r\nRCV IP:%s port:%d\r\n", "10.0.0.1", 16788);
    Trace(m_debug, 0, "hidden\n");
    Trace(m_debug, 40, "banner without a line end");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\nRCV IP:10.0.0.1 port:16788\nbanner without a line end\n");
}

TEST(LmTraceTest, EntryPointsTraceAtTheirLevels)
{
    CLmDebug& debug = CLmDebug::Instance();
    std::vector<int> levels;
    debug.SetThreshold(0);
    debug.SetSink([&levels](int level, const char*) { levels.push_back(level); });

    LmTrace0("a");
    LmTrace20("b");
    LmTrace40("c");
    LmTrace(33, "d");
    debug.SetThreshold(40);
    LmTrace20("dropped");
    debug.SetSink({});

    EXPECT_EQ(levels, (std::vector<int>{0, 20, 40, 33}));
}
