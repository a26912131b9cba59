// SPDX-License-Identifier: GPL-3.0-or-later
// COptionDlg: the "OPTION" dialog, in which the operator reviews and changes the parameters of
// one card before the set request is sent.
#pragma once

#include "AssistantCore.h"
#include "MessageSink.h"
#include "OptionTable.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QTableWidget;

namespace Ui {
class OptionDlg;
}

// Asks the operator for a new value of one parameter (name and current value as the list
// shows them); nothing when the operator cancels.
using ParamEditRunner = std::function<std::optional<QString>(
    QWidget* pParent, const QString& strName, const QString& strOriginal)>;

// A view of a COptionTable, which holds the rows, the password, the restart choice and the
// request built on OK. The table must outlive the dialog.
class COptionDlg : public QDialog
{
    Q_OBJECT

public:
    // Builds the dialog from template 131 and fills the list from table.m_grpParams. Message
    // boxes go to fnMessageBox (empty: dropped); fnEditParam asks for a new value (empty: the
    // parameter edit dialog).
    COptionDlg(COptionTable& table, MessageBoxSink fnMessageBox, QWidget* parent = nullptr,
               ParamEditRunner fnEditParam = {});
    ~COptionDlg() override;

    COptionTable& GetTable() { return m_table; }

    // Moves the password and the restart choice from the controls into the table (true) or
    // from the table into the controls (false).
    void UpdateData(bool bSaveAndValidate);

    // OK and the Enter key: builds the request; the dialog stays open when a check fails.
    void accept() override;

    // Double-click on the list: edits the selected row's value, or warns on a read-only row.
    void OnParamDblClk();
    // Right-click on the list: copies the selected row's value (not the first row's).
    void OnParamRClick();

private:
    void OnInitDialog();
    void InitParamList();
    // Rebuilds the list's rows from the table.
    void FillParamList();
    void OnTableDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    // The selected row when exactly one is selected, else -1.
    int GetSelectedRow() const;
    void MessageBox(const QString& strText, const QString& strCaption, EMsgIcon nIcon) const;

    std::unique_ptr<Ui::OptionDlg> m_pUi;
    COptionTable& m_table;
    MessageBoxSink m_fnMessageBox;
    ParamEditRunner m_fnEditParam;
    QTableWidget* m_listParams = nullptr;
};

// The Setup flow's parameter dialog: runs COptionDlg modally over pParent for the table; true
// when it ends with OK. pParent may be null or go away before the runner is used.
ParamDialogRunner MakeOptionDialogRunner(QWidget* pParent, const MessageBoxSink& fnMessageBox);
