// SPDX-License-Identifier: GPL-3.0-or-later
// CProgressModel: the state of the progress bar of the running phase, without a widget.
#pragma once

#include <QObject>

// Behaves like the Windows progress control the phases were written against: SetRange
// leaves the position alone, and a step past the upper bound starts over at the lower bound.
class CProgressModel : public QObject
{
    Q_OBJECT

public:
    explicit CProgressModel(QObject* parent = nullptr);

    void SetRange(int nLower, int nUpper);
    void SetStep(int nStep);
    // Clamped into the range; returns the previous position.
    int SetPos(int nPos);
    // Advances by the step, wrapping to the lower bound past the upper one; returns the
    // previous position.
    int StepIt();

    int GetLower() const { return m_nLower; }
    int GetUpper() const { return m_nUpper; }
    int GetStep() const { return m_nStep; }
    int GetPos() const { return m_nPos; }

signals:
    // Range or position changed.
    void Changed();

private:
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
};
