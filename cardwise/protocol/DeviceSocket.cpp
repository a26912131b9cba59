// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceSocket: request sending, reply decoding, tracing and dispatch by command.
#include "DeviceSocket.h"

#include "CardProtocol.h"
#include "LmDebug.h"
#include "LmLang.h"

#include <LmVarData/VarData.h>

#include <arpa/inet.h>

#include <string>

using namespace CardProtocol;

namespace {

std::string AddressText(const CVarData& value)
{
    char szText[ADDRESS_TEXT_SIZE];
    return FormatAddress(static_cast<std::uint32_t>(value.Get_DWORD()), szText);
}

} // namespace

CDeviceSocket::CDeviceSocket(CDeviceOwner* pOwner) : m_pOwner(pOwner) {}

CDeviceSocket::~CDeviceSocket() = default;

int CDeviceSocket::OpenSocket(int bBroadcast)
{
    // The Windows original opened a Subnet search without SO_BROADCAST; Linux then refuses
    // the directed broadcast, so the permission is asked for in every scope.
    (void)bBroadcast;
    return CreateSocket(PORT_HOST, TYPE_DGRAM, OPT_BROADCAST);
}

void CDeviceSocket::StoreTarget(const char* pszAddress)
{
    if (pszAddress && *pszAddress)
        m_strTarget = pszAddress;
}

bool CDeviceSocket::IsBroadcastRequest() const
{
    return !m_bDirectedOnly && IsBroadcastTarget(m_strTarget.c_str());
}

void CDeviceSocket::SendSearch(const char* pszAddress, unsigned int nPort)
{
    StoreTarget(pszAddress);
    const bool bBroadcast = IsBroadcastRequest();
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::BuildSearchRequest(arrFrame, bBroadcast, GetLocalTime());
    SendTo(arrFrame, static_cast<unsigned long>(nLength), m_strTarget.c_str(), nPort, 0xFFFFFFFF);
}

int CDeviceSocket::SendSetParams(const unsigned char* pMac, const CVarDataGroup& values,
                                 const char* pszPassword, const char* pszAddress,
                                 unsigned int nPort)
{
    StoreTarget(pszAddress);
    LmTrace0("\n");
    const bool bBroadcast = IsBroadcastRequest();
    CardFrame::FrameBuffer arrFrame;
    const int nLength =
        CardFrame::BuildSetRequest(arrFrame, bBroadcast, GetLocalTime(), pszPassword, pMac, values);
    if (nLength < 0) {
        LmTrace40("Set request not sent: %s\n", nLength == CardFrame::BUILD_VALUE_TOO_LONG
                                                    ? "a value is longer than 255 bytes"
                                                    : "the values do not fit into one frame");
        return 0;
    }
    return SendTo(arrFrame, static_cast<unsigned long>(nLength), m_strTarget.c_str(), nPort,
                  0xFFFFFFFF);
}

CVarDataGroup* CDeviceSocket::FindDeviceParams(const char* pszMac)
{
    const auto found = m_mapDevices.find(pszMac ? pszMac : "");
    return found == m_mapDevices.end() ? nullptr : found->second.get();
}

std::tm CDeviceSocket::GetLocalTime() const
{
    const std::time_t nNow = std::time(nullptr);
    std::tm local{};
    localtime_r(&nNow, &local);
    return local;
}

int CDeviceSocket::onReceive(const unsigned char* pData, int nSize, const char* pszAddress,
                             unsigned int nPort)
{
    const std::uint32_t dwSourceAddress = ::inet_addr(pszAddress ? pszAddress : "");
    // Read before any owner callback, which may deliver the next datagram.
    CReplyDetails details;
    details.nInterface = GetPacketInfo().nInterface;
    details.dwLocalAddress = GetPacketInfo().dwDestination;
    // Locals, not members: an owner callback may run a nested event loop that delivers the
    // next datagram before this one is done.
    CCardFrameHeader header;
    CVarDataGroup group;
    const CardFrame::ParseResult nResult =
        CardFrame::Parse(pData, nSize > 0 ? static_cast<std::size_t>(nSize) : 0, header, group);
    if (nResult == CardFrame::PARSE_BAD_SYNC) {
        LmTrace20("数据库同步头不正确!\n\r");
        return 0;
    }
    if (nResult == CardFrame::PARSE_TRUNCATED_HEADER) {
        LmTrace20("Frame of %d bytes from %s:%u is shorter than its header\r\n", nSize,
                  pszAddress ? pszAddress : "", nPort);
        return 0;
    }
    TraceHeader(header, pszAddress, nPort);
    if (nResult == CardFrame::PARSE_TRUNCATED_ITEMS)
        LmTrace20("Frame cut off after %d items\r\n", group.GetSize());
    if (group.GetSize() > 0)
        Dispatch(group, dwSourceAddress, header.MAC, details);
    return 0;
}

void CDeviceSocket::TraceHeader(const CCardFrameHeader& header, const char* pszAddress,
                                unsigned int nPort)
{
    LmTrace20("\r\nRCV IP:%s port:%d\r\n", pszAddress ? pszAddress : "", static_cast<int>(nPort));
    for (const std::string& strLine : CardFrame::DescribeHeader(header))
        LmTrace20("%s\r\n", strLine.c_str());
    LmTrace20("\r\n\r\n");
    LmTrace20("*****************************监控数据*********************");
}

void CDeviceSocket::Dispatch(const CVarDataGroup& group, std::uint32_t dwSourceAddress,
                             const unsigned char* pMac, CReplyDetails& details)
{
    const std::uint16_t nCommand = CommandOf(group.GetAt(0).GetID());
    switch (nCommand) {
    case CMD_DEVICE_INFO_BROADCAST:
    case CMD_DEVICE_INFO:
        details.strInterface = InterfaceName(details.nInterface);
        OnDeviceInfo(group, dwSourceAddress, details);
        break;
    case CMD_SET_ACK_BROADCAST:
    case CMD_SET_ACK:
        details.strInterface = InterfaceName(details.nInterface);
        OnSetAck(group, dwSourceAddress, pMac, details);
        break;
    case CMD_ERROR:
        OnErrorReply(group, pMac);
        break;
    default:
        LmTrace40("********** 无效命令应答:%d ***********\n", nCommand);
        break;
    }
}

void CDeviceSocket::OnDeviceInfo(const CVarDataGroup& group, std::uint32_t dwSourceAddress,
                                 CReplyDetails& details)
{
    std::string strMac, strIp, strMask, strGateway;
    int nHwVersion = 0;
    int nFwVersion = 0;
    int nCount = 0;
    for (int i = 0; i < group.GetSize(); ++i) {
        const CVarData& value = group.GetAt(i);
        const std::uint16_t nItem = ItemOf(value.GetID());
        if (nItem >= INFO_MAC && nItem <= INFO_FW_VERSION)
            ++nCount;
        switch (nItem) {
        case INFO_MAC: {
            unsigned char arrBytes[MAC_SIZE];
            if (value.Get_Buffer(arrBytes, MAC_SIZE) == MAC_SIZE) {
                char szText[MAC_TEXT_SIZE];
                strMac = FormatMac(arrBytes, szText);
            }
            break;
        }
        case INFO_IP:
            strIp = AddressText(value);
            break;
        case INFO_MASK:
            strMask = AddressText(value);
            break;
        case INFO_GATEWAY:
            strGateway = AddressText(value);
            break;
        case INFO_HW_VERSION:
            nHwVersion = value.Get_int();
            LmTrace0(" *******DataType: %d****** ", value.GetType());
            break;
        case INFO_FW_VERSION:
            nFwVersion = value.Get_int();
            break;
        case INFO_DHCP:
            details.nDhcp = value.Get_int();
            break;
        default:
            break;
        }
    }
    if (nCount != 6)
        return;
    if (m_pOwner) {
        m_pOwner->AddOrUpdateDevice(dwSourceAddress, strMac.c_str(), strIp.c_str(), strMask.c_str(),
                                    strGateway.c_str(), nHwVersion, nFwVersion);
        m_pOwner->AddDeviceDetails(strMac.c_str(), details);
    }
    std::unique_ptr<CVarDataGroup>& pStored = m_mapDevices[strMac];
    if (!pStored)
        pStored = std::make_unique<CVarDataGroup>();
    *pStored = group;
}

void CDeviceSocket::OnSetAck(const CVarDataGroup& group, std::uint32_t dwSourceAddress,
                             const unsigned char* pMac, const CReplyDetails& details)
{
    std::string strIp, strMask, strGateway;
    int nCount = 0;
    for (int i = 0; i < group.GetSize(); ++i) {
        const CVarData& value = group.GetAt(i);
        switch (ItemOf(value.GetID())) {
        case ACK_IP:
            strIp = AddressText(value);
            ++nCount;
            break;
        case ACK_MASK:
            strMask = AddressText(value);
            ++nCount;
            break;
        case ACK_GATEWAY:
            strGateway = AddressText(value);
            ++nCount;
            break;
        default:
            break;
        }
    }
    if (nCount != 3)
        return;
    char szText[MAC_TEXT_SIZE];
    FormatMac(pMac, szText);
    if (m_pOwner) {
        m_pOwner->AddOrUpdateDevice(dwSourceAddress, szText, strIp.c_str(), strMask.c_str(),
                                    strGateway.c_str(), -1, -1);
        m_pOwner->AddDeviceDetails(szText, details);
    }
}

void CDeviceSocket::OnErrorReply(const CVarDataGroup& group, const unsigned char* pMac)
{
    std::string strText;
    for (int i = 0; i < group.GetSize(); ++i) {
        if (ItemOf(group.GetAt(i).GetID()) == ERROR_PASSWORD) {
            LmTrace40("密码错误...");
            strText += GetTranslateText("Password Error");
        }
    }
    if (m_pOwner)
        m_pOwner->ReportErrorReply(pMac, strText.c_str());
}
