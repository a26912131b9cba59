// SPDX-License-Identifier: LGPL-2.1-or-later
// Running `systemctl` and reading a unit's state from it.
#pragma once

#include "platform/ServiceApi.h"

#include <string>
#include <vector>

namespace lmsys::systemd {

// Whether `program` is an executable file in a directory of $PATH.
bool FindOnPath(const std::string& program);

// Runs `systemctl args...` with no input and no error output (the wrapper's console messages
// are the only ones). Its exit status, or -1 when it can't be run; `output`, when given,
// receives the first 64 KiB of its standard output.
int RunSystemctl(const std::vector<std::string>& args, std::string* output = nullptr);

// "<name>.service".
std::string UnitName(const std::string& name);

struct UnitState
{
    bool bKnown = false; // systemctl answered
    std::string strLoad;
    std::string strActive;
};

// The unit's load and active state as `systemctl show` reports them.
UnitState ShowUnit(const std::string& name);

// Whether a unit of that name is known to the manager.
bool Exists(const UnitState& state);

// The service state (kServiceRunning ...) for a unit's active state.
DWORD ServiceState(const UnitState& state);

} // namespace lmsys::systemd
