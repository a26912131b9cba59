// SPDX-License-Identifier: GPL-3.0-or-later
// CParamEditDlg: the "Param Edit" dialog.
#include "ParamEditDlg.h"

#include "ui_ParamEditDlg.h"

#include <LmLangWidgets.h>

#include <QEvent>
#include <QFocusEvent>
#include <QTimer>

CParamEditDlg::CParamEditDlg(const QString& strName, const QString& strOriginal, QWidget* parent)
    : QDialog(parent), m_strName(strName), m_strOriginal(strOriginal),
      m_pUi(std::make_unique<Ui::ParamEditDlg>())
{
    m_pUi->setupUi(this);
    connect(m_pUi->IDOK, &QPushButton::clicked, this, &CParamEditDlg::accept);
    connect(m_pUi->IDCANCEL, &QPushButton::clicked, this, &CParamEditDlg::reject);
    connect(m_pUi->IDC_SET_DATA, &QLineEdit::textChanged, this, &CParamEditDlg::OnChangeSetData);
    m_pUi->IDC_SET_DATA->installEventFilter(this);
    OnInitDialog();
}

CParamEditDlg::~CParamEditDlg() = default;

void CParamEditDlg::OnInitDialog()
{
    m_strNew = m_strOriginal;
    UpdateData(false);
    UpdateButtons();
    TranslateWindow(this);
}

void CParamEditDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_strNew = m_pUi->IDC_SET_DATA->text();
        return;
    }
    m_pUi->IDC_PARAM_NAME->setText(m_strName);
    m_pUi->IDC_ORIGINAL_DATA->setText(m_strOriginal);
    m_pUi->IDC_SET_DATA->setText(m_strNew);
    // Long values show from their start.
    m_pUi->IDC_PARAM_NAME->setCursorPosition(0);
    m_pUi->IDC_ORIGINAL_DATA->setCursorPosition(0);
}

void CParamEditDlg::UpdateButtons()
{
    // Byte for byte, as the card will receive the text.
    m_pUi->IDOK->setEnabled(m_strNew.toUtf8() != m_strOriginal.toUtf8());
}

void CParamEditDlg::OnChangeSetData()
{
    UpdateData(true);
    UpdateButtons();
}

void CParamEditDlg::OnSetFocusSetData()
{
    UpdateData(true);
    QLineEdit* pEdit = m_pUi->IDC_SET_DATA;
    // The caret ends up after the selection, so the end of a long value is in view.
    pEdit->setSelection(0, static_cast<int>(m_strNew.size()));
}

bool CParamEditDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pUi->IDC_SET_DATA && event->type() == QEvent::FocusIn) {
        OnSetFocusSetData();
        // A click places the caret after the focus arrives; select again once it has.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, this, &CParamEditDlg::OnSetFocusSetData);
    }
    return QDialog::eventFilter(watched, event);
}

void CParamEditDlg::accept()
{
    UpdateData(true);
    QDialog::accept();
}

std::optional<QString> RunParamEditDlg(QWidget* pParent, const QString& strName,
                                       const QString& strOriginal)
{
    CParamEditDlg dlg(strName, strOriginal, pParent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.m_strNew;
}
