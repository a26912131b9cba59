// SPDX-License-Identifier: LGPL-2.1-or-later
// The service manager and kernel operations the service wrapper uses, behind a table that tests
// can replace.
#pragma once

#include "platform/WinTypes.h"

#include <LmSystem/SysSrv.h>

#include <cstddef>

namespace lmsys {

using ServiceStatus = ::LmServiceStatus;

// Callbacks in the platform's calling convention, as the wrapper declares them.
using ServiceMainProc = void(LMSYSTEM_CALLBACK*)(unsigned long argc, char** argv);
using HandlerProc = void(LMSYSTEM_CALLBACK*)(unsigned long control);
using ThreadProc = unsigned long(LMSYSTEM_CALLBACK*)(void* param);

struct ServiceTableEntry
{
    char* lpServiceName;
    ServiceMainProc lpServiceProc;
};

// The fields of the platform's OSVERSIONINFOA.
struct OsVersionInfo
{
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};

// The platform's constants that the wrapper uses.
constexpr DWORD kScManagerAllAccess = 0xF003F;
constexpr DWORD kServiceAllAccess = 0xF01FF;
constexpr DWORD kServiceWin32OwnProcess = 0x10;
constexpr DWORD kServiceInteractiveProcess = 0x100;
constexpr DWORD kServiceAutoStart = 2;
constexpr DWORD kServiceErrorNormal = 1;

constexpr DWORD kServiceStopped = 1;
constexpr DWORD kServiceStartPending = 2;
constexpr DWORD kServiceStopPending = 3;
constexpr DWORD kServiceRunning = 4;

constexpr DWORD kServiceControlStop = 1;
constexpr DWORD kServiceControlInterrogate = 4;
constexpr DWORD kServiceAcceptStop = 1;

constexpr DWORD kPlatformWin32Nt = 2;
constexpr DWORD kInfinite = 0xFFFFFFFF;
constexpr DWORD kWaitObject0 = 0;
constexpr DWORD kWaitTimeout = 258;
constexpr DWORD kWaitFailed = 0xFFFFFFFF;

// Same contracts as the advapi32 and kernel32 functions of these names (handles as void*);
// CurrentThreadHandle gives a handle of the calling thread that another thread can wait on
// until the thread ends, closed with CloseHandle.
struct ServiceApi
{
    void* (*OpenSCManagerA)(const char* machine, const char* database, DWORD access);
    void* (*OpenServiceA)(void* manager, const char* name, DWORD access);
    void* (*CreateServiceA)(void* manager, const char* name, const char* displayName, DWORD access,
                            DWORD serviceType, DWORD startType, DWORD errorControl,
                            const char* binaryPath, const char* loadOrderGroup, DWORD* tagId,
                            const char* dependencies, const char* account, const char* password);
    BOOL (*DeleteService)(void* service);
    BOOL (*ControlService)(void* service, DWORD control, ServiceStatus* status);
    BOOL (*QueryServiceStatus)(void* service, ServiceStatus* status);
    BOOL (*StartServiceA)(void* service, DWORD argc, const char** argv);
    BOOL (*CloseServiceHandle)(void* handle);
    BOOL (*StartServiceCtrlDispatcherA)(const ServiceTableEntry* table);
    void* (*RegisterServiceCtrlHandlerA)(const char* name, HandlerProc handler);
    BOOL (*SetServiceStatus)(void* statusHandle, ServiceStatus* status);

    const char* (*GetCommandLineA)();
    BOOL (*GetVersionExA)(OsVersionInfo* info);
    DWORD (*GetModuleFileNameA)(HMODULE module, char* fileName, DWORD size);
    void* (*CreateThread)(void* security, std::size_t stackSize, ThreadProc proc, void* param,
                          DWORD flags, DWORD* threadId);
    void* (*CreateEventA)(void* security, BOOL manualReset, BOOL initialState, const char* name);
    BOOL (*SetEvent)(void* event);
    DWORD (*WaitForSingleObject)(void* handle, DWORD milliseconds);
    void (*Sleep)(DWORD milliseconds);
    BOOL (*CloseHandle)(void* handle);
    void* (*CurrentThreadHandle)();
};

// advapi32 and kernel32 on Windows; systemd and POSIX elsewhere.
const ServiceApi& SystemServiceApi();

// The table the wrapper calls; the system's unless a test installed another.
const ServiceApi& ActiveServiceApi();

// Installs `api` for the wrapper (it must outlive its use); null restores the system's table.
void SetActiveServiceApi(const ServiceApi* api);

} // namespace lmsys
