// The programs the main window starts: desktop URL handler, terminal emulator, `ip address`.
#include "DeviceTools.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

void RunInTerminal(const QStringList& arrCommand)
{
    QStringList arrCandidates;
    const QString strPreferred = qEnvironmentVariable("TERMINAL");
    if (!strPreferred.isEmpty()) {
        arrCandidates << strPreferred;
    }
    arrCandidates << QStringLiteral("x-terminal-emulator") << QStringLiteral("xterm");
    for (const QString& strTerminal : std::as_const(arrCandidates)) {
        if (QStandardPaths::findExecutable(strTerminal).isEmpty()) {
            continue;
        }
        // The command goes as separate arguments, never through a shell.
        if (QProcess::startDetached(strTerminal, QStringList{QStringLiteral("-e")} + arrCommand)) {
            return;
        }
    }
}

bool RunIpConfig(QByteArray& output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ip"), QStringList{QStringLiteral("address")});
    if (!process.waitForStarted()) {
        return false;
    }
    // Blocks the window until the tool ends, as reading its pipe did.
    process.waitForFinished(-1);
    output = process.readAll();
    return true;
}

} // namespace

CDeviceTools SystemDeviceTools()
{
    CDeviceTools tools;
    tools.fnOpenUrl = [](const QString& strUrl) { QDesktopServices::openUrl(QUrl(strUrl)); };
    tools.fnRunInTerminal = RunInTerminal;
    tools.fnRunIpConfig = RunIpConfig;
    return tools;
}
