// Splitting of a process command line into arguments, by the service wrapper's own rules.
#pragma once

#include <string>
#include <vector>

namespace lmsys {

// Splits `line`: white space separates arguments; an argument that begins with a double quote
// runs to the first double quote followed by white space or the end, other quotes belong to the
// argument; no escapes. White space left over at the end gives an empty last argument.
std::vector<std::string> SplitCommandLine(const std::string& line);

} // namespace lmsys
