// SPDX-License-Identifier: LGPL-2.1-or-later
// Running `systemctl` and reading a unit's state from it.
#include "platform/Systemctl.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lmsys::systemd {

namespace {

constexpr std::size_t kMaxOutput = std::size_t{64} * 1024;

} // namespace

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
        dir += '/';
        dir += program;
        if (::access(dir.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            return false;
        start = colon + 1;
    }
}

int RunSystemctl(const std::vector<std::string>& args, std::string* output)
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

} // namespace lmsys::systemd
