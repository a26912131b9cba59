// SPDX-License-Identifier: LGPL-2.1-or-later
// A process command line and its arguments, by the service wrapper's own rules.
#pragma once

#include <string>
#include <vector>

namespace lmsys {

// Splits `line`: white space separates arguments; an argument that begins with a double quote
// runs to the first double quote followed by white space or the end, other quotes belong to the
// argument. Inside such a quoted argument, backslashes before a double quote halve, and an odd
// run of them makes the quote an ordinary character; other backslashes are ordinary, and an
// unquoted argument has no escapes. White space left over at the end gives an empty last
// argument.
std::vector<std::string> SplitCommandLine(const std::string& line);

// `arg` in double quotes, escaped so that SplitCommandLine gives it back whatever it holds.
std::string QuoteArgument(const std::string& arg);

// A command line that SplitCommandLine splits back into `args`: arguments that are empty,
// contain white space or begin with a double quote are quoted.
std::string JoinCommandLine(const std::vector<std::string>& args);

} // namespace lmsys
