// SPDX-License-Identifier: LGPL-2.1-or-later
// The notify protocol: what a service tells systemd about its state, and over which socket.
#pragma once

#include "platform/ServiceApi.h"

#include <string>

namespace lmsys::systemd {

// The notify message for a status report.
std::string NotifyMessage(const ServiceStatus& status);

// Sends one datagram to the notify socket `address` ("/path" or "@abstract"). An empty address
// succeeds without sending: the manager listens for nothing.
bool SendNotify(const std::string& address, const std::string& message);

// Whether systemd started this process: $NOTIFY_SOCKET or $INVOCATION_ID is set.
bool StartedByServiceManager();

} // namespace lmsys::systemd
