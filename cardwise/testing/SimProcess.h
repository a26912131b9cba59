// SPDX-License-Identifier: GPL-3.0-or-later
// CSimProcess: a cardwise-sim process for a test that runs inside a network namespace of its
// own (tools/netns-run).
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class CSimProcess
{
public:
    // Starts the simulator at strProgram (tests get it as CARDWISE_SIM_PATH) with arrArgs.
    CSimProcess(const QString& strProgram, const QStringList& arrArgs);
    // Kills the simulator and waits for its end.
    ~CSimProcess();
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    // Waits up to nTimeoutMs for the line that says the endpoint is bound ("cardwise-sim: 3
    // cards on 127.0.0.1:16788") and returns it without its line end; empty when the
    // simulator ended or said nothing in time (ErrorText says why).
    QByteArray WaitReady(int nTimeoutMs = 10000);
    // What the simulator wrote to standard error so far.
    QByteArray ErrorText();

    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
};
