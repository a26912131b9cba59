// The service manager operations on Linux: systemd units, `systemctl` and the notify socket.
#include "platform/SystemdService.h"

#include "CommandLine.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lmsys::systemd {

namespace {

constexpr const char* kDefaultUnitDirectory = "/etc/systemd/system";
constexpr std::size_t kMaxNameLength = 200;
constexpr std::size_t kMaxOutput = 64 * 1024;

// --- systemctl -----------------------------------------------------------------------------

bool FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    const std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? colon : colon - start);
        if (dir.empty())
            dir = ".";
        if (::access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            return false;
        start = colon + 1;
    }
}

// Runs `systemctl args...` with no input and no error output (the wrapper's console messages
// are the only ones). Its exit status, or -1 when it can't be run; `output`, when given,
// receives the first 64 KiB of its standard output.
int RunSystemctl(const std::vector<std::string>& args, std::string* output = nullptr)
{
    int pipeFds[2] = {-1, -1};
    if (output != nullptr && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output != nullptr)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    std::string program = "systemctl";
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, "systemctl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output != nullptr)
        ::close(pipeFds[1]);
    if (spawned != 0) {
        if (output != nullptr)
            ::close(pipeFds[0]);
        return -1;
    }

    if (output != nullptr) {
        output->clear();
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            // Read to the end even past the limit, so the child never blocks on a full pipe.
            const std::size_t room = kMaxOutput - std::min(kMaxOutput, output->size());
            output->append(buffer, std::min(room, static_cast<std::size_t>(n)));
        }
        ::close(pipeFds[0]);
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string UnitName(const std::string& name)
{
    return name + ".service";
}

struct UnitState
{
    bool bKnown = false; // systemctl answered
    std::string strLoad;
    std::string strActive;
};

UnitState ShowUnit(const std::string& name)
{
    UnitState state;
    std::string output;
    if (RunSystemctl({"show", "--property=LoadState,ActiveState", UnitName(name)}, &output) != 0)
        return state;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string line = output.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            const std::string key = line.substr(0, equals);
            if (key == "LoadState")
                state.strLoad = line.substr(equals + 1);
            else if (key == "ActiveState")
                state.strActive = line.substr(equals + 1);
        }
        start = end + 1;
    }
    state.bKnown = !state.strLoad.empty();
    return state;
}

bool Exists(const UnitState& state)
{
    return state.bKnown && state.strLoad != "not-found";
}

DWORD ServiceState(const UnitState& state)
{
    const std::string& active = state.strActive;
    if (active == "active" || active == "reloading" || active == "refreshing")
        return kServiceRunning;
    if (active == "activating")
        return kServiceStartPending;
    if (active == "deactivating")
        return kServiceStopPending;
    // inactive, failed, maintenance and states of later systemd versions
    return kServiceStopped;
}

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

// --- handles of the manager and of services ----------------------------------------------

struct ScObject
{
    bool bManager;
    std::string strName; // the service's; empty for the manager
};

struct ScObjects
{
    std::mutex mutex;
    std::set<ScObject*> live;
};

// Never destroyed: a thread may still close a handle while the process exits.
ScObjects& Objects()
{
    static ScObjects* objects = new ScObjects;
    return *objects;
}

void* NewObject(bool manager, const std::string& name)
{
    auto* object = new ScObject{manager, name};
    ScObjects& objects = Objects();
    std::lock_guard<std::mutex> lock(objects.mutex);
    objects.live.insert(object);
    return object;
}

// Whether `handle` is a live object of the kind asked for; `name` receives a service's name.
bool Lookup(void* handle, bool manager, std::string* name = nullptr)
{
    ScObjects& objects = Objects();
    std::lock_guard<std::mutex> lock(objects.mutex);
    const auto it = objects.live.find(static_cast<ScObject*>(handle));
    if (it == objects.live.end() || (*it)->bManager != manager)
        return false;
    if (name != nullptr)
        *name = (*it)->strName;
    return true;
}

// --- unit files ----------------------------------------------------------------------------

bool NeedsQuotes(const std::string& arg)
{
    if (arg.empty())
        return true;
    for (const char c : arg) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '"' || c == '\'' || c == '\\' || c == ';')
            return true;
    }
    return false;
}

// One word of ExecStart: specifiers and variables escaped, quoted with C escapes when needed.
std::string ExecWord(const std::string& arg, bool alwaysQuote)
{
    const bool quote = alwaysQuote || NeedsQuotes(arg);
    std::string word;
    if (quote)
        word += '"';
    for (const char c : arg) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '%' || c == '$') {
            word += c;
            word += c;
        } else if (c == '"' || c == '\\') {
            word += '\\';
            word += c;
        } else if (u < 0x20 || u == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", u);
            word += escape;
        } else {
            word += c;
        }
    }
    if (quote)
        word += '"';
    return word;
}

// A single line of a unit file: control characters become blanks, specifiers are escaped and
// no backslash at the end continues the line.
std::string UnitValue(const std::string& text)
{
    std::string value;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            value += ' ';
        else if (c == '%')
            value += "%%";
        else
            value += c;
    }
    while (!value.empty() && (value.back() == '\\' || value.back() == ' '))
        value.pop_back();
    return value;
}

bool IsValidAccount(const std::string& account)
{
    if (account.empty() || account.size() > 32 || account[0] == '-')
        return false;
    for (const char c : account) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

// The account for User=: empty for the local system account.
bool ParseAccount(const char* account, std::string* user)
{
    user->clear();
    if (account == nullptr || *account == '\0' || std::strcmp(account, "LocalSystem") == 0 ||
        std::strcmp(account, ".\\LocalSystem") == 0)
        return true;
    *user = account;
    if (user->compare(0, 2, ".\\") == 0)
        user->erase(0, 2);
    return IsValidAccount(*user);
}

// A list of names, each terminated by a zero, ending with an empty name.
bool ParseDependencies(const char* list, std::vector<std::string>* names)
{
    names->clear();
    if (list == nullptr)
        return true;
    for (const char* p = list; *p != '\0'; p += std::strlen(p) + 1) {
        if (!IsValidServiceName(p))
            return false;
        names->push_back(p);
    }
    return true;
}

bool WriteNewFile(const std::string& path, const std::string& text)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const bool closed = ::close(fd) == 0;
    if (written == text.size() && closed)
        return true;
    ::unlink(path.c_str());
    return false;
}

// --- the dispatcher ------------------------------------------------------------------------

// The process's one service dispatch: set up by StartServiceCtrlDispatcherA, fed by the status
// reports and by SIGTERM through a pipe that lives as long as the process.
struct Dispatcher
{
    std::mutex mutex;
    bool bRunning = false;
    std::string strName;
    std::string strNotifyAddress;
    HandlerProc handler = nullptr;
    std::uintptr_t token = 0; // the status handle while running
    std::uintptr_t lastToken = 0;
    bool bHasStatus = false;
    ServiceStatus status{};
    bool bStopRequested = false;
    int wakeRead = -1;
    int wakeWrite = -1;
};

Dispatcher& TheDispatcher()
{
    static Dispatcher* dispatcher = [] {
        auto* d = new Dispatcher;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            d->wakeRead = fds[0];
            d->wakeWrite = fds[1];
        }
        return d;
    }();
    return *dispatcher;
}

constexpr char kWakeStop = 'T';
constexpr char kWakeStatus = 'S';

std::atomic<int> g_sigtermWakeFd{-1};

extern "C" void OnSigterm(int)
{
    const int saved = errno;
    const int fd = g_sigtermWakeFd.load();
    if (fd >= 0) {
        const char c = kWakeStop;
        (void)!::write(fd, &c, 1);
    }
    errno = saved;
}

void Wake(const Dispatcher& d, char reason)
{
    (void)!::write(d.wakeWrite, &reason, 1);
}

// Reads what the pipe holds; whether a stop was asked for.
bool DrainWakes(const Dispatcher& d)
{
    bool stop = false;
    char buffer[64];
    ssize_t n;
    while ((n = ::read(d.wakeRead, buffer, sizeof buffer)) > 0) {
        if (std::memchr(buffer, kWakeStop, static_cast<std::size_t>(n)) != nullptr)
            stop = true;
    }
    return stop;
}

} // namespace

std::string UnitDirectory()
{
    const char* dir = std::getenv("CARDWISE_SYSTEMD_UNIT_DIR");
    return dir != nullptr && *dir != '\0' ? dir : kDefaultUnitDirectory;
}

bool IsValidServiceName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameLength || name[0] == '.')
        return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' || c == ':';
        if (!ok)
            return false;
    }
    return true;
}

std::string ExecStartValue(const std::string& commandLine)
{
    const std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty() || args[0][0] != '/')
        return {};
    std::string value = ExecWord(args[0], true);
    for (std::size_t i = 1; i < args.size(); ++i) {
        value += ' ';
        value += ExecWord(args[i], false);
    }
    return value;
}

std::string UnitFileText(const UnitSpec& unit)
{
    std::string text = "# Installed by the LmSystem service wrapper.\n"
                       "[Unit]\n"
                       "Description=" +
                       UnitValue(unit.strDisplayName) + "\n";
    if (!unit.dependencies.empty()) {
        std::string units;
        for (const std::string& name : unit.dependencies)
            units += (units.empty() ? "" : " ") + UnitName(name);
        text += "Requires=" + units + "\nAfter=" + units + "\n";
    }
    text += "\n[Service]\n"
            "Type=notify\n"
            "ExecStart=" +
            unit.strExecStart + "\n";
    if (!unit.strAccount.empty())
        text += "User=" + unit.strAccount + "\n";
    text += "\n[Install]\n"
            "WantedBy=multi-user.target\n";
    return text;
}

std::string NotifyMessage(const ServiceStatus& status)
{
    struct StateText
    {
        unsigned long dwState;
        const char* pszLines; // what systemd acts on
        const char* pszText;
        bool bPending;
    };
    static const StateText kTexts[] = {
        {kServiceStopped, "STOPPING=1\n", "Stopped", false},
        {kServiceStartPending, "", "Starting", true},
        {kServiceStopPending, "STOPPING=1\n", "Stopping", true},
        {kServiceRunning, "READY=1\n", "Running", false},
        {5, "", "Continuing", true},
        {6, "", "Pausing", true},
        {7, "", "Paused", false},
    };
    StateText entry = {status.dwCurrentState, "", "Unknown state", false};
    for (const StateText& text : kTexts) {
        if (text.dwState == status.dwCurrentState)
            entry = text;
    }

    std::string message = std::string(entry.pszLines) + "STATUS=" + entry.pszText;
    char detail[64];
    if (entry.bPending) {
        std::snprintf(detail, sizeof detail, " (checkpoint %lu)", status.dwCheckPoint);
        message += detail;
    } else if (entry.dwState == kServiceStopped && status.dwWin32ExitCode != 0) {
        std::snprintf(detail, sizeof detail, " (exit code %lu)", status.dwWin32ExitCode);
        message += detail;
    }
    // The wait hint asks the manager for that much more time for the pending step.
    if (entry.bPending && status.dwWaitHint != 0) {
        std::snprintf(detail, sizeof detail, "\nEXTEND_TIMEOUT_USEC=%llu",
                      static_cast<unsigned long long>(status.dwWaitHint) * 1000ULL);
        message += detail;
    }
    return message;
}

bool SendNotify(const std::string& address, const std::string& message)
{
    if (address.empty())
        return true;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const bool abstract = address[0] == '@';
    if (!abstract && address[0] != '/')
        return false;
    // A path needs room for its terminating zero; an abstract name has none.
    if (address.size() > sizeof addr.sun_path ||
        (!abstract && address.size() == sizeof addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, address.data(), address.size());
    if (abstract)
        addr.sun_path[0] = '\0';
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ssize_t sent;
    do {
        sent = ::sendto(fd, message.data(), message.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&addr), length);
    } while (sent < 0 && errno == EINTR);
    ::close(fd);
    return sent == static_cast<ssize_t>(message.size());
}

bool StartedByServiceManager()
{
    const char* notify = std::getenv("NOTIFY_SOCKET");
    const char* invocation = std::getenv("INVOCATION_ID");
    return (notify != nullptr && *notify != '\0') || (invocation != nullptr && *invocation != '\0');
}

void* OpenSCManagerA(const char* machine, const char* database, DWORD /*access*/)
{
    if (machine != nullptr && *machine != '\0')
        return nullptr; // only the local computer's manager
    if (database != nullptr && std::strcmp(database, "ServicesActive") != 0)
        return nullptr;
    if (!FindOnPath("systemctl"))
        return nullptr;
    return NewObject(true, {});
}

void* OpenServiceA(void* manager, const char* name, DWORD /*access*/)
{
    if (!Lookup(manager, true) || name == nullptr || !IsValidServiceName(name))
        return nullptr;
    if (!Exists(ShowUnit(name)))
        return nullptr;
    return NewObject(false, name);
}

void* CreateServiceA(void* manager, const char* name, const char* displayName, DWORD /*access*/,
                     DWORD /*serviceType*/, DWORD startType, DWORD /*errorControl*/,
                     const char* binaryPath, const char* /*loadOrderGroup*/, DWORD* tagId,
                     const char* dependencies, const char* account, const char* /*password*/)
{
    if (!Lookup(manager, true) || name == nullptr || !IsValidServiceName(name) ||
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
    return NewObject(false, name);
}

BOOL DeleteService(void* service)
{
    std::string name;
    if (!Lookup(service, false, &name))
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
    if (status == nullptr || !Lookup(service, false, &name))
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
    if (status == nullptr || !Lookup(service, false, &name))
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
        !Lookup(service, false, &name))
        return 0;
    // Returns once the service reported it runs, or failed.
    return RunSystemctl({"start", UnitName(name)}) == 0 ? 1 : 0;
}

BOOL CloseServiceHandle(void* handle)
{
    ScObjects& objects = Objects();
    std::lock_guard<std::mutex> lock(objects.mutex);
    const auto it = objects.live.find(static_cast<ScObject*>(handle));
    if (it == objects.live.end())
        return 0;
    delete *it;
    objects.live.erase(it);
    return 1;
}

BOOL StartServiceCtrlDispatcherA(const ServiceTableEntry* table)
{
    if (table == nullptr || table[0].lpServiceName == nullptr || table[0].lpServiceProc == nullptr)
        return 0;
    if (!StartedByServiceManager())
        return 0;
    Dispatcher& d = TheDispatcher();
    if (d.wakeRead < 0)
        return 0;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        if (d.bRunning)
            return 0;
        d.bRunning = true;
        d.strName = table[0].lpServiceName;
        const char* address = std::getenv("NOTIFY_SOCKET");
        d.strNotifyAddress = address != nullptr ? address : "";
        d.handler = nullptr;
        d.token = d.lastToken += 0x10;
        d.bHasStatus = false;
        d.bStopRequested = false;
    }
    DrainWakes(d);

    // SIGTERM may reach any thread; its handler only wakes this one.
    struct sigaction action = {};
    struct sigaction previous = {};
    action.sa_handler = OnSigterm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    g_sigtermWakeFd.store(d.wakeWrite);
    ::sigaction(SIGTERM, &action, &previous);

    auto finish = [&d, &previous] {
        ::sigaction(SIGTERM, &previous, nullptr);
        g_sigtermWakeFd.store(-1);
        std::lock_guard<std::mutex> lock(d.mutex);
        d.bRunning = false;
        d.handler = nullptr;
        d.token = 0;
    };

    // As the manager does, ServiceMain runs on a thread of its own, with the service's name as
    // its argument; the dispatch ends once the service reports it stopped, not when that
    // thread ends.
    try {
        std::thread([proc = table[0].lpServiceProc,
                     name = std::string(table[0].lpServiceName)]() mutable {
            char* argv[] = {name.data(), nullptr};
            proc(1, argv);
        }).detach();
    } catch (const std::system_error&) {
        finish();
        return 0;
    }

    for (;;) {
        pollfd wake = {d.wakeRead, POLLIN, 0};
        if (::poll(&wake, 1, -1) < 0 && errno != EINTR)
            break;
        const bool stop = DrainWakes(d);
        HandlerProc handler = nullptr;
        {
            std::lock_guard<std::mutex> lock(d.mutex);
            if (stop)
                d.bStopRequested = true;
            if (d.bHasStatus && d.status.dwCurrentState == kServiceStopped)
                break;
            // A stop that comes before the service accepts one waits until it does.
            if (d.bStopRequested && d.handler != nullptr && d.bHasStatus &&
                (d.status.dwControlsAccepted & kServiceAcceptStop) != 0) {
                d.bStopRequested = false;
                handler = d.handler;
            }
        }
        if (handler != nullptr)
            handler(kServiceControlStop);
    }
    finish();
    return 1;
}

void* RegisterServiceCtrlHandlerA(const char* name, HandlerProc handler)
{
    if (name == nullptr || handler == nullptr)
        return nullptr;
    Dispatcher& d = TheDispatcher();
    std::lock_guard<std::mutex> lock(d.mutex);
    if (!d.bRunning || d.strName != name)
        return nullptr;
    d.handler = handler;
    return reinterpret_cast<void*>(d.token);
}

BOOL SetServiceStatus(void* statusHandle, ServiceStatus* status)
{
    if (status == nullptr)
        return 0;
    Dispatcher& d = TheDispatcher();
    std::string address;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        if (!d.bRunning || reinterpret_cast<std::uintptr_t>(statusHandle) != d.token)
            return 0;
        d.status = *status;
        d.bHasStatus = true;
        address = d.strNotifyAddress;
    }
    const bool sent = SendNotify(address, NotifyMessage(*status));
    Wake(d, kWakeStatus);
    return sent ? 1 : 0;
}

} // namespace lmsys::systemd
