// Kernel operations of the service wrapper on Linux.
#pragma once

#include <string>
#include <vector>

namespace lmsys::posix {

// A command line that SplitCommandLine splits back into `args`: arguments that are empty,
// contain white space or begin with a double quote are quoted.
std::string JoinCommandLine(const std::vector<std::string>& args);

} // namespace lmsys::posix
