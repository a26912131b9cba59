// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchSetup: the Batch Setup dialog's form, plan, preview, run and result table.
#include "BatchSetup.h"

#include "CoreText.h"
#include "DeviceSocket.h"
#include "Inventory.h"
#include "OptionTable.h"
#include "OutputText.h"

#include <algorithm>

using namespace CardwiseCore;

namespace {

const EApplyResult RESULTS[] = {APPLY_VERIFIED, APPLY_NOT_APPLIED, APPLY_PASSWORD_REJECTED,
                                APPLY_NO_ANSWER, APPLY_NOT_FOUND};

// The interface language's text of a source text held as a QString.
QString TrText(const QString& strText)
{
    return Tr(strText.toLatin1().constData());
}

} // namespace

CBatchSetup::CBatchSetup(CAssistantCore& core, CTimerHost& timers, ClockMs fnClockMs)
    : m_core(core), m_timers(timers), m_fnClockMs(fnClockMs ? std::move(fnClockMs) : MonotonicMs)
{
    const CDeviceListModel& list = m_core.GetDeviceList();
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow)
        m_arrCards.push_back({list.GetItemText(nRow, CDeviceListModel::COL_KEY),
                              list.GetItemText(nRow, CDeviceListModel::COL_IP), true});
    for (const SBatchCard& card : m_arrCards)
        m_mapKnownIp.insert(card.strMac, card.strIp);

    // The values start as a card reports them, so that a change starts from a sound value.
    COptionTable option;
    for (const SFoundCard& found : FoundCards()) {
        if (found.pParams != nullptr) {
            option.m_grpParams = *found.pParams;
            option.LoadParams();
            break;
        }
    }
    const QStringList arrNames = COptionTable::ParamNames();
    for (const QString& strName : arrNames) {
        const unsigned int nSetId = COptionTable::FindParamByName(strName).value_or(0);
        if (nSetId == 0)
            continue;
        SBatchParam param{nSetId, strName, false, QString()};
        for (int nRow = 0; nRow < option.GetItemCount(); ++nRow) {
            if (option.GetItemData(nRow) == nSetId)
                param.strValue = option.GetItemText(nRow, COptionTable::COL_VALUE);
        }
        m_arrParams.push_back(param);
    }
}

CBatchSetup::~CBatchSetup()
{
    // The view goes first; a run cut short here reports to no one.
    m_fnChanged = nullptr;
    Stop();
}

std::vector<SFoundCard> CBatchSetup::FoundCards() const
{
    std::vector<SFoundCard> arrFound;
    CDeviceListModel& list = m_core.GetDeviceList();
    CDeviceSocket* pSocket = m_core.GetSocket();
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow) {
        const QString strMac = list.GetItemText(nRow, CDeviceListModel::COL_KEY);
        arrFound.push_back({strMac, list.GetItemText(nRow, CDeviceListModel::COL_IP),
                            pSocket != nullptr
                                ? pSocket->FindDeviceParams(strMac.toLatin1().constData())
                                : nullptr});
    }
    return arrFound;
}

void CBatchSetup::Edited()
{
    // What the table showed no longer matches the form; results stay until the next preview.
    if (m_nStage == STAGE_PREVIEW || m_nStage == STAGE_REFUSED)
        m_nStage = STAGE_EDIT;
}

void CBatchSetup::SetCardChecked(int nCard, bool bChecked)
{
    if (nCard < 0 || nCard >= static_cast<int>(m_arrCards.size()))
        return;
    m_arrCards[static_cast<std::size_t>(nCard)].bChecked = bChecked;
    Edited();
}

void CBatchSetup::CheckAllCards(bool bChecked)
{
    for (SBatchCard& card : m_arrCards)
        card.bChecked = bChecked;
    Edited();
}

void CBatchSetup::SetParamChange(int nParam, bool bChange)
{
    if (nParam < 0 || nParam >= static_cast<int>(m_arrParams.size()))
        return;
    m_arrParams[static_cast<std::size_t>(nParam)].bChange = bChange;
    Edited();
}

void CBatchSetup::SetParamValue(int nParam, const QString& strValue)
{
    if (nParam < 0 || nParam >= static_cast<int>(m_arrParams.size()))
        return;
    m_arrParams[static_cast<std::size_t>(nParam)].strValue = strValue;
    Edited();
}

void CBatchSetup::SetPassword(const QString& strPassword)
{
    m_strPassword = strPassword;
}

void CBatchSetup::SetAutoRestart(bool bAutoRestart)
{
    m_bAutoRestart = bAutoRestart;
    Edited();
}

bool CBatchSetup::LoadPlan(const QString& strPath)
{
    if (m_nStage == STAGE_RUNNING)
        return false;
    m_pRun.reset();
    m_problems = SPlanProblems();
    m_strPlanFile = strPath;
    auto pPlan = std::make_unique<CBatchPlan>();
    if (!pPlan->Load(strPath, m_problems)) {
        m_pFilePlan.reset();
        m_nStage = STAGE_REFUSED;
        return false;
    }
    m_pFilePlan = std::move(pPlan);
    m_nStage = STAGE_EDIT;
    return true;
}

void CBatchSetup::Refuse(const QString& strProblem)
{
    m_problems.Add(0, strProblem);
    m_nStage = STAGE_REFUSED;
}

bool CBatchSetup::Preview()
{
    if (m_nStage == STAGE_RUNNING)
        return false;
    m_pRun.reset();
    m_problems = SPlanProblems();
    // A plan file that failed to read is read again: the operator may have mended it.
    if (!m_strPlanFile.isEmpty() && !m_pFilePlan)
        return LoadPlan(m_strPlanFile) && Preview();
    bool bOk = true;
    if (m_pFilePlan)
        m_plan = *m_pFilePlan;
    else {
        QStringList arrMacs;
        for (const SBatchCard& card : m_arrCards) {
            if (card.bChecked)
                arrMacs.append(card.strMac);
        }
        std::vector<std::pair<unsigned int, QString>> arrValues;
        for (const SBatchParam& param : m_arrParams) {
            if (param.bChange)
                arrValues.emplace_back(param.nSetId, param.strValue);
        }
        bOk = m_plan.SetForm(arrMacs, arrValues, m_problems);
    }
    if (bOk) {
        QStringList arrOwn;
        for (const CAdapterAddress& adapter : m_core.GetAdapters())
            arrOwn.append(adapter.strAddress);
        bOk = m_plan.Prepare(FoundCards(), arrOwn, m_bAutoRestart, m_problems);
    }
    m_nStage = bOk ? STAGE_PREVIEW : STAGE_REFUSED;
    return bOk;
}

bool CBatchSetup::Run()
{
    if (!Preview())
        return false;
    if (m_plan.NeedsPassword() && m_strPassword.isEmpty()) {
        Refuse(Tr("Type the cards' password: nothing was sent"));
        return false;
    }
    if (m_core.GetTimerId() != CAssistantCore::TIMER_NONE) {
        Refuse(Tr("A search runs: wait for its end"));
        return false;
    }
    m_pRun = std::make_unique<CBatchRun>(m_core, m_timers, m_fnClockMs);
    m_nStage = STAGE_RUNNING;
    // A plan whose cards were all not found is done at once.
    m_pRun->Start(m_plan.GetCards(), m_strPassword, m_bAutoRestart, [this] { OnRunDone(); });
    return true;
}

void CBatchSetup::Stop()
{
    if (m_nStage != STAGE_RUNNING || !m_pRun)
        return;
    m_pRun->Stop();
    OnRunDone();
}

void CBatchSetup::OnTimer(unsigned int nId)
{
    if (m_nStage != STAGE_RUNNING || !m_pRun)
        return;
    m_pRun->OnTimer(nId);
    if (m_nStage == STAGE_RUNNING && m_fnChanged)
        m_fnChanged();
}

void CBatchSetup::OnRunDone()
{
    m_nStage = STAGE_DONE;
    // The read-back search listed the cards afresh; the choices stay with their MACs.
    std::vector<SBatchCard> arrCards;
    const CDeviceListModel& list = m_core.GetDeviceList();
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow) {
        SBatchCard card{list.GetItemText(nRow, CDeviceListModel::COL_KEY),
                        list.GetItemText(nRow, CDeviceListModel::COL_IP), true};
        const auto it =
            std::find_if(m_arrCards.begin(), m_arrCards.end(),
                         [&card](const SBatchCard& old) { return old.strMac == card.strMac; });
        if (it != m_arrCards.end())
            card.bChecked = it->bChecked;
        m_mapKnownIp.insert(card.strMac, card.strIp);
        arrCards.push_back(card);
    }
    m_arrCards = std::move(arrCards);
    if (m_fnChanged)
        m_fnChanged();
}

SBatchStates CBatchSetup::GetStates() const
{
    SBatchStates states;
    states.bForm = m_nStage != STAGE_RUNNING;
    states.bCards = states.bForm && m_strPlanFile.isEmpty();
    states.bParams = states.bCards;
    states.bPreview = states.bForm;
    states.bSave = m_nStage == STAGE_DONE;
    return states;
}

SBatchTable CBatchSetup::GetTable(bool bFile) const
{
    const auto fnText = [bFile](const char* pszText) {
        return bFile ? QString::fromLatin1(pszText) : Tr(pszText);
    };
    SBatchTable table;
    if (m_nStage == STAGE_EDIT)
        return table;
    if (m_nStage == STAGE_REFUSED) {
        table.arrHeader = QStringList{fnText("Line"), fnText("Problem")};
        for (const SPlanProblem& problem : m_problems.arrListed)
            table.arrRows.push_back(
                {problem.nLine > 0 ? QString::number(problem.nLine) : QString(), problem.strText});
        if (m_problems.nUnlisted > 0)
            table.arrRows.push_back({QString(), Tr("%1 more problems").arg(m_problems.nUnlisted)});
        return table;
    }

    table.arrHeader = QStringList{fnText("MAC"), fnText("IP Addr"), fnText("Line"),
                                  fnText("Result"), fnText("Changes")};
    const std::vector<SPlannedCard>& arrCards = m_pRun ? m_pRun->GetCards() : m_plan.GetCards();
    for (std::size_t i = 0; i < arrCards.size(); ++i) {
        const SPlannedCard& card = arrCards[i];
        std::optional<EApplyResult> nResult;
        if (m_pRun)
            nResult = m_pRun->GetResults()[i];
        else if (!card.bFound)
            nResult = APPLY_NOT_FOUND;
        QString strStatus;
        if (nResult)
            strStatus = bFile ? ApplyResultKey(*nResult) : TrText(ApplyResultKey(*nResult));
        else if (!m_pRun)
            strStatus = fnText("planned");
        else if (m_pRun->GetPhase() == CBatchRun::PHASE_SENDING)
            strStatus = m_pRun->GetSendOutcome(i) == CBatchSender::OUTCOME_ACKNOWLEDGED
                            ? fnText("acknowledged")
                            : fnText("sending");
        else
            strStatus = m_pRun->GetPhase() == CBatchRun::PHASE_RESTART_WAIT
                            ? fnText("restarting")
                            : fnText("reading back");
        const bool bRead = nResult == APPLY_VERIFIED || nResult == APPLY_NOT_APPLIED;
        QStringList arrChanges;
        for (const SPlanChange& change : card.arrChanges) {
            QString strChange =
                QStringLiteral("%1: %2 \u2192 %3")
                    .arg(bFile ? change.strName : TrText(change.strName),
                         card.bFound ? change.strCurrent : QStringLiteral("?"), change.strPlanned);
            if (bRead && change.strRead != change.strPlanned)
                strChange += QLatin1Char(' ') + fnText("(reads %1)").arg(change.strRead);
            arrChanges.append(strChange);
        }
        const CDeviceListModel& list = m_core.GetDeviceList();
        const int nRow = list.FindDevice(card.strMac.toLatin1().constData());
        const QString strIp = nRow >= 0 ? list.GetItemText(nRow, CDeviceListModel::COL_IP)
                                        : m_mapKnownIp.value(card.strMac);
        table.arrRows.push_back({card.strMac, strIp,
                                 card.nLine > 0 ? QString::number(card.nLine) : QString(),
                                 strStatus, arrChanges.join(QStringLiteral(", "))});
    }
    return table;
}

QString CBatchSetup::GetSummary() const
{
    switch (m_nStage) {
    case STAGE_EDIT:
        return m_strPlanFile.isEmpty() ? QString() : Tr("Plan: %1").arg(m_strPlanFile);
    case STAGE_REFUSED:
        return Tr("Plan refused, nothing sent: %1 problem(s)").arg(m_problems.Count());
    case STAGE_PREVIEW: {
        const std::vector<SPlannedCard>& arrCards = m_plan.GetCards();
        const auto nFound = std::count_if(arrCards.begin(), arrCards.end(),
                                          [](const SPlannedCard& card) { return card.bFound; });
        return Tr("%1 card(s) planned, %2 not found")
            .arg(nFound)
            .arg(static_cast<qsizetype>(arrCards.size()) - nFound);
    }
    case STAGE_RUNNING:
        if (m_pRun->GetPhase() == CBatchRun::PHASE_SENDING)
            return Tr("Sending: %1 of %2 card(s) answered")
                .arg(m_pRun->GetSentDone())
                .arg(m_pRun->GetSentTotal());
        return m_pRun->GetPhase() == CBatchRun::PHASE_RESTART_WAIT
                   ? Tr("Waiting for the cards to restart")
                   : Tr("Reading the values back");
    case STAGE_DONE:
        break;
    }
    QStringList arrCounts;
    for (const EApplyResult nResult : RESULTS) {
        const auto& arrResults = m_pRun->GetResults();
        const auto nCount = std::count(arrResults.begin(), arrResults.end(), nResult);
        arrCounts.append(QStringLiteral("%1 %2").arg(nCount).arg(TrText(ApplyResultKey(nResult))));
    }
    return arrCounts.join(QStringLiteral(", "));
}

bool CBatchSetup::SaveResults(const QString& strPath, QString& strError) const
{
    const SBatchTable table = GetTable(true);
    const auto fnLine = [](const QStringList& arrCells) {
        QStringList arrFields;
        for (const QString& strCell : arrCells)
            arrFields.append(CsvField(strCell));
        return arrFields.join(QLatin1Char(',')) + QLatin1Char('\n');
    };
    QString strText = fnLine(table.arrHeader);
    for (const QStringList& arrRow : table.arrRows)
        strText += fnLine(arrRow);
    return WriteTextFile(strPath, strText, strError);
}
