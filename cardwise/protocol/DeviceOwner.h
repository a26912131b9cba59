// CDeviceOwner: what the device socket reports to (the main window, the command-line tool, tests).
#pragma once

#include <cstdint>

class CDeviceOwner
{
public:
    virtual ~CDeviceOwner() = default;

    // A complete device-information reply, or an acknowledgement with both versions -1.
    // dwSource is the reply's sender in network byte order; texts are dotted quads.
    virtual void AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac, const char* pszIp,
                                   const char* pszMask, const char* pszGateway, int nHwVer,
                                   int nFwVer) = 0;
    // An error reply; the socket always passes bKeepRunning 0.
    virtual void SetProcessStatus(int bKeepRunning, const char* pszText) = 0;
};
