// CBatchSender: the set requests of a batch run, many cards at once but one request at a time
// to each, acknowledgements awaited and a lost one retried once; and the run's five results.
#pragma once

#include "AssistantCore.h"
#include "TimerHost.h"

#include <LmVarData/VarDataGroup.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
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
