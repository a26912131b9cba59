// SPDX-License-Identifier: LGPL-2.1-or-later
// A recording stand-in for the service manager and the kernel.
#include "FakeServiceApi.h"

#include <cstdio>
#include <cstring>

namespace lmsys::fake {

namespace {

State g_state;

std::string Name(const void* handle)
{
    if (handle == nullptr)
        return "null";
    if (handle == kManager)
        return "scm";
    if (handle == kService)
        return "svc";
    if (handle == kStatusHandle)
        return "status";
    if (handle == kThread)
        return "thread";
    if (handle == kCreator)
        return "creator";
    if (handle == kStopEvent)
        return "stop";
    if (handle == kExitEvent)
        return "exit";
    return "?";
}

std::string Text(const char* text)
{
    return text == nullptr ? "null" : '"' + std::string(text) + '"';
}

std::string Number(unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, value > 9 ? "0x%lx" : "%lu", value);
    return text;
}

void Log(const std::string& call)
{
    g_state.calls.push_back(call);
}

Script& S()
{
    return g_state.script;
}

void* OpenSCManagerA(const char* machine, const char* database, DWORD access)
{
    Log("OpenSCManagerA(" + Text(machine) + ", " + Text(database) + ", " + Number(access) + ")");
    return S().bOpenManagerFails ? nullptr : kManager;
}

void* OpenServiceA(void* manager, const char* name, DWORD access)
{
    Log("OpenServiceA(" + Name(manager) + ", " + Text(name) + ", " + Number(access) + ")");
    return S().bOpenServiceFails ? nullptr : kService;
}

void* CreateServiceA(void* manager, const char* name, const char* displayName, DWORD access,
                     DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                     const char* loadOrderGroup, DWORD* tagId, const char* dependencies,
                     const char* account, const char* password)
{
    Log("CreateServiceA(" + Name(manager) + ", " + Text(name) + ", " + Text(displayName) + ", " +
        Number(access) + ", " + Number(serviceType) + ", " + Number(startType) + ", " +
        Number(errorControl) + ", path, " + Text(loadOrderGroup) + ", " +
        (tagId == nullptr ? "null" : "tag") + ", " + Text(dependencies) + ", " + Text(account) +
        ", " + Text(password) + ")");
    g_state.strCreatedBinaryPath = binaryPath != nullptr ? binaryPath : "(null)";
    return S().bCreateServiceFails ? nullptr : kService;
}

BOOL DeleteService(void* service)
{
    Log("DeleteService(" + Name(service) + ")");
    return S().bDeleteFails ? 0 : 1;
}

BOOL ControlService(void* service, DWORD control, ServiceStatus* status)
{
    Log("ControlService(" + Name(service) + ", " + Number(control) + ")");
    if (!S().bControlAccepted)
        return 0;
    status->dwCurrentState = S().dwStateAfterControl;
    return 1;
}

BOOL QueryServiceStatus(void* service, ServiceStatus* status)
{
    Log("QueryServiceStatus(" + Name(service) + ")");
    if (S().queryStates.empty())
        return 0;
    status->dwCurrentState = S().queryStates.front();
    S().queryStates.pop_front();
    return 1;
}

BOOL StartServiceA(void* service, DWORD argc, const char** argv)
{
    Log("StartServiceA(" + Name(service) + ", " + Number(argc) + ", " +
        (argv == nullptr ? "null" : "args") + ")");
    return S().bStartAccepted ? 1 : 0;
}

BOOL CloseServiceHandle(void* handle)
{
    Log("CloseServiceHandle(" + Name(handle) + ")");
    return 1;
}

BOOL StartServiceCtrlDispatcherA(const ServiceTableEntry* table)
{
    const bool terminated = table[1].lpServiceName == nullptr && table[1].lpServiceProc == nullptr;
    Log("StartServiceCtrlDispatcherA(" + Text(table[0].lpServiceName) +
        (terminated ? ", end)" : ", no end)"));
    if (!S().bRunServiceMain)
        return 0;
    char* argv[] = {table[0].lpServiceName, nullptr};
    table[0].lpServiceProc(1, argv);
    return 1;
}

void* RegisterServiceCtrlHandlerA(const char* name, HandlerProc handler)
{
    Log("RegisterServiceCtrlHandlerA(" + Text(name) + ")");
    g_state.handler = handler;
    return S().bRegisterFails ? nullptr : kStatusHandle;
}

BOOL SetServiceStatus(void* statusHandle, ServiceStatus* status)
{
    Log("SetServiceStatus(" + Name(statusHandle) + ", " + Number(status->dwCurrentState) + ")");
    g_state.reports.push_back({status->dwCurrentState, status->dwControlsAccepted,
                               status->dwWin32ExitCode, status->dwCheckPoint, status->dwWaitHint,
                               statusHandle});
    if (S().statusResults.empty())
        return 1;
    const bool result = S().statusResults.front();
    S().statusResults.pop_front();
    return result ? 1 : 0;
}

const char* GetCommandLineA()
{
    Log("GetCommandLineA()");
    return S().strCommandLine.c_str();
}

BOOL GetVersionExA(OsVersionInfo* info)
{
    Log("GetVersionExA(" + Number(info->dwOSVersionInfoSize) + ")");
    info->dwPlatformId = S().dwPlatformId;
    return 1;
}

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size)
{
    Log("GetModuleFileNameA(" + Name(module) + ", " + Number(size) + ")");
    const std::string& path = S().strModulePath;
    if (path.empty())
        return 0;
    const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    return copied < path.size() ? size : static_cast<DWORD>(copied);
}

void* CreateThread(void* security, std::size_t stackSize, ThreadProc proc, void* param, DWORD flags,
                   DWORD* threadId)
{
    Log("CreateThread(" + Name(security) + ", " + Number(stackSize) + ", proc, " + Name(param) +
        ", " + Number(flags) + ", " + (threadId == nullptr ? "null" : "id") + ")");
    g_state.threadProc = proc;
    return kThread;
}

void* CreateEventA(void* security, BOOL manualReset, BOOL initialState, const char* name)
{
    Log("CreateEventA(" + Name(security) + ", " + Number(manualReset) + ", " +
        Number(initialState) + ", " + Text(name) + ")");
    return kStopEvent;
}

BOOL SetEvent(void* event)
{
    Log("SetEvent(" + Name(event) + ")");
    return 1;
}

DWORD WaitForSingleObject(void* handle, DWORD milliseconds)
{
    Log("WaitForSingleObject(" + Name(handle) + ", " +
        (milliseconds == kInfinite ? std::string("INFINITE") : std::to_string(milliseconds)) + ")");
    return handle == kStopEvent ? kWaitObject0 : kWaitTimeout;
}

void Sleep(DWORD milliseconds)
{
    Log("Sleep(" + std::to_string(milliseconds) + ")");
}

BOOL CloseHandle(void* handle)
{
    Log("CloseHandle(" + Name(handle) + ")");
    return 1;
}

void* CurrentThreadHandle()
{
    Log("CurrentThreadHandle()");
    return kCreator;
}

} // namespace

State& Fake()
{
    return g_state;
}

const ServiceApi* Install()
{
    g_state = State();
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
    return &api;
}

} // namespace lmsys::fake
