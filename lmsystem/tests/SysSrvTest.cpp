// SPDX-License-Identifier: LGPL-2.1-or-later
// CLmSysSrv over the recording fake: the commands' calls and console output, and the service
// lifecycle as the service manager sees it.
#include <LmSystem/SysSrv.h>

#include "FakeServiceApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace lmsys {
namespace {

using Calls = std::vector<std::string>;

const char kName[] = "CwTest";

const std::string kOpenManager = R"(OpenSCManagerA(null, null, 0xf003f))";
const std::string kOpenService = R"(OpenServiceA(scm, "CwTest", 0xf01ff))";
const std::string kCloseService = "CloseServiceHandle(svc)";
const std::string kCloseManager = "CloseServiceHandle(scm)";
const std::string kStopControl = "ControlService(svc, 1)";
const std::string kSleep = "Sleep(1000)";
const std::string kQuery = "QueryServiceStatus(svc)";

class CLmSysSrvTest : public ::testing::Test
{
protected:
    void SetUp() override { SetActiveServiceApi(fake::Install()); }
    void TearDown() override
    {
        m_pService.reset();
        SetActiveServiceApi(nullptr);
    }

    fake::Script& Script() { return fake::Fake().script; }
    Calls& Log() { return fake::Fake().calls; }

    // A wrapper, with the host's exit event, whose construction is left out of the log. The
    // one before is destroyed first: any destruction leaves the process without a wrapper.
    CLmSysSrv& Wrapper(const char* name = kName)
    {
        m_pService.reset();
        m_pService = std::make_unique<CLmSysSrv>(name);
        m_pService->SetAppExitEvent(m_hExitEvent);
        Log().clear();
        return *m_pService;
    }

    // InitInstance for `commandLine`: its result, with the console output in `output` and the
    // calls after the command line and version checks in `calls`.
    int Run(const std::string& commandLine, std::string* output = nullptr, Calls* calls = nullptr)
    {
        Script().strCommandLine = commandLine;
        CLmSysSrv& service = Wrapper();
        ::testing::internal::CaptureStdout();
        const int result = service.InitInstance();
        const std::string printed = ::testing::internal::GetCapturedStdout();
        if (output != nullptr)
            *output = printed;
        const Calls& log = Log();
        const Calls checks = {"GetCommandLineA()", "GetVersionExA(0x94)"}; // OSVERSIONINFOA's size
        EXPECT_EQ(Calls(log.begin(), log.begin() + std::min<std::size_t>(2, log.size())), checks);
        if (calls != nullptr)
            calls->assign(log.begin() + std::min<std::size_t>(2, log.size()), log.end());
        return result;
    }

    // Runs ServiceMain through the dispatcher thread, as the manager would.
    void RunAsService()
    {
        Script().bRunServiceMain = true;
        EXPECT_EQ(Run("C:\\svc\\a.exe -service"), 1);
        ASSERT_NE(fake::Fake().threadProc, nullptr);
        Log().clear();
        EXPECT_EQ(fake::Fake().threadProc(nullptr), 0u);
    }

    std::unique_ptr<CLmSysSrv> m_pService;
    void* m_hExitEvent = nullptr;
};

TEST_F(CLmSysSrvTest, InstallCreatesAutoStartServiceOfQuotedProgramPath)
{
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("C:\\svc\\a.exe install", &output, &calls), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(
        calls,
        (Calls{
            "GetModuleFileNameA(null, 0x104)", kOpenManager,
            R"(CreateServiceA(scm, "CwTest", "CwTest", 0xf01ff, 0x110, 2, 1, path, null, null, "", null, null))",
            kCloseService, kCloseManager}));
    EXPECT_EQ(fake::Fake().strCreatedBinaryPath, "\"D:\\svc\\a.exe\"  -service");
}

TEST_F(CLmSysSrvTest, InstallKeepsProgramPathLongerThanClassicLimit)
{
    const std::string path = "D:\\" + std::string(300, 'p') + "\\a.exe";
    Script().strModulePath = path;
    Calls calls;
    EXPECT_EQ(Run("a.exe install", nullptr, &calls), 0);
    EXPECT_EQ(calls[0], "GetModuleFileNameA(null, 0x104)");
    EXPECT_EQ(calls[1], "GetModuleFileNameA(null, 0x208)");
    EXPECT_EQ(fake::Fake().strCreatedBinaryPath, '"' + path + "\"  -service");
}

TEST_F(CLmSysSrvTest, InstallWithoutProgramPathSaysSo)
{
    Script().strModulePath.clear();
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe install", &output, &calls), 0);
    EXPECT_EQ(output, "Unable to get appname\n");
    EXPECT_EQ(calls, (Calls{"GetModuleFileNameA(null, 0x104)"}));
}

TEST_F(CLmSysSrvTest, InstallFailuresAreSilentAndCloseTheManager)
{
    Script().bCreateServiceFails = true;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe install", &output, &calls), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(calls.back(), kCloseManager);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), kCloseService), 0);

    Script().bOpenManagerFails = true;
    EXPECT_EQ(Run("a.exe install", &output, &calls), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(calls.back(), kOpenManager);
}

TEST_F(CLmSysSrvTest, StartPrintsSuccessOnlyWhenAccepted)
{
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe start", &output, &calls), 0);
    EXPECT_EQ(output, "Start Service Successed\n");
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, "StartServiceA(svc, 0, null)",
                            kCloseService, kCloseManager}));

    Script().bStartAccepted = false;
    EXPECT_EQ(Run("a.exe start", &output), 0);
    EXPECT_EQ(output, "");
}

TEST_F(CLmSysSrvTest, StartOfUnknownServicePrintsNothing)
{
    Script().bOpenServiceFails = true;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe start", &output, &calls), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, ManagementCommandsWithoutManagerSaySo)
{
    Script().bOpenManagerFails = true;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe start", &output, &calls), 0);
    EXPECT_EQ(output, "OpenSCManager failed.\n");
    EXPECT_EQ(calls, (Calls{kOpenManager}));

    EXPECT_EQ(Run("a.exe stop", &output, &calls), 1);
    EXPECT_EQ(output, "OpenSCManager failed.\n");
    EXPECT_EQ(calls, (Calls{kOpenManager}));
}

TEST_F(CLmSysSrvTest, StopPrintsADotForEachFurtherPendingReading)
{
    Script().queryStates = {kServiceStopPending, kServiceStopPending, kServiceStopped};
    std::string output;
    Calls calls;
    // "stop" goes on: the host runs on as without arguments.
    EXPECT_EQ(Run("a.exe stop", &output, &calls), 1);
    EXPECT_EQ(output, "Stopping OrbService...\nOrbService stopped.\n");
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, kStopControl, kSleep, kQuery, kSleep,
                            kQuery, kSleep, kQuery, kCloseService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, StopOfServiceThatIsNotRunningPrintsNothingAfterOpening)
{
    Script().bControlAccepted = false;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe stop", &output, &calls), 1);
    EXPECT_EQ(output, "");
    EXPECT_EQ(calls,
              (Calls{kOpenManager, kOpenService, kStopControl, kCloseService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, StopReportsFailureWhenTheServiceDoesNotStop)
{
    // The read fails at once: the record keeps the state the control gave it.
    std::string output;
    EXPECT_EQ(Run("a.exe stop", &output), 1);
    EXPECT_EQ(output, "Stopping OrbService.\nFailed to stop OrbService.\n");

    Script().queryStates = {kServiceRunning};
    EXPECT_EQ(Run("a.exe stop", &output), 1);
    EXPECT_EQ(output, "Stopping OrbService.\nFailed to stop OrbService.\n");
}

TEST_F(CLmSysSrvTest, StopGivesUpOnAServiceStuckStopping)
{
    Script().queryStates.assign(100, kServiceStopPending);
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe stop", &output, &calls), 1);
    EXPECT_EQ(output,
              "Stopping OrbService." + std::string(59, '.') + "\nFailed to stop OrbService.\n");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), kQuery), 60);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), kSleep), 60);
}

TEST_F(CLmSysSrvTest, StopOfUnknownServiceSaysSo)
{
    Script().bOpenServiceFails = true;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe stop", &output, &calls), 1);
    EXPECT_EQ(output, "OpenService failed.\n");
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, RemoveStopsAndDeletesSilently)
{
    Script().queryStates = {kServiceStopPending, kServiceStopped};
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe remove", &output, &calls), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, kStopControl, kSleep, kQuery, kSleep,
                            kQuery, "DeleteService(svc)", kCloseService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, RemoveWaitsAMinuteAtMostForTheStop)
{
    Script().queryStates.assign(100, kServiceStopPending);
    Calls calls;
    EXPECT_EQ(Run("a.exe remove", nullptr, &calls), 0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), kQuery), 60);
    EXPECT_EQ(calls[calls.size() - 3], "DeleteService(svc)");
}

TEST_F(CLmSysSrvTest, RemoveOfUnknownServiceClosesTheManager)
{
    Script().bOpenServiceFails = true;
    Calls calls;
    EXPECT_EQ(Run("a.exe remove", nullptr, &calls), 0);
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, StopAndRemoveInOneArgumentDoBoth)
{
    Script().bControlAccepted = false;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe stop+remove", &output, &calls), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(calls, (Calls{kOpenManager, kOpenService, kStopControl, kCloseService, kCloseManager,
                            kOpenManager, kOpenService, kStopControl, "DeleteService(svc)",
                            kCloseService, kCloseManager}));
}

TEST_F(CLmSysSrvTest, HelpPrintsTheFiveLines)
{
    const std::string help = "Parm Help:\n"
                             "Install: Install service\n"
                             "remove:  remove service\n"
                             "start:   start service\n"
                             "stop:    stop service\n";
    for (const char* line : {"a.exe help", "a.exe /?", "a.exe -help"}) {
        std::string output;
        Calls calls;
        EXPECT_EQ(Run(line, &output, &calls), 0) << line;
        EXPECT_EQ(output, help) << line;
        EXPECT_TRUE(calls.empty()) << line;
    }
}

TEST_F(CLmSysSrvTest, ServiceStartsTheDispatcherThreadAndGoesOn)
{
    for (const char* line : {"a.exe -service", "a.exe service"}) {
        Calls calls;
        EXPECT_EQ(Run(line, nullptr, &calls), 1) << line;
        EXPECT_EQ(calls,
                  (Calls{"CreateThread(null, 0, proc, null, 0, null)", "CloseHandle(thread)"}))
            << line;
    }

    // Outside the manager the dispatcher fails at once and the thread ends.
    Log().clear();
    EXPECT_EQ(fake::Fake().threadProc(nullptr), 0u);
    EXPECT_EQ(Log(), (Calls{R"(StartServiceCtrlDispatcherA("CwTest", end))"}));
}

// Which command an argument selects: the substring tests, their order and their case.
struct CommandCase
{
    const char* pszCommandLine;
    int nResult;
    const char* pszFirstCall; // after the command line and version checks; null for none
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << "command line [" << c.pszCommandLine << "]";
}

class CLmSysSrvCommandTest : public CLmSysSrvTest, public ::testing::WithParamInterface<CommandCase>
{
};

const char kModule[] = "GetModuleFileNameA(null, 0x104)";
const char kManager[] = "OpenSCManagerA(null, null, 0xf003f)";
const char kThreadCall[] = "CreateThread(null, 0, proc, null, 0, null)";

TEST_P(CLmSysSrvCommandTest, SelectsCommand)
{
    const CommandCase& c = GetParam();
    Script().bControlAccepted = false;
    Calls calls;
    EXPECT_EQ(Run(c.pszCommandLine, nullptr, &calls), c.nResult);
    if (c.pszFirstCall == nullptr) {
        EXPECT_TRUE(calls.empty()) << calls.front();
    } else {
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), c.pszFirstCall);
    }
    // A command runs alone: an install never starts as well.
    if (c.pszFirstCall == kModule) {
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "StartServiceA(svc, 0, null)"), 0);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Arguments, CLmSysSrvCommandTest, ::testing::Values(
    CommandCase{"a.exe", 1, nullptr},
    CommandCase{"a.exe install", 0, kModule},
    CommandCase{"a.exe -install", 0, kModule},
    CommandCase{"a.exe uninstall", 0, kModule},
    CommandCase{"a.exe installstart", 0, kModule},
    CommandCase{"a.exe Install", 1, nullptr},
    CommandCase{"a.exe /start", 0, kManager},
    CommandCase{"a.exe START", 1, nullptr},
    CommandCase{"a.exe stop", 1, kManager},
    CommandCase{"a.exe remove", 0, kManager},
    CommandCase{"a.exe whatever", 1, nullptr},
    CommandCase{"a.exe install extra", 0, kModule},
    CommandCase{"a.exe run install", 1, nullptr}, // only the first argument counts
    CommandCase{"\"C:\\svc\\a.exe\" \"remove\"", 0, kManager},
    // An unquoted path with blanks: a piece of the path is the argument.
    CommandCase{"C:\\Program Files\\a.exe", 1, nullptr},
    CommandCase{"C:\\My install\\a.exe", 0, kModule},
    CommandCase{"\"C:\\My install\\a.exe\"", 1, nullptr},
    CommandCase{"C:\\My services\\a.exe", 1, kThreadCall},
    // Blanks after the path: the argument is empty (the first blank ends the path).
    CommandCase{"a.exe  ", 1, nullptr},
    CommandCase{"\"C:\\svc\\a.exe\"   ", 1, nullptr}));
// clang-format on

TEST_F(CLmSysSrvTest, OnlyWindowsNtRunsCommands)
{
    Script().dwPlatformId = 1;
    std::string output;
    Calls calls;
    EXPECT_EQ(Run("a.exe install", &output, &calls), 1);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(calls.empty());
}

TEST_F(CLmSysSrvTest, NameKeepsThirtyOneBytes)
{
    Script().strCommandLine = "a.exe start";
    const char* const names[] = {"AbcdefghijAbcdefghijAbcdefghijXYZ",
                                 "AbcdefghijAbcdefghijAbcdefghijX", nullptr};
    for (const char* name : names) {
        CLmSysSrv& service = Wrapper(name);
        ::testing::internal::CaptureStdout();
        service.InitInstance();
        ::testing::internal::GetCapturedStdout();
        ASSERT_GE(Log().size(), 4u);
        EXPECT_EQ(Log()[3],
                  name == nullptr
                      ? R"(OpenServiceA(scm, "", 0xf01ff))"
                      : R"(OpenServiceA(scm, "AbcdefghijAbcdefghijAbcdefghijX", 0xf01ff))");
    }
}

TEST_F(CLmSysSrvTest, ConstructionTakesTheCreatorThreadAndDestructionClosesIt)
{
    {
        CLmSysSrv service(kName);
        EXPECT_EQ(Log(), (Calls{"CurrentThreadHandle()"}));
        Log().clear();
    }
    EXPECT_EQ(Log(), (Calls{"CloseHandle(creator)"}));
}

TEST_F(CLmSysSrvTest, ServiceMainReportsStartPendingThenRunningAndWaits)
{
    RunAsService();
    EXPECT_EQ(Log(), (Calls{R"(StartServiceCtrlDispatcherA("CwTest", end))",
                            R"(RegisterServiceCtrlHandlerA("CwTest"))",
                            "SetServiceStatus(status, 2)", "CreateEventA(null, 1, 0, null)",
                            "SetServiceStatus(status, 4)", "WaitForSingleObject(stop, INFINITE)"}));
    const std::vector<fake::Report>& reports = fake::Fake().reports;
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].dwControlsAccepted, 0u);
    EXPECT_EQ(reports[0].dwWaitHint, 3000u);
    EXPECT_EQ(reports[0].dwExitCode, 0u);
    EXPECT_NE(reports[0].dwCheckPoint, 0u);
    EXPECT_EQ(reports[1].dwControlsAccepted, 1u);
    EXPECT_EQ(reports[1].dwWaitHint, 0u);
    EXPECT_EQ(reports[1].dwCheckPoint, 0u);
}

TEST_F(CLmSysSrvTest, StopControlSignalsBothEventsWaitsForHostAndReportsStopped)
{
    m_hExitEvent = fake::kExitEvent;
    RunAsService();
    Log().clear();
    fake::Fake().reports.clear();

    fake::Fake().handler(kServiceControlStop);
    EXPECT_EQ(Log(), (Calls{"SetEvent(stop)", "SetEvent(exit)",
                            "WaitForSingleObject(creator, 3000)", "SetServiceStatus(status, 1)"}));
    ASSERT_EQ(fake::Fake().reports.size(), 1u);
    EXPECT_EQ(fake::Fake().reports[0].dwCheckPoint, 0u);
    EXPECT_EQ(fake::Fake().reports[0].dwControlsAccepted, 1u);
    EXPECT_EQ(fake::Fake().reports[0].dwExitCode, 0u);

    // The host ends: the destructor stops once more, the creator thread pausing on itself.
    Log().clear();
    m_pService.reset();
    EXPECT_EQ(Log(),
              (Calls{"SetEvent(stop)", "SetEvent(exit)", "WaitForSingleObject(creator, 3000)",
                     "CloseHandle(stop)", "CloseHandle(creator)"}));
}

TEST_F(CLmSysSrvTest, InterrogateReportsTheStateAgainAndOtherControlsAreIgnored)
{
    RunAsService();
    Log().clear();
    fake::Fake().handler(kServiceControlInterrogate);
    EXPECT_EQ(Log(), (Calls{"SetServiceStatus(status, 4)"}));
    fake::Fake().handler(2); // pause
    fake::Fake().handler(5); // shutdown
    EXPECT_EQ(Log().size(), 1u);
}

TEST_F(CLmSysSrvTest, FailedRegistrationReportsStopped)
{
    Script().bRegisterFails = true;
    RunAsService();
    EXPECT_EQ(Log(),
              (Calls{R"(StartServiceCtrlDispatcherA("CwTest", end))",
                     R"(RegisterServiceCtrlHandlerA("CwTest"))", "SetServiceStatus(null, 1)"}));
}

TEST_F(CLmSysSrvTest, FailedStartPendingReportReportsStopped)
{
    Script().statusResults = {false};
    RunAsService();
    EXPECT_EQ(Log().back(), "SetServiceStatus(status, 1)");
    EXPECT_EQ(fake::Fake().reports.size(), 2u);
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "CreateEventA(null, 1, 0, null)"), 0);
}

TEST_F(CLmSysSrvTest, FailedRunningReportEndsServiceMainWithoutFurtherReports)
{
    Script().statusResults = {true, false};
    RunAsService();
    EXPECT_EQ(Log().back(), "CloseHandle(stop)");
    EXPECT_EQ(fake::Fake().reports.size(), 2u);

    // Without a stop event the destructor does not stop again.
    Log().clear();
    m_pService.reset();
    EXPECT_EQ(Log(), (Calls{"CloseHandle(creator)"}));
}

TEST_F(CLmSysSrvTest, PendingReportsCountCheckpointsAcrossTheProcess)
{
    std::vector<unsigned long> checkpoints;
    for (int i = 0; i < 3; ++i) {
        fake::Install();
        RunAsService();
        fake::Fake().handler(kServiceControlStop);
        for (const fake::Report& report : fake::Fake().reports)
            checkpoints.push_back(report.dwCheckPoint);
    }
    // Start pending, running, stopped for each run; only the pending ones count.
    ASSERT_EQ(checkpoints.size(), 9u);
    EXPECT_NE(checkpoints[0], 0u);
    EXPECT_EQ(checkpoints, (std::vector<unsigned long>{checkpoints[0], 0, 0, checkpoints[0] + 1, 0,
                                                       0, checkpoints[0] + 2, 0, 0}));
}

TEST_F(CLmSysSrvTest, LatestWrapperIsTheCurrentOneAndDestructionLeavesNone)
{
    auto first = std::make_unique<CLmSysSrv>("First");
    Wrapper("Second");
    Script().strCommandLine = "a.exe -service";
    m_pService->InitInstance();
    fake::Fake().threadProc(nullptr);
    EXPECT_EQ(Log().back(), R"(StartServiceCtrlDispatcherA("Second", end))");

    // Any destruction leaves the callbacks without a wrapper: they do nothing.
    first.reset();
    Log().clear();
    EXPECT_EQ(fake::Fake().threadProc(nullptr), 0u);
    EXPECT_TRUE(Log().empty());
}

TEST_F(CLmSysSrvTest, ControlsAfterTheWrapperIsGoneAreIgnored)
{
    RunAsService();
    HandlerProc handler = fake::Fake().handler;
    m_pService.reset();
    Log().clear();
    handler(kServiceControlStop);
    handler(kServiceControlInterrogate);
    EXPECT_TRUE(Log().empty());
}

} // namespace
} // namespace lmsys
