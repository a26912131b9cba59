// SPDX-License-Identifier: GPL-3.0-or-later
// The cards' password: option, file, environment or a prompt with the echo off.
#include "CliPassword.h"

#include <QFile>

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// A password line longer than this is no password.
constexpr qint64 LINE_MAX_BYTES = 1024;

QString FirstLine(const QByteArray& strBytes)
{
    QByteArray strLine = strBytes.left(strBytes.indexOf('\n'));
    if (strLine.endsWith('\r'))
        strLine.chop(1);
    return QString::fromUtf8(strLine);
}

std::optional<QString> Prompt()
{
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    termios saved{};
    const bool bTerminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (bTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string strLine;
    int ch = 0;
    while ((ch = std::getchar()) != EOF && ch != '\n' && strLine.size() < LINE_MAX_BYTES)
        strLine += static_cast<char>(ch);
    if (bTerminal)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    if (ch == EOF && strLine.empty())
        return std::nullopt;
    return FirstLine(QByteArray::fromStdString(strLine));
}

} // namespace

std::optional<QString> ReadPassword(const SCliOptions& options, QString& strError)
{
    if (options.bPasswordGiven)
        return options.strPassword;
    if (!options.strPasswordFile.isEmpty()) {
        QFile file(options.strPasswordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            strError = QStringLiteral("%1: %2").arg(options.strPasswordFile, file.errorString());
            return std::nullopt;
        }
        return FirstLine(file.read(LINE_MAX_BYTES));
    }
    if (qEnvironmentVariableIsSet("CARDWISE_PASSWORD"))
        return qEnvironmentVariable("CARDWISE_PASSWORD");
    if (::isatty(STDIN_FILENO)) {
        if (std::optional<QString> strTyped = Prompt())
            return strTyped;
    }
    strError = QStringLiteral("no password: give --password-file FILE, set CARDWISE_PASSWORD, "
                              "or run on a terminal to type it");
    return std::nullopt;
}
