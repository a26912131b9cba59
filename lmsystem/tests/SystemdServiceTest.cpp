// SPDX-License-Identifier: LGPL-2.1-or-later
// The service wrapper on Linux: unit files, `systemctl` (a scripted stand-in first on PATH), the
// notify protocol, and a service stopped by SIGTERM, in this process and in the sample host.
// Only AF_UNIX datagram sockets are opened: nothing can leave the machine.
#include <LmSystem/SysSrv.h>

#include "CommandLine.h"
#include "platform/SystemdNotify.h"
#include "platform/SystemdService.h"
#include "platform/SystemdUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lmsys {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the scope (null unsets it) and restores it after.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_strName(name)
    {
        const char* old = std::getenv(name);
        if (old != nullptr)
            m_previous = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_previous)
            ::setenv(m_strName.c_str(), m_previous->c_str(), 1);
        else
            ::unsetenv(m_strName.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_strName;
    std::optional<std::string> m_previous;
};

fs::path MakeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "lmsys-srv-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    return pattern;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// The manager's end of the notify protocol: a datagram socket at a path or an abstract name.
class NotifyReceiver
{
public:
    explicit NotifyReceiver(const std::string& address) : m_strAddress(address)
    {
        m_nFd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, address.data(), std::min(address.size(), sizeof addr.sun_path));
        if (address[0] == '@')
            addr.sun_path[0] = '\0';
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
        m_bBound = m_nFd >= 0 && ::bind(m_nFd, reinterpret_cast<sockaddr*>(&addr), length) == 0;
    }
    ~NotifyReceiver()
    {
        if (m_nFd >= 0)
            ::close(m_nFd);
    }
    NotifyReceiver(const NotifyReceiver&) = delete;
    NotifyReceiver& operator=(const NotifyReceiver&) = delete;

    bool Bound() const { return m_bBound; }
    const std::string& Address() const { return m_strAddress; }

    // The next message, or nothing within `timeoutMs`.
    std::optional<std::string> Receive(int timeoutMs = 10000)
    {
        pollfd p = {m_nFd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return std::nullopt;
        char buffer[4096];
        const ssize_t n = ::recv(m_nFd, buffer, sizeof buffer, 0);
        if (n < 0)
            return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(n));
    }

private:
    std::string m_strAddress;
    int m_nFd = -1;
    bool m_bBound = false;
};

std::string UniqueAbstractAddress()
{
    static std::atomic<int> counter{0};
    return "@lmsys-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

bool WaitReadable(int fd, int timeoutMs)
{
    pollfd p = {fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) == 1;
}

void* EventHandle(int fd)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd));
}

class SystemdServiceTest : public ::testing::Test
{
};

TEST_F(SystemdServiceTest, ExecStartQuotesTheProgramAndEscapesWhatSystemdExpands)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"("/usr/bin/host"  -service)", R"("/usr/bin/host" -service)"},
        {R"("/opt/cw svc/host"  -service)", R"("/opt/cw svc/host" -service)"},
        {R"("/opt/100%/$HOME\x"  -service)", R"("/opt/100%%/$$HOME\\x" -service)"},
        {R"("/h" "two words" a;b "" '1')", R"("/h" "two words" "a;b" "" "'1'")"},
        {R"("/opt/b\" install/host"  -service)", R"("/opt/b\" install/host" -service)"},
        {"\"/opt/new\nline\"  -service", ""},
        {R"("relative/host"  -service)", ""},
        {"", ""},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(systemd::ExecStartValue(line), expected) << line;
}

TEST_F(SystemdServiceTest, UnitFileHasNotifyServiceWantedByMultiUser)
{
    systemd::UnitSpec unit;
    unit.strDisplayName = "Cw 100%\nInjected=1";
    unit.strExecStart = R"("/opt/cw/host" -service)";
    EXPECT_EQ(systemd::UnitFileText(unit), "# Installed by the LmSystem service wrapper.\n"
                                           "[Unit]\n"
                                           "Description=Cw 100%% Injected=1\n"
                                           "\n"
                                           "[Service]\n"
                                           "Type=notify\n"
                                           "ExecStart=\"/opt/cw/host\" -service\n"
                                           "\n"
                                           "[Install]\n"
                                           "WantedBy=multi-user.target\n");

    unit.dependencies = {"a", "b"};
    unit.strAccount = "daemon";
    const std::string text = systemd::UnitFileText(unit);
    EXPECT_NE(text.find("Requires=a.service b.service\nAfter=a.service b.service\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nUser=daemon\n"), std::string::npos);
}

TEST_F(SystemdServiceTest, ServiceNamesCannotLeaveTheUnitDirectory)
{
    for (const char* name : {"CwTest", "cw-test_1.2:x"})
        EXPECT_TRUE(systemd::IsValidServiceName(name)) << name;
    for (const char* name : {"", "../evil", "a/b", ".hidden", "a b", "tmpl@", "a\nb"})
        EXPECT_FALSE(systemd::IsValidServiceName(name)) << name;
}

TEST_F(SystemdServiceTest, NotifyMessagesFollowTheReportedState)
{
    struct Case
    {
        LmServiceStatus status;
        const char* pszMessage;
    };
    const Case cases[] = {
        {{0x10, kServiceStartPending, 0, 0, 0, 5, 3000},
         "STATUS=Starting (checkpoint 5)\nEXTEND_TIMEOUT_USEC=3000000"},
        {{0x10, kServiceRunning, 1, 0, 0, 0, 0}, "READY=1\nSTATUS=Running"},
        {{0x10, kServiceStopPending, 1, 0, 0, 2, 0}, "STOPPING=1\nSTATUS=Stopping (checkpoint 2)"},
        {{0x10, kServiceStopped, 1, 0, 0, 0, 0}, "STOPPING=1\nSTATUS=Stopped"},
        {{0x10, kServiceStopped, 1, 1066, 7, 0, 0}, "STOPPING=1\nSTATUS=Stopped (exit code 1066)"},
        {{0x10, 7, 1, 0, 0, 0, 0}, "STATUS=Paused"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(systemd::NotifyMessage(c.status), c.pszMessage) << c.status.dwCurrentState;
}

TEST_F(SystemdServiceTest, NotifyReachesPathAndAbstractSockets)
{
    const fs::path dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    for (const std::string& address : {(dir / "notify").string(), UniqueAbstractAddress()}) {
        NotifyReceiver receiver(address);
        ASSERT_TRUE(receiver.Bound()) << address;
        EXPECT_TRUE(systemd::SendNotify(address, "READY=1\nSTATUS=Running")) << address;
        EXPECT_EQ(receiver.Receive(), "READY=1\nSTATUS=Running") << address;
    }
    fs::remove_all(dir);

    EXPECT_TRUE(systemd::SendNotify("", "READY=1")); // nobody listens: nothing to send
    EXPECT_FALSE(systemd::SendNotify("relative/path", "READY=1"));
    EXPECT_FALSE(systemd::SendNotify("/" + std::string(200, 'x'), "READY=1"));
    EXPECT_FALSE(systemd::SendNotify((dir / "gone").string(), "READY=1"));
}

TEST_F(SystemdServiceTest, DispatcherFailsAtOnceOutsideTheManager)
{
    ScopedEnv notify("NOTIFY_SOCKET", nullptr);
    ScopedEnv invocation("INVOCATION_ID", nullptr);
    static std::atomic<int> calls{0};
    char name[] = "CwTest";
    const ServiceTableEntry table[] = {
        {name, [](unsigned long, char**) { ++calls; }},
        {nullptr, nullptr},
    };
    EXPECT_EQ(systemd::StartServiceCtrlDispatcherA(table), 0);
    EXPECT_EQ(calls.load(), 0);
}

TEST_F(SystemdServiceTest, CommandLineJoinsSoThatItSplitsBack)
{
    EXPECT_EQ(JoinCommandLine({"/opt/cw svc/host", "-service", "", "\"q"}),
              R"("/opt/cw svc/host" -service "" "\"q")");
    // The process's own command line names this program first.
    const std::vector<std::string> args = SplitCommandLine(SystemServiceApi().GetCommandLineA());
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(fs::path(args[0]).filename(), "lmsystem_tests");
}

// The wrapper over systemd, with a scripted `systemctl` first on PATH and its own unit
// directory. The stand-in logs its arguments to calls.log, answers `show` with the LoadState in
// `load` and the next ActiveState of `active` (the last one stays), and fails a verb for which a
// file fail-<verb> exists.
class CLmSysSrvSystemdTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
        fs::create_directories(m_dir / "bin");
        fs::create_directories(m_dir / "units");
        WriteFile(Bin() / "systemctl", R"sh(#!/bin/sh
dir=$(dirname "$0")
printf '%s\n' "$*" >> "$dir/calls.log"
[ -e "$dir/fail-$1" ] && exit 1
if [ "$1" = show ]; then
    active=$(head -n 1 "$dir/active" 2>/dev/null)
    if [ "$(wc -l < "$dir/active")" -gt 1 ]; then sed -i 1d "$dir/active"; fi
    printf 'LoadState=%s\nActiveState=%s\n' "$(cat "$dir/load" 2>/dev/null || echo loaded)" "${active:-inactive}"
fi
exit 0
)sh");
        fs::permissions(Bin() / "systemctl", fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        m_path = std::make_unique<ScopedEnv>(
            "PATH", (Bin().string() + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str());
        m_unitDir =
            std::make_unique<ScopedEnv>("CARDWISE_SYSTEMD_UNIT_DIR", (m_dir / "units").c_str());

        s_strCommandLine.clear();
        s_strModulePath = "/opt/cw svc/host%1";
        s_nSleeps = 0;
        m_api = SystemServiceApi();
        m_api.GetCommandLineA = [] { return s_strCommandLine.c_str(); };
        m_api.GetModuleFileNameA = [](HMODULE, char* name, DWORD size) -> DWORD {
            const std::size_t length = std::min<std::size_t>(s_strModulePath.size(), size - 1);
            std::memcpy(name, s_strModulePath.data(), length);
            name[length] = '\0';
            return static_cast<DWORD>(length);
        };
        m_api.Sleep = [](DWORD) { ++s_nSleeps; };
        SetActiveServiceApi(&m_api);
    }

    void TearDown() override
    {
        SetActiveServiceApi(nullptr);
        m_path.reset();
        m_unitDir.reset();
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    fs::path Bin() const { return m_dir / "bin"; }
    fs::path Unit() const { return m_dir / "units" / "CwTest.service"; }

    void Script(const std::string& load, const std::vector<std::string>& active)
    {
        WriteFile(Bin() / "load", load + "\n");
        std::string lines;
        for (const std::string& state : active)
            lines += state + "\n";
        WriteFile(Bin() / "active", lines);
    }

    std::vector<std::string> Calls() const
    {
        std::vector<std::string> calls;
        std::ifstream log(Bin() / "calls.log");
        for (std::string line; std::getline(log, line);)
            calls.push_back(line);
        return calls;
    }

    // InitInstance for `commandLine`; its result, with the console output in `output`.
    int Run(const std::string& commandLine, std::string* output)
    {
        s_strCommandLine = commandLine;
        CLmSysSrv service("CwTest");
        ::testing::internal::CaptureStdout();
        const int result = service.InitInstance();
        *output = ::testing::internal::GetCapturedStdout();
        return result;
    }

    static inline std::string s_strCommandLine;
    static inline std::string s_strModulePath;
    static inline std::atomic<int> s_nSleeps{0};

    fs::path m_dir;
    std::unique_ptr<ScopedEnv> m_path;
    std::unique_ptr<ScopedEnv> m_unitDir;
    ServiceApi m_api{};
};

const std::string kShow = "show --property=LoadState,ActiveState CwTest.service";

TEST_F(CLmSysSrvSystemdTest, InstallWritesAnEnabledUnitAndReloads)
{
    Script("not-found", {"inactive"});
    std::string output;
    EXPECT_EQ(Run("host install", &output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(ReadFile(Unit()), "# Installed by the LmSystem service wrapper.\n"
                                "[Unit]\n"
                                "Description=CwTest\n"
                                "\n"
                                "[Service]\n"
                                "Type=notify\n"
                                "ExecStart=\"/opt/cw svc/host%%1\" -service\n"
                                "\n"
                                "[Install]\n"
                                "WantedBy=multi-user.target\n");
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow, "daemon-reload", "enable CwTest.service"}));
}

// The program's path comes back from the unit as that one path, whatever it holds; a path
// that no unit line can hold installs nothing.
TEST_F(CLmSysSrvSystemdTest, InstallQuotesAnyProgramPath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/b\" install/host", R"("/opt/b\" install/host" -service)"},
        {"/opt/b\\\" x/host", R"("/opt/b\\\" x/host" -service)"},
        {"/opt/back\\slash\\", R"("/opt/back\\slash\\" -service)"},
        {"/opt/100%/$HOME/host", R"("/opt/100%%/$$HOME/host" -service)"},
        {"/opt/new\nline/host", nullptr},
    };
    for (const auto& [path, execStart] : cases) {
        Script("not-found", {"inactive"});
        fs::remove(Unit());
        s_strModulePath = path;
        std::string output;
        EXPECT_EQ(Run("host install", &output), 0);
        if (execStart == nullptr)
            EXPECT_FALSE(fs::exists(Unit())) << path;
        else
            EXPECT_NE(ReadFile(Unit()).find("\nExecStart=" + std::string(execStart) + "\n"),
                      std::string::npos)
                << path << "\n"
                << ReadFile(Unit());
    }
}

TEST_F(CLmSysSrvSystemdTest, InstallLeavesAnExistingUnitAlone)
{
    Script("loaded", {"inactive"});
    std::string output;
    EXPECT_EQ(Run("host install", &output), 0);
    EXPECT_FALSE(fs::exists(Unit()));
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow}));

    // Nor does it replace a unit file of that name.
    Script("not-found", {"inactive"});
    WriteFile(Unit(), "mine\n");
    EXPECT_EQ(Run("host install", &output), 0);
    EXPECT_EQ(ReadFile(Unit()), "mine\n");
}

TEST_F(CLmSysSrvSystemdTest, InstallTakesTheUnitBackWhenEnablingFails)
{
    Script("not-found", {"inactive"});
    WriteFile(Bin() / "fail-enable", "");
    std::string output;
    EXPECT_EQ(Run("host install", &output), 0);
    EXPECT_FALSE(fs::exists(Unit()));
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow, "daemon-reload", "enable CwTest.service",
                                                 "daemon-reload"}));
}

TEST_F(CLmSysSrvSystemdTest, StartRunsSystemctlStart)
{
    Script("loaded", {"inactive"});
    std::string output;
    EXPECT_EQ(Run("host start", &output), 0);
    EXPECT_EQ(output, "Start Service Successed\n");
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow, kShow, "start CwTest.service"}));

    WriteFile(Bin() / "fail-start", "");
    EXPECT_EQ(Run("host start", &output), 0);
    EXPECT_EQ(output, "");
}

TEST_F(CLmSysSrvSystemdTest, StopFollowsTheUnitUntilItIsInactive)
{
    Script("loaded",
           {"active", "active", "deactivating", "deactivating", "deactivating", "inactive"});
    std::string output;
    EXPECT_EQ(Run("host stop", &output), 1);
    EXPECT_EQ(output, "Stopping OrbService...\nOrbService stopped.\n");
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow, kShow, "stop --no-block CwTest.service",
                                                 kShow, kShow, kShow, kShow}));
    EXPECT_EQ(s_nSleeps.load(), 3);
}

TEST_F(CLmSysSrvSystemdTest, StopOfAnInactiveServicePrintsNothing)
{
    Script("loaded", {"failed"});
    std::string output;
    EXPECT_EQ(Run("host stop", &output), 1);
    EXPECT_EQ(output, "");
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow, kShow}));
}

TEST_F(CLmSysSrvSystemdTest, RemoveStopsDisablesAndDeletesTheUnit)
{
    Script("loaded", {"active", "active", "deactivating", "inactive"});
    WriteFile(Unit(), "unit\n");
    std::string output;
    EXPECT_EQ(Run("host remove", &output), 0);
    EXPECT_EQ(output, "");
    EXPECT_FALSE(fs::exists(Unit()));
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{kShow, kShow, "stop --no-block CwTest.service", kShow,
                                        kShow, "disable CwTest.service", "daemon-reload"}));
}

TEST_F(CLmSysSrvSystemdTest, RemoveLeavesUnitsItDidNotInstall)
{
    Script("loaded", {"inactive"});
    std::string output;
    EXPECT_EQ(Run("host remove", &output), 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{kShow, kShow}));
}

TEST_F(CLmSysSrvSystemdTest, WithoutSystemctlThereIsNoManager)
{
    ScopedEnv path("PATH", (m_dir / "empty").c_str());
    std::string output;
    EXPECT_EQ(Run("host start", &output), 0);
    EXPECT_EQ(output, "OpenSCManager failed.\n");
}

// What the dispatcher thread reports when its dispatcher call returns.
std::atomic<int> g_dispatchResult{-1};
int g_dispatchDoneFd = -1;

TEST_F(CLmSysSrvSystemdTest, RunsUnderTheManagerUntilSigterm)
{
    // Given a process that systemd started, with this test as its notify socket.
    NotifyReceiver receiver(UniqueAbstractAddress());
    ASSERT_TRUE(receiver.Bound());
    ScopedEnv notify("NOTIFY_SOCKET", receiver.Address().c_str());
    ScopedEnv invocation("INVOCATION_ID", nullptr);
    s_strCommandLine = "host -service";
    // The stop's wait for the host thread is cut short, and the dispatcher's end is seen.
    m_api.WaitForSingleObject = [](void* handle, DWORD ms) {
        return SystemServiceApi().WaitForSingleObject(
            handle, ms == kInfinite ? ms : std::min<DWORD>(ms, 50));
    };
    m_api.StartServiceCtrlDispatcherA = [](const ServiceTableEntry* table) {
        const BOOL result = SystemServiceApi().StartServiceCtrlDispatcherA(table);
        g_dispatchResult = result;
        const std::uint64_t one = 1;
        EXPECT_EQ(::write(g_dispatchDoneFd, &one, sizeof one), 8);
        return result;
    };
    g_dispatchResult = -1;
    g_dispatchDoneFd = ::eventfd(0, EFD_CLOEXEC);
    const int exitFd = ::eventfd(0, EFD_CLOEXEC);
    ASSERT_GE(g_dispatchDoneFd, 0);
    ASSERT_GE(exitFd, 0);

    {
        CLmSysSrv service("CwTest");
        service.SetAppExitEvent(EventHandle(exitFd));
        ASSERT_EQ(service.InitInstance(), 1);

        // When it has started, then a stop arrives as SIGTERM.
        const std::optional<std::string> starting = receiver.Receive();
        ASSERT_TRUE(starting);
        EXPECT_EQ(starting->rfind("STATUS=Starting (checkpoint ", 0), 0u) << *starting;
        EXPECT_NE(starting->find("\nEXTEND_TIMEOUT_USEC=3000000"), std::string::npos);
        EXPECT_EQ(receiver.Receive(), "READY=1\nSTATUS=Running");
        ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);

        // Then the host's exit event is signalled, the manager told, and the dispatch ends.
        EXPECT_TRUE(WaitReadable(exitFd, 10000));
        EXPECT_EQ(receiver.Receive(), "STOPPING=1\nSTATUS=Stopped");
        EXPECT_TRUE(WaitReadable(g_dispatchDoneFd, 10000));
        EXPECT_EQ(g_dispatchResult.load(), 1);
    }

    struct sigaction action = {};
    ::sigaction(SIGTERM, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
    ::close(exitFd);
    ::close(g_dispatchDoneFd);
}

#ifdef LMSYS_SERVICE_HOST
const char* const kServiceHost = LMSYS_SERVICE_HOST;
#else
const char* const kServiceHost = "";
#endif

TEST_F(CLmSysSrvSystemdTest, SampleHostEndsWhenSystemdStopsIt)
{
    if (*kServiceHost == '\0')
        GTEST_SKIP() << "the sample host (examples/service-host) is not part of this build";

    // Given the sample host started as systemd would start its unit.
    NotifyReceiver receiver(UniqueAbstractAddress());
    ASSERT_TRUE(receiver.Bound());
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("NOTIFY_SOCKET=", 0) != 0 && entry.rfind("INVOCATION_ID=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("NOTIFY_SOCKET=" + receiver.Address());
    std::vector<char*> envp;
    envp.reserve(env.size() + 1);
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = kServiceHost;
    std::string argument = "-service";
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, kServiceHost, nullptr, nullptr, argv, envp.data()), 0);

    // When it reports it runs and then gets SIGTERM.
    const std::optional<std::string> starting = receiver.Receive();
    ASSERT_TRUE(starting);
    EXPECT_EQ(starting->rfind("STATUS=Starting", 0), 0u) << *starting;
    const std::optional<std::string> running = receiver.Receive();
    EXPECT_EQ(running, "READY=1\nSTATUS=Running");
    ASSERT_EQ(::kill(pid, SIGTERM), 0);

    // Then it reports the stop and ends by itself, successfully.
    EXPECT_EQ(receiver.Receive(), "STOPPING=1\nSTATUS=Stopped");
    int status = 0;
    pid_t ended = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        ::usleep(20000);
    if (ended == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        FAIL() << "the host did not end after SIGTERM";
    }
    ASSERT_EQ(ended, pid);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace lmsys
