// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceSocket: the UDP endpoint towards the cards: requests out, replies decoded, dispatched
// to the owner and kept in a device table keyed by MAC text.
//
// The owner's entry points are called from inside onReceive; an owner that wants to replace
// the socket from there must defer the destruction (for example with a queued call).
#pragma once

#include "CardFrame.h"
#include "DeviceOwner.h"
#include "LmSocket.h"

#include <LmVarData/VarDataGroup.h>

#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>

class CDeviceSocket : public CLmSocket
{
public:
    // The owner receives the reports; it is not owned and may be null.
    explicit CDeviceSocket(CDeviceOwner* pOwner);
    ~CDeviceSocket() override;

    // Binds local port 16789. Broadcasts are permitted whatever the flag: a Subnet search
    // sends to a directed broadcast address too. Non-zero on success.
    int OpenSocket(int bBroadcast);
    // Sends one search request to port; an empty (or null) address means the target of the
    // previous request. Its broadcast form is used when the target text contains "255".
    void SendSearch(const char* pszAddress, unsigned int nPort);
    // Sends one set-parameters request for the card with the 6-byte MAC; empty address as
    // for SendSearch. Returns the result of SendTo, or 0 when the values do not fit into a
    // frame (nothing is sent then).
    int SendSetParams(const unsigned char* pMac, const CVarDataGroup& values,
                      const char* pszPassword, const char* pszAddress, unsigned int nPort);
    // The group of the card's last complete device information, or null. Owned by the socket
    // and valid until the socket is destroyed.
    CVarDataGroup* FindDeviceParams(const char* pszMac);

    // The destination text of the last request; empty at first.
    const std::string& GetTarget() const { return m_strTarget; }
    // When set, every request carries the directed command (0x2001, 0x2002), whatever the
    // target text holds: a sweep of host addresses sends no broadcast form.
    void SetDirectedOnly(bool bDirected) { m_bDirectedOnly = bDirected; }

protected:
    // Decodes, traces and dispatches one datagram; always returns 0.
    int onReceive(const unsigned char* pData, int nSize, const char* pszAddress,
                  unsigned int nPort) override;
    // The local time that request headers carry; tests pin it.
    virtual std::tm GetLocalTime() const;

private:
    void TraceHeader(const CCardFrameHeader& header, const char* pszAddress, unsigned int nPort);
    void Dispatch(const CVarDataGroup& group, std::uint32_t dwSourceAddress,
                  const unsigned char* pMac, CReplyDetails& details);
    void OnDeviceInfo(const CVarDataGroup& group, std::uint32_t dwSourceAddress,
                      CReplyDetails& details);
    void OnSetAck(const CVarDataGroup& group, std::uint32_t dwSourceAddress,
                  const unsigned char* pMac, const CReplyDetails& details);
    bool IsBroadcastRequest() const;
    void OnErrorReply(const CVarDataGroup& group, const unsigned char* pMac);
    void StoreTarget(const char* pszAddress);

    CDeviceOwner* m_pOwner;
    std::string m_strTarget;
    bool m_bDirectedOnly = false;
    // Groups are held by pointer so that the pointers handed out stay valid while the
    // table grows; an update assigns into the existing group.
    std::unordered_map<std::string, std::unique_ptr<CVarDataGroup>> m_mapDevices;
};
