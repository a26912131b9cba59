// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchSender: paced set requests with one place per card, retries and outcomes.
#include "BatchApply.h"

#include "DeviceListModel.h"
#include "DeviceSocket.h"
#include "LmDebug.h"

#include <algorithm>

QString ApplyResultKey(EApplyResult nResult)
{
    switch (nResult) {
    case APPLY_VERIFIED:
        return QStringLiteral("verified");
    case APPLY_NOT_APPLIED:
        return QStringLiteral("not-applied");
    case APPLY_PASSWORD_REJECTED:
        return QStringLiteral("password-rejected");
    case APPLY_NO_ANSWER:
        return QStringLiteral("no-answer");
    case APPLY_NOT_FOUND:
        break;
    }
    return QStringLiteral("not-found");
}

CBatchSender::CBatchSender(CTimerHost& timers, ClockMs fnClockMs)
    : m_timers(timers), m_fnClockMs(std::move(fnClockMs))
{
}

CBatchSender::~CBatchSender()
{
    if (m_pSocket != nullptr)
        m_timers.KillTimer(TIMER_BATCH);
}

void CBatchSender::Start(CDeviceSocket& socket, std::vector<SJob> arrJobs,
                         std::function<void()> fnDone)
{
    m_pSocket = &socket;
    m_arrJobs = std::move(arrJobs);
    m_arrStates.assign(m_arrJobs.size(), SState());
    m_mapByMac.clear();
    for (std::size_t i = 0; i < m_arrJobs.size(); ++i) {
        char szMac[CardProtocol::MAC_TEXT_SIZE];
        m_mapByMac.emplace(CardProtocol::FormatMac(m_arrJobs[i].arrMac, szMac), i);
    }
    m_arrInFlight.clear();
    m_nNext = 0;
    m_nDone = 0;
    m_fnDone = std::move(fnDone);
    m_timers.SetTimer(TIMER_BATCH, TICK_MS);
    Launch();
}

void CBatchSender::Send(std::size_t nJob)
{
    const SJob& job = m_arrJobs[nJob];
    SState& state = m_arrStates[nJob];
    ++state.nTries;
    state.nDueMs = m_fnClockMs() + ANSWER_MS;
    for (const QString& strTarget : job.arrTargets)
        m_pSocket->SendSetParams(job.arrMac, job.grpSend, job.strPassword.constData(),
                                 strTarget.toLatin1().constData(), CardProtocol::PORT_CARD);
}

void CBatchSender::Launch()
{
    while (m_pSocket != nullptr && m_nNext < m_arrJobs.size() &&
           static_cast<int>(m_arrInFlight.size()) < IN_FLIGHT_MAX) {
        m_arrInFlight.push_back(m_nNext);
        Send(m_nNext++);
    }
    if (m_pSocket != nullptr && m_nDone == static_cast<int>(m_arrJobs.size())) {
        m_timers.KillTimer(TIMER_BATCH);
        m_pSocket = nullptr;
        if (m_fnDone)
            m_fnDone();
    }
}

void CBatchSender::Finish(std::size_t nJob, EOutcome nOutcome)
{
    m_arrStates[nJob].nOutcome = nOutcome;
    ++m_nDone;
    m_arrInFlight.erase(std::find(m_arrInFlight.begin(), m_arrInFlight.end(), nJob));
}

void CBatchSender::OnTimer()
{
    if (m_pSocket == nullptr)
        return;
    const std::int64_t nNow = m_fnClockMs();
    const std::vector<std::size_t> arrInFlight = m_arrInFlight;
    for (const std::size_t nJob : arrInFlight) {
        if (nNow < m_arrStates[nJob].nDueMs)
            continue;
        if (m_arrStates[nJob].nTries < TRIES)
            Send(nJob);
        else
            Finish(nJob, OUTCOME_NO_ANSWER);
    }
    Launch();
}

void CBatchSender::Stop()
{
    if (m_pSocket == nullptr)
        return;
    m_timers.KillTimer(TIMER_BATCH);
    m_pSocket = nullptr;
}

void CBatchSender::OnSetAcknowledged(const char* pszMac)
{
    const auto it = m_mapByMac.find(pszMac != nullptr ? pszMac : "");
    if (m_pSocket == nullptr || it == m_mapByMac.end() ||
        std::find(m_arrInFlight.begin(), m_arrInFlight.end(), it->second) == m_arrInFlight.end())
        return;
    Finish(it->second, OUTCOME_ACKNOWLEDGED);
    Launch();
}

void CBatchSender::OnSetErrorReply(const unsigned char* pMac)
{
    char szMac[CardProtocol::MAC_TEXT_SIZE];
    const auto it = m_mapByMac.find(CardProtocol::FormatMac(pMac, szMac));
    // Anyone can send an error frame: it counts only for a card with a request out.
    if (m_pSocket == nullptr || it == m_mapByMac.end() ||
        std::find(m_arrInFlight.begin(), m_arrInFlight.end(), it->second) == m_arrInFlight.end()) {
        LmTrace20("Error reply from %s ignored: no set request is waiting for that card\r\n",
                  szMac);
        return;
    }
    Finish(it->second, OUTCOME_REJECTED);
    Launch();
}

CBatchRun::CBatchRun(CAssistantCore& core, CTimerHost& timers, ClockMs fnClockMs)
    : m_core(core), m_timers(timers), m_sender(timers, std::move(fnClockMs))
{
}

CBatchRun::~CBatchRun()
{
    m_core.SetReplyListener(nullptr);
    if (m_nPhase == PHASE_RESTART_WAIT || m_nPhase == PHASE_READ_BACK)
        m_timers.KillTimer(TIMER_RUN);
}

void CBatchRun::Start(std::vector<SPlannedCard> arrCards, const QString& strPassword, bool bRestart,
                      std::function<void()> fnDone)
{
    m_arrCards = std::move(arrCards);
    m_arrResults.assign(m_arrCards.size(), std::nullopt);
    m_bRestart = bRestart;
    m_fnDone = std::move(fnDone);
    m_arrJobCard.clear();

    // One request per found card, built and addressed as the Setup flow does.
    std::vector<CBatchSender::SJob> arrJobs;
    for (std::size_t i = 0; i < m_arrCards.size(); ++i) {
        const SPlannedCard& card = m_arrCards[i];
        CBatchSender::SJob job;
        if (!card.bFound || !m_core.GetSocket() ||
            !CardProtocol::ParseMac(card.strMac.toLatin1().constData(), job.arrMac)) {
            m_arrResults[i] = APPLY_NOT_FOUND;
            continue;
        }
        job.grpSend = card.grpSend;
        job.strPassword = card.strPassword.value_or(strPassword).toUtf8();
        job.arrTargets = m_core.SetRequestTargets(card.nFoundIndex);
        arrJobs.push_back(std::move(job));
        m_arrJobCard.push_back(i);
    }
    m_nPhase = PHASE_SENDING;
    if (arrJobs.empty()) {
        Finish();
        return;
    }
    m_core.SetReplyListener(&m_sender);
    m_sender.Start(*m_core.GetSocket(), std::move(arrJobs), [this] { OnSent(); });
}

int CBatchRun::GetSentDone() const
{
    return m_nPhase == PHASE_SENDING ? m_sender.GetDoneCount()
                                     : static_cast<int>(m_arrJobCard.size());
}

int CBatchRun::GetSentTotal() const
{
    return static_cast<int>(m_arrJobCard.size());
}

std::optional<CBatchSender::EOutcome> CBatchRun::GetSendOutcome(std::size_t nCard) const
{
    const auto it = std::find(m_arrJobCard.begin(), m_arrJobCard.end(), nCard);
    if (it == m_arrJobCard.end() || m_nPhase == PHASE_IDLE)
        return std::nullopt;
    return m_sender.GetOutcome(static_cast<std::size_t>(it - m_arrJobCard.begin()));
}

void CBatchRun::OnSent()
{
    m_core.SetReplyListener(nullptr);
    bool bAcknowledged = false;
    for (std::size_t j = 0; j < m_arrJobCard.size(); ++j) {
        const CBatchSender::EOutcome nOutcome = m_sender.GetOutcome(j);
        if (nOutcome == CBatchSender::OUTCOME_ACKNOWLEDGED)
            bAcknowledged = true;
        else
            m_arrResults[m_arrJobCard[j]] = nOutcome == CBatchSender::OUTCOME_REJECTED
                                                ? APPLY_PASSWORD_REJECTED
                                                : APPLY_NO_ANSWER;
    }
    if (!bAcknowledged) {
        Finish();
        return;
    }
    // The cards restart together; then one search reads every value back. The search starts
    // on a tick, never from here: this runs inside the socket's delivery of the last answer,
    // and the search replaces the socket.
    m_nTick = 0;
    m_nPhase = PHASE_RESTART_WAIT;
    m_timers.SetTimer(TIMER_RUN, CAssistantCore::TICK_MS);
}

void CBatchRun::StartReadBack()
{
    m_nPhase = PHASE_READ_BACK;
    m_core.SearchAfterRestart();
}

void CBatchRun::OnTimer(unsigned int nId)
{
    if (nId == CBatchSender::TIMER_BATCH) {
        m_sender.OnTimer();
        return;
    }
    if (nId != TIMER_RUN)
        return;
    if (m_nPhase == PHASE_RESTART_WAIT &&
        (!m_bRestart || ++m_nTick > CAssistantCore::RESTART_TICKS))
        StartReadBack();
    else if (m_nPhase == PHASE_READ_BACK && m_core.GetTimerId() == CAssistantCore::TIMER_NONE)
        Finish();
}

void CBatchRun::Stop()
{
    if (m_nPhase == PHASE_IDLE || m_nPhase == PHASE_DONE)
        return;
    m_sender.Stop();
    m_core.SetReplyListener(nullptr);
    if (m_nPhase == PHASE_RESTART_WAIT || m_nPhase == PHASE_READ_BACK)
        m_timers.KillTimer(TIMER_RUN);
    for (std::optional<EApplyResult>& nResult : m_arrResults) {
        if (!nResult)
            nResult = APPLY_NO_ANSWER;
    }
    m_nPhase = PHASE_DONE;
}

void CBatchRun::Finish()
{
    if (m_nPhase == PHASE_RESTART_WAIT || m_nPhase == PHASE_READ_BACK)
        m_timers.KillTimer(TIMER_RUN);
    // What the read-back search found; a card it did not list gave no answer.
    for (std::size_t i = 0; i < m_arrCards.size(); ++i) {
        if (m_arrResults[i])
            continue;
        const CVarDataGroup* pParams =
            m_core.GetSocket()
                ? m_core.GetSocket()->FindDeviceParams(m_arrCards[i].strMac.toLatin1().constData())
                : nullptr;
        m_arrResults[i] = pParams == nullptr                            ? APPLY_NO_ANSWER
                          : CBatchPlan::Verify(m_arrCards[i], *pParams) ? APPLY_VERIFIED
                                                                        : APPLY_NOT_APPLIED;
    }
    m_nPhase = PHASE_DONE;
    if (m_fnDone)
        m_fnDone();
}
