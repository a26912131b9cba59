// CFakeDeviceSocket: a CDeviceSocket without network, for tests of the socket and its users.
// It records what would be sent and lets the test deliver datagrams as if they had arrived.
// CRecordingOwner: what a device socket reports to its owner.
#pragma once

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
};

class CFakeDeviceSocket : public CDeviceSocket
{
public:
    struct CSent
    {
        std::vector<unsigned char> frame;
        std::string address;
        unsigned int port;
    };
    struct CCreate
    {
        unsigned int port;
        int type;
        unsigned int options;
    };

    explicit CFakeDeviceSocket(CDeviceOwner* pOwner) : CDeviceSocket(pOwner) {}

    int CreateSocket(unsigned int port, int type, unsigned int options) override
    {
        m_creates.push_back({port, type, options});
        m_bOpen = m_nCreateResult != 0;
        return m_nCreateResult;
    }
    int SendTo(const unsigned char* data, unsigned long size, const char* address,
               unsigned int port, unsigned long) override
    {
        m_sent.push_back({std::vector<unsigned char>(data, data + size), address, port});
        return m_bOpen ? static_cast<int>(size) : 0;
    }
    int Close() override
    {
        const int wasOpen = m_bOpen ? 1 : 0;
        m_bOpen = false;
        ++m_nCloses;
        return wasOpen;
    }

    // Delivers a datagram as the network would.
    int Deliver(const std::vector<unsigned char>& datagram, const char* address,
                unsigned int port = 16788)
    {
        return onReceive(datagram.data(), static_cast<int>(datagram.size()), address, port);
    }

    int m_nCreateResult = 1;
    bool m_bOpen = false;
    int m_nCloses = 0;
    std::vector<CCreate> m_creates;
    std::vector<CSent> m_sent;
    // When set, request headers carry this time instead of the clock's.
    bool m_bFixedTime = false;
    std::tm m_fixedTime{};

protected:
    std::tm GetLocalTime() const override
    {
        return m_bFixedTime ? m_fixedTime : CDeviceSocket::GetLocalTime();
    }
};
