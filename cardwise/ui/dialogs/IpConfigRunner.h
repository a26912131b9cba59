// SPDX-License-Identifier: GPL-3.0-or-later
// CIpConfigRunner: the IpConfig button of the main window: runs the tool that lists the PC's IP
// configuration and shows what it wrote.
#pragma once

#include "MessageSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Runs the tool and collects its standard output and error; false when it cannot be started.
// Same form as CDeviceTools::fnRunIpConfig of the main window.
using IpConfigToolRunner = std::function<bool(QByteArray& strOutput)>;

class CIpConfigRunner
{
public:
    // The longest the window waits for the tool before it stops it and shows what it has.
    static constexpr int TOOL_TIMEOUT_MS = 10000;

    // fnRunTool empty: `ip address` (RunIpAddressTool).
    CIpConfigRunner(IpConfigToolRunner fnRunTool, MessageBoxSink fnMessageBox);

    // The button handler: the tool's whole output in a box captioned "IpConfig Output", from
    // its first character that is no line end; "Command Ipcofig exec failed" when the tool
    // cannot be started.
    void OnIpConfig() const;

    // The output without the carriage returns and line feeds at its start; its end stays.
    static QByteArray TrimLeadingLineEnds(const QByteArray& strOutput);

private:
    IpConfigToolRunner m_fnRunTool;
    MessageBoxSink m_fnMessageBox;
};

// Runs program with arguments, standard output and error merged, and waits up to nTimeoutMs
// for it to end; a program still running then is killed and what it wrote so far is the
// output. False when it cannot be started.
bool RunToolWithTimeout(const QString& strProgram, const QStringList& arrArguments, int nTimeoutMs,
                        QByteArray& strOutput);

// `ip address`, within CIpConfigRunner::TOOL_TIMEOUT_MS.
bool RunIpAddressTool(QByteArray& strOutput);
