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
    // Both address controls together.
    virtual void EnableAddressCtrls(bool bEnable) = 0;

    virtual void EnableSearch(bool bEnable) = 0;
    // Writes the status line at once, without waiting for the next data exchange.
    virtual void SetStatusText(const QString& strText) = 0;
    // Refreshes Setup, Web, Telnet and Ping from the running phase and the list selection.
    virtual void UpdateButtons() = 0;
};
