// SPDX-License-Identifier: GPL-3.0-or-later
// The programs the main window starts: desktop URL handler, terminal emulator, `ip address`.
#include "DeviceTools.h"

#include "IpConfigRunner.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

void RunInTerminal(const QStringList& arrCommand)
{
    QStringList arrCandidates;
    const QString strPreferred = qEnvironmentVariable("TERMINAL");
    if (!strPreferred.isEmpty())
        arrCandidates << strPreferred;
    arrCandidates << QStringLiteral("x-terminal-emulator") << QStringLiteral("xterm");
    for (const QString& strTerminal : std::as_const(arrCandidates)) {
        if (QStandardPaths::findExecutable(strTerminal).isEmpty())
            continue;
        // The command goes as separate arguments, never through a shell.
        if (QProcess::startDetached(strTerminal, QStringList{QStringLiteral("-e")} + arrCommand))
            return;
    }
}

} // namespace

CDeviceTools SystemDeviceTools()
{
    CDeviceTools tools;
    tools.fnOpenUrl = [](const QString& strUrl) { QDesktopServices::openUrl(QUrl(strUrl)); };
    tools.fnRunInTerminal = RunInTerminal;
    tools.fnRunIpConfig = RunIpAddressTool;
    return tools;
}
