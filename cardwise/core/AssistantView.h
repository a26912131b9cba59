// SPDX-License-Identifier: GPL-3.0-or-later
// CAssistantView: what the search and Setup logic needs from the window that shows it.
#pragma once

#include <QString>

#include <cstdint>

// The main window implements this; the command-line tool and the tests have their own.
class CAssistantView
{
public:
    // The two IP address controls of the search group.
    enum EAddressCtrl
    {
        IDC_ADDRESS = 1002,
        IDC_MASK = 1003
    };

    virtual ~CAssistantView() = default;

    // Data exchange with CAssistantCore: true reads the scope radios into the core's scope,
    // false writes the core's scope, labels and status text to the controls.
    virtual void UpdateData(bool bSaveAndValidate) = 0;

    // An address control's value, first field in the most significant byte; blank reads 0.
    virtual std::uint32_t GetAddressCtrl(EAddressCtrl nCtrl) const = 0;
    virtual void SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue) = 0;

    // Writes the status line at once, without waiting for the next data exchange.
    virtual void SetStatusText(const QString& strText) = 0;

    // Which buttons a refresh reaches. Search and the address controls follow the core's
    // state at once (a phase, the Setup flow or the scope changed); Setup, Web, Telnet and
    // Ping are refreshed only on the list's notifications, when the window loses focus and at
    // the ends of start-up and of the Setup flow, so they follow a phase at the next of those.
    enum EButtonRefresh
    {
        REFRESH_STATE,
        REFRESH_ALL
    };
    // Applies CAssistantCore::GetButtonStates to the buttons that nRefresh names. The one
    // place that switches controls on and off.
    virtual void UpdateButtons(EButtonRefresh nRefresh) = 0;
};
