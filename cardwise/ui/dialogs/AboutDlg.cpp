// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg: the About box.
#include "AboutDlg.h"

#include "ui_AboutDlg.h"

#include <LmSystem/FileVersion.h>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_pUi(std::make_unique<Ui::AboutDlg>())
{
    m_pUi->setupUi(this);
    connect(m_pUi->IDOK, &QPushButton::clicked, this, &CAboutDlg::accept);
    OnInitDialog();
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::OnInitDialog()
{
    CLMFileVersion reader;
    if (reader.Open(nullptr)) {
        const QString strFileVersion = QString::fromLatin1(reader.GetFileVersion());
        m_strVersion = QStringLiteral("Vantor 设置助手") + QLatin1Char(' ') + strFileVersion;
    }
    // The template's sample text is never shown: the line is the version or nothing.
    UpdateData(false);
}

void CAboutDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        m_strVersion = m_pUi->IDC_VERSION->text();
    else
        m_pUi->IDC_VERSION->setText(m_strVersion);
}

void ShowAboutBox(QWidget* pParent)
{
    CAboutDlg dlg(pParent);
    dlg.exec();
}
