// SPDX-License-Identifier: GPL-3.0-or-later
// CFakeDeviceSocket: a CDeviceSocket without network, for tests of the socket and its users.
// It records what would be sent and lets the test deliver datagrams as if they had arrived.
// CRecordingOwner: what a device socket reports to its owner.
#pragma once

#include "CardProtocol.h"
#include "DeviceSocket.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CRecordingOwner : public CDeviceOwner
{
public:
    struct CDeviceCall
    {
        std::uint32_t dwSource;
        std::string strMac, strIp, strMask, strGateway;
        int nHwVer, nFwVer;
    };

    void AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac, const char* pszIp,
                           const char* pszMask, const char* pszGateway, int nHwVer,
                           int nFwVer) override
    {
        m_arrDevices.push_back({dwSource, pszMac, pszIp, pszMask, pszGateway, nHwVer, nFwVer});
    }
    void SetProcessStatus(int bKeepRunning, const char* pszText) override
    {
        m_arrStatuses.emplace_back(bKeepRunning, pszText);
    }
    void AddDeviceDetails(const char*, const CReplyDetails& details) override
    {
        m_arrDetails.push_back(details);
    }
    void ReportErrorReply(const unsigned char* pMac, const char* pszText) override
    {
        char szMac[CardProtocol::MAC_TEXT_SIZE];
        m_arrErrorMacs.emplace_back(CardProtocol::FormatMac(pMac, szMac));
        CDeviceOwner::ReportErrorReply(pMac, pszText);
    }

    // The last report of each MAC.
    std::map<std::string, CDeviceCall> LatestByMac() const
    {
        std::map<std::string, CDeviceCall> mapLatest;
        for (const CDeviceCall& call : m_arrDevices)
            mapLatest.insert_or_assign(call.strMac, call);
        return mapLatest;
    }

    std::vector<CDeviceCall> m_arrDevices; // every report, in order
    std::vector<std::pair<int, std::string>> m_arrStatuses;
    std::vector<CReplyDetails> m_arrDetails; // after each report, in order
    std::vector<std::string> m_arrErrorMacs; // the header MAC of each error reply
};

class CFakeDeviceSocket : public CDeviceSocket
{
public:
    struct CSent
    {
        std::vector<unsigned char> arrFrame;
        std::string strAddress;
        unsigned int nPort;
    };
    struct CCreate
    {
        unsigned int nPort;
        int nType;
        unsigned int nOptions;
    };

    explicit CFakeDeviceSocket(CDeviceOwner* pOwner) : CDeviceSocket(pOwner) {}

    int CreateSocket(unsigned int nPort, int nType, unsigned int nOptions) override
    {
        m_arrCreates.push_back({nPort, nType, nOptions});
        m_bOpen = m_nCreateResult != 0;
        return m_nCreateResult;
    }
    int SendTo(const unsigned char* pData, unsigned long dwSize, const char* pszAddress,
               unsigned int nPort, unsigned long) override
    {
        m_arrSent.push_back({std::vector<unsigned char>(pData, pData + dwSize), pszAddress, nPort});
        return m_bOpen ? static_cast<int>(dwSize) : 0;
    }
    int Close() override
    {
        const int nWasOpen = m_bOpen ? 1 : 0;
        m_bOpen = false;
        ++m_nCloses;
        return nWasOpen;
    }

    // Delivers a datagram as the network would, received where info says.
    int Deliver(const std::vector<unsigned char>& arrDatagram, const char* pszAddress,
                unsigned int nPort = 16788, const CLmPacketInfo& info = {})
    {
        return DeliverDatagram(arrDatagram.data(), static_cast<int>(arrDatagram.size()), pszAddress,
                               nPort, info);
    }
    // Interfaces by index come from m_mapInterfaces, not from the machine.
    std::string InterfaceName(unsigned int nIndex) override
    {
        const auto it = m_mapInterfaces.find(nIndex);
        return it == m_mapInterfaces.end() ? std::string() : it->second;
    }

    int m_nCreateResult = 1;
    bool m_bOpen = false;
    std::map<unsigned int, std::string> m_mapInterfaces;
    int m_nCloses = 0;
    std::vector<CCreate> m_arrCreates;
    std::vector<CSent> m_arrSent;
    // When set, request headers carry this time instead of the clock's.
    bool m_bFixedTime = false;
    std::tm m_fixedTime{};

protected:
    std::tm GetLocalTime() const override
    {
        return m_bFixedTime ? m_fixedTime : CDeviceSocket::GetLocalTime();
    }
};
