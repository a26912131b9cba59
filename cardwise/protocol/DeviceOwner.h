// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceOwner: what the device socket reports to (the main window, the command-line tool, tests).
#pragma once

#include <cstdint>
#include <string>

// What a reply tells beyond the designed report: where it was received, and for device
// information whether the card takes its address from DHCP.
struct CReplyDetails
{
    std::string strInterface;         // receiving interface's name; empty when unknown
    unsigned int nInterface = 0;      // its index; 0 when unknown
    std::uint32_t dwLocalAddress = 0; // the local address it was sent to, network order; 0 unknown
    int nDhcp = -1;                   // the card's DHCP item; -1 when the reply has none
};

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
    // Follows AddOrUpdateDevice for the same reply, with the same MAC text. Ignored unless
    // overridden.
    virtual void AddDeviceDetails(const char* pszMac, const CReplyDetails& details)
    {
        (void)pszMac;
        (void)details;
    }
    // What the socket calls for an error reply: pMac is the 6-byte MAC of its header, the
    // card it speaks for. Anyone can send one, so an owner that knows which card its set
    // request addressed checks it here; by default the reply goes to SetProcessStatus.
    virtual void ReportErrorReply(const unsigned char* pMac, const char* pszText)
    {
        (void)pMac;
        SetProcessStatus(0, pszText);
    }
};
