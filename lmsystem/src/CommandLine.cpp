// Splitting of a process command line into arguments, by the service wrapper's own rules.
#include "CommandLine.h"

#include <cctype>

namespace lmsys {

namespace {

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
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
        const bool quoted = pos < end && line[pos] == '"';
        if (quoted)
            ++pos;
        // The argument begins here even at the end of the line.
        const std::size_t begin = pos;
        if (quoted) {
            std::size_t close = pos;
            while (close < end &&
                   !(line[close] == '"' && (close + 1 == end || IsSpace(line[close + 1]))))
                ++close;
            args.push_back(line.substr(begin, close - begin));
            // The white space behind the closing quote is skipped with it.
            pos = close + 1 < end ? close + 2 : end;
        } else {
            while (pos < end && !IsSpace(line[pos]))
                ++pos;
            args.push_back(line.substr(begin, pos - begin));
            if (pos < end)
                ++pos;
        }
    }
    return args;
}

} // namespace lmsys
