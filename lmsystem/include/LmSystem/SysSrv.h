// SPDX-License-Identifier: LGPL-2.1-or-later
// CLmSysSrv: lets a host program manage its own service entry and run under the service manager.
#pragma once

#include <LmSystem/LmSystemExport.h>

// The platform's calling convention for callbacks that the service manager and kernel invoke.
#if defined(_WIN32)
#define LMSYSTEM_CALLBACK __stdcall
#else
#define LMSYSTEM_CALLBACK
#endif

// The service status record the wrapper keeps: the fields, in the order, of the platform's.
struct LmServiceStatus
{
    unsigned long dwServiceType;
    unsigned long dwCurrentState;
    unsigned long dwControlsAccepted;
    unsigned long dwWin32ExitCode;
    unsigned long dwServiceSpecificExitCode;
    unsigned long dwCheckPoint;
    unsigned long dwWaitHint;
};

// Kept for the library's interface; holds nothing and does nothing.
class LMSYSTEM_EXPORT CRcShell
{
public:
    // Copies nothing and returns this object.
    CRcShell& operator=(const CRcShell& other);
};

// One wrapper per process. A host constructs it with its service name, may hand it an exit event,
// calls InitInstance once and ends when that returns 0. Otherwise it does its work, and when it
// runs as a service it ends that work once the exit event is signalled; it destroys the wrapper
// last.
//
// Event handles are the platform's: on Windows a HANDLE; on Linux an eventfd descriptor passed as
// reinterpret_cast<void*>(static_cast<intptr_t>(fd)), which the wrapper signals by adding 1.
//
// On Linux the service manager is systemd: the entry is a unit file "<name>.service"; the
// management commands run `systemctl`; status reports go to $NOTIFY_SOCKET, and SIGTERM is the
// stop control.
class LMSYSTEM_EXPORT CLmSysSrv
{
public:
    // Keeps the first 31 bytes of `pszServiceName` (null counts as empty) as the service's key
    // and display name, and becomes the process's current wrapper.
    explicit CLmSysSrv(const char* pszServiceName);
    // Stops the service's wait if it runs (which pauses the calling thread for up to 3 s), and
    // leaves the process without a current wrapper.
    ~CLmSysSrv();

    // Two wrappers must never share the service's events.
    CLmSysSrv(const CLmSysSrv&) = delete;
    CLmSysSrv& operator=(const CLmSysSrv&) = delete;

    // Carries out the command named by the first argument of the process's command line:
    // "install", "start", "stop", "remove", "help" or "?", "service" (substring tests, case
    // sensitive, in that order; "stop" goes on testing). 0 when the host is to end (install,
    // start, remove, help), 1 when it is to go on (no argument, "service", "stop", anything else).
    int InitInstance();
    // Stores the host's exit event; the wrapper signals it at a stop and never closes it.
    void SetAppExitEvent(void* hEvent);
    // Asks the service manager to start the service; prints "Start Service Successed" if it did.
    void StartSysService();
    // Asks the service manager to stop the service and follows the stop on the console.
    void StopSysService();

private:
    int InstallService();
    int RemoveServices();
    int ServiceStart();
    void ServiceStop();
    int ReportStatusToSCMgr(unsigned long dwCurrentState, unsigned long dwWin32ExitCode,
                            unsigned long dwWaitHint);

    static void LMSYSTEM_CALLBACK ServiceMain(unsigned long dwArgc, char** lpszArgv);
    static void LMSYSTEM_CALLBACK ServiceCtrl(unsigned long dwCtrlCode);
    static unsigned long LMSYSTEM_CALLBACK Thread(void* pParam);

    // 1 after any construction, 0 after any destruction.
    static int m_bInstance;

    LmServiceStatus m_ssStatus;
    void* m_hServiceStatus;
    char m_szServiceName[32];
    void* m_hAppExitEvent;
    void* m_hCreatorThread;
    void* m_hStopEvent;
};
