// SPDX-License-Identifier: GPL-3.0-or-later
// The programs the main window starts for a card (web page, ping, telnet) and for the PC's
// own IP configuration. The window gets them through its constructor; tests record instead.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct CDeviceTools
{
    // Opens a URL with the desktop's handler; failures are not reported.
    std::function<void(const QString& strUrl)> fnOpenUrl;
    // Starts a console command (program and arguments) in a terminal window, detached;
    // failures are not reported.
    std::function<void(const QStringList& arrCommand)> fnRunInTerminal;
    // Runs the IP configuration tool and collects its standard output and error; false when
    // the tool cannot be started.
    std::function<bool(QByteArray& strOutput)> fnRunIpConfig;
};

// The desktop's URL handler; $TERMINAL, x-terminal-emulator, then xterm; `ip address`.
CDeviceTools SystemDeviceTools();
