// SPDX-License-Identifier: GPL-3.0-or-later
// Fakes around CAssistantCore for tests: stepped timers, a recording window, a socket factory
// without network, and the card replies a socket would receive.
#pragma once

#include "AssistantCore.h"
#include "FakeDeviceSocket.h"
#include "MessageRecorder.h"

#include <QString>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Timers that never fire by themselves: the test calls OnTimer for each tick it wants.
class CSteppedTimerHost : public CTimerHost
{
public:
    void SetTimer(unsigned int nId, unsigned int nElapseMs) override;
    void KillTimer(unsigned int nId) override;

    bool IsActive(unsigned int nId) const { return m_mapActive.count(nId) != 0; }
    unsigned int GetPeriod(unsigned int nId) const;
    int GetActiveCount() const { return static_cast<int>(m_mapActive.size()); }

private:
    std::map<unsigned int, unsigned int> m_mapActive; // id -> period
};

// Calls core.OnTimer(nId) while that timer runs, at most nMaxTicks times; returns the ticks.
int RunTimer(CAssistantCore& core, const CSteppedTimerHost& timers, unsigned int nId,
             int nMaxTicks);

// The window's side, recorded: radios, labels, status line, address controls, buttons.
class CRecordingView : public CAssistantView
{
public:
    void UpdateData(bool bSaveAndValidate) override;
    std::uint32_t GetAddressCtrl(EAddressCtrl nCtrl) const override;
    void SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue) override;
    void SetStatusText(const QString& strText) override { m_strStatusLine = strText; }
    // Records what the buttons would show; counts the refreshes of every button.
    void UpdateButtons(EButtonRefresh nRefresh) override;

    CAssistantCore* m_pCore = nullptr; // set once the core exists
    int m_nScopeRadio = 0;             // the radio the operator has chosen
    std::map<int, std::uint32_t> m_mapAddress;
    bool m_bAddressEnabled = true;
    bool m_bSearchEnabled = true;
    QString m_strStatusLine; // what the status control shows
    QString m_strAddrLabel;
    QString m_strMaskLabel;
    int m_nUpdateButtons = 0; // refreshes of every button (REFRESH_ALL)
    int m_nUpdateDataOut = 0;
};

// Socket factory over CFakeDeviceSocket; keeps every datagram of every socket it made.
class CFakeNetwork
{
public:
    struct CSentFrame
    {
        std::vector<unsigned char> arrFrame;
        std::string strAddress;
        unsigned int nPort;
        std::uint16_t nCommand; // CommandId of the frame
        std::string strMac;     // MAC of the header, as text
        CVarDataGroup values;   // decoded items
    };

    SocketFactory Factory();
    // The socket made last, while the core still owns it; else null.
    CFakeDeviceSocket* Current() const { return m_pCurrent; }
    // Delivers a datagram to the current socket from address, received where info says.
    void Deliver(const std::vector<unsigned char>& arrDatagram, const char* pszAddress,
                 const CLmPacketInfo& info = {});

    int m_nCreateResult = 1; // what CreateSocket of the next sockets returns
    // The interface names the sockets see, by index.
    std::map<unsigned int, std::string> m_mapInterfaces;
    int m_nCreated = 0;
    int m_nDestroyed = 0;
    std::vector<CSentFrame> m_arrSent;

private:
    class CSocket;
    CFakeDeviceSocket* m_pCurrent = nullptr;
};

// What one simulated card reports in its device information.
struct CFakeCard
{
    std::string strMac = "00-1A-2B-3C-4D-5E";
    std::string strIp = "192.168.1.20";
    std::string strMask = "255.255.255.0";
    std::string strGateway = "192.168.1.1";
    int nHwVer = 2;
    int nFwVer = 7;
    int nHttpPort = 80;
    std::string strDeviceId = std::string(36, 'a'); // padded with zeros to 48 bytes
};

std::vector<unsigned char> DeviceInfoFrame(const CFakeCard& card, std::uint16_t nCommand = 0x1005);
// A frame of the given command whose items are the group's values as they stand.
std::vector<unsigned char> ReplyFrame(std::uint16_t nCommand, const std::string& strMac,
                                      const CVarDataGroup& values);
std::vector<unsigned char> AckFrame(const CFakeCard& card);
// An error reply from the card with the given MAC.
std::vector<unsigned char> ErrorFrame(bool bPasswordRejected,
                                      const std::string& strMac = "00-00-00-00-00-00");
