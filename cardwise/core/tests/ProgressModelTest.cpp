// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar's state: steps, wrapping past the end, clamped positions.
#include "ProgressModel.h"

#include <gtest/gtest.h>

namespace {

class CProgressModelTest : public ::testing::Test
{
protected:
    CProgressModel m_progress;
};

TEST_F(CProgressModelTest, StepPastTheEndWrapsToTheStart)
{
    m_progress.SetRange(0, 3);
    m_progress.SetStep(1);
    m_progress.SetPos(2);
    EXPECT_EQ(m_progress.StepIt(), 2);
    EXPECT_EQ(m_progress.GetPos(), 3);
    m_progress.StepIt();
    EXPECT_EQ(m_progress.GetPos(), 0);
}

TEST_F(CProgressModelTest, NewRangeKeepsAPositionBeyondItUntilTheNextStep)
{
    m_progress.SetRange(0, 1050);
    m_progress.SetPos(1001);
    m_progress.SetRange(0, 50);
    EXPECT_EQ(m_progress.GetPos(), 1001);
    m_progress.SetStep(1);
    m_progress.StepIt();
    EXPECT_EQ(m_progress.GetPos(), 0);
}

TEST_F(CProgressModelTest, SetPosIsClampedIntoTheRange)
{
    m_progress.SetRange(10, 20);
    m_progress.SetPos(5);
    EXPECT_EQ(m_progress.GetPos(), 10);
    m_progress.SetPos(25);
    EXPECT_EQ(m_progress.GetPos(), 20);
}

} // namespace
