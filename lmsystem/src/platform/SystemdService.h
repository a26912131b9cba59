// SPDX-License-Identifier: LGPL-2.1-or-later
// The service manager operations on Linux: systemd units, `systemctl` and the notify socket.
// The table's functions are here; their parts in Systemctl.h (running systemctl),
// SystemdUnit.h (unit files), ServiceHandles.h (the handle table) and SystemdNotify.h (the
// notify protocol); the service side's dispatcher is in SystemdDispatcher.cpp.
#pragma once

#include "platform/ServiceApi.h"

namespace lmsys::systemd {

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
