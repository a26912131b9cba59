// SPDX-License-Identifier: LGPL-2.1-or-later
// CLmSysSrv against the real service control manager (Windows, or Wine): the sample host of
// examples/ installed, started as a service, stopped and removed.
#include <LmSystem/SysSrv.h>

#include "platform/ServiceApi.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <chrono>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace lmsys {
namespace {

// The sample host names its service so.
const char kServiceName[] = "CardwiseSampleService";

#ifdef LMSYS_SERVICE_HOST
const char* const kServiceHost = LMSYS_SERVICE_HOST;
#else
const char* const kServiceHost = "";
#endif

// The host's path as Windows sees it; the build gives a path of the build machine, which Wine
// shows on drive Z:.
std::string HostPath()
{
    std::string path = kServiceHost;
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path)
            c = c == '/' ? '\\' : c;
    }
    return path;
}

int CountProcesses(const char* exeName)
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry))
        count += ::lstrcmpiA(entry.szExeFile, exeName) == 0 ? 1 : 0;
    ::CloseHandle(snapshot);
    return count;
}

// The service's entry as the manager reports it.
struct Entry
{
    DWORD dwOpenError = 0; // non-zero when the service can't be opened
    std::string strBinaryPath;
    DWORD dwServiceType = 0;
    DWORD dwStartType = 0;
    SERVICE_STATUS status = {};
};

Entry QueryEntry()
{
    Entry entry;
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        entry.dwOpenError = ::GetLastError();
        return entry;
    }
    SC_HANDLE service = ::OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS);
    if (service == nullptr) {
        entry.dwOpenError = ::GetLastError();
        ::CloseServiceHandle(manager);
        return entry;
    }
    DWORD needed = 0;
    ::QueryServiceConfigA(service, nullptr, 0, &needed);
    std::vector<char> buffer(needed + sizeof(QUERY_SERVICE_CONFIGA));
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (::QueryServiceConfigA(service, config, static_cast<DWORD>(buffer.size()), &needed)) {
        entry.strBinaryPath = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : "";
        entry.dwServiceType = config->dwServiceType;
        entry.dwStartType = config->dwStartType;
    }
    ::QueryServiceStatus(service, &entry.status);
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return entry;
}

// The service's state once it is `state`, or the last one read within 20 s.
DWORD WaitForState(DWORD state)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    DWORD current = 0;
    while ((current = QueryEntry().status.dwCurrentState) != state &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return current;
}

class CLmSysSrvWindowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (*kServiceHost == '\0')
            GTEST_SKIP() << "the sample host (examples/service-host) is not part of this build";
        // A fresh Wine prefix may run two service managers, which then each know only the
        // services created through them; booting the prefix once more leaves one.
        if (CountProcesses("services.exe") > 1)
            GTEST_SKIP() << "more than one services.exe runs: the service manager is split";

        s_strModulePath = HostPath();
        m_api = SystemServiceApi();
        m_api.GetCommandLineA = [] { return s_strCommandLine.c_str(); };
        // Installs the sample host instead of this test program.
        m_api.GetModuleFileNameA = [](HMODULE, char* name, DWORD size) -> DWORD {
            const std::size_t length = std::min<std::size_t>(s_strModulePath.size(), size - 1);
            std::memcpy(name, s_strModulePath.data(), length);
            name[length] = '\0';
            return static_cast<DWORD>(length);
        };
        SetActiveServiceApi(&m_api);
        std::string output;
        Run("remove", &output); // left over from an interrupted run
    }

    void TearDown() override
    {
        if (!IsSkipped()) {
            std::string output;
            Run("remove", &output);
        }
        SetActiveServiceApi(nullptr);
    }

    int Run(const std::string& command, std::string* output)
    {
        s_strCommandLine = '"' + s_strModulePath + "\" " + command;
        CLmSysSrv service(kServiceName);
        ::testing::internal::CaptureStdout();
        const int result = service.InitInstance();
        *output = ::testing::internal::GetCapturedStdout();
        return result;
    }

    static inline std::string s_strCommandLine;
    static inline std::string s_strModulePath;
    ServiceApi m_api{};
};

TEST_F(CLmSysSrvWindowsTest, ManagesTheSampleHostAsAService)
{
    std::string output;

    // Install: an automatic service of the host's quoted path with "-service".
    ASSERT_EQ(Run("install", &output), 0);
    EXPECT_EQ(output, "");
    Entry entry = QueryEntry();
    ASSERT_EQ(entry.dwOpenError, 0u);
    EXPECT_EQ(entry.strBinaryPath, '"' + HostPath() + "\"  -service");
    EXPECT_EQ(entry.dwServiceType, 0x110u);
    EXPECT_EQ(entry.dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(entry.status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));

    // Start: the manager runs the host with "-service", which reports it runs.
    EXPECT_EQ(Run("start", &output), 0);
    EXPECT_EQ(output, "Start Service Successed\n");
    EXPECT_EQ(WaitForState(SERVICE_RUNNING), static_cast<DWORD>(SERVICE_RUNNING));
    entry = QueryEntry();
    EXPECT_EQ(entry.status.dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP));
    EXPECT_EQ(entry.status.dwCheckPoint, 0u);

    // A second start is refused, silently.
    EXPECT_EQ(Run("start", &output), 0);
    EXPECT_EQ(output, "");

    // Stop: followed on the console; the host goes on afterwards.
    EXPECT_EQ(Run("stop", &output), 1);
    EXPECT_TRUE(
        std::regex_match(output, std::regex("Stopping OrbService\\.+\nOrbService stopped\\.\n")))
        << output;
    EXPECT_EQ(QueryEntry().status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));

    // Stopping a stopped service prints nothing after opening it.
    EXPECT_EQ(Run("stop", &output), 1);
    EXPECT_EQ(output, "");

    // Remove: the entry is gone.
    EXPECT_EQ(Run("remove", &output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(QueryEntry().dwOpenError, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(Run("start", &output), 0);
    EXPECT_EQ(output, "");
}

} // namespace
} // namespace lmsys
