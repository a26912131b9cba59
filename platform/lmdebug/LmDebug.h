// SPDX-License-Identifier: GPL-3.0-or-later
// CLmDebug: the process-wide trace output, and the level-0/20/40 trace entry points.
#pragma once

#include <cstdarg>
#include <functional>
#include <mutex>
#include <string>

// Levels in use: 0 detail, 20 frame dumps, 40 rejected or unexpected input.
enum LmTraceLevel : int
{
    LMTRACE_DETAIL = 0,
    LMTRACE_FRAME = 20,
    LMTRACE_WARNING = 40,
};

// Writes each formatted trace whose level is at or above the threshold to standard error
// (carriage returns dropped), or to a sink that replaces standard error.
class CLmDebug
{
public:
    // Receives the level and the formatted text, exactly as the caller formatted it.
    using Sink = std::function<void(int level, const char* text)>;

    static constexpr int DEFAULT_THRESHOLD = 40;

    // The threshold comes from CARDWISE_TRACE (a number), else DEFAULT_THRESHOLD.
    CLmDebug();
    virtual ~CLmDebug();
    CLmDebug(const CLmDebug&) = delete;
    CLmDebug& operator=(const CLmDebug&) = delete;

    // The one instance of the process, built at the first trace.
    static CLmDebug& Instance();

    // Formats and writes one trace; returns the number of characters formatted, or 0 when
    // the level is below the threshold.
    virtual int DbgTrace(int level, const char* format, va_list args);

    void SetThreshold(int level);
    int GetThreshold() const;
    // An empty sink restores standard error. The sink runs under the trace lock and must not
    // trace itself.
    void SetSink(Sink sink);

private:
    mutable std::mutex m_mutex;
    int m_nThreshold;
    Sink m_sink;
};

// The trace entry points; each returns what DbgTrace returns.
int LmTrace(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
int LmTrace0(const char* format, ...) __attribute__((format(printf, 1, 2)));
int LmTrace20(const char* format, ...) __attribute__((format(printf, 1, 2)));
int LmTrace40(const char* format, ...) __attribute__((format(printf, 1, 2)));
