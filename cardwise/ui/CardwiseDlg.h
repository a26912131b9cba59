// SPDX-License-Identifier: GPL-3.0-or-later
// CCardwiseDlg: the main window. Shows the search controls, the device list, the progress of
// the running phase and a status bar; the search and Setup logic lives in CAssistantCore.
#pragma once

#include "AssistantCore.h"
#include "BatchSetup.h"
#include "DeviceTools.h"
#include "ProgramOptions.h"
#include "TimerHost.h"

#include <QDialog>
#include <QIcon>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QLabel;
class QMenu;
class QStatusBar;

namespace Ui {
class CardwiseDlg;
}

// What the window is built with. Every empty member falls back to the real thing.
struct CCardwiseDlgServices
{
    // Socket factory, adapter list, message boxes (empty: QMessageBox over the window) and
    // the parameter dialog.
    CAssistantServices core;
    // Timers 1, 2 and 100. Null: QTimers of the window, whose ticks reach OnTimer. A host
    // given here is not owned; its owner routes the ticks to OnTimer.
    CTimerHost* pTimers = nullptr;
    // The PC's own addresses in lookup order (empty: QHostInfo of the host name).
    std::function<QStringList()> fnGetHostAddresses;
    CDeviceTools tools;
    // Start in Subnet scope with this subnet instead of a search of the PC's own networks.
    std::optional<CardwiseCore::SSubnet> initialSubnet;
    // Start in range scope with a sweep of this range instead.
    std::optional<CardwiseCore::SRange> initialRange;
    // Requests per second of a range sweep until the menu changes it.
    int nRangeRate = CardwiseCore::RATE_DEFAULT;
    // Asks for a new sweep rate, given the current one; empty: an input dialog.
    std::function<std::optional<int>(int nRate)> fnAskRangeRate;
    // Asks for the file of a saved list, to write (bSave) or to read; an empty name cancels.
    // Empty: a file dialog.
    std::function<QString(bool bSave)> fnAskListFile;
    // Asks for a plan to read (bSave false) or for the file of batch results; an empty name
    // cancels. Empty: a file dialog.
    std::function<QString(bool bSave)> fnAskBatchFile;
};

class CCardwiseDlg : public QDialog, public CAssistantView
{
    Q_OBJECT

public:
    // Builds the window from template 102 and initialises it, which ends with the first
    // search. The window is not shown.
    explicit CCardwiseDlg(CCardwiseDlgServices services = {}, QWidget* parent = nullptr);
    ~CCardwiseDlg() override;

    // The application icon (icon resource 130).
    static QIcon AppIcon();

    CAssistantCore& GetCore() { return m_core; }
    // Timer dispatch: 100 the clock pane, 1 to 3 a step of the running phase, 10 and 11 the
    // batch run of an open Batch Setup; the members then go to the controls.
    void OnTimer(unsigned int nId);

    // CAssistantView
    void UpdateData(bool bSaveAndValidate) override;
    std::uint32_t GetAddressCtrl(EAddressCtrl nCtrl) const override;
    void SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue) override;
    void SetStatusText(const QString& strText) override;
    void UpdateButtons(EButtonRefresh nRefresh) override;

    // The Setup button and the Enter key: Setup flow for the selected row. Never closes.
    void accept() override;
    // Esc, Exit and the window's close button end the window; the socket goes with it.
    void done(int nResult) override;

signals:
    // A search sweep ran to its end (its last tick), not when an error reply or Stop cut it
    // short.
    void searchFinished();

protected:
    void changeEvent(QEvent* event) override;
    // Esc stops a running range sweep; otherwise it closes the window.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void CreateStatusBar();
    void InitDeviceList();
    QStringList CollectHostAddresses() const;
    int GetSelectedRow() const;

    void OnScopeChanged();
    void OnSearch();
    // Both run the Setup flow for the selected row.
    void OnOK();
    void OnListDblClk();
    void OnWeb();
    void OnTelnet();
    void OnPing();
    void OnIpConfig();
    void OnAbout();
    void OnRangeRate();
    void OnSaveList();
    void OnCompareList();
    // Opens the Batch Setup dialog over the cards listed; its run's ticks go to it meanwhile.
    void OnBatchSetup();
    QString AskListFile(bool bSave);
    void OnDestroy();
    // The reply address of the selected row, when a tool can reach it; else empty.
    QString SelectedReachableAddress();
    void MessageBox(const QString& strText, const QString& strCaption, EMsgIcon nIcon) const;

    std::unique_ptr<Ui::CardwiseDlg> m_pUi;
    Ui::CardwiseDlg& m_ui;
    CCardwiseDlgServices m_services;
    std::unique_ptr<CQtTimerHost> m_pOwnTimers;
    CTimerHost& m_timers;
    CAssistantCore m_core;
    QButtonGroup* m_pScopeGroup = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QLabel* m_pPaneAddresses = nullptr;
    QLabel* m_pPaneClock = nullptr;
    QMenu* m_pSystemMenu = nullptr;
    QAction* m_pSaveList = nullptr;
    QAction* m_pCompareList = nullptr;
    QAction* m_pBatchSetup = nullptr;
    // The logic of the open Batch Setup dialog; null while none is open.
    std::unique_ptr<CBatchSetup> m_pBatch;
    QIcon m_hIcon;
    bool m_bDestroyed = false;
};
