// SPDX-License-Identifier: LGPL-2.1-or-later
// The handles of the service manager and of services that the systemd layer gives out.
#pragma once

#include <string>

namespace lmsys::systemd {

// A new handle: of the manager, or of the service `name`.
void* NewHandle(bool manager, const std::string& name);

// Whether `handle` is a live handle of the kind asked for; `name` receives a service's name.
bool LookupHandle(void* handle, bool manager, std::string* name = nullptr);

// Closes a live handle; false for any other value.
bool ReleaseHandle(void* handle);

} // namespace lmsys::systemd
