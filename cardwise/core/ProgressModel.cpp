// SPDX-License-Identifier: GPL-3.0-or-later
// CProgressModel: the state of the progress bar of the running phase, without a widget.
#include "ProgressModel.h"

#include <algorithm>

CProgressModel::CProgressModel(QObject* parent) : QObject(parent) {}

void CProgressModel::SetRange(int nLower, int nUpper)
{
    m_nLower = nLower;
    m_nUpper = nUpper;
    emit Changed();
}

void CProgressModel::SetStep(int nStep)
{
    m_nStep = nStep;
}

int CProgressModel::SetPos(int nPos)
{
    const int nOld = m_nPos;
    m_nPos = std::clamp(nPos, m_nLower, std::max(m_nLower, m_nUpper));
    emit Changed();
    return nOld;
}

int CProgressModel::StepIt()
{
    const int nOld = m_nPos;
    m_nPos += m_nStep;
    if (m_nPos > m_nUpper)
        m_nPos = m_nLower;
    emit Changed();
    return nOld;
}
