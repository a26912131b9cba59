// SPDX-License-Identifier: LGPL-2.1-or-later
// A service host over CLmSysSrv. "install", "start", "stop" and "remove" manage the program's
// own service entry; started by the service manager (with "-service") it works until the
// manager stops it, and started without an argument it works until it is interrupted.
#include <LmSystem/SysSrv.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace {

const char kServiceName[] = "CardwiseSampleService";

// The event by which the wrapper tells the host to end.
class CExitEvent
{
public:
    CExitEvent()
    {
#if defined(_WIN32)
        m_hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
#else
        const int fd = ::eventfd(0, EFD_CLOEXEC);
        m_hEvent = fd > 0 ? reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)) : nullptr;
#endif
    }

    ~CExitEvent()
    {
        if (m_hEvent == nullptr)
            return;
#if defined(_WIN32)
        ::CloseHandle(m_hEvent);
#else
        ::close(static_cast<int>(reinterpret_cast<std::intptr_t>(m_hEvent)));
#endif
    }

    CExitEvent(const CExitEvent&) = delete;
    CExitEvent& operator=(const CExitEvent&) = delete;

    void* Handle() const
    {
        return m_hEvent;
    }

    // Whether the event is signalled, waiting up to `milliseconds` for it.
    bool Wait(int milliseconds) const
    {
        if (m_hEvent == nullptr)
            return false;
#if defined(_WIN32)
        return ::WaitForSingleObject(m_hEvent, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
#else
        pollfd p = {static_cast<int>(reinterpret_cast<std::intptr_t>(m_hEvent)), POLLIN, 0};
        return ::poll(&p, 1, milliseconds) > 0;
#endif
    }

private:
    void* m_hEvent;
};

void DoWork()
{
    // A real host serves its clients here.
}

} // namespace

int main()
{
    // The wrapper signals the event once more when it is destroyed: the event outlives it.
    CExitEvent exitEvent;
    CLmSysSrv service(kServiceName);
    service.SetAppExitEvent(exitEvent.Handle());
    if (service.InitInstance() == 0)
        return 0;

    while (!exitEvent.Wait(1000))
        DoWork();
    return 0;
}
