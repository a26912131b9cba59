// SPDX-License-Identifier: LGPL-2.1-or-later
// The service wrapper's operations on Linux: kernel objects as eventfd descriptors, threads,
// the command line from /proc, and the systemd service manager.
#include "CommandLine.h"
#include "platform/PortableVersion.h"
#include "platform/SystemdService.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace lmsys::posix {

namespace {

int HandleFd(void* handle)
{
    const auto value = reinterpret_cast<std::intptr_t>(handle);
    return value > 0 && value <= INT32_MAX ? static_cast<int>(value) : -1;
}

void* FdHandle(int fd)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd));
}

// An eventfd above the standard descriptors, so it is never the null handle.
int NewEventFd(unsigned int initial)
{
    const int fd = ::eventfd(initial, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0 || fd > 2)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

void Signal(int fd)
{
    const std::uint64_t one = 1;
    (void)!::write(fd, &one, sizeof one);
}

// One descriptor per thread, signalled when the thread ends; its handles are duplicates of it.
struct ThreadEndWatch
{
    int fd = -1;

    ~ThreadEndWatch()
    {
        if (fd >= 0) {
            Signal(fd);
            ::close(fd);
        }
    }
};

thread_local ThreadEndWatch t_endWatch;

struct ThreadStart
{
    ThreadProc proc;
    void* param;
    int endFd;
};

extern "C" void* RunThread(void* arg)
{
    const ThreadStart start = *static_cast<ThreadStart*>(arg);
    delete static_cast<ThreadStart*>(arg);
    start.proc(start.param);
    Signal(start.endFd);
    ::close(start.endFd);
    return nullptr;
}

std::string ReadCommandLine()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        args.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return JoinCommandLine(args);
}

const char* GetCommandLineA()
{
    // Read once and kept for the process's life, as the kernel's copy is.
    static const std::string* line = new std::string(ReadCommandLine());
    return line->c_str();
}

BOOL GetVersionExA(OsVersionInfo* info)
{
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OsVersionInfo))
        return 0;
    utsname name{};
    unsigned major = 0, minor = 0, build = 0;
    if (::uname(&name) == 0)
        std::sscanf(name.release, "%u.%u.%u", &major, &minor, &build);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    // A system with a service manager, as the NT line of Windows is.
    info->dwPlatformId = kPlatformWin32Nt;
    info->szCSDVersion[0] = '\0';
    return 1;
}

void* CreateThread(void* /*security*/, std::size_t stackSize, ThreadProc proc, void* param,
                   DWORD flags, DWORD* threadId)
{
    if (proc == nullptr || flags != 0) // no suspended start
        return nullptr;
    const int handleFd = NewEventFd(0);
    if (handleFd < 0)
        return nullptr;
    // The thread signals its own descriptor, so closing the handle early is harmless.
    const int endFd = ::fcntl(handleFd, F_DUPFD_CLOEXEC, 3);
    if (endFd < 0) {
        ::close(handleFd);
        return nullptr;
    }
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0)
        pthread_attr_setstacksize(&attr, stackSize);
    auto* start = new ThreadStart{proc, param, endFd};
    pthread_t thread;
    const int created = ::pthread_create(&thread, &attr, &RunThread, start);
    pthread_attr_destroy(&attr);
    if (created != 0) {
        delete start;
        ::close(endFd);
        ::close(handleFd);
        return nullptr;
    }
    if (threadId != nullptr)
        *threadId = static_cast<DWORD>(handleFd);
    return FdHandle(handleFd);
}

void* CreateEventA(void* /*security*/, BOOL manualReset, BOOL initialState, const char* name)
{
    // Only unnamed manual-reset events, the kind the wrapper uses.
    if (!manualReset || name != nullptr)
        return nullptr;
    const int fd = NewEventFd(initialState ? 1 : 0);
    return fd < 0 ? nullptr : FdHandle(fd);
}

BOOL SetEvent(void* event)
{
    const int fd = HandleFd(event);
    if (fd < 0)
        return 0;
    const std::uint64_t one = 1;
    const ssize_t n = ::write(fd, &one, sizeof one);
    // A full counter is signalled already.
    return n == sizeof one || (n < 0 && errno == EAGAIN) ? 1 : 0;
}

DWORD WaitForSingleObject(void* handle, DWORD milliseconds)
{
    const int fd = HandleFd(handle);
    if (fd < 0)
        return kWaitFailed;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int timeout = -1;
        if (milliseconds != kInfinite) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd p = {fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (p.revents & POLLNVAL) != 0)
            return kWaitFailed;
        return ready == 0 ? kWaitTimeout : kWaitObject0;
    }
}

void Sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL CloseHandle(void* handle)
{
    const int fd = HandleFd(handle);
    return fd >= 0 && ::close(fd) == 0 ? 1 : 0;
}

void* CurrentThreadHandle()
{
    if (t_endWatch.fd < 0)
        t_endWatch.fd = NewEventFd(0);
    if (t_endWatch.fd < 0)
        return nullptr;
    const int handleFd = ::fcntl(t_endWatch.fd, F_DUPFD_CLOEXEC, 3);
    return handleFd < 0 ? nullptr : FdHandle(handleFd);
}

} // namespace

} // namespace lmsys::posix

namespace lmsys {

const ServiceApi& SystemServiceApi()
{
    static const ServiceApi api = {
        &systemd::OpenSCManagerA,
        &systemd::OpenServiceA,
        &systemd::CreateServiceA,
        &systemd::DeleteService,
        &systemd::ControlService,
        &systemd::QueryServiceStatus,
        &systemd::StartServiceA,
        &systemd::CloseServiceHandle,
        &systemd::StartServiceCtrlDispatcherA,
        &systemd::RegisterServiceCtrlHandlerA,
        &systemd::SetServiceStatus,
        &posix::GetCommandLineA,
        &posix::GetVersionExA,
        &portable::GetModuleFileNameA,
        &posix::CreateThread,
        &posix::CreateEventA,
        &posix::SetEvent,
        &posix::WaitForSingleObject,
        &posix::Sleep,
        &posix::CloseHandle,
        &posix::CurrentThreadHandle,
    };
    return api;
}

} // namespace lmsys
