// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchSetupDlg: the "Batch Setup" dialog, in which the operator chooses cards and parameter
// values (or a plan file), previews the plan checked whole, runs it and saves the results.
#pragma once

#include "BatchSetup.h"
#include "MessageSink.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QTableWidgetItem;

namespace Ui {
class BatchSetupDlg;
}

// Asks for a file: a plan to read (bSave false) or where the results go; empty cancels.
using BatchFileAsker = std::function<QString(bool bSave)>;

// A view of a CBatchSetup, which holds the choices, the plan, the run and the tables. The
// setup must outlive the dialog.
class CBatchSetupDlg : public QDialog
{
    Q_OBJECT

public:
    // Builds the dialog from its template over setup. Message boxes go to fnMessageBox (empty:
    // dropped); fnAskFile asks for the files (empty: file dialogs).
    CBatchSetupDlg(CBatchSetup& setup, MessageBoxSink fnMessageBox, BatchFileAsker fnAskFile = {},
                   QWidget* parent = nullptr);
    ~CBatchSetupDlg() override;

    // Close, Esc and the window's button; a run still going is cut short first.
    void reject() override;

private:
    void FillCards();
    void FillParams();
    // The table and the line under it, from the setup's stage; while a run goes, at most a
    // few times a second.
    void ShowTable(bool bForce);
    void UpdateButtons();
    void OnCardChanged(QTableWidgetItem* pItem);
    void OnParamChanged(QTableWidgetItem* pItem);
    void OnCheckAll(bool bChecked);
    void OnLoadPlan();
    void OnPreview();
    void OnRun();
    void OnSaveResults();
    QString AskFile(bool bSave);

    std::unique_ptr<Ui::BatchSetupDlg> m_pUi;
    CBatchSetup& m_setup;
    MessageBoxSink m_fnMessageBox;
    BatchFileAsker m_fnAskFile;
    bool m_bFilling = false; // the lists are being filled: their changes are not the operator's
    QElapsedTimer m_lastShown;
};
