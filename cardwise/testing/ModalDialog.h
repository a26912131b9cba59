// SPDX-License-Identifier: GPL-3.0-or-later
// CWhenModal: drives the modal dialog that a widget test expects. Header only: the tests that
// include it link Qt Widgets and Qt Test, the rest of this library needs neither.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>

// Calls fnAct once with the first modal dialog other than pIgnore that runs while this object
// lives. A dialog that fnAct leaves open (a failed check returned early) is rejected, so the
// test fails instead of hanging. When no dialog has come within nTimeoutMs, or by the time the
// object goes, the running test fails with a message saying so.
class CWhenModal
{
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 10000;

    explicit CWhenModal(std::function<void(QDialog*)> fnAct, const QWidget* pIgnore = nullptr,
                        int nTimeoutMs = DEFAULT_TIMEOUT_MS)
        : m_fnAct(std::move(fnAct)), m_pIgnore(pIgnore), m_deadline(nTimeoutMs)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Poll(); });
        m_timer.start(POLL_MS);
    }
    ~CWhenModal()
    {
        m_timer.stop();
        if (!m_bRun)
            Fail("no modal dialog ran while the test expected one");
    }
    CWhenModal(const CWhenModal&) = delete;
    CWhenModal& operator=(const CWhenModal&) = delete;

    bool HasRun() const { return m_bRun; }

private:
    static constexpr int POLL_MS = 10;

    void Poll()
    {
        auto* pModal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (pModal == nullptr || pModal == m_pIgnore) {
            if (m_deadline.hasExpired()) {
                m_timer.stop();
                Fail("no modal dialog came within the time limit");
                m_bFailed = true;
            }
            return;
        }
        m_timer.stop();
        m_bRun = true;
        m_fnAct(pModal);
        if (pModal->isVisible())
            pModal->reject();
    }
    void Fail(const char* pszMessage)
    {
        // One message per test is enough: the first failure says what went wrong.
        if (!m_bFailed && !QTest::currentTestFailed())
            QTest::qFail(pszMessage, __FILE__, __LINE__);
    }

    std::function<void(QDialog*)> m_fnAct;
    const QWidget* m_pIgnore;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    bool m_bRun = false;
    bool m_bFailed = false;
};
