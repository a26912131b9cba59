// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg: the About box, with the program's name and its own file version.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class AboutDlg;
}

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    // Builds the box from template 100 and reads the running program's file version.
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // "Vantor 设置助手 <file version>", or empty when the version can't be read.
    QString m_strVersion;

    // Moves the version line to its control (false) or back (true).
    void UpdateData(bool bSaveAndValidate);

private:
    void OnInitDialog();

    std::unique_ptr<Ui::AboutDlg> m_pUi;
};

// The About entry of the main window's system menu: runs the box modally over pParent. The
// version is read anew on every call.
void ShowAboutBox(QWidget* pParent);
