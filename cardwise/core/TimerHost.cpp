// SPDX-License-Identifier: GPL-3.0-or-later
// Window timers by logical id over QTimer.
#include "TimerHost.h"

#include <QElapsedTimer>
#include <QTimer>

CQtTimerHost::CQtTimerHost(QObject* parent) : QObject(parent) {}

void CQtTimerHost::SetTimer(unsigned int nId, unsigned int nElapseMs)
{
    QTimer*& pTimer = m_mapTimers[nId];
    if (pTimer == nullptr) {
        pTimer = new QTimer(this);
        // 20 ms ticks: a coarse timer may stretch them by 5 %, which adds up over a phase.
        pTimer->setTimerType(Qt::PreciseTimer);
        connect(pTimer, &QTimer::timeout, this, [this, nId] {
            if (m_fnHandler)
                m_fnHandler(nId);
        });
    }
    pTimer->start(m_nPeriodOverride > 0 ? m_nPeriodOverride : static_cast<int>(nElapseMs));
}

void CQtTimerHost::KillTimer(unsigned int nId)
{
    const auto it = m_mapTimers.find(nId);
    if (it != m_mapTimers.end())
        it->second->stop();
}

bool CQtTimerHost::IsActive(unsigned int nId) const
{
    const auto it = m_mapTimers.find(nId);
    return it != m_mapTimers.end() && it->second->isActive();
}

std::int64_t MonotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return static_cast<std::int64_t>(clock.elapsed());
}
