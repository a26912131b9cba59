// SPDX-License-Identifier: GPL-3.0-or-later
// Window timers by logical id: the phases call SetTimer/KillTimer, the host calls back OnTimer.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>

class QTimer;

// The system's monotonic clock in milliseconds, from its first reading.
std::int64_t MonotonicMs();

// A timer id runs at most once; SetTimer on a running id restarts it with the new period.
class CTimerHost
{
public:
    virtual ~CTimerHost() = default;

    virtual void SetTimer(unsigned int nId, unsigned int nElapseMs) = 0;
    virtual void KillTimer(unsigned int nId) = 0;
};

// CTimerHost over parented QTimers; each tick calls the handler with the timer's id on the
// thread that owns the host.
class CQtTimerHost : public QObject, public CTimerHost
{
    Q_OBJECT

public:
    using Handler = std::function<void(unsigned int nId)>;

    explicit CQtTimerHost(QObject* parent = nullptr);

    void SetHandler(Handler fnHandler) { m_fnHandler = std::move(fnHandler); }
    // Test aid: every period becomes nMs (0 restores the requested periods of later timers).
    void SetPeriodOverride(int nMs) { m_nPeriodOverride = nMs; }

    void SetTimer(unsigned int nId, unsigned int nElapseMs) override;
    void KillTimer(unsigned int nId) override;
    bool IsActive(unsigned int nId) const;

private:
    Handler m_fnHandler;
    int m_nPeriodOverride = 0;
    std::map<unsigned int, QTimer*> m_mapTimers;
};
