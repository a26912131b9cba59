// SPDX-License-Identifier: GPL-3.0-or-later
// CProgressCtrl: displays a CProgressModel. QProgressBar keeps no position of its own here,
// because it resets itself when the range changes under it, while a phase relies on the
// position that the previous phase left.
#include "ProgressCtrl.h"

#include "ProgressModel.h"

CProgressCtrl::CProgressCtrl(QWidget* parent)
    : QProgressBar(parent), m_pOwnModel(new CProgressModel(this))
{
    setTextVisible(false);
    SetModel(nullptr);
}

void CProgressCtrl::SetModel(CProgressModel* pModel)
{
    disconnect(m_connChanged);
    m_pModel = pModel != nullptr ? pModel : m_pOwnModel;
    m_connChanged = connect(m_pModel, &CProgressModel::Changed, this, &CProgressCtrl::Show);
    Show();
}

void CProgressCtrl::SetRange(int nLower, int nUpper)
{
    Model()->SetRange(nLower, nUpper);
}

void CProgressCtrl::SetStep(int nStep)
{
    Model()->SetStep(nStep);
}

int CProgressCtrl::SetPos(int nPos)
{
    return Model()->SetPos(nPos);
}

int CProgressCtrl::StepIt()
{
    return Model()->StepIt();
}

CProgressModel* CProgressCtrl::Model() const
{
    // A shared model that went away with its owner leaves the bar on its own model.
    return m_pModel.isNull() ? m_pOwnModel : m_pModel.data();
}

int CProgressCtrl::GetPos() const
{
    return Model()->GetPos();
}

void CProgressCtrl::Show()
{
    const CProgressModel* pModel = Model();
    const int nLower = pModel->GetLower();
    const int nUpper = pModel->GetUpper();
    // An empty range would turn the bar into a busy indicator; show it empty instead.
    if (nUpper <= nLower) {
        setRange(0, 1);
        setValue(0);
        return;
    }
    setRange(nLower, nUpper);
    setValue(qBound(nLower, pModel->GetPos(), nUpper));
}
