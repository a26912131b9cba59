// SPDX-License-Identifier: GPL-3.0-or-later
// Isolation check for programs that send datagrams in tests: only loopback and named lab
// interfaces may exist, so nothing can reach a real network.
#pragma once

#include <string>
#include <vector>

namespace NetworkIsolation {

// Exit code of a refused run that should count as skipped (as CTest's SKIP_RETURN_CODE).
constexpr int SKIP_EXIT_CODE = 77;

// Names of the network interfaces of the current namespace, up or down.
std::vector<std::string> InterfaceNames();

// Empty when every interface is "lo" or listed in allowed; otherwise a message naming the
// interfaces that are not.
std::string Check(const std::vector<std::string>& allowed = {});

// Returns when isolated. Otherwise prints why on standard error and exits: with
// SKIP_EXIT_CODE, or 1 when CI=true (where a test must not silently skip).
void Require(const char* program, const std::vector<std::string>& allowed = {});

} // namespace NetworkIsolation
