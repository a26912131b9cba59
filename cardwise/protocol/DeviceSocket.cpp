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
    char text[ADDRESS_TEXT_SIZE];
    return FormatAddress(static_cast<std::uint32_t>(value.Get_DWORD()), text);
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

void CDeviceSocket::StoreTarget(const char* address)
{
    if (address && *address)
        m_strTarget = address;
}

void CDeviceSocket::SendSearch(const char* address, unsigned int port)
{
    StoreTarget(address);
    const bool broadcast = IsBroadcastTarget(m_strTarget.c_str());
    CardFrame::FrameBuffer frame;
    const int length = CardFrame::BuildSearchRequest(frame, broadcast, GetLocalTime());
    SendTo(frame, static_cast<unsigned long>(length), m_strTarget.c_str(), port, 0xFFFFFFFF);
}

int CDeviceSocket::SendSetParams(const unsigned char* mac, const CVarDataGroup& values,
                                 const char* password, const char* address, unsigned int port)
{
    StoreTarget(address);
    LmTrace0("\n");
    const bool broadcast = IsBroadcastTarget(m_strTarget.c_str());
    CardFrame::FrameBuffer frame;
    const int length =
        CardFrame::BuildSetRequest(frame, broadcast, GetLocalTime(), password, mac, values);
    if (length < 0) {
        LmTrace40("Set request not sent: %s\n", length == CardFrame::BUILD_VALUE_TOO_LONG
                                                    ? "a value is longer than 255 bytes"
                                                    : "the values do not fit into one frame");
        return 0;
    }
    return SendTo(frame, static_cast<unsigned long>(length), m_strTarget.c_str(), port, 0xFFFFFFFF);
}

CVarDataGroup* CDeviceSocket::FindDeviceParams(const char* mac)
{
    const auto found = m_mapDevices.find(mac ? mac : "");
    return found == m_mapDevices.end() ? nullptr : found->second.get();
}

std::tm CDeviceSocket::GetLocalTime() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

int CDeviceSocket::onReceive(const unsigned char* data, int size, const char* address,
                             unsigned int port)
{
    const std::uint32_t sourceAddress = ::inet_addr(address ? address : "");
    // Locals, not members: an owner callback may run a nested event loop that delivers the
    // next datagram before this one is done.
    CCardFrameHeader header;
    CVarDataGroup group;
    const CardFrame::ParseResult result =
        CardFrame::Parse(data, size > 0 ? static_cast<std::size_t>(size) : 0, header, group);
    if (result == CardFrame::PARSE_BAD_SYNC) {
        LmTrace20("数据库同步头不正确!\n\r");
        return 0;
    }
    if (result == CardFrame::PARSE_TRUNCATED_HEADER) {
        LmTrace20("Frame of %d bytes from %s:%u is shorter than its header\r\n", size,
                  address ? address : "", port);
        return 0;
    }
    TraceHeader(header, address, port);
    if (result == CardFrame::PARSE_TRUNCATED_ITEMS)
        LmTrace20("Frame cut off after %d items\r\n", group.GetSize());
    if (group.GetSize() > 0)
        Dispatch(group, sourceAddress, header.MAC);
    return 0;
}

void CDeviceSocket::TraceHeader(const CCardFrameHeader& header, const char* address,
                                unsigned int port)
{
    LmTrace20("\r\nRCV IP:%s port:%d\r\n", address ? address : "", static_cast<int>(port));
    for (const std::string& line : CardFrame::DescribeHeader(header))
        LmTrace20("%s\r\n", line.c_str());
    LmTrace20("\r\n\r\n");
    LmTrace20("*****************************监控数据*********************");
}

void CDeviceSocket::Dispatch(const CVarDataGroup& group, std::uint32_t sourceAddress,
                             const unsigned char* mac)
{
    const std::uint16_t command = CommandOf(group.GetAt(0).GetID());
    switch (command) {
    case CMD_DEVICE_INFO_BROADCAST:
    case CMD_DEVICE_INFO:
        OnDeviceInfo(group, sourceAddress);
        break;
    case CMD_SET_ACK_BROADCAST:
    case CMD_SET_ACK:
        OnSetAck(group, sourceAddress, mac);
        break;
    case CMD_ERROR:
        OnErrorReply(group);
        break;
    default:
        LmTrace40("********** 无效命令应答:%d ***********\n", command);
        break;
    }
}

void CDeviceSocket::OnDeviceInfo(const CVarDataGroup& group, std::uint32_t sourceAddress)
{
    std::string mac, ip, mask, gateway;
    int hwVersion = 0;
    int fwVersion = 0;
    int count = 0;
    for (int i = 0; i < group.GetSize(); ++i) {
        const CVarData& value = group.GetAt(i);
        const std::uint16_t item = ItemOf(value.GetID());
        if (item >= INFO_MAC && item <= INFO_FW_VERSION)
            ++count;
        switch (item) {
        case INFO_MAC: {
            unsigned char bytes[MAC_SIZE];
            if (value.Get_Buffer(bytes, MAC_SIZE) == MAC_SIZE) {
                char text[MAC_TEXT_SIZE];
                mac = FormatMac(bytes, text);
            }
            break;
        }
        case INFO_IP:
            ip = AddressText(value);
            break;
        case INFO_MASK:
            mask = AddressText(value);
            break;
        case INFO_GATEWAY:
            gateway = AddressText(value);
            break;
        case INFO_HW_VERSION:
            hwVersion = value.Get_int();
            LmTrace0(" *******DataType: %d****** ", value.GetType());
            break;
        case INFO_FW_VERSION:
            fwVersion = value.Get_int();
            break;
        default:
            break;
        }
    }
    if (count != 6)
        return;
    if (m_pOwner)
        m_pOwner->AddOrUpdateDevice(sourceAddress, mac.c_str(), ip.c_str(), mask.c_str(),
                                    gateway.c_str(), hwVersion, fwVersion);
    std::unique_ptr<CVarDataGroup>& stored = m_mapDevices[mac];
    if (!stored)
        stored = std::make_unique<CVarDataGroup>();
    *stored = group;
}

void CDeviceSocket::OnSetAck(const CVarDataGroup& group, std::uint32_t sourceAddress,
                             const unsigned char* mac)
{
    std::string ip, mask, gateway;
    int count = 0;
    for (int i = 0; i < group.GetSize(); ++i) {
        const CVarData& value = group.GetAt(i);
        switch (ItemOf(value.GetID())) {
        case ACK_IP:
            ip = AddressText(value);
            ++count;
            break;
        case ACK_MASK:
            mask = AddressText(value);
            ++count;
            break;
        case ACK_GATEWAY:
            gateway = AddressText(value);
            ++count;
            break;
        default:
            break;
        }
    }
    if (count != 3)
        return;
    char text[MAC_TEXT_SIZE];
    FormatMac(mac, text);
    if (m_pOwner)
        m_pOwner->AddOrUpdateDevice(sourceAddress, text, ip.c_str(), mask.c_str(), gateway.c_str(),
                                    -1, -1);
}

void CDeviceSocket::OnErrorReply(const CVarDataGroup& group)
{
    std::string text;
    for (int i = 0; i < group.GetSize(); ++i) {
        if (ItemOf(group.GetAt(i).GetID()) == ERROR_PASSWORD) {
            LmTrace40("密码错误...");
            text += GetTranslateText("Password Error");
        }
    }
    if (m_pOwner)
        m_pOwner->SetProcessStatus(0, text.c_str());
}
