// SPDX-License-Identifier: LGPL-2.1-or-later
// The service side under systemd: the dispatcher that runs ServiceMain, turns SIGTERM into the
// stop control, and passes status reports on as notify messages.
#include "platform/SystemdService.h"

#include "platform/SystemdNotify.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

namespace lmsys::systemd {

namespace {

// The process's one service dispatch: set up by StartServiceCtrlDispatcherA, fed by the status
// reports and by SIGTERM through a pipe that lives as long as the process.
struct Dispatcher
{
    std::mutex mutex;
    bool bRunning = false;
    std::string strName;
    std::string strNotifyAddress;
    HandlerProc handler = nullptr;
    std::uintptr_t token = 0; // the status handle while running
    std::uintptr_t lastToken = 0;
    bool bHasStatus = false;
    ServiceStatus status{};
    bool bStopRequested = false;
    int wakeRead = -1;
    int wakeWrite = -1;
};

Dispatcher& TheDispatcher()
{
    static Dispatcher* dispatcher = [] {
        auto* d = new Dispatcher;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            d->wakeRead = fds[0];
            d->wakeWrite = fds[1];
        }
        return d;
    }();
    return *dispatcher;
}

constexpr char kWakeStop = 'T';
constexpr char kWakeStatus = 'S';

std::atomic<int> g_sigtermWakeFd{-1};

extern "C" void OnSigterm(int)
{
    const int saved = errno;
    const int fd = g_sigtermWakeFd.load();
    if (fd >= 0) {
        const char c = kWakeStop;
        (void)!::write(fd, &c, 1);
    }
    errno = saved;
}

void Wake(const Dispatcher& d, char reason)
{
    (void)!::write(d.wakeWrite, &reason, 1);
}

// Reads what the pipe holds; whether a stop was asked for.
bool DrainWakes(const Dispatcher& d)
{
    bool stop = false;
    char buffer[64];
    ssize_t n;
    while ((n = ::read(d.wakeRead, buffer, sizeof buffer)) > 0) {
        if (std::memchr(buffer, kWakeStop, static_cast<std::size_t>(n)) != nullptr)
            stop = true;
    }
    return stop;
}

} // namespace

BOOL StartServiceCtrlDispatcherA(const ServiceTableEntry* table)
{
    if (table == nullptr || table[0].lpServiceName == nullptr || table[0].lpServiceProc == nullptr)
        return 0;
    if (!StartedByServiceManager())
        return 0;
    Dispatcher& d = TheDispatcher();
    if (d.wakeRead < 0)
        return 0;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        if (d.bRunning)
            return 0;
        d.bRunning = true;
        d.strName = table[0].lpServiceName;
        const char* address = std::getenv("NOTIFY_SOCKET");
        d.strNotifyAddress = address != nullptr ? address : "";
        d.handler = nullptr;
        d.token = d.lastToken += 0x10;
        d.bHasStatus = false;
        d.bStopRequested = false;
    }
    DrainWakes(d);

    // SIGTERM may reach any thread; its handler only wakes this one.
    struct sigaction action = {};
    struct sigaction previous = {};
    action.sa_handler = OnSigterm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    g_sigtermWakeFd.store(d.wakeWrite);
    ::sigaction(SIGTERM, &action, &previous);

    auto finish = [&d, &previous] {
        ::sigaction(SIGTERM, &previous, nullptr);
        g_sigtermWakeFd.store(-1);
        std::lock_guard<std::mutex> lock(d.mutex);
        d.bRunning = false;
        d.handler = nullptr;
        d.token = 0;
    };

    // As the manager does, ServiceMain runs on a thread of its own, with the service's name as
    // its argument; the dispatch ends once the service reports it stopped, not when that
    // thread ends.
    try {
        std::thread([proc = table[0].lpServiceProc,
                     name = std::string(table[0].lpServiceName)]() mutable {
            char* argv[] = {name.data(), nullptr};
            proc(1, argv);
        }).detach();
    } catch (const std::system_error&) {
        finish();
        return 0;
    }

    for (;;) {
        pollfd wake = {d.wakeRead, POLLIN, 0};
        if (::poll(&wake, 1, -1) < 0 && errno != EINTR)
            break;
        const bool stop = DrainWakes(d);
        HandlerProc handler = nullptr;
        {
            std::lock_guard<std::mutex> lock(d.mutex);
            if (stop)
                d.bStopRequested = true;
            if (d.bHasStatus && d.status.dwCurrentState == kServiceStopped)
                break;
            // A stop that comes before the service accepts one waits until it does.
            if (d.bStopRequested && d.handler != nullptr && d.bHasStatus &&
                (d.status.dwControlsAccepted & kServiceAcceptStop) != 0) {
                d.bStopRequested = false;
                handler = d.handler;
            }
        }
        if (handler != nullptr)
            handler(kServiceControlStop);
    }
    finish();
    return 1;
}

void* RegisterServiceCtrlHandlerA(const char* name, HandlerProc handler)
{
    if (name == nullptr || handler == nullptr)
        return nullptr;
    Dispatcher& d = TheDispatcher();
    std::lock_guard<std::mutex> lock(d.mutex);
    if (!d.bRunning || d.strName != name)
        return nullptr;
    d.handler = handler;
    return reinterpret_cast<void*>(d.token);
}

BOOL SetServiceStatus(void* statusHandle, ServiceStatus* status)
{
    if (status == nullptr)
        return 0;
    Dispatcher& d = TheDispatcher();
    std::string address;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        if (!d.bRunning || reinterpret_cast<std::uintptr_t>(statusHandle) != d.token)
            return 0;
        d.status = *status;
        d.bHasStatus = true;
        address = d.strNotifyAddress;
    }
    const bool sent = SendNotify(address, NotifyMessage(*status));
    Wake(d, kWakeStatus);
    return sent ? 1 : 0;
}

} // namespace lmsys::systemd
