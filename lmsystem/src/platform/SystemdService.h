// The service manager operations on Linux: systemd units, `systemctl` and the notify socket.
#pragma once

#include "platform/ServiceApi.h"

#include <string>
#include <vector>

namespace lmsys::systemd {

// The directory for unit files: $CARDWISE_SYSTEMD_UNIT_DIR, or /etc/systemd/system.
std::string UnitDirectory();

// Whether `name` can be a unit's name ("<name>.service"): letters, digits, '_', '-', '.', ':',
// not beginning with '.', at most 200 bytes.
bool IsValidServiceName(const std::string& name);

// The value of ExecStart for a service command line in the wrapper's quoting (the first
// argument, the program, must be an absolute path); empty when it can't be one.
std::string ExecStartValue(const std::string& commandLine);

struct UnitSpec
{
    std::string strDisplayName;
    std::string strExecStart;              // as ExecStartValue gives it
    std::vector<std::string> dependencies; // unit names without ".service"
    std::string strAccount;                // empty: root
};

// The text of a unit file.
std::string UnitFileText(const UnitSpec& unit);

// The notify message for a status report.
std::string NotifyMessage(const ServiceStatus& status);

// Sends one datagram to the notify socket `address` ("/path" or "@abstract"). An empty address
// succeeds without sending: the manager listens for nothing.
bool SendNotify(const std::string& address, const std::string& message);

// Whether systemd started this process: $NOTIFY_SOCKET or $INVOCATION_ID is set.
bool StartedByServiceManager();

// The service manager operations of the table.
void* OpenSCManagerA(const char* machine, const char* database, DWORD access);
void* OpenServiceA(void* manager, const char* name, DWORD access);
void* CreateServiceA(void* manager, const char* name, const char* displayName, DWORD access,
                     DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                     const char* loadOrderGroup, DWORD* tagId, const char* dependencies,
                     const char* account, const char* password);
BOOL DeleteService(void* service);
BOOL ControlService(void* service, DWORD control, ServiceStatus* status);
BOOL QueryServiceStatus(void* service, ServiceStatus* status);
BOOL StartServiceA(void* service, DWORD argc, const char** argv);
BOOL CloseServiceHandle(void* handle);
BOOL StartServiceCtrlDispatcherA(const ServiceTableEntry* table);
void* RegisterServiceCtrlHandlerA(const char* name, HandlerProc handler);
BOOL SetServiceStatus(void* statusHandle, ServiceStatus* status);

} // namespace lmsys::systemd
