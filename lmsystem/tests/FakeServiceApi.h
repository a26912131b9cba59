// SPDX-License-Identifier: LGPL-2.1-or-later
// A recording stand-in for the service manager and the kernel: every call is logged with its
// parameters, and the answers come from a script the test sets.
#pragma once

#include "platform/ServiceApi.h"

#include <deque>
#include <string>
#include <vector>

namespace lmsys::fake {

// Handles the fake hands out, by role; the log names them ("scm", "svc", "stop", ...).
void* const kManager = reinterpret_cast<void*>(0x100);
void* const kService = reinterpret_cast<void*>(0x200);
void* const kStatusHandle = reinterpret_cast<void*>(0x300);
void* const kThread = reinterpret_cast<void*>(0x400);
void* const kCreator = reinterpret_cast<void*>(0x500);
void* const kStopEvent = reinterpret_cast<void*>(0x600);
void* const kExitEvent = reinterpret_cast<void*>(0x700); // the host's, for SetAppExitEvent

struct Script
{
    std::string strCommandLine = "C:\\svc\\a.exe";
    DWORD dwPlatformId = kPlatformWin32Nt;
    std::string strModulePath = "D:\\svc\\a.exe"; // empty: GetModuleFileNameA fails
    bool bOpenManagerFails = false;
    bool bOpenServiceFails = false;
    bool bCreateServiceFails = false;
    bool bDeleteFails = false;
    bool bStartAccepted = true;
    // ControlService: refused when false; when accepted, the record gets this state.
    bool bControlAccepted = true;
    DWORD dwStateAfterControl = kServiceStopPending;
    // Each QueryServiceStatus takes the next state; the read fails when none is left.
    std::deque<DWORD> queryStates;
    // The dispatcher fails at once, or calls ServiceMain on the calling thread and returns.
    bool bRunServiceMain = false;
    bool bRegisterFails = false;
    // Each SetServiceStatus takes the next result; success when none is left.
    std::deque<bool> statusResults;
};

// A status record as SetServiceStatus received it.
struct Report
{
    unsigned long dwState;
    unsigned long dwControlsAccepted;
    unsigned long dwExitCode;
    unsigned long dwCheckPoint;
    unsigned long dwWaitHint;
    void* hStatus;
};

struct State
{
    Script script;
    std::vector<std::string> calls;
    std::vector<Report> reports;
    std::string strCreatedBinaryPath;
    HandlerProc handler = nullptr;   // registered by ServiceMain
    ThreadProc threadProc = nullptr; // started by InitInstance
};

// The fake's state, reset by Install.
State& Fake();

// Resets the state and returns the fake's table, for SetActiveServiceApi.
const ServiceApi* Install();

} // namespace lmsys::fake
