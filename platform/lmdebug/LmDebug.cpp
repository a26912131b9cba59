// SPDX-License-Identifier: GPL-3.0-or-later
// CLmDebug: formats with vsnprintf and writes whole traces under one lock.
#include "LmDebug.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int ThresholdFromEnvironment()
{
    const char* text = std::getenv("CARDWISE_TRACE");
    if (!text || !*text)
        return CLmDebug::DEFAULT_THRESHOLD;
    char* end = nullptr;
    const long level = std::strtol(text, &end, 10);
    if (*end != '\0')
        return CLmDebug::DEFAULT_THRESHOLD;
    return static_cast<int>(level);
}

int TraceV(int level, const char* format, va_list args)
{
    return CLmDebug::Instance().DbgTrace(level, format, args);
}

} // namespace

CLmDebug::CLmDebug() : m_nThreshold(ThresholdFromEnvironment()) {}

CLmDebug::~CLmDebug() = default;

CLmDebug& CLmDebug::Instance()
{
    static CLmDebug instance;
    return instance;
}

int CLmDebug::DbgTrace(int level, const char* format, va_list args)
{
    if (!format)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (level < m_nThreshold)
        return 0;

    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0)
        return 0;
    std::vector<char> large;
    const char* text = small;
    if (static_cast<std::size_t>(length) >= sizeof small) {
        large.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, args);
        text = large.data();
    }

    if (m_sink) {
        m_sink(level, text);
        return length;
    }
    // The traces carry Windows line ends; a terminal wants plain newlines.
    std::string line;
    line.reserve(static_cast<std::size_t>(length));
    for (const char* p = text; *p; ++p) {
        if (*p != '\r')
            line.push_back(*p);
    }
    // Each call is one line, also when its text has no line end of its own.
    if (!line.empty() && line.back() != '\n')
        line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return length;
}

void CLmDebug::SetThreshold(int level)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nThreshold = level;
}

int CLmDebug::GetThreshold() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nThreshold;
}

void CLmDebug::SetSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink = std::move(sink);
}

int LmTrace(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = TraceV(level, format, args);
    va_end(args);
    return result;
}

int LmTrace0(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = TraceV(LMTRACE_DETAIL, format, args);
    va_end(args);
    return result;
}

int LmTrace20(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = TraceV(LMTRACE_FRAME, format, args);
    va_end(args);
    return result;
}

int LmTrace40(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = TraceV(LMTRACE_WARNING, format, args);
    va_end(args);
    return result;
}
