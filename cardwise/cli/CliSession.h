// SPDX-License-Identifier: GPL-3.0-or-later
// CCliSession: drives CAssistantCore for one command of cardwise-cli, with real timers.
#pragma once

#include "AssistantCore.h"
#include "BatchApply.h"
#include "CliArguments.h"
#include "TimerHost.h"

#include <QEventLoop>

#include <memory>

// Exit codes shared by the commands.
enum ECliExit
{
    EXIT_OK = 0,
    EXIT_USAGE = 1,
    EXIT_CHECK_FAILED = 2,
    EXIT_REJECTED = 3,
    EXIT_NO_ANSWER = 4,
    EXIT_DIFFERENT = 5,    // search --compare found new, missing or changed cards
    EXIT_NOT_VERIFIED = 6, // apply: a planned card is not verified
};

// The window's part, played without widgets: the address controls hold the --subnet or --range
// values, messages go to standard error, the sweep's end and the card's answers end the event
// loop.
class CCliSession : public CAssistantView
{
public:
    explicit CCliSession(const SCliOptions& options);
    ~CCliSession() override;

    int RunSearch();
    int RunParams();
    int RunSet();
    // search --compare: the saved list is read before anything is sent.
    int RunCompare();
    int RunApply();

    // CAssistantView
    void UpdateData(bool bSaveAndValidate) override;
    std::uint32_t GetAddressCtrl(EAddressCtrl nCtrl) const override;
    void SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue) override;
    void SetStatusText(const QString&) override {}
    void UpdateButtons(EButtonRefresh) override {}

private:
    class CCore;

    // What ends a wait besides its time limit; once the set request is out, the card's
    // error reply ends any wait.
    enum EWaitFor
    {
        WAIT_NONE,
        WAIT_TIME,
        WAIT_IDLE,
        WAIT_ANSWER,
        WAIT_BATCH
    };

    // Searches in the chosen scope and waits for the end of the sweep and of the further
    // --rounds, then --wait; false when the socket could not be opened.
    bool Search();
    // The sweeps after the first that --rounds asks for, each waited for.
    void MoreRounds();
    // Runs the event loop until the awaited event or nMs have passed.
    void Wait(EWaitFor nWaitFor, int nMs);
    // How long a phase may run before the loop counts as stalled.
    int PhaseGuardMs() const;
    // The list row of the card of the command line, or -1 (with a message).
    int FindCard() const;
    // The parameter dialog's part: the password, the restart choice, the edits, OK.
    bool ApplyEdits(COptionTable& option);
    void OnAcknowledged();
    void OnErrorReply(const QString& strText);
    // The password of set and apply from its sources; false, with a message, when none.
    bool ResolvePassword();
    // apply, once the plan is read: search, check, send, wait, search again, verify.
    int ApplyPlan(class CBatchPlan& plan);

    const SCliOptions& m_options;
    CQtTimerHost m_timers;
    std::unique_ptr<CCore> m_pCore;
    QEventLoop m_loop;
    std::uint32_t m_dwAddressCtrl = 0;
    std::uint32_t m_dwMaskCtrl = 0;
    EWaitFor m_nWaitFor = WAIT_NONE;
    bool m_bSetSent = false;
    bool m_bAcknowledged = false;
    bool m_bErrorReply = false;
    QString m_strErrorText;
    COptionTable::ECheck m_nCheck = COptionTable::CHECK_OK;
    bool m_bMissingParam = false;
    QString m_strPassword;
    std::unique_ptr<CBatchRun> m_pRun;
};
