// SPDX-License-Identifier: GPL-3.0-or-later
// A batch run over the cards of the core's latest search: CBatchSender sends the requests,
// many cards at once but one request at a time to each, a lost acknowledgement retried once;
// CBatchRun adds the restart wait, the read-back search and each card's result.
#pragma once

#include "AssistantCore.h"
#include "BatchPlan.h"
#include "TimerHost.h"

#include <LmVarData/VarDataGroup.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CDeviceSocket;

// What a batch run found out about one planned card.
enum EApplyResult
{
    APPLY_VERIFIED,          // every planned value read back
    APPLY_NOT_APPLIED,       // acknowledged, but reads back different
    APPLY_PASSWORD_REJECTED, // the card answered with an error
    APPLY_NO_ANSWER,         // no acknowledgement, even to the retry, or no read-back
    APPLY_NOT_FOUND          // the search did not find it
};

// The result's key in tables and JSON: "verified", "not-applied", ...
QString ApplyResultKey(EApplyResult nResult);

class CBatchSender : public CSetReplyListener
{
public:
    // One card's request, sent to every target in turn.
    struct SJob
    {
        unsigned char arrMac[CardProtocol::MAC_SIZE] = {};
        CVarDataGroup grpSend;
        QByteArray strPassword;
        QStringList arrTargets;
    };
    enum EOutcome
    {
        OUTCOME_WAITING,
        OUTCOME_ACKNOWLEDGED,
        OUTCOME_REJECTED,
        OUTCOME_NO_ANSWER
    };

    // The timer id of the run's ticks; apart from the core's phases.
    static constexpr unsigned int TIMER_BATCH = 10;
    static constexpr unsigned int TICK_MS = 20;
    // Cards with a request out at once: enough to keep a thousand cards under a minute, few
    // enough that a burst of acknowledgements fits the receive buffer.
    static constexpr int IN_FLIGHT_MAX = 32;
    // How long an acknowledgement may take before the request goes once more, then counts as
    // unanswered.
    static constexpr std::int64_t ANSWER_MS = 1500;
    static constexpr int TRIES = 2;

    CBatchSender(CTimerHost& timers, ClockMs fnClockMs);
    ~CBatchSender() override;

    CBatchSender(const CBatchSender&) = delete;
    CBatchSender& operator=(const CBatchSender&) = delete;

    // Sends the jobs through socket, which must outlive the run; fnDone is called once every
    // job has its outcome (at once when there are none).
    void Start(CDeviceSocket& socket, std::vector<SJob> arrJobs, std::function<void()> fnDone);
    // A tick of TIMER_BATCH: requests whose answer is overdue go again or give up, and free
    // places take the next cards.
    void OnTimer();
    // Ends the run where it is: nothing more is sent, the waiting jobs keep OUTCOME_WAITING.
    void Stop();
    bool IsRunning() const { return m_pSocket != nullptr; }
    EOutcome GetOutcome(std::size_t nJob) const { return m_arrStates.at(nJob).nOutcome; }
    // Jobs with an outcome, of all.
    int GetDoneCount() const { return m_nDone; }
    int GetJobCount() const { return static_cast<int>(m_arrJobs.size()); }

    // CSetReplyListener: only a card with a request out counts.
    void OnSetAcknowledged(const char* pszMac) override;
    void OnSetErrorReply(const unsigned char* pMac) override;

private:
    struct SState
    {
        EOutcome nOutcome = OUTCOME_WAITING;
        int nTries = 0;
        std::int64_t nDueMs = 0; // when the answer is overdue
    };

    void Send(std::size_t nJob);
    void Finish(std::size_t nJob, EOutcome nOutcome);
    // Starts waiting jobs while places are free.
    void Launch();

    CTimerHost& m_timers;
    ClockMs m_fnClockMs;
    CDeviceSocket* m_pSocket = nullptr;
    std::vector<SJob> m_arrJobs;
    std::vector<SState> m_arrStates;
    std::unordered_map<std::string, std::size_t> m_mapByMac;
    std::vector<std::size_t> m_arrInFlight;
    std::size_t m_nNext = 0;
    int m_nDone = 0;
    std::function<void()> m_fnDone;
};

// One run of a checked plan (CBatchPlan::Prepare) over the core's latest search, driven by its
// own ticks: the requests, the restart wait when asked for, one more search, and each card's
// result from reading its planned values back. The owner of the timer host routes
// TIMER_BATCH and TIMER_RUN to OnTimer.
class CBatchRun
{
public:
    enum EPhase
    {
        PHASE_IDLE,
        PHASE_SENDING,
        PHASE_RESTART_WAIT,
        PHASE_READ_BACK,
        PHASE_DONE
    };

    static constexpr unsigned int TIMER_RUN = 11;

    CBatchRun(CAssistantCore& core, CTimerHost& timers, ClockMs fnClockMs);
    ~CBatchRun();

    CBatchRun(const CBatchRun&) = delete;
    CBatchRun& operator=(const CBatchRun&) = delete;

    // Sends each found card its request, under the plan's own password or strPassword; cards
    // not found are "not-found" at once. fnDone is called when every card has its result.
    void Start(std::vector<SPlannedCard> arrCards, const QString& strPassword, bool bRestart,
               std::function<void()> fnDone);
    void OnTimer(unsigned int nId);
    // Ends a run that has not finished: the cards without a result count as unanswered.
    void Stop();

    EPhase GetPhase() const { return m_nPhase; }
    // Cards whose request has an outcome, of those sent to: the progress of the sending.
    int GetSentDone() const;
    int GetSentTotal() const;
    // How the request of card nCard (an index of GetCards) stands; nothing for a card that
    // was not sent one.
    std::optional<CBatchSender::EOutcome> GetSendOutcome(std::size_t nCard) const;
    // The cards with the values read back, and their results (none until known).
    const std::vector<SPlannedCard>& GetCards() const { return m_arrCards; }
    const std::vector<std::optional<EApplyResult>>& GetResults() const { return m_arrResults; }

private:
    void OnSent();
    void StartReadBack();
    void Finish();

    CAssistantCore& m_core;
    CTimerHost& m_timers;
    CBatchSender m_sender;
    EPhase m_nPhase = PHASE_IDLE;
    int m_nTick = 0;
    std::vector<SPlannedCard> m_arrCards;
    std::vector<std::optional<EApplyResult>> m_arrResults;
    std::vector<std::size_t> m_arrJobCard; // the card of each request
    bool m_bRestart = true;
    std::function<void()> m_fnDone;
};
