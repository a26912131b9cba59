// SPDX-License-Identifier: GPL-3.0-or-later
// Fakes around CAssistantCore for tests.
#include "CoreFakes.h"

#include "CardFrame.h"
#include "CardProtocol.h"

#include <arpa/inet.h>

#include <cstring>

void CSteppedTimerHost::SetTimer(unsigned int nId, unsigned int nElapseMs)
{
    m_mapActive[nId] = nElapseMs;
}

void CSteppedTimerHost::KillTimer(unsigned int nId)
{
    m_mapActive.erase(nId);
}

unsigned int CSteppedTimerHost::GetPeriod(unsigned int nId) const
{
    const auto it = m_mapActive.find(nId);
    return it == m_mapActive.end() ? 0 : it->second;
}

int RunTimer(CAssistantCore& core, const CSteppedTimerHost& timers, unsigned int nId, int nMaxTicks)
{
    int nTicks = 0;
    while (nTicks < nMaxTicks && timers.IsActive(nId)) {
        core.OnTimer(nId);
        ++nTicks;
    }
    return nTicks;
}

void CRecordingView::UpdateData(bool bSaveAndValidate)
{
    if (m_pCore == nullptr)
        return;
    if (bSaveAndValidate) {
        m_pCore->SetScope(m_nScopeRadio);
        return;
    }
    ++m_nUpdateDataOut;
    m_nScopeRadio = m_pCore->GetScope();
    m_strAddrLabel = m_pCore->GetAddrLabel();
    m_strMaskLabel = m_pCore->GetMaskLabel();
    m_strStatusLine = m_pCore->GetStatus();
}

void CRecordingView::UpdateButtons(EButtonRefresh nRefresh)
{
    if (m_pCore == nullptr)
        return;
    const CButtonStates states = m_pCore->GetButtonStates(false);
    m_bSearchEnabled = states.bSearch;
    m_bAddressEnabled = states.bAddressCtrls;
    if (nRefresh == REFRESH_ALL)
        ++m_nUpdateButtons;
}

std::uint32_t CRecordingView::GetAddressCtrl(EAddressCtrl nCtrl) const
{
    const auto it = m_mapAddress.find(nCtrl);
    return it == m_mapAddress.end() ? 0 : it->second;
}

void CRecordingView::SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue)
{
    m_mapAddress[nCtrl] = dwValue;
}

// Reports its datagrams and its end to the network that made it.
class CFakeNetwork::CSocket : public CFakeDeviceSocket
{
public:
    CSocket(CDeviceOwner* pOwner, CFakeNetwork& network)
        : CFakeDeviceSocket(pOwner), m_network(network)
    {
        m_nCreateResult = network.m_nCreateResult;
        m_mapInterfaces = network.m_mapInterfaces;
    }
    ~CSocket() override
    {
        ++m_network.m_nDestroyed;
        if (m_network.m_pCurrent == this)
            m_network.m_pCurrent = nullptr;
    }

    int SendTo(const unsigned char* pData, unsigned long dwSize, const char* pszAddress,
               unsigned int nPort, unsigned long dwFlags) override
    {
        CSentFrame sent{
            std::vector<unsigned char>(pData, pData + dwSize), pszAddress, nPort, 0, {}, {}};
        CCardFrameHeader header;
        CardFrame::Parse(pData, dwSize, header, sent.values);
        sent.nCommand = header.CommandId;
        char szMac[CardProtocol::MAC_TEXT_SIZE];
        sent.strMac = CardProtocol::FormatMac(header.MAC, szMac);
        m_network.m_arrSent.push_back(std::move(sent));
        return CFakeDeviceSocket::SendTo(pData, dwSize, pszAddress, nPort, dwFlags);
    }

private:
    CFakeNetwork& m_network;
};

SocketFactory CFakeNetwork::Factory()
{
    return [this](CDeviceOwner* pOwner) -> std::unique_ptr<CDeviceSocket> {
        auto pSocket = std::make_unique<CSocket>(pOwner, *this);
        ++m_nCreated;
        m_pCurrent = pSocket.get();
        return pSocket;
    };
}

void CFakeNetwork::Deliver(const std::vector<unsigned char>& arrDatagram, const char* pszAddress,
                           const CLmPacketInfo& info)
{
    if (m_pCurrent != nullptr)
        m_pCurrent->Deliver(arrDatagram, pszAddress, CardProtocol::PORT_CARD, info);
}

std::vector<unsigned char> ReplyFrame(std::uint16_t nCommand, const std::string& strMac,
                                      const CVarDataGroup& values)
{
    CCardFrameHeader header;
    header.CommandId = nCommand;
    CardProtocol::ParseMac(strMac.c_str(), header.MAC);
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::Encode(arrFrame, header, values);
    return std::vector<unsigned char>(arrFrame, arrFrame + (nLength > 0 ? nLength : 0));
}

std::vector<unsigned char> DeviceInfoFrame(const CFakeCard& card, std::uint16_t nCommand)
{
    using namespace CardProtocol;
    unsigned char arrMac[MAC_SIZE] = {};
    ParseMac(card.strMac.c_str(), arrMac);
    unsigned char arrDeviceId[DEVICE_ID_SIZE] = {};
    // A fixed block of DEVICE_ID_SIZE bytes, not a text: no terminator is due.
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
    std::memcpy(arrDeviceId, card.strDeviceId.data(),
                std::min<std::size_t>(card.strDeviceId.size(), DEVICE_ID_SIZE));
    const char* pszGridmonPassword = "KOVAL-WERK";
    const char* pszAdminPassword = "lemon";

    CVarDataGroup values;
    values.Add(arrMac, MAC_SIZE, INFO_MAC);
    values.Add(static_cast<unsigned long>(inet_addr(card.strIp.c_str())), INFO_IP);
    values.Add(static_cast<unsigned long>(inet_addr(card.strMask.c_str())), INFO_MASK);
    values.Add(static_cast<unsigned long>(inet_addr(card.strGateway.c_str())), INFO_GATEWAY);
    values.Add(card.nHwVer, INFO_HW_VERSION);
    values.Add(card.nFwVer, INFO_FW_VERSION);
    values.Add(static_cast<char>(0), INFO_DHCP);
    values.Add(static_cast<char>(1), INFO_GRIDMON_ENABLE);
    values.Add(reinterpret_cast<const unsigned char*>(pszGridmonPassword),
               static_cast<unsigned short>(std::strlen(pszGridmonPassword)), INFO_GRIDMON_PASSWORD);
    values.Add(static_cast<char>(1), INFO_HTTP_ENABLE);
    values.Add(reinterpret_cast<const unsigned char*>(pszAdminPassword),
               static_cast<unsigned short>(std::strlen(pszAdminPassword)), INFO_ADMIN_PASSWORD);
    values.Add(static_cast<unsigned long>(card.nHttpPort), INFO_HTTP_PORT);
    values.Add(static_cast<char>(0), INFO_SNMP_ENABLE);
    values.Add(static_cast<char>(1), INFO_TELNET_ENABLE);
    values.Add(static_cast<unsigned long>(23), INFO_TELNET_PORT);
    values.Add(arrDeviceId, DEVICE_ID_SIZE, INFO_DEVICE_ID);
    return ReplyFrame(nCommand, card.strMac, values);
}

std::vector<unsigned char> AckFrame(const CFakeCard& card)
{
    using namespace CardProtocol;
    CVarDataGroup values;
    values.Add(static_cast<unsigned long>(inet_addr(card.strIp.c_str())), ACK_IP);
    values.Add(static_cast<unsigned long>(inet_addr(card.strMask.c_str())), ACK_MASK);
    values.Add(static_cast<unsigned long>(inet_addr(card.strGateway.c_str())), ACK_GATEWAY);
    return ReplyFrame(CMD_SET_ACK_BROADCAST, card.strMac, values);
}

std::vector<unsigned char> ErrorFrame(bool bPasswordRejected, const std::string& strMac)
{
    CVarDataGroup values;
    // An error reply with no item would not be dispatched at all.
    values.Add(static_cast<char>(1), bPasswordRejected ? CardProtocol::ERROR_PASSWORD : 0xF001u);
    return ReplyFrame(CardProtocol::CMD_ERROR, strMac, values);
}
