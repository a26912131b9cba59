// SPDX-License-Identifier: LGPL-2.1-or-later
// The service manager operations on Linux: services as systemd units, driven by `systemctl`.
#include "platform/SystemdService.h"

#include "platform/ServiceHandles.h"
#include "platform/Systemctl.h"
#include "platform/SystemdUnit.h"

#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace lmsys::systemd {

namespace {

void FillStatus(DWORD state, ServiceStatus* status)
{
    status->dwServiceType = kServiceWin32OwnProcess;
    status->dwCurrentState = state;
    status->dwControlsAccepted = state == kServiceRunning ? kServiceAcceptStop : 0;
    status->dwWin32ExitCode = 0;
    status->dwServiceSpecificExitCode = 0;
    status->dwCheckPoint = 0;
    status->dwWaitHint = 0;
}

} // namespace

void* OpenSCManagerA(const char* machine, const char* database, DWORD /*access*/)
{
    if (machine != nullptr && *machine != '\0')
        return nullptr; // only the local computer's manager
    if (database != nullptr && std::strcmp(database, "ServicesActive") != 0)
        return nullptr;
    if (!FindOnPath("systemctl"))
        return nullptr;
    return NewHandle(true, {});
}

void* OpenServiceA(void* manager, const char* name, DWORD /*access*/)
{
    if (!LookupHandle(manager, true) || name == nullptr || !IsValidServiceName(name))
        return nullptr;
    if (!Exists(ShowUnit(name)))
        return nullptr;
    return NewHandle(false, name);
}

void* CreateServiceA(void* manager, const char* name, const char* displayName, DWORD /*access*/,
                     DWORD /*serviceType*/, DWORD startType, DWORD /*errorControl*/,
                     const char* binaryPath, const char* /*loadOrderGroup*/, DWORD* tagId,
                     const char* dependencies, const char* account, const char* /*password*/)
{
    if (!LookupHandle(manager, true) || name == nullptr || !IsValidServiceName(name) ||
        binaryPath == nullptr)
        return nullptr;
    UnitSpec unit;
    unit.strDisplayName = displayName != nullptr && *displayName != '\0' ? displayName : name;
    unit.strExecStart = ExecStartValue(binaryPath);
    if (unit.strExecStart.empty() || !ParseDependencies(dependencies, &unit.dependencies) ||
        !ParseAccount(account, &unit.strAccount))
        return nullptr;
    if (tagId != nullptr)
        *tagId = 0;

    // A unit of that name anywhere, ours or not, is an existing service.
    const UnitState state = ShowUnit(name);
    if (!state.bKnown || Exists(state))
        return nullptr;
    const std::string path = UnitDirectory() + "/" + UnitName(name);
    if (!WriteNewFile(path, UnitFileText(unit)))
        return nullptr;
    if (RunSystemctl({"daemon-reload"}) != 0 ||
        (startType == kServiceAutoStart && RunSystemctl({"enable", UnitName(name)}) != 0)) {
        ::unlink(path.c_str());
        RunSystemctl({"daemon-reload"});
        return nullptr;
    }
    return NewHandle(false, name);
}

BOOL DeleteService(void* service)
{
    std::string name;
    if (!LookupHandle(service, false, &name))
        return 0;
    // Only units this wrapper installed can be deleted.
    const std::string path = UnitDirectory() + "/" + UnitName(name);
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return 0;
    RunSystemctl({"disable", UnitName(name)}); // fails harmlessly for a unit never enabled
    if (::unlink(path.c_str()) != 0)
        return 0;
    RunSystemctl({"daemon-reload"});
    return 1;
}

BOOL QueryServiceStatus(void* service, ServiceStatus* status)
{
    std::string name;
    if (status == nullptr || !LookupHandle(service, false, &name))
        return 0;
    const UnitState state = ShowUnit(name);
    if (!state.bKnown)
        return 0;
    FillStatus(ServiceState(state), status);
    return 1;
}

BOOL ControlService(void* service, DWORD control, ServiceStatus* status)
{
    std::string name;
    if (status == nullptr || !LookupHandle(service, false, &name))
        return 0;
    if (control == kServiceControlInterrogate)
        return QueryServiceStatus(service, status);
    if (control != kServiceControlStop)
        return 0; // systemd services can't pause
    if (!QueryServiceStatus(service, status) || status->dwCurrentState == kServiceStopped)
        return 0;
    // The caller follows the stop by reading the status.
    if (RunSystemctl({"stop", "--no-block", UnitName(name)}) != 0)
        return 0;
    QueryServiceStatus(service, status);
    return 1;
}

BOOL StartServiceA(void* service, DWORD /*argc*/, const char** /*argv*/)
{
    std::string name;
    ServiceStatus status{};
    if (!QueryServiceStatus(service, &status) || status.dwCurrentState != kServiceStopped ||
        !LookupHandle(service, false, &name))
        return 0;
    // Returns once the service reported it runs, or failed.
    return RunSystemctl({"start", UnitName(name)}) == 0 ? 1 : 0;
}

BOOL CloseServiceHandle(void* handle)
{
    return ReleaseHandle(handle) ? 1 : 0;
}

} // namespace lmsys::systemd
