// SPDX-License-Identifier: LGPL-2.1-or-later
// The service wrapper's operations on Windows: advapi32 and kernel32.
#include "platform/ServiceApi.h"

#if defined(_WIN32)

#include <windows.h>

#include <cstring>

namespace lmsys {

namespace {

static_assert(sizeof(unsigned long) == sizeof(::DWORD), "the record's fields are double words");

void ToPlatform(const ServiceStatus& from, ::SERVICE_STATUS* to)
{
    to->dwServiceType = from.dwServiceType;
    to->dwCurrentState = from.dwCurrentState;
    to->dwControlsAccepted = from.dwControlsAccepted;
    to->dwWin32ExitCode = from.dwWin32ExitCode;
    to->dwServiceSpecificExitCode = from.dwServiceSpecificExitCode;
    to->dwCheckPoint = from.dwCheckPoint;
    to->dwWaitHint = from.dwWaitHint;
}

void FromPlatform(const ::SERVICE_STATUS& from, ServiceStatus* to)
{
    to->dwServiceType = from.dwServiceType;
    to->dwCurrentState = from.dwCurrentState;
    to->dwControlsAccepted = from.dwControlsAccepted;
    to->dwWin32ExitCode = from.dwWin32ExitCode;
    to->dwServiceSpecificExitCode = from.dwServiceSpecificExitCode;
    to->dwCheckPoint = from.dwCheckPoint;
    to->dwWaitHint = from.dwWaitHint;
}

SC_HANDLE Sc(void* handle)
{
    return static_cast<SC_HANDLE>(handle);
}

void* OpenSCManagerA(const char* machine, const char* database, DWORD access)
{
    return ::OpenSCManagerA(machine, database, access);
}

void* OpenServiceA(void* manager, const char* name, DWORD access)
{
    return ::OpenServiceA(Sc(manager), name, access);
}

void* CreateServiceA(void* manager, const char* name, const char* displayName, DWORD access,
                     DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                     const char* loadOrderGroup, DWORD* tagId, const char* dependencies,
                     const char* account, const char* password)
{
    return ::CreateServiceA(Sc(manager), name, displayName, access, serviceType, startType,
                            errorControl, binaryPath, loadOrderGroup, tagId, dependencies, account,
                            password);
}

BOOL DeleteService(void* service)
{
    return ::DeleteService(Sc(service));
}

BOOL ControlService(void* service, DWORD control, ServiceStatus* status)
{
    ::SERVICE_STATUS platform = {};
    const BOOL accepted = ::ControlService(Sc(service), control, &platform);
    // The record is filled even when the control is refused (not running, for one).
    if (status != nullptr)
        FromPlatform(platform, status);
    return accepted;
}

BOOL QueryServiceStatus(void* service, ServiceStatus* status)
{
    ::SERVICE_STATUS platform = {};
    const BOOL read = ::QueryServiceStatus(Sc(service), &platform);
    if (read && status != nullptr)
        FromPlatform(platform, status);
    return read;
}

BOOL StartServiceA(void* service, DWORD argc, const char** argv)
{
    return ::StartServiceA(Sc(service), argc, argv);
}

BOOL CloseServiceHandle(void* handle)
{
    return ::CloseServiceHandle(Sc(handle));
}

BOOL StartServiceCtrlDispatcherA(const ServiceTableEntry* table)
{
    if (table == nullptr)
        return 0;
    std::size_t count = 0;
    while (table[count].lpServiceName != nullptr)
        ++count;
    // The callbacks have the platform's types already; only the table's type differs.
    ::SERVICE_TABLE_ENTRYA* entries = new ::SERVICE_TABLE_ENTRYA[count + 1];
    for (std::size_t i = 0; i <= count; ++i) {
        entries[i].lpServiceName = table[i].lpServiceName;
        entries[i].lpServiceProc = table[i].lpServiceProc;
    }
    const BOOL result = ::StartServiceCtrlDispatcherA(entries);
    delete[] entries;
    return result;
}

void* RegisterServiceCtrlHandlerA(const char* name, HandlerProc handler)
{
    return ::RegisterServiceCtrlHandlerA(name, handler);
}

BOOL SetServiceStatus(void* statusHandle, ServiceStatus* status)
{
    if (status == nullptr)
        return 0;
    ::SERVICE_STATUS platform;
    ToPlatform(*status, &platform);
    return ::SetServiceStatus(static_cast<SERVICE_STATUS_HANDLE>(statusHandle), &platform);
}

const char* GetCommandLineA()
{
    return ::GetCommandLineA();
}

BOOL GetVersionExA(OsVersionInfo* info)
{
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OsVersionInfo))
        return 0;
    ::OSVERSIONINFOA platform = {};
    platform.dwOSVersionInfoSize = sizeof platform;
    if (!::GetVersionExA(&platform))
        return 0;
    info->dwMajorVersion = platform.dwMajorVersion;
    info->dwMinorVersion = platform.dwMinorVersion;
    info->dwBuildNumber = platform.dwBuildNumber;
    info->dwPlatformId = platform.dwPlatformId;
    std::memcpy(info->szCSDVersion, platform.szCSDVersion, sizeof info->szCSDVersion);
    return 1;
}

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size)
{
    return ::GetModuleFileNameA(module, fileName, size);
}

void* CreateThread(void* security, std::size_t stackSize, ThreadProc proc, void* param, DWORD flags,
                   DWORD* threadId)
{
    return ::CreateThread(static_cast<LPSECURITY_ATTRIBUTES>(security), stackSize, proc, param,
                          flags, threadId);
}

void* CreateEventA(void* security, BOOL manualReset, BOOL initialState, const char* name)
{
    return ::CreateEventA(static_cast<LPSECURITY_ATTRIBUTES>(security), manualReset, initialState,
                          name);
}

BOOL SetEvent(void* event)
{
    return ::SetEvent(event);
}

DWORD WaitForSingleObject(void* handle, DWORD milliseconds)
{
    return ::WaitForSingleObject(handle, milliseconds);
}

void Sleep(DWORD milliseconds)
{
    ::Sleep(milliseconds);
}

BOOL CloseHandle(void* handle)
{
    return ::CloseHandle(handle);
}

void* CurrentThreadHandle()
{
    // GetCurrentThread's pseudo handle would name the waiting thread, not this one.
    HANDLE thread = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                           &thread, SYNCHRONIZE, FALSE, 0))
        return nullptr;
    return thread;
}

} // namespace

const ServiceApi& SystemServiceApi()
{
    static const ServiceApi api = {
        &OpenSCManagerA,
        &OpenServiceA,
        &CreateServiceA,
        &DeleteService,
        &ControlService,
        &QueryServiceStatus,
        &StartServiceA,
        &CloseServiceHandle,
        &StartServiceCtrlDispatcherA,
        &RegisterServiceCtrlHandlerA,
        &SetServiceStatus,
        &GetCommandLineA,
        &GetVersionExA,
        &GetModuleFileNameA,
        &CreateThread,
        &CreateEventA,
        &SetEvent,
        &WaitForSingleObject,
        &Sleep,
        &CloseHandle,
        &CurrentThreadHandle,
    };
    return api;
}

} // namespace lmsys

#endif // _WIN32
