// SPDX-License-Identifier: GPL-3.0-or-later
// CAssistantCore: the search, the timer phases and the Setup flow of the main window.
#include "AssistantCore.h"

#include "CardProtocol.h"
#include "CoreText.h"
#include "DeviceNotes.h"
#include "DeviceSocket.h"
#include "Inventory.h"
#include "LmDebug.h"

#include <QCoreApplication>

#include <netinet/in.h>

#include <algorithm>
#include <cstring>

using namespace CardwiseCore;

namespace {

// Control values (first field in the most significant byte) of the scope defaults.
constexpr std::uint32_t DEFAULT_ADDRESS = 0xC0A80101;   // 192.168.1.1
constexpr std::uint32_t DEFAULT_MASK = 0xFFFFFF00;      // 255.255.255.0
constexpr std::uint32_t DEFAULT_RANGE_END = 0xC0A80164; // 192.168.1.100

QString ApplicationTitle()
{
    const QString strName = QCoreApplication::applicationName();
    return strName.isEmpty() ? QStringLiteral("Cardwise") : strName;
}

} // namespace

CAssistantCore::CAssistantCore(CAssistantView& view, CTimerHost& timers,
                               CAssistantServices services)
    : m_view(view), m_timers(timers), m_services(std::move(services))
{
    if (!m_services.fnCreateSocket) {
        m_services.fnCreateSocket = [](CDeviceOwner* pOwner) {
            return std::make_unique<CDeviceSocket>(pOwner);
        };
    }
    if (!m_services.fnGetAdapters)
        m_services.fnGetAdapters = SystemAdapterAddresses;
    if (!m_services.fnClockMs)
        m_services.fnClockMs = MonotonicMs;
}

CAssistantCore::~CAssistantCore()
{
    OnDestroy();
}

void CAssistantCore::OnScopeChanged()
{
    m_view.UpdateData(true);
    if (m_nScope == SCOPE_SUBNET) {
        m_strAddrLabel = Tr("IP Addr");
        m_strMaskLabel = QStringLiteral("Mask");
        m_view.SetAddressCtrl(CAssistantView::IDC_ADDRESS, DEFAULT_ADDRESS);
        m_view.SetAddressCtrl(CAssistantView::IDC_MASK, DEFAULT_MASK);
    } else if (m_nScope == SCOPE_RANGE) {
        m_strAddrLabel = Tr("Start Addr");
        m_strMaskLabel = Tr("End  Addr");
        m_view.SetAddressCtrl(CAssistantView::IDC_ADDRESS, DEFAULT_ADDRESS);
        m_view.SetAddressCtrl(CAssistantView::IDC_MASK, DEFAULT_RANGE_END);
    }
    m_view.UpdateButtons(CAssistantView::REFRESH_STATE);
    m_view.UpdateData(false);
}

void CAssistantCore::RefreshAdapters()
{
    m_arrAdapters = m_services.fnGetAdapters();
    m_listDevices.SetAdapters(m_arrAdapters);
}

void CAssistantCore::CollectBroadcastAddresses()
{
    RefreshAdapters();
    m_arrDest.clear();
    for (const CAdapterAddress& adapter : m_arrAdapters) {
        const std::uint32_t dwIp = ParseAddress(adapter.strAddress);
        const std::uint32_t dwMask = ParseAddress(adapter.strMask);
        // Also what an unreadable mask gives; such an entry has no broadcast of its own.
        if (dwMask == INADDR_NONE)
            continue;
        m_arrDest.append(AddressText((dwIp & dwMask) | ~dwMask));
    }
    m_arrDest.append(QString::fromLatin1(LIMITED_BROADCAST));
}

bool CAssistantCore::OpenNewSocket(bool bBroadcast)
{
    // The old socket goes first: the new one binds the same port.
    if (m_pSocket) {
        m_pSocket->Close();
        m_pSocket.reset();
    }
    m_pSocket = m_services.fnCreateSocket(this);
    if (m_pSocket && m_pSocket->OpenSocket(bBroadcast ? 1 : 0))
        return true;
    m_pSocket.reset();
    MessageBox(QStringLiteral("初始化网络接口失败"), QStringLiteral("错误"), MSG_ICON_STOP);
    return false;
}

void CAssistantCore::OnSearch()
{
    m_view.UpdateData(true);
    m_listDevices.DeleteAllItems();
    m_arrSetMac.reset();

    if (m_nScope == SCOPE_LOCAL) {
        CollectBroadcastAddresses();
        if (!OpenNewSocket(true))
            return;
        m_bBroadcastSearch = true;
        for (const QString& strDest : std::as_const(m_arrDest))
            m_pSocket->SendSearch(strDest.toLatin1().constData(), CardProtocol::PORT_CARD);
    } else if (m_nScope == SCOPE_SUBNET) {
        const std::uint32_t dwIp =
            ControlToNetwork(m_view.GetAddressCtrl(CAssistantView::IDC_ADDRESS));
        const std::uint32_t dwMask =
            ControlToNetwork(m_view.GetAddressCtrl(CAssistantView::IDC_MASK));
        if (dwIp == 0 || dwMask == 0) {
            MessageBox(Tr("must input the param"), Tr("ERROR"), MSG_ICON_STOP);
            m_view.UpdateData(false);
            return;
        }
        RefreshAdapters();
        if (!OpenNewSocket(false))
            return;
        m_bBroadcastSearch = dwMask != INADDR_NONE;
        m_arrDest = QStringList{AddressText((dwIp & dwMask) | ~dwMask)};
        m_pSocket->SendSearch(m_arrDest.first().toLatin1().constData(), CardProtocol::PORT_CARD);
    } else {
        StartRangeSweep();
        return;
    }

    StartSweep();
}

bool CAssistantCore::SearchAgain()
{
    if (!m_pSocket || m_nTimerId != TIMER_NONE || m_bSetupRunning)
        return false;
    if (m_nScope == SCOPE_RANGE) {
        StartRangePasses();
        return true;
    }
    for (const QString& strDest : std::as_const(m_arrDest))
        m_pSocket->SendSearch(strDest.toLatin1().constData(), CardProtocol::PORT_CARD);
    StartSweep();
    return true;
}

void CAssistantCore::StartSweep()
{
    StartPhase(TIMER_SWEEP);
    m_nTick = 0;
    m_progress.SetRange(0, SWEEP_TICKS);
    m_progress.SetStep(1);
    m_progress.StepIt();
    m_strStatus = Tr("Scanning Device....");
    m_view.UpdateData(false);
}

void CAssistantCore::StartRangeSweep()
{
    m_dwRangeStart = m_view.GetAddressCtrl(CAssistantView::IDC_ADDRESS);
    m_dwRangeEnd = m_view.GetAddressCtrl(CAssistantView::IDC_MASK);
    const QString strProblem = m_dwRangeStart == 0 || m_dwRangeEnd == 0
                                   ? Tr("must input the param")
                                   : RangeProblem(m_dwRangeStart, m_dwRangeEnd);
    if (!strProblem.isEmpty()) {
        MessageBox(strProblem, Tr("ERROR"), MSG_ICON_STOP);
        m_view.UpdateData(false);
        return;
    }
    RefreshAdapters();
    if (!OpenNewSocket(false))
        return;
    // Every request names one host, whatever its text holds.
    m_pSocket->SetDirectedOnly(true);
    m_bBroadcastSearch = false;
    m_arrDest.clear();
    StartRangePasses();
}

void CAssistantCore::StartRangePasses()
{
    StartPhase(TIMER_RANGE_SWEEP, RANGE_TICK_MS);
    m_nTick = 0;
    m_nSweepSent = 0;
    m_nSweepTotal = RANGE_PASSES * (std::int64_t{m_dwRangeEnd} - m_dwRangeStart + 1);
    m_nSweepOriginMs = m_services.fnClockMs();
    m_progress.SetRange(0, static_cast<int>(m_nSweepTotal));
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    SendDueRequests(m_nSweepOriginMs);
    m_strStatus = RangeStatus();
    m_view.UpdateData(false);
}

void CAssistantCore::SendDueRequests(std::int64_t nNow)
{
    // Request n is due n / rate seconds after the origin; the first at once.
    std::int64_t nDue =
        std::min(m_nSweepTotal, (nNow - m_nSweepOriginMs) * m_nRangeRate / 1000 + 1);
    const std::int64_t nBurst = std::max<std::int64_t>(1, m_nRangeRate * RANGE_BURST_MS / 1000);
    if (nDue - m_nSweepSent > nBurst) {
        nDue = m_nSweepSent + nBurst;
        m_nSweepOriginMs = nNow - (nDue - 1) * 1000 / m_nRangeRate;
    }
    // The second pass starts over at the first address once the first has asked them all.
    const std::int64_t nCount = std::int64_t{m_dwRangeEnd} - m_dwRangeStart + 1;
    if (nDue > m_nSweepSent)
        m_nSweepLastSendMs = nNow;
    for (; m_nSweepSent < nDue && m_pSocket; ++m_nSweepSent) {
        const auto dwHost = static_cast<std::uint32_t>(m_dwRangeStart + m_nSweepSent % nCount);
        m_pSocket->SendSearch(AddressText(ControlToNetwork(dwHost)).toLatin1().constData(),
                              CardProtocol::PORT_CARD);
    }
    m_progress.SetPos(static_cast<int>(m_nSweepSent));
}

QString CAssistantCore::RangeStatus() const
{
    return Tr("Scanning %1 – %2: %3 of %4")
        .arg(AddressText(ControlToNetwork(m_dwRangeStart)),
             AddressText(ControlToNetwork(m_dwRangeEnd)))
        .arg(m_nSweepSent)
        .arg(m_nSweepTotal);
}

void CAssistantCore::RangeSweepStep()
{
    ++m_nTick;
    const std::int64_t nNow = m_services.fnClockMs();
    if (m_nSweepSent < m_nSweepTotal) {
        SendDueRequests(nNow);
        m_strStatus = RangeStatus();
        return;
    }
    if (nNow - m_nSweepLastSendMs < RANGE_LATE_REPLY_MS)
        return;
    StopPhase();
    m_strStatus = Tr("Scanning Device  Finished");
}

void CAssistantCore::StopSearch()
{
    if (m_nTimerId != TIMER_RANGE_SWEEP)
        return;
    StopPhase();
    m_strStatus = Tr("Stopped: %1 of %2 requests sent").arg(m_nSweepSent).arg(m_nSweepTotal);
    m_view.UpdateData(false);
}

void CAssistantCore::SetRangeRate(int nRate)
{
    m_nRangeRate = std::clamp(nRate, 1, CardwiseCore::RATE_MAX);
}

std::int64_t CAssistantCore::GetRangeSweepMs() const
{
    if (m_dwRangeStart == 0 || !RangeProblem(m_dwRangeStart, m_dwRangeEnd).isEmpty())
        return 0;
    const std::int64_t nRequests = RANGE_PASSES * (std::int64_t{m_dwRangeEnd} - m_dwRangeStart + 1);
    return nRequests * 1000 / m_nRangeRate + RANGE_LATE_REPLY_MS;
}

void CAssistantCore::OnTimer(unsigned int nId)
{
    // A tick of a phase that is no longer the running one is stale.
    if (nId != TIMER_NONE && nId == m_nTimerId) {
        if (nId == TIMER_SWEEP)
            SweepStep();
        else if (nId == TIMER_RESTART_WAIT)
            RestartWaitStep();
        else if (nId == TIMER_RANGE_SWEEP)
            RangeSweepStep();
    }
    m_view.UpdateData(false);
}

void CAssistantCore::SweepStep()
{
    ++m_nTick;
    if (m_nTick < SWEEP_TICKS) {
        m_progress.StepIt();
        // Repeats go to the socket's stored target: the last destination of the search.
        if (m_nTick % SWEEP_REPEAT_EVERY == 0 && m_pSocket)
            m_pSocket->SendSearch("", CardProtocol::PORT_CARD);
        return;
    }
    StopPhase();
    m_strStatus = Tr("Scanning Device  Finished");
}

void CAssistantCore::StartRestartWait()
{
    StartPhase(TIMER_RESTART_WAIT);
    m_nTick = 0;
    m_progress.SetRange(0, RESTART_BAR_RANGE);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    m_progress.StepIt();
}

void CAssistantCore::RestartWaitStep()
{
    ++m_nTick;
    if (m_nTick == RESTART_STATUS_TICK)
        m_strStatus = Tr("Waitting for device restart...");
    if (m_nTick <= RESTART_TICKS) {
        m_progress.StepIt();
        return;
    }
    StopPhase();
    SearchAfterRestart();
}

void CAssistantCore::SearchAfterRestart()
{
    // The search starts its own sweep; one that cannot start leaves the window idle. A range
    // sweep covers the range of the search that listed the card, whatever the controls hold.
    if (m_nScope == SCOPE_RANGE && m_dwRangeStart != 0) {
        m_view.SetAddressCtrl(CAssistantView::IDC_ADDRESS, m_dwRangeStart);
        m_view.SetAddressCtrl(CAssistantView::IDC_MASK, m_dwRangeEnd);
    }
    OnSearch();
}

void CAssistantCore::StartPhase(ETimer nTimer, unsigned int nPeriodMs)
{
    // One slot: a phase that starts replaces the running one, so no two phases share the
    // tick counter.
    if (m_nTimerId != TIMER_NONE && m_nTimerId != static_cast<unsigned int>(nTimer))
        m_timers.KillTimer(m_nTimerId);
    m_timers.SetTimer(nTimer, nPeriodMs);
    m_nTimerId = nTimer;
    m_view.UpdateButtons(CAssistantView::REFRESH_STATE);
}

void CAssistantCore::StopPhase()
{
    if (m_nTimerId == TIMER_NONE)
        return;
    m_timers.KillTimer(m_nTimerId);
    m_nTimerId = TIMER_NONE;
    m_view.UpdateButtons(CAssistantView::REFRESH_STATE);
}

CButtonStates CAssistantCore::GetButtonStates(bool bRowSelected) const
{
    CButtonStates states;
    const bool bIdle = m_nTimerId == TIMER_NONE;
    states.bStop = m_nTimerId == TIMER_RANGE_SWEEP;
    states.bSearch = (bIdle && !m_bSetupRunning) || states.bStop;
    states.bDeviceTools = bIdle && bRowSelected;
    states.bAddressCtrls = m_nScope != SCOPE_LOCAL;
    states.bListFiles = bIdle && !m_bSetupRunning;
    states.bBatchSetup = states.bListFiles && m_listDevices.GetItemCount() > 0;
    return states;
}

void CAssistantCore::SetSetupRunning(bool bRunning)
{
    m_bSetupRunning = bRunning;
    m_view.UpdateButtons(CAssistantView::REFRESH_STATE);
}

CAssistantCore::ESetup CAssistantCore::SetupDevice(int nRow)
{
    // The Setup button is off while a phase runs; a double-click on the list is held to the
    // same rule, so a restart wait never starts beside a sweep.
    if (m_nTimerId != TIMER_NONE)
        return SETUP_BUSY;
    if (nRow < 0 || nRow >= m_listDevices.GetItemCount())
        return SETUP_CANCELLED;

    COptionTable option;
    SetSetupRunning(true);

    const QByteArray strMac = m_listDevices.GetItemText(nRow, CDeviceListModel::COL_KEY).toLatin1();
    const CVarDataGroup* pParams =
        m_pSocket ? m_pSocket->FindDeviceParams(strMac.constData()) : nullptr;
    // A key that is no MAC (a reply without a proper MAC item) cannot address the card.
    unsigned char arrMac[CardProtocol::MAC_SIZE] = {};
    if (pParams == nullptr || !CardProtocol::ParseMac(strMac.constData(), arrMac)) {
        MessageBox(QStringLiteral("数据错误,请重新搜索尝试"), ApplicationTitle(), MSG_ICON_NONE);
        SetSetupRunning(false);
        return SETUP_NO_DATA;
    }

    option.m_grpParams = *pParams;
    option.LoadParams();
    ESetup nResult = SETUP_CANCELLED;
    if (m_services.fnRunParamDialog && m_services.fnRunParamDialog(option)) {
        const QByteArray strPassword = option.m_strPassword.toUtf8();

        const QStringList arrTargets = SetRequestTargets(nRow);
        // The modal dialog ran an event loop; the socket is looked at again.
        for (const QString& strDest : std::as_const(arrTargets)) {
            if (m_pSocket)
                m_pSocket->SendSetParams(arrMac, option.m_grpSend, strPassword.constData(),
                                         strDest.toLatin1().constData(), CardProtocol::PORT_CARD);
        }
        m_arrSetMac.emplace();
        std::memcpy(m_arrSetMac->data(), arrMac, CardProtocol::MAC_SIZE);
        m_strStatus = Tr("Send setting request to device.........");
        if (option.m_bAutoRestart)
            StartRestartWait();
        nResult = SETUP_SENT;
    }
    m_bSetupRunning = false;
    m_view.UpdateButtons(CAssistantView::REFRESH_ALL);
    m_view.UpdateData(false);
    return nResult;
}

bool CAssistantCore::SaveList(const QString& strPath)
{
    const std::vector<SInventoryCard> arrCards = InventoryFromList(m_listDevices);
    const bool bCsv = strPath.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QString strError;
    if (!WriteTextFile(strPath, bCsv ? InventoryCsv(arrCards) : InventoryJson(arrCards),
                       strError)) {
        MessageBox(strError, Tr("Save List"), MSG_ICON_STOP);
        return false;
    }
    ShowStatus(Tr("%1 card(s) saved").arg(arrCards.size()));
    return true;
}

bool CAssistantCore::CompareWithSavedList(const QString& strPath)
{
    std::vector<SInventoryCard> arrSaved;
    QString strError;
    if (!ReadInventoryFile(strPath, arrSaved, strError)) {
        MessageBox(strError, Tr("Compare with Saved List"), MSG_ICON_STOP);
        return false;
    }
    ShowStatus(InventorySummary(CompareInventory(arrSaved, InventoryFromList(m_listDevices))));
    m_listDevices.SetSavedInventory(std::move(arrSaved));
    return true;
}

QStringList CAssistantCore::SetRequestTargets(int nRow)
{
    // The card is named by the MAC in the request, so it goes where the search went; a
    // sweep went to every host, so the request goes to the one the card answered from.
    QStringList arrTargets;
    if (m_nScope == SCOPE_LOCAL)
        arrTargets = m_arrDest;
    else if (m_nScope == SCOPE_SUBNET && !m_arrDest.isEmpty())
        arrTargets.append(m_arrDest.first());
    else if (m_nScope == SCOPE_RANGE && m_pSocket) {
        arrTargets.append(m_listDevices.GetItemText(nRow, CDeviceListModel::COL_ACTUAL_IP));
        m_pSocket->SetDirectedOnly(true);
    }
    return arrTargets;
}

void CAssistantCore::OnDestroy()
{
    // The window is closing: the phase ends without a word to its buttons.
    if (m_nTimerId != TIMER_NONE)
        m_timers.KillTimer(m_nTimerId);
    m_nTimerId = TIMER_NONE;
    if (m_pSocket) {
        m_pSocket->Close();
        m_pSocket.reset();
    }
}

void CAssistantCore::AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac,
                                       const char* pszIp, const char* pszMask,
                                       const char* pszGateway, int nHwVer, int nFwVer)
{
    m_listDevices.AddOrUpdateDevice(dwSource, pszMac, pszIp, pszMask, pszGateway, nHwVer, nFwVer);
    // Both versions -1: the card acknowledged a set request.
    if (nHwVer == -1 && nFwVer == -1) {
        if (m_pReplyListener != nullptr)
            m_pReplyListener->OnSetAcknowledged(pszMac);
        ShowStatus(Tr("setting request is accessed"));
    }
}

void CAssistantCore::AddDeviceDetails(const char* pszMac, const CReplyDetails& details)
{
    m_listDevices.AddDeviceDetails(pszMac, details, m_bBroadcastSearch);
}

bool CAssistantCore::CheckDeviceReachable(int nRow) const
{
    if ((m_listDevices.GetNotes(nRow) & NOTE_OTHER_SUBNET) == 0)
        return true;
    MessageBox(Tr("%1 is in none of the subnets of adapter %2, so this PC cannot reach it. Give "
                  "the card an address of that subnet with Setup first.")
                   .arg(m_listDevices.GetItemText(nRow, CDeviceListModel::COL_IP),
                        m_listDevices.GetItemText(nRow, CDeviceListModel::COL_ADAPTER)),
               ApplicationTitle(), MSG_ICON_INFORMATION);
    return false;
}

void CAssistantCore::SetProcessStatus(int bKeepRunning, const char* pszText)
{
    ShowStatus(QString::fromUtf8(pszText != nullptr ? pszText : ""));
    if (!bKeepRunning)
        StopPhase();
}

void CAssistantCore::ReportErrorReply(const unsigned char* pMac, const char* pszText)
{
    if (m_pReplyListener != nullptr) {
        m_pReplyListener->OnSetErrorReply(pMac);
        return;
    }
    // Any host can send an error frame, and a search is never answered with one: a stray
    // frame must not cut a sweep short or answer someone else's request.
    if (m_nTimerId == TIMER_SWEEP || !m_arrSetMac ||
        std::memcmp(m_arrSetMac->data(), pMac, CardProtocol::MAC_SIZE) != 0) {
        char szMac[CardProtocol::MAC_TEXT_SIZE];
        LmTrace20("Error reply from %s ignored: no set request is waiting for that card\r\n",
                  CardProtocol::FormatMac(pMac, szMac));
        return;
    }
    SetProcessStatus(0, pszText);
}

void CAssistantCore::ShowStatus(const QString& strText)
{
    m_strStatus = strText;
    m_view.SetStatusText(strText);
}

void CAssistantCore::MessageBox(const QString& strText, const QString& strCaption,
                                EMsgIcon nIcon) const
{
    if (m_services.fnMessageBox)
        m_services.fnMessageBox(strText, strCaption, nIcon);
}
