// SPDX-License-Identifier: LGPL-2.1-or-later
// Unit files of the services the wrapper installs: names, ExecStart quoting, the file's text.
#include "platform/SystemdUnit.h"

#include "CommandLine.h"
#include "platform/Systemctl.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace lmsys::systemd {

namespace {

constexpr const char* kDefaultUnitDirectory = "/etc/systemd/system";
constexpr std::size_t kMaxNameLength = 200;

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
    // A unit file's lines end at a newline; refused rather than trusted to an escape.
    for (const std::string& arg : args) {
        if (arg.find('\n') != std::string::npos)
            return {};
    }
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

} // namespace lmsys::systemd
