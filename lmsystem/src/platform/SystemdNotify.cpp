// SPDX-License-Identifier: LGPL-2.1-or-later
// The notify protocol: what a service tells systemd about its state, and over which socket.
#include "platform/SystemdNotify.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lmsys::systemd {

std::string NotifyMessage(const ServiceStatus& status)
{
    struct StateText
    {
        unsigned long dwState;
        const char* pszLines; // what systemd acts on
        const char* pszText;
        bool bPending;
    };
    static const StateText kTexts[] = {
        {kServiceStopped, "STOPPING=1\n", "Stopped", false},
        {kServiceStartPending, "", "Starting", true},
        {kServiceStopPending, "STOPPING=1\n", "Stopping", true},
        {kServiceRunning, "READY=1\n", "Running", false},
        {5, "", "Continuing", true},
        {6, "", "Pausing", true},
        {7, "", "Paused", false},
    };
    StateText entry = {status.dwCurrentState, "", "Unknown state", false};
    for (const StateText& text : kTexts) {
        if (text.dwState == status.dwCurrentState)
            entry = text;
    }

    std::string message = std::string(entry.pszLines) + "STATUS=" + entry.pszText;
    char detail[64];
    if (entry.bPending) {
        std::snprintf(detail, sizeof detail, " (checkpoint %lu)", status.dwCheckPoint);
        message += detail;
    } else if (entry.dwState == kServiceStopped && status.dwWin32ExitCode != 0) {
        std::snprintf(detail, sizeof detail, " (exit code %lu)", status.dwWin32ExitCode);
        message += detail;
    }
    // The wait hint asks the manager for that much more time for the pending step.
    if (entry.bPending && status.dwWaitHint != 0) {
        std::snprintf(detail, sizeof detail, "\nEXTEND_TIMEOUT_USEC=%llu",
                      static_cast<unsigned long long>(status.dwWaitHint) * 1000ULL);
        message += detail;
    }
    return message;
}

bool SendNotify(const std::string& address, const std::string& message)
{
    if (address.empty())
        return true;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const bool abstract = address[0] == '@';
    if (!abstract && address[0] != '/')
        return false;
    // A path needs room for its terminating zero; an abstract name has none.
    if (address.size() > sizeof addr.sun_path ||
        (!abstract && address.size() == sizeof addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, address.data(), address.size());
    if (abstract)
        addr.sun_path[0] = '\0';
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ssize_t sent;
    do {
        sent = ::sendto(fd, message.data(), message.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&addr), length);
    } while (sent < 0 && errno == EINTR);
    ::close(fd);
    return sent == static_cast<ssize_t>(message.size());
}

bool StartedByServiceManager()
{
    const char* notify = std::getenv("NOTIFY_SOCKET");
    const char* invocation = std::getenv("INVOCATION_ID");
    return (notify != nullptr && *notify != '\0') || (invocation != nullptr && *invocation != '\0');
}

} // namespace lmsys::systemd
