// SPDX-License-Identifier: LGPL-2.1-or-later
// A process command line and its arguments, by the service wrapper's own rules.
#include "CommandLine.h"

#include <algorithm>
#include <cctype>

namespace lmsys {

namespace {

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The quoted argument that begins at `pos` (behind its opening quote); `pos` moves to its
// closing quote, or to the end when there is none.
std::string QuotedArgument(const std::string& line, std::size_t& pos)
{
    const std::size_t end = line.size();
    std::string arg;
    while (pos < end) {
        if (line[pos] == '\\') {
            std::size_t run = 0;
            while (pos + run < end && line[pos + run] == '\\')
                ++run;
            const bool beforeQuote = pos + run < end && line[pos + run] == '"';
            arg.append(beforeQuote ? run / 2 : run, '\\');
            pos += run;
            if (beforeQuote && run % 2 == 1) {
                arg += '"';
                ++pos;
            }
            continue;
        }
        if (line[pos] == '"' && (pos + 1 == end || IsSpace(line[pos + 1])))
            break;
        arg += line[pos++];
    }
    return arg;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> args;
    const std::size_t end = line.size();
    std::size_t pos = 0;
    while (pos < end) {
        while (pos < end && IsSpace(line[pos]))
            ++pos;
        if (pos < end && line[pos] == '"') {
            ++pos;
            // The argument begins here even at the end of the line.
            args.push_back(QuotedArgument(line, pos));
            // The white space behind the closing quote is skipped with it.
            pos = pos + 1 < end ? pos + 2 : end;
        } else {
            const std::size_t begin = pos;
            while (pos < end && !IsSpace(line[pos]))
                ++pos;
            args.push_back(line.substr(begin, pos - begin));
            if (pos < end)
                ++pos;
        }
    }
    return args;
}

std::string QuoteArgument(const std::string& arg)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
        } else {
            // Backslashes before a quote double, and the quote gets one of its own.
            if (c == '"')
                quoted.append(backslashes + 1, '\\');
            backslashes = 0;
        }
        quoted += c;
    }
    // So do those before the closing quote.
    quoted.append(backslashes, '\\');
    return quoted + '"';
}

std::string JoinCommandLine(const std::vector<std::string>& args)
{
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        const bool quote =
            arg.empty() || arg[0] == '"' || std::any_of(arg.begin(), arg.end(), IsSpace);
        line += quote ? QuoteArgument(arg) : arg;
    }
    return line;
}

} // namespace lmsys
