// SPDX-License-Identifier: GPL-3.0-or-later
// CProgressCtrl: a progress bar that shows a CProgressModel, with the model's operations.
#pragma once

#include <QPointer>
#include <QProgressBar>

class CProgressModel;

// The position and the wrap rule live in the model; the bar only displays them, so the
// window and the headless engine share one rule.
class CProgressCtrl : public QProgressBar
{
    Q_OBJECT

public:
    // Starts with a model of its own (range 0..100, step 10, position 0).
    explicit CProgressCtrl(QWidget* parent = nullptr);

    // Shows model from now on; the model is not owned. A null model restores the own one.
    void SetModel(CProgressModel* pModel);
    CProgressModel* GetModel() const { return Model(); }

    void SetRange(int nLower, int nUpper);
    void SetStep(int nStep);
    // Clamped into the range; returns the previous position.
    int SetPos(int nPos);
    // Advances by the step; a step past the upper end starts again at the lower end.
    // Returns the previous position.
    int StepIt();
    int GetPos() const;

private:
    CProgressModel* Model() const;
    void Show();

    CProgressModel* m_pOwnModel = nullptr;
    QPointer<CProgressModel> m_pModel;
    QMetaObject::Connection m_connChanged;
};
