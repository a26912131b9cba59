// SPDX-License-Identifier: GPL-3.0-or-later
// CSimProcess: a cardwise-sim process for a test.
#include "SimProcess.h"

#include <QDeadlineTimer>

CSimProcess::CSimProcess(const QString& strProgram, const QStringList& arrArgs)
{
    m_process.start(strProgram, arrArgs);
}

CSimProcess::~CSimProcess()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QByteArray CSimProcess::WaitReady(int nTimeoutMs)
{
    QDeadlineTimer deadline(nTimeoutMs);
    while (!m_process.canReadLine() && !deadline.hasExpired() &&
           m_process.state() != QProcess::NotRunning)
        m_process.waitForReadyRead(100);
    const QByteArray strLine = m_process.readLine().trimmed();
    return strLine.startsWith("cardwise-sim:") ? strLine : QByteArray();
}

QByteArray CSimProcess::ErrorText()
{
    return m_process.readAllStandardError();
}
