// SPDX-License-Identifier: GPL-3.0-or-later
// CCliSession: drives CAssistantCore for one command of cardwise-cli, with real timers.
#include "CliSession.h"

#include "BatchPlan.h"
#include "CliOutput.h"
#include "CliPassword.h"
#include "DeviceSocket.h"
#include "Inventory.h"

#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// How long set waits for the card's answer when it does not wait for the restart.
constexpr int ANSWER_WAIT_MS = 3000;
// A sweep ends by itself after 50 ticks, a range sweep when its requests and the wait for late
// replies are over; this only guards against a stalled loop.
constexpr int PHASE_GUARD_MS = 120 * 1000;

void PrintOut(const QString& strText)
{
    std::fputs(strText.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void PrintError(const QString& strText)
{
    std::fprintf(stderr, "%s\n", strText.toUtf8().constData());
}

int TickOverrideFromEnvironment()
{
    bool bOk = false;
    const int nMs = qEnvironmentVariableIntValue("CARDWISE_TICK_MS", &bOk);
    return bOk && nMs > 0 ? nMs : 0;
}

} // namespace

// Sees the socket's reports before the core handles them the window's way.
class CCliSession::CCore : public CAssistantCore
{
public:
    CCore(CCliSession& session, CAssistantServices services)
        : CAssistantCore(session, session.m_timers, std::move(services)), m_session(session)
    {
    }

    void AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac, const char* pszIp,
                           const char* pszMask, const char* pszGateway, int nHwVer,
                           int nFwVer) override
    {
        CAssistantCore::AddOrUpdateDevice(dwSource, pszMac, pszIp, pszMask, pszGateway, nHwVer,
                                          nFwVer);
        if (nHwVer == -1 && nFwVer == -1 && m_session.m_options.strMac == QLatin1String(pszMac))
            m_session.OnAcknowledged();
    }

    void SetProcessStatus(int bKeepRunning, const char* pszText) override
    {
        CAssistantCore::SetProcessStatus(bKeepRunning, pszText);
        m_session.OnErrorReply(QString::fromUtf8(pszText != nullptr ? pszText : ""));
    }

private:
    CCliSession& m_session;
};

CCliSession::CCliSession(const SCliOptions& options) : m_options(options)
{
    if (options.subnet) {
        m_dwAddressCtrl = options.subnet->dwAddress;
        m_dwMaskCtrl = options.subnet->dwMask;
    } else if (options.range) {
        m_dwAddressCtrl = options.range->dwStart;
        m_dwMaskCtrl = options.range->dwEnd;
    }
    m_timers.SetPeriodOverride(TickOverrideFromEnvironment());

    CAssistantServices services;
    services.fnMessageBox = [](const QString& strText, const QString& strCaption, EMsgIcon) {
        PrintError(strCaption + QStringLiteral(": ") + strText);
    };
    services.fnRunParamDialog = [this](COptionTable& option) { return ApplyEdits(option); };
    m_pCore = std::make_unique<CCore>(*this, std::move(services));
    m_pCore->SetRangeRate(options.nRate);
    m_timers.SetHandler([this](unsigned int nId) {
        if ((nId == CBatchSender::TIMER_BATCH || nId == CBatchRun::TIMER_RUN) && m_pRun)
            m_pRun->OnTimer(nId);
        else
            m_pCore->OnTimer(nId);
    });
}

CCliSession::~CCliSession()
{
    m_timers.SetHandler(nullptr);
}

void CCliSession::UpdateData(bool bSaveAndValidate)
{
    // The scope was set from the command line; there are no controls to read. After a timer
    // tick this is where the end of a phase shows.
    if (!bSaveAndValidate && m_nWaitFor == WAIT_IDLE &&
        m_pCore->GetTimerId() == CAssistantCore::TIMER_NONE)
        m_loop.quit();
}

std::uint32_t CCliSession::GetAddressCtrl(EAddressCtrl nCtrl) const
{
    return nCtrl == IDC_ADDRESS ? m_dwAddressCtrl : m_dwMaskCtrl;
}

void CCliSession::SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue)
{
    if (nCtrl == IDC_ADDRESS)
        m_dwAddressCtrl = dwValue;
    else
        m_dwMaskCtrl = dwValue;
}

void CCliSession::OnAcknowledged()
{
    if (!m_bSetSent)
        return;
    m_bAcknowledged = true;
    if (m_nWaitFor == WAIT_ANSWER)
        m_loop.quit();
}

void CCliSession::OnErrorReply(const QString& strText)
{
    // The core passes on only the error reply of the card that the set request addressed.
    if (!m_bSetSent)
        return;
    m_bErrorReply = true;
    m_strErrorText = strText;
    m_loop.quit();
}

void CCliSession::Wait(EWaitFor nWaitFor, int nMs)
{
    m_nWaitFor = nWaitFor;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    guard.start(nMs);
    m_loop.exec();
    m_nWaitFor = WAIT_NONE;
}

bool CCliSession::Search()
{
    m_pCore->SetScope(m_options.subnet  ? CAssistantCore::SCOPE_SUBNET
                      : m_options.range ? CAssistantCore::SCOPE_RANGE
                                        : CAssistantCore::SCOPE_LOCAL);
    m_pCore->OnSearch();
    if (m_pCore->GetTimerId() == CAssistantCore::TIMER_NONE)
        return false; // the socket could not be opened; the message is out
    Wait(WAIT_IDLE, PhaseGuardMs());
    MoreRounds();
    if (m_options.nWaitMs > 0)
        Wait(WAIT_TIME, m_options.nWaitMs);
    return true;
}

int CCliSession::PhaseGuardMs() const
{
    return static_cast<int>(std::min<std::int64_t>(PHASE_GUARD_MS + m_pCore->GetRangeSweepMs(),
                                                   std::numeric_limits<int>::max()));
}

void CCliSession::MoreRounds()
{
    for (int nRound = 1; nRound < m_options.nRounds && m_pCore->SearchAgain(); ++nRound)
        Wait(WAIT_IDLE, PhaseGuardMs());
}

int CCliSession::FindCard() const
{
    const QByteArray strMac = m_options.strMac.toLatin1();
    const int nRow = m_pCore->GetDeviceList().FindDevice(strMac.constData());
    if (nRow < 0)
        PrintError(QStringLiteral("cardwise-cli: no card with MAC %1 answered the search")
                       .arg(m_options.strMac));
    return nRow;
}

int CCliSession::RunSearch()
{
    if (!m_options.strCompareFile.isEmpty())
        return RunCompare();
    if (!Search())
        return EXIT_NO_ANSWER;
    PrintOut(RenderDevices(m_pCore->GetDeviceList(), m_options.nFormat));
    return EXIT_OK;
}

int CCliSession::RunCompare()
{
    std::vector<SInventoryCard> arrSaved;
    QString strError;
    if (!ReadInventoryFile(m_options.strCompareFile, arrSaved, strError)) {
        PrintError(QStringLiteral("cardwise-cli: ") + strError);
        return EXIT_USAGE;
    }
    if (!Search())
        return EXIT_NO_ANSWER;
    const SInventoryDiff diff =
        CompareInventory(arrSaved, InventoryFromList(m_pCore->GetDeviceList()));
    PrintOut(RenderComparison(diff, m_options.nFormat));
    return diff.IsEmpty() ? EXIT_OK : EXIT_DIFFERENT;
}

int CCliSession::RunParams()
{
    if (!Search() || FindCard() < 0)
        return EXIT_NO_ANSWER;
    const CVarDataGroup* pParams =
        m_pCore->GetSocket()->FindDeviceParams(m_options.strMac.toLatin1().constData());
    if (pParams == nullptr) {
        PrintError(QStringLiteral("cardwise-cli: %1 answered, but sent no parameters")
                       .arg(m_options.strMac));
        return EXIT_NO_ANSWER;
    }
    COptionTable option;
    option.m_grpParams = *pParams;
    option.LoadParams();
    PrintOut(RenderParams(m_options.strMac, option, m_options.nFormat));
    return EXIT_OK;
}

bool CCliSession::ApplyEdits(COptionTable& option)
{
    option.m_strPassword = m_strPassword;
    option.m_bAutoRestart = m_options.bNoRestart ? 0 : 1;
    for (const SParamEdit& edit : m_options.arrEdits) {
        int nRow = 0;
        while (nRow < option.GetItemCount() && option.GetItemData(nRow) != edit.nSetId)
            ++nRow;
        if (nRow == option.GetItemCount()) {
            PrintError(QStringLiteral("cardwise-cli: the card does not report parameter %1")
                           .arg(edit.strName));
            m_bMissingParam = true;
            return false;
        }
        option.SetValueText(nRow, edit.strValue);
    }
    m_nCheck = option.OnOK([](const QString& strText, const QString& strCaption, EMsgIcon) {
        PrintError(strCaption + QStringLiteral(": ") + strText);
    });
    // The core sends as soon as this returns.
    m_bSetSent = m_nCheck == COptionTable::CHECK_OK;
    return m_bSetSent;
}

bool CCliSession::ResolvePassword()
{
    QString strError;
    const std::optional<QString> strPassword = ReadPassword(m_options, strError);
    if (!strPassword) {
        PrintError(QStringLiteral("cardwise-cli: ") + strError);
        return false;
    }
    m_strPassword = *strPassword;
    return true;
}

int CCliSession::RunSet()
{
    if (!ResolvePassword())
        return EXIT_USAGE;
    if (!Search())
        return EXIT_NO_ANSWER;
    const int nRow = FindCard();
    if (nRow < 0)
        return EXIT_NO_ANSWER;

    const CAssistantCore::ESetup nSetup = m_pCore->SetupDevice(nRow);
    if (nSetup == CAssistantCore::SETUP_NO_DATA)
        return EXIT_NO_ANSWER;
    if (nSetup != CAssistantCore::SETUP_SENT)
        return m_bMissingParam || m_nCheck != COptionTable::CHECK_OK ? EXIT_CHECK_FAILED
                                                                     : EXIT_USAGE;

    if (m_options.bWaitRestart) {
        // The restart wait ends with a new search; an error reply ends it early.
        if (!m_bErrorReply) {
            Wait(WAIT_IDLE, PhaseGuardMs());
            MoreRounds();
        }
    } else if (!m_bAcknowledged && !m_bErrorReply)
        Wait(WAIT_ANSWER, ANSWER_WAIT_MS);

    int nExit = EXIT_OK;
    QString strResult;
    QString strMessage;
    if (m_bErrorReply) {
        nExit = EXIT_REJECTED;
        strResult = QStringLiteral("rejected");
        strMessage = m_strErrorText.isEmpty() ? QStringLiteral("the card answered with an error")
                                              : m_strErrorText;
    } else if (m_bAcknowledged) {
        strResult = QStringLiteral("acknowledged");
        strMessage = m_pCore->GetStatus();
    } else {
        nExit = EXIT_NO_ANSWER;
        strResult = QStringLiteral("no-answer");
        strMessage = QStringLiteral("no answer from %1").arg(m_options.strMac);
    }
    if (nExit != EXIT_OK)
        PrintError(QStringLiteral("cardwise-cli: ") + strMessage);

    const bool bShowList = m_options.bWaitRestart && !m_bErrorReply;
    if (m_options.nFormat == FORMAT_JSON) {
        QString strJson =
            QStringLiteral("{\"mac\":%1,\"result\":%2,\"message\":%3")
                .arg(JsonString(m_options.strMac), JsonString(strResult), JsonString(strMessage));
        if (bShowList)
            strJson += QStringLiteral(",\"devices\":") + DevicesJsonArray(m_pCore->GetDeviceList());
        PrintOut(strJson + QStringLiteral("}\n"));
    } else {
        if (nExit == EXIT_OK)
            PrintOut(QStringLiteral("%1: %2\n").arg(m_options.strMac, strMessage));
        if (bShowList)
            PrintOut(RenderDevices(m_pCore->GetDeviceList(), m_options.nFormat));
    }
    return nExit;
}

int CCliSession::RunApply()
{
    CBatchPlan plan;
    SPlanProblems problems;
    if (!plan.Load(m_options.strFile, problems)) {
        PrintOut(RenderPlanProblems(m_options.strFile, problems, m_options.nFormat));
        return EXIT_CHECK_FAILED;
    }
    if (!m_options.bDryRun && plan.NeedsPassword() && !ResolvePassword())
        return EXIT_USAGE;
    if (!Search())
        return EXIT_NO_ANSWER;
    return ApplyPlan(plan);
}

int CCliSession::ApplyPlan(CBatchPlan& plan)
{
    CDeviceListModel& list = m_pCore->GetDeviceList();
    std::vector<SFoundCard> arrFound;
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow) {
        const QString strMac = list.GetItemText(nRow, CDeviceListModel::COL_KEY);
        arrFound.push_back({strMac, list.GetItemText(nRow, CDeviceListModel::COL_IP),
                            m_pCore->GetSocket()->FindDeviceParams(strMac.toLatin1().constData())});
    }
    QStringList arrOwn;
    for (const CAdapterAddress& adapter : m_pCore->GetAdapters())
        arrOwn.append(adapter.strAddress);
    SPlanProblems problems;
    if (!plan.Prepare(arrFound, arrOwn, !m_options.bNoRestart, problems)) {
        PrintOut(RenderPlanProblems(m_options.strFile, problems, m_options.nFormat));
        return EXIT_CHECK_FAILED;
    }
    if (m_options.bDryRun) {
        std::vector<std::optional<EApplyResult>> arrResults;
        for (const SPlannedCard& card : plan.GetCards())
            arrResults.push_back(card.bFound ? std::nullopt
                                             : std::optional<EApplyResult>(APPLY_NOT_FOUND));
        PrintOut(RenderApply(plan.GetCards(), arrResults, m_options.nFormat));
        return EXIT_OK;
    }

    m_pRun = std::make_unique<CBatchRun>(*m_pCore, m_timers, MonotonicMs);
    m_pRun->Start(plan.GetCards(), m_strPassword, !m_options.bNoRestart, [this] {
        if (m_nWaitFor == WAIT_BATCH)
            m_loop.quit();
    });
    // The guard covers the sending, the restart wait and the read-back sweep.
    if (m_pRun->GetPhase() != CBatchRun::PHASE_DONE)
        Wait(WAIT_BATCH, 2 * PhaseGuardMs());
    if (m_pRun->GetPhase() != CBatchRun::PHASE_DONE) {
        PrintError(QStringLiteral("cardwise-cli: the run stalled; the cards without a result "
                                  "count as unanswered"));
        m_pRun->Stop();
    }
    const std::vector<SPlannedCard>& arrCards = m_pRun->GetCards();
    const std::vector<std::optional<EApplyResult>>& arrResults = m_pRun->GetResults();
    PrintOut(RenderApply(arrCards, arrResults, m_options.nFormat));
    const bool bAll = std::all_of(arrResults.begin(), arrResults.end(),
                                  [](const auto& nResult) { return nResult == APPLY_VERIFIED; });
    return bAll ? EXIT_OK : EXIT_NOT_VERIFIED;
}
