// SPDX-License-Identifier: LGPL-2.1-or-later
// CLmSysSrv: lets a host program manage its own service entry and run under the service manager.
#include <LmSystem/SysSrv.h>

#include "CommandLine.h"
#include "platform/ServiceApi.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

using namespace lmsys;

namespace {

constexpr DWORD kPollInterval = 1000; // between two status reads of a stopping service
constexpr DWORD kStartWaitHint = 3000;
constexpr DWORD kCreatorWait = 3000; // how long a stop gives the host to end
// A service that still stops after this many reads (a minute) is given up on: the command
// ends instead of waiting forever.
constexpr int kMaxStopReads = 60;

constexpr DWORD kMaxPath = 260;
constexpr DWORD kMaxLongPath = 32768;

// The current wrapper. The lock keeps the callbacks of the service threads and the destructor
// apart, so a callback never works on a wrapper that is being destroyed.
std::mutex g_wrapperMutex;
CLmSysSrv* g_pCurrent = nullptr;

std::atomic<std::uint32_t> g_nCheckPoint{1};

// The stop event is set on the service-main thread and read by the others.
void* LoadHandle(void* const& handle)
{
    return __atomic_load_n(&handle, __ATOMIC_ACQUIRE);
}

void StoreHandle(void*& handle, void* value)
{
    __atomic_store_n(&handle, value, __ATOMIC_RELEASE);
}

void Print(const char* text)
{
    std::printf("%s", text);
    // Progress dots must show while the command waits.
    std::fflush(stdout);
}

// Full path of the running program's executable, or empty. A path longer than the classic
// limit gets a larger buffer: a cut one would install another program.
std::string ProgramPath(const ServiceApi& api)
{
    for (DWORD size = kMaxPath; size <= kMaxLongPath; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = api.GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(buffer.data(), length);
    }
    return {};
}

// After the stop control: reads the status after a pause of a second for as long as the service
// reports it is stopping, at most kMaxStopReads times; `beforePause` runs before each pause but
// the first.
void FollowStop(const ServiceApi& api, void* service, ServiceStatus* status, void (*beforePause)())
{
    api.Sleep(kPollInterval);
    BOOL read = api.QueryServiceStatus(service, status);
    for (int reads = 1;
         read && status->dwCurrentState == kServiceStopPending && reads < kMaxStopReads; ++reads) {
        if (beforePause != nullptr)
            beforePause();
        api.Sleep(kPollInterval);
        read = api.QueryServiceStatus(service, status);
    }
}

bool Contains(const std::string& arg, const char* word)
{
    // UTF-8 never has a word's bytes inside another character, so a byte search is exact.
    return std::strstr(arg.c_str(), word) != nullptr;
}

} // namespace

CRcShell& CRcShell::operator=(const CRcShell& /*other*/) = default;

int CLmSysSrv::m_bInstance = 0;

CLmSysSrv::CLmSysSrv(const char* pszServiceName)
    : m_ssStatus{}, m_hServiceStatus(nullptr), m_szServiceName{}, m_hAppExitEvent(nullptr),
      m_hCreatorThread(nullptr), m_hStopEvent(nullptr)
{
    if (pszServiceName != nullptr) {
        // A longer name keeps its first 31 bytes and the terminator.
        const std::size_t length = strnlen(pszServiceName, sizeof m_szServiceName - 1);
        std::memcpy(m_szServiceName, pszServiceName, length);
        m_szServiceName[length] = '\0';
    }
    m_ssStatus.dwServiceType = kServiceWin32OwnProcess;
    m_ssStatus.dwServiceSpecificExitCode = 0;
    m_hCreatorThread = ActiveServiceApi().CurrentThreadHandle();

    std::lock_guard<std::mutex> lock(g_wrapperMutex);
    g_pCurrent = this;
    m_bInstance = 1;
}

CLmSysSrv::~CLmSysSrv()
{
    const ServiceApi& api = ActiveServiceApi();
    // Not under the lock: a stop control may hold it while it waits for this thread to end.
    const bool running = LoadHandle(m_hStopEvent) != nullptr;
    if (running)
        ServiceStop();

    std::lock_guard<std::mutex> lock(g_wrapperMutex);
    if (void* stopEvent = LoadHandle(m_hStopEvent)) {
        // The service may have come up meanwhile: its wait must not outlive the event.
        if (!running)
            api.SetEvent(stopEvent);
        api.CloseHandle(stopEvent);
        StoreHandle(m_hStopEvent, nullptr);
    }
    if (m_hCreatorThread != nullptr) {
        api.CloseHandle(m_hCreatorThread);
        m_hCreatorThread = nullptr;
    }
    m_bInstance = 0;
    g_pCurrent = nullptr;
}

int CLmSysSrv::InitInstance()
{
    const ServiceApi& api = ActiveServiceApi();
    const char* line = api.GetCommandLineA();
    const std::vector<std::string> args = SplitCommandLine(line != nullptr ? line : "");

    OsVersionInfo version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!api.GetVersionExA(&version) || version.dwPlatformId != kPlatformWin32Nt)
        return 1;
    if (args.size() < 2)
        return 1;

    const std::string& arg = args[1];
    if (Contains(arg, "install")) {
        InstallService();
        return 0;
    }
    if (Contains(arg, "start")) {
        StartSysService();
        return 0;
    }
    // A stop goes on to the other words: "stop" alone lets the host run on.
    if (Contains(arg, "stop"))
        StopSysService();
    if (Contains(arg, "remove")) {
        RemoveServices();
        return 0;
    }
    if (Contains(arg, "help") || Contains(arg, "?")) {
        Print("Parm Help:\n");
        Print("Install: Install service\n");
        Print("remove:  remove service\n");
        Print("start:   start service\n");
        Print("stop:    stop service\n");
        return 0;
    }
    if (Contains(arg, "service")) {
        void* thread = api.CreateThread(nullptr, 0, &CLmSysSrv::Thread, nullptr, 0, nullptr);
        // The dispatcher thread runs on its own; nothing waits for it.
        if (thread != nullptr)
            api.CloseHandle(thread);
    }
    return 1;
}

void CLmSysSrv::SetAppExitEvent(void* hEvent)
{
    m_hAppExitEvent = hEvent;
}

void CLmSysSrv::StartSysService()
{
    const ServiceApi& api = ActiveServiceApi();
    void* manager = api.OpenSCManagerA(nullptr, nullptr, kScManagerAllAccess);
    if (manager == nullptr) {
        Print("OpenSCManager failed.\n");
        return;
    }
    void* service = api.OpenServiceA(manager, m_szServiceName, kServiceAllAccess);
    if (service == nullptr) {
        api.CloseServiceHandle(manager);
        return;
    }
    const BOOL started = api.StartServiceA(service, 0, nullptr);
    api.CloseServiceHandle(service);
    if (started)
        Print("Start Service Successed\n");
    api.CloseServiceHandle(manager);
}

void CLmSysSrv::StopSysService()
{
    const ServiceApi& api = ActiveServiceApi();
    void* manager = api.OpenSCManagerA(nullptr, nullptr, kScManagerAllAccess);
    if (manager == nullptr) {
        Print("OpenSCManager failed.\n");
        return;
    }
    void* service = api.OpenServiceA(manager, m_szServiceName, kServiceAllAccess);
    if (service == nullptr) {
        Print("OpenService failed.\n");
        api.CloseServiceHandle(manager);
        return;
    }
    if (api.ControlService(service, kServiceControlStop, &m_ssStatus)) {
        Print("Stopping OrbService.");
        FollowStop(api, service, &m_ssStatus, [] { Print("."); });
        Print(m_ssStatus.dwCurrentState == kServiceStopped ? "\nOrbService stopped.\n"
                                                           : "\nFailed to stop OrbService.\n");
    }
    api.CloseServiceHandle(service);
    api.CloseServiceHandle(manager);
}

int CLmSysSrv::InstallService()
{
    const ServiceApi& api = ActiveServiceApi();
    const std::string path = ProgramPath(api);
    if (path.empty()) {
        Print("Unable to get appname\n");
        return 0;
    }
    // Quoted with escapes: a path may hold quotes and blanks.
    const std::string commandLine = QuoteArgument(path) + "  -service";

    void* manager = api.OpenSCManagerA(nullptr, nullptr, kScManagerAllAccess);
    if (manager == nullptr)
        return 0;
    void* service = api.CreateServiceA(manager, m_szServiceName, m_szServiceName, kServiceAllAccess,
                                       kServiceWin32OwnProcess | kServiceInteractiveProcess,
                                       kServiceAutoStart, kServiceErrorNormal, commandLine.c_str(),
                                       nullptr, nullptr, "", nullptr, nullptr);
    if (service != nullptr)
        api.CloseServiceHandle(service);
    api.CloseServiceHandle(manager);
    return service != nullptr ? 1 : 0;
}

int CLmSysSrv::RemoveServices()
{
    const ServiceApi& api = ActiveServiceApi();
    void* manager = api.OpenSCManagerA(nullptr, nullptr, kScManagerAllAccess);
    if (manager == nullptr)
        return 0;
    void* service = api.OpenServiceA(manager, m_szServiceName, kServiceAllAccess);
    if (service == nullptr) {
        api.CloseServiceHandle(manager);
        return 0;
    }
    if (api.ControlService(service, kServiceControlStop, &m_ssStatus))
        FollowStop(api, service, &m_ssStatus, nullptr);
    const BOOL deleted = api.DeleteService(service);
    api.CloseServiceHandle(service);
    api.CloseServiceHandle(manager);
    return deleted ? 1 : 0;
}

// Runs on the service-main thread with the wrapper lock held (see ServiceMain), and gives the
// lock up while the service runs.
int CLmSysSrv::ServiceStart()
{
    const ServiceApi& api = ActiveServiceApi();
    void* stopEvent = api.CreateEventA(nullptr, 1, 0, nullptr);
    StoreHandle(m_hStopEvent, stopEvent);
    if (!ReportStatusToSCMgr(kServiceRunning, 0, 0)) {
        if (stopEvent != nullptr)
            api.CloseHandle(stopEvent);
        StoreHandle(m_hStopEvent, nullptr);
        return 0;
    }
    g_wrapperMutex.unlock();
    api.WaitForSingleObject(stopEvent, kInfinite);
    g_wrapperMutex.lock();
    return 1;
}

void CLmSysSrv::ServiceStop()
{
    const ServiceApi& api = ActiveServiceApi();
    if (void* stopEvent = LoadHandle(m_hStopEvent))
        api.SetEvent(stopEvent);
    if (m_hAppExitEvent != nullptr)
        api.SetEvent(m_hAppExitEvent);
    // Gives the host's thread time to end; from that thread itself, a pause.
    api.WaitForSingleObject(m_hCreatorThread, kCreatorWait);
}

int CLmSysSrv::ReportStatusToSCMgr(unsigned long dwCurrentState, unsigned long dwWin32ExitCode,
                                   unsigned long dwWaitHint)
{
    m_ssStatus.dwControlsAccepted = dwCurrentState == kServiceStartPending ? 0 : kServiceAcceptStop;
    m_ssStatus.dwCurrentState = dwCurrentState;
    m_ssStatus.dwWin32ExitCode = dwWin32ExitCode;
    m_ssStatus.dwWaitHint = dwWaitHint;
    if (dwCurrentState == kServiceRunning || dwCurrentState == kServiceStopped)
        m_ssStatus.dwCheckPoint = 0;
    else
        m_ssStatus.dwCheckPoint = g_nCheckPoint++;
    return ActiveServiceApi().SetServiceStatus(m_hServiceStatus, &m_ssStatus) ? 1 : 0;
}

void LMSYSTEM_CALLBACK CLmSysSrv::ServiceMain(unsigned long /*dwArgc*/, char** /*lpszArgv*/)
{
    std::unique_lock<std::mutex> lock(g_wrapperMutex);
    CLmSysSrv* self = g_pCurrent;
    if (self == nullptr)
        return;
    const ServiceApi& api = ActiveServiceApi();
    self->m_hServiceStatus =
        api.RegisterServiceCtrlHandlerA(self->m_szServiceName, &CLmSysSrv::ServiceCtrl);
    if (self->m_hServiceStatus == nullptr) {
        self->ReportStatusToSCMgr(kServiceStopped, 0, 0);
        return;
    }
    if (!self->ReportStatusToSCMgr(kServiceStartPending, 0, kStartWaitHint)) {
        self->ReportStatusToSCMgr(kServiceStopped, 0, 0);
        return;
    }
    self->ServiceStart();
}

void LMSYSTEM_CALLBACK CLmSysSrv::ServiceCtrl(unsigned long dwCtrlCode)
{
    std::lock_guard<std::mutex> lock(g_wrapperMutex);
    CLmSysSrv* self = g_pCurrent;
    if (self == nullptr)
        return;
    switch (dwCtrlCode) {
    case kServiceControlStop:
        self->ServiceStop();
        self->ReportStatusToSCMgr(kServiceStopped, 0, 0);
        break;
    case kServiceControlInterrogate:
        self->ReportStatusToSCMgr(self->m_ssStatus.dwCurrentState, 0, 0);
        break;
    default:
        break;
    }
}

unsigned long LMSYSTEM_CALLBACK CLmSysSrv::Thread(void* /*pParam*/)
{
    // The dispatcher keeps using the table's name: a copy outlives the wrapper.
    char name[sizeof m_szServiceName];
    {
        std::lock_guard<std::mutex> lock(g_wrapperMutex);
        if (g_pCurrent == nullptr)
            return 0;
        std::memcpy(name, g_pCurrent->m_szServiceName, sizeof name);
    }
    const ServiceTableEntry table[] = {{name, &CLmSysSrv::ServiceMain}, {nullptr, nullptr}};
    ActiveServiceApi().StartServiceCtrlDispatcherA(table);
    return 0;
}
