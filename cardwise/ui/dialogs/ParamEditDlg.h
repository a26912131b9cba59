// SPDX-License-Identifier: GPL-3.0-or-later
// CParamEditDlg: the "Param Edit" dialog, in which the operator types a new value for one
// parameter of the parameter dialog.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

namespace Ui {
class ParamEditDlg;
}

// Edits text only: the parameter dialog interprets the new value when it builds the request.
class CParamEditDlg : public QDialog
{
    Q_OBJECT

public:
    // Builds the dialog from template 130 with the parameter's name and current value; the new
    // value starts as the current one and OK stays off until it differs.
    CParamEditDlg(const QString& strName, const QString& strOriginal, QWidget* parent = nullptr);
    ~CParamEditDlg() override;

    QString m_strName;
    QString m_strOriginal;
    // The value to set; read it after the dialog ended with OK.
    QString m_strNew;

    // Moves the members to the controls (false) or the new value from its control (true).
    void UpdateData(bool bSaveAndValidate);

    // OK: the new value is taken from its control before the dialog closes.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void OnChangeSetData();
    void OnSetFocusSetData();
    // OK is usable exactly when the new value differs from the current one.
    void UpdateButtons();

    std::unique_ptr<Ui::ParamEditDlg> m_pUi;
};

// Runs the edit dialog modally over pParent for one parameter; the new value after OK, nothing
// after Cancel.
std::optional<QString> RunParamEditDlg(QWidget* pParent, const QString& strName,
                                       const QString& strOriginal);
