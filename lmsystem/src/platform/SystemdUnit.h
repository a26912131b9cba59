// SPDX-License-Identifier: LGPL-2.1-or-later
// Unit files of the services the wrapper installs: names, ExecStart quoting, the file's text.
#pragma once

#include <string>
#include <vector>

namespace lmsys::systemd {

// The directory for unit files: $CARDWISE_SYSTEMD_UNIT_DIR, or /etc/systemd/system.
std::string UnitDirectory();

// Whether `name` can be a unit's name ("<name>.service"): letters, digits, '_', '-', '.', ':',
// not beginning with '.', at most 200 bytes.
bool IsValidServiceName(const std::string& name);

// The value of ExecStart for a service command line in the wrapper's quoting (the first
// argument, the program, must be an absolute path); empty when it can't be one, and for an
// argument holding a newline.
std::string ExecStartValue(const std::string& commandLine);

struct UnitSpec
{
    std::string strDisplayName;
    std::string strExecStart;              // as ExecStartValue gives it
    std::vector<std::string> dependencies; // unit names without ".service"
    std::string strAccount;                // empty: root
};

// The text of a unit file.
std::string UnitFileText(const UnitSpec& unit);

// The account for User= from a service account name: empty for the local system account.
// False for a name that is no valid account.
bool ParseAccount(const char* account, std::string* user);

// The names of a dependency list (each terminated by a zero, ending with an empty name); false
// when one is no valid service name.
bool ParseDependencies(const char* list, std::vector<std::string>* names);

// Writes `text` to a file that must not exist yet; nothing is left behind on failure.
bool WriteNewFile(const std::string& path, const std::string& text);

} // namespace lmsys::systemd
