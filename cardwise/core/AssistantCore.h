// SPDX-License-Identifier: GPL-3.0-or-later
// CAssistantCore: the search, the timer phases and the Setup flow of the main window.
#pragma once

#include "AdapterList.h"
#include "AssistantView.h"
#include "DeviceListModel.h"
#include "MessageSink.h"
#include "OptionTable.h"
#include "ProgramOptions.h"
#include "ProgressModel.h"
#include "TimerHost.h"

#include "CardProtocol.h"
#include "DeviceOwner.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class CDeviceSocket;

// Creates the device socket of one search, reporting to pOwner.
using SocketFactory = std::function<std::unique_ptr<CDeviceSocket>(CDeviceOwner* pOwner)>;
// Runs the parameter dialog over a filled table; true when it ends with OK, m_grpSend built.
using ParamDialogRunner = std::function<bool(COptionTable& option)>;
// A monotonic clock in milliseconds.
using ClockMs = std::function<std::int64_t()>;

// Sees the set acknowledgements and error replies of a batch run before the core does.
class CSetReplyListener
{
public:
    virtual ~CSetReplyListener() = default;
    // A card acknowledged a set request; pszMac is its MAC text.
    virtual void OnSetAcknowledged(const char* pszMac) = 0;
    // An error reply for the card of the 6-byte MAC (from anyone: check it).
    virtual void OnSetErrorReply(const unsigned char* pMac) = 0;
};

// The enabled state of the window's buttons, derived from the core's state alone.
struct CButtonStates
{
    bool bSearch = false;       // no phase runs and no Setup flow is open, or Search stops
    bool bStop = false;         // Search reads Stop: a range sweep runs, which it stops
    bool bDeviceTools = false;  // Setup, Web, Telnet, Ping: no phase runs, one row selected
    bool bAddressCtrls = false; // the address controls: any scope but Local
    bool bListFiles = false;    // Save List and Compare with Saved List: no phase runs
    bool bBatchSetup = false;   // Batch Setup: cards are listed and no phase runs
};

struct CAssistantServices
{
    SocketFactory fnCreateSocket;       // empty: a real CDeviceSocket
    AdapterProvider fnGetAdapters;      // empty: the PC's adapters
    MessageBoxSink fnMessageBox;        // empty: messages are dropped
    ParamDialogRunner fnRunParamDialog; // empty: every Setup is cancelled
    ClockMs fnClockMs;                  // empty: the system's monotonic clock
};

// Owns the device socket of the latest search and the device list; runs on one thread.
// The owner of the timer host routes its ticks to OnTimer.
class CAssistantCore : public CDeviceOwner
{
public:
    enum EScope
    {
        SCOPE_LOCAL = 0,
        SCOPE_SUBNET = 1,
        SCOPE_RANGE = 2
    };
    // Both phases share one slot: m_nTimerId names the running one, 0 when idle.
    enum ETimer
    {
        TIMER_NONE = 0,
        TIMER_SWEEP = 1,
        TIMER_RESTART_WAIT = 2,
        TIMER_RANGE_SWEEP = 3
    };
    enum ESetup
    {
        SETUP_SENT,
        SETUP_CANCELLED,
        SETUP_NO_DATA,
        SETUP_BUSY
    };

    static constexpr unsigned int TICK_MS = 20;
    static constexpr int SWEEP_TICKS = 50;
    static constexpr int SWEEP_REPEAT_EVERY = 10;
    static constexpr int RESTART_TICKS = 1000;
    static constexpr int RESTART_STATUS_TICK = 150;
    static constexpr int RESTART_BAR_RANGE = 1050;
    static constexpr const char* LIMITED_BROADCAST = "255.255.255.255";
    // A range sweep: every address twice, paced by the clock and checked at every tick, then
    // a wait for late replies. A tick late by more than the burst sends no more than the
    // burst's worth at once; the rest of the sweep moves later instead.
    static constexpr unsigned int RANGE_TICK_MS = 10;
    static constexpr int RANGE_PASSES = 2;
    static constexpr std::int64_t RANGE_LATE_REPLY_MS = 1000;
    static constexpr std::int64_t RANGE_BURST_MS = 50;

    CAssistantCore(CAssistantView& view, CTimerHost& timers, CAssistantServices services);
    ~CAssistantCore() override;

    CAssistantCore(const CAssistantCore&) = delete;
    CAssistantCore& operator=(const CAssistantCore&) = delete;

    // Radio handler: labels and defaults of the chosen scope, address controls on or off.
    void OnScopeChanged();
    // Local destinations: one broadcast per adapter address, then the limited broadcast.
    void CollectBroadcastAddresses();
    // Empties the list, opens a fresh socket, sends the searches and starts the sweep. In range
    // scope the sweep covers the addresses from the address control to the mask control.
    void OnSearch();
    // Ends a running range sweep; the cards found so far stay listed. Nothing otherwise.
    void StopSearch();
    // Another sweep of the latest search, on its socket and to its destinations, the list
    // kept: cards whose replies were lost join it. False, with nothing sent, while a phase
    // runs or before a search opened a socket.
    bool SearchAgain();
    // A new search in the scope of the latest, a range sweep over the latest range: what
    // follows the restart wait, so that cards show their new settings.
    void SearchAfterRestart();
    // One tick of the phase whose timer this is; then the members go to the controls.
    void OnTimer(unsigned int nId);
    // The Setup flow for one row of the device list. Ignored while a phase runs.
    ESetup SetupDevice(int nRow);
    // Saves the listed cards (not the Missing rows of a comparison): CSV when the name ends in
    // .csv, else the JSON document of cardwise-cli search --json. A message says why not.
    bool SaveList(const QString& strPath);
    // Reads a saved list and compares the device list with it until the next search (see
    // CDeviceListModel::SetSavedInventory); the status line sums it up. A message says why a
    // file cannot be compared, and the list stays as it was.
    bool CompareWithSavedList(const QString& strPath);
    // Where a set request for the row's card goes, as the Setup flow sends it: in Local scope
    // every search destination, in Subnet scope the directed broadcast, in range scope the
    // address the card answered from (the socket then sends directed requests only).
    QStringList SetRequestTargets(int nRow);
    // While set, acknowledgements and error replies go to pListener (not owned) first, and
    // error replies no further.
    void SetReplyListener(CSetReplyListener* pListener) { m_pReplyListener = pListener; }
    // The PC's adapters as the latest search took them.
    const std::vector<CAdapterAddress>& GetAdapters() const { return m_arrAdapters; }
    // Closes and destroys the socket and stops the running phase (the window is closing).
    void OnDestroy();

    // Reports of the device socket.
    void AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac, const char* pszIp,
                           const char* pszMask, const char* pszGateway, int nHwVer,
                           int nFwVer) override;
    void SetProcessStatus(int bKeepRunning, const char* pszText) override;
    void AddDeviceDetails(const char* pszMac, const CReplyDetails& details) override;
    // Goes on to SetProcessStatus only when the reply comes from the card that the latest
    // set request addressed, and no sweep runs; any other is traced and dropped.
    void ReportErrorReply(const unsigned char* pMac, const char* pszText) override;

    // What the buttons show in the current state, given whether one list row is selected.
    CButtonStates GetButtonStates(bool bRowSelected) const;
    // Whether Web, Telnet and Ping can reach the row's card; when they cannot, a message says
    // why and false comes back.
    bool CheckDeviceReachable(int nRow) const;

    // Requests per second of a range sweep, from 1 to CardwiseCore::RATE_MAX.
    void SetRangeRate(int nRate);
    int GetRangeRate() const { return m_nRangeRate; }
    // How long a sweep of the recorded range takes at the rate, late replies included; 0 when
    // the range cannot be swept.
    std::int64_t GetRangeSweepMs() const;
    int GetScope() const { return m_nScope; }
    void SetScope(int nScope) { m_nScope = nScope; }
    const QString& GetAddrLabel() const { return m_strAddrLabel; }
    const QString& GetMaskLabel() const { return m_strMaskLabel; }
    const QString& GetStatus() const { return m_strStatus; }
    unsigned int GetTimerId() const { return m_nTimerId; }
    int GetTick() const { return m_nTick; }
    std::uint32_t GetRangeStart() const { return m_dwRangeStart; }
    std::uint32_t GetRangeEnd() const { return m_dwRangeEnd; }
    const QStringList& GetDestinations() const { return m_arrDest; }
    // The socket of the latest search, or null.
    CDeviceSocket* GetSocket() const { return m_pSocket.get(); }
    CDeviceListModel& GetDeviceList() { return m_listDevices; }
    CProgressModel& GetProgress() { return m_progress; }

private:
    bool OpenNewSocket(bool bBroadcast);
    // Takes the adapter list afresh, for the destinations and the notes.
    void RefreshAdapters();
    // Range scope of OnSearch: checks the range, then starts its sweep.
    void StartRangeSweep();
    // Both passes over the checked range, on the open socket.
    void StartRangePasses();
    void RangeSweepStep();
    // Sends what the clock says is due by now.
    void SendDueRequests(std::int64_t nNow);
    QString RangeStatus() const;
    // Every change of phase goes through these two, which refresh the buttons.
    void StartPhase(ETimer nTimer, unsigned int nPeriodMs = TICK_MS);
    void StopPhase();
    void SetSetupRunning(bool bRunning);
    void StartSweep();
    void SweepStep();
    void RestartWaitStep();
    void StartRestartWait();
    void ShowStatus(const QString& strText);
    void MessageBox(const QString& strText, const QString& strCaption, EMsgIcon nIcon) const;

    CAssistantView& m_view;
    CTimerHost& m_timers;
    CAssistantServices m_services;
    CDeviceListModel m_listDevices;
    CProgressModel m_progress;

    int m_nScope = SCOPE_LOCAL;
    QString m_strAddrLabel = QStringLiteral("IP Addr");
    QString m_strMaskLabel = QStringLiteral("Mask");
    QString m_strStatus;
    std::unique_ptr<CDeviceSocket> m_pSocket;
    unsigned int m_nTimerId = TIMER_NONE;
    int m_nTick = 0;
    // The Setup flow runs (its dialog is open): Search stays off until it ends.
    bool m_bSetupRunning = false;
    // The card of the set request sent since the latest search, the one whose error reply
    // counts; none before the first.
    std::optional<std::array<unsigned char, CardProtocol::MAC_SIZE>> m_arrSetMac;
    std::uint32_t m_dwRangeStart = 0;
    std::uint32_t m_dwRangeEnd = 0;
    QStringList m_arrDest;
    std::vector<CAdapterAddress> m_arrAdapters;
    CSetReplyListener* m_pReplyListener = nullptr;
    // Replies of this search answered a broadcast (Local, or Subnet beyond one address).
    bool m_bBroadcastSearch = false;

    // The range sweep: requests sent of all, and the clock at which request 0 was due.
    int m_nRangeRate = CardwiseCore::RATE_DEFAULT;
    std::int64_t m_nSweepSent = 0;
    std::int64_t m_nSweepTotal = 0;
    std::int64_t m_nSweepOriginMs = 0;
    std::int64_t m_nSweepLastSendMs = 0;
};
