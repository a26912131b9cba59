// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchSetup: the logic of the window's Batch Setup dialog over the core's latest search: the
// cards and parameters chosen (or a plan file), the preview checked whole, the run and its
// result table.
#pragma once

#include "AssistantCore.h"
#include "BatchApply.h"
#include "BatchPlan.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// A card of the search, offered for the run.
struct SBatchCard
{
    QString strMac;
    QString strIp;
    bool bChecked = true;
};

// A writable parameter of the form: changed on every chosen card when bChange.
struct SBatchParam
{
    unsigned int nSetId = 0;
    QString strName; // untranslated, as the parameter list names it
    bool bChange = false;
    QString strValue;
};

// What the dialog's table shows: a plan's problems, the preview, the progress or the results.
struct SBatchTable
{
    QStringList arrHeader;
    std::vector<QStringList> arrRows;
};

// Which of the dialog's controls can be used.
struct SBatchStates
{
    bool bForm = false;    // cards, parameters, Load Plan, password, Auto Restart
    bool bCards = false;   // the card check boxes, All and None: not with a plan file
    bool bParams = false;  // the parameter rows: not with a plan file
    bool bPreview = false; // Preview and Run
    bool bSave = false;    // Save Results: a run has ended
};

class CBatchSetup
{
public:
    enum EStage
    {
        STAGE_EDIT,    // nothing checked yet, or changed since
        STAGE_REFUSED, // the plan failed its check: the table lists the problems
        STAGE_PREVIEW, // the plan passed: the table shows current -> planned
        STAGE_RUNNING,
        STAGE_DONE // the table shows the results
    };

    // The cards are those the core lists now, all chosen; the parameter values start as the
    // first card reports them. fnClockMs paces the run; the owner of timers routes
    // CBatchSender::TIMER_BATCH and CBatchRun::TIMER_RUN to OnTimer.
    CBatchSetup(CAssistantCore& core, CTimerHost& timers, ClockMs fnClockMs);
    ~CBatchSetup();

    CBatchSetup(const CBatchSetup&) = delete;
    CBatchSetup& operator=(const CBatchSetup&) = delete;

    // Called whenever a run moves on (a tick) and when it ends.
    void SetChangedHandler(std::function<void()> fnChanged) { m_fnChanged = std::move(fnChanged); }

    const std::vector<SBatchCard>& GetCards() const { return m_arrCards; }
    void SetCardChecked(int nCard, bool bChecked);
    void CheckAllCards(bool bChecked);
    const std::vector<SBatchParam>& GetParams() const { return m_arrParams; }
    void SetParamChange(int nParam, bool bChange);
    void SetParamValue(int nParam, const QString& strValue);
    void SetPassword(const QString& strPassword);
    void SetAutoRestart(bool bAutoRestart);
    bool GetAutoRestart() const { return m_bAutoRestart; }

    // Reads a plan file (CBatchPlan's CSV or JSON), which then replaces the form: it names its
    // own cards and values. A file that fails to read refuses with its problems.
    bool LoadPlan(const QString& strPath);
    const QString& GetPlanFile() const { return m_strPlanFile; }

    // Checks the whole plan against the cards the core lists now; true when it passes. Either
    // way the table says what would happen, and nothing is sent.
    bool Preview();
    // Preview, then, when it passes and a password is at hand, sends the plan; false with
    // nothing sent otherwise.
    bool Run();
    // Ends a run early: the cards without a result count as unanswered.
    void Stop();
    void OnTimer(unsigned int nId);

    EStage GetStage() const { return m_nStage; }
    SBatchStates GetStates() const;
    // The table of the stage. bFile: the results as a file keeps them (result keys, not their
    // translations).
    SBatchTable GetTable(bool bFile = false) const;
    // One line under the table: the problems counted, the cards planned, the progress or the
    // results counted.
    QString GetSummary() const;
    // Writes the result table as CSV; false with strError when the file cannot be written.
    bool SaveResults(const QString& strPath, QString& strError) const;

private:
    // The cards as the search found them, indexed as the core's list rows.
    std::vector<SFoundCard> FoundCards() const;
    void Refuse(const QString& strProblem);
    void Edited();
    void OnRunDone();

    CAssistantCore& m_core;
    CTimerHost& m_timers;
    ClockMs m_fnClockMs;
    std::function<void()> m_fnChanged;
    std::vector<SBatchCard> m_arrCards;
    // The address each card was listed with, kept for cards the read-back search missed.
    QHash<QString, QString> m_mapKnownIp;
    std::vector<SBatchParam> m_arrParams;
    QString m_strPassword;
    bool m_bAutoRestart = true;
    QString m_strPlanFile;
    std::unique_ptr<CBatchPlan> m_pFilePlan; // the plan file read, when one is
    CBatchPlan m_plan;                       // what the latest preview checked
    SPlanProblems m_problems;
    EStage m_nStage = STAGE_EDIT;
    std::unique_ptr<CBatchRun> m_pRun;
};
