// SPDX-License-Identifier: GPL-3.0-or-later
// CIpConfigRunner: the IpConfig button's tool run and output box.
#include "IpConfigRunner.h"

#include <QCoreApplication>
#include <QProcess>

CIpConfigRunner::CIpConfigRunner(IpConfigToolRunner fnRunTool, MessageBoxSink fnMessageBox)
    : m_fnRunTool(fnRunTool ? std::move(fnRunTool) : IpConfigToolRunner(RunIpAddressTool)),
      m_fnMessageBox(std::move(fnMessageBox))
{
}

QByteArray CIpConfigRunner::TrimLeadingLineEnds(const QByteArray& strOutput)
{
    qsizetype nStart = 0;
    while (nStart < strOutput.size() &&
           (strOutput.at(nStart) == '\r' || strOutput.at(nStart) == '\n'))
        ++nStart;
    return strOutput.mid(nStart);
}

void CIpConfigRunner::OnIpConfig() const
{
    QByteArray strOutput;
    const bool bStarted = m_fnRunTool(strOutput);
    if (!m_fnMessageBox)
        return;
    if (!bStarted) {
        // The message keeps its historical spelling.
        m_fnMessageBox(QStringLiteral("Command Ipcofig exec failed"),
                       QCoreApplication::applicationName(), MSG_ICON_NONE);
        return;
    }
    // The tool writes in the system's own encoding.
    m_fnMessageBox(QString::fromLocal8Bit(TrimLeadingLineEnds(strOutput)),
                   QStringLiteral("IpConfig Output"), MSG_ICON_NONE);
}

bool RunToolWithTimeout(const QString& strProgram, const QStringList& arrArguments, int nTimeoutMs,
                        QByteArray& strOutput)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(strProgram, arrArguments, QIODevice::ReadOnly);
    if (!process.waitForStarted())
        return false;
    // The window does not react meanwhile, so a tool that never ends must not hold it for good.
    if (!process.waitForFinished(nTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    strOutput = process.readAll();
    return true;
}

bool RunIpAddressTool(QByteArray& strOutput)
{
    return RunToolWithTimeout(QStringLiteral("ip"), QStringList{QStringLiteral("address")},
                              CIpConfigRunner::TOOL_TIMEOUT_MS, strOutput);
}
