// SPDX-License-Identifier: GPL-3.0-or-later
// CQtTimerHost: logical timer ids over QTimer, delivered through the event loop.
#include "TimerHost.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

class CQtTimerHostTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int s_argc = 1;
        static char s_name[] = "cardwise_core_tests";
        static char* s_argv[] = {s_name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            s_pApp = new QCoreApplication(s_argc, s_argv);
    }

    // Runs the event loop until the handler has seen nTicks ticks (or five seconds pass).
    void RunUntil(int nTicks)
    {
        QEventLoop loop;
        m_host.SetHandler([&](unsigned int nId) {
            m_arrTicks.push_back(nId);
            if (static_cast<int>(m_arrTicks.size()) >= nTicks) {
                m_host.KillTimer(1);
                m_host.KillTimer(2);
                loop.quit();
            }
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    }

    static QCoreApplication* s_pApp;
    CQtTimerHost m_host;
    std::vector<unsigned int> m_arrTicks;
};

QCoreApplication* CQtTimerHostTest::s_pApp = nullptr;

TEST_F(CQtTimerHostTest, TicksCarryTheirIdAndStopWhenKilled)
{
    m_host.SetTimer(2, 5);
    RunUntil(3);
    EXPECT_EQ(m_arrTicks, (std::vector<unsigned int>{2, 2, 2}));
    EXPECT_FALSE(m_host.IsActive(2));
}

TEST_F(CQtTimerHostTest, PeriodOverrideShortensEveryTimer)
{
    m_host.SetPeriodOverride(1);
    m_host.SetTimer(1, 60 * 1000);
    QElapsedTimer elapsed;
    elapsed.start();
    RunUntil(5);
    EXPECT_EQ(m_arrTicks.size(), 5u);
    EXPECT_LT(elapsed.elapsed(), 4000);
}

} // namespace
