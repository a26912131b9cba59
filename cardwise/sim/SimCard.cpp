// CSimCard: device-information items in varied encodings, password check, applied settings.
#include "SimCard.h"

#include "CardFrame.h"

#include <LmVarData/VarData.h>

#include <cstdio>
#include <cstring>

using namespace CardProtocol;

namespace {

void AddFlag(CVarDataGroup& items, int value, std::uint16_t id, SimIntEncoding encoding)
{
    switch (encoding) {
    case SimIntEncoding::Byte:
        items.Add(static_cast<char>(value), id);
        break;
    case SimIntEncoding::Word:
        items.Add(static_cast<unsigned short>(value), id);
        break;
    case SimIntEncoding::DWord:
        items.Add(static_cast<unsigned long>(static_cast<std::uint32_t>(value)), id);
        break;
    }
}

void AddVersion(CVarDataGroup& items, int value, std::uint16_t id, SimIntEncoding encoding)
{
    switch (encoding) {
    case SimIntEncoding::Byte:
        if (value >= 0 && value <= 0xFF)
            items.Add(static_cast<unsigned char>(value), id);
        else
            items.Add(static_cast<unsigned short>(value), id);
        break;
    case SimIntEncoding::Word:
        items.Add(static_cast<unsigned short>(value), id);
        break;
    case SimIntEncoding::DWord:
        items.Add(value, id);
        break;
    }
}

void AddPort(CVarDataGroup& items, int value, std::uint16_t id, SimIntEncoding encoding)
{
    if (encoding == SimIntEncoding::DWord)
        items.Add(static_cast<unsigned int>(value), id);
    else
        items.Add(static_cast<unsigned short>(value), id);
}

void AddText(CVarDataGroup& items, const std::string& text, std::uint16_t id, std::size_t size = 0)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    if (bytes.size() > VALUE_MAX)
        bytes.resize(VALUE_MAX);
    if (size > bytes.size())
        bytes.resize(size, 0);
    items.Add(bytes.data(), static_cast<unsigned short>(bytes.size()), id);
}

// A text value of a request: a string, or the bytes of a Buffer up to a zero byte.
std::string TextOf(const CVarData& value)
{
    const char* bytes = value.Get_string();
    if (!bytes)
        return {};
    if (value.GetType() == VD_string)
        return bytes;
    const std::size_t length = value.GetLength();
    const void* zero = std::memchr(bytes, 0, length);
    return std::string(bytes, zero ? static_cast<const char*>(zero) - bytes : length);
}

} // namespace

CVarDataGroup CSimCard::DeviceInfo() const
{
    CVarDataGroup items;
    items.Add(mac, MAC_SIZE, INFO_MAC);
    items.Add(static_cast<unsigned long>(ip), INFO_IP);
    items.Add(static_cast<unsigned long>(mask), INFO_MASK);
    items.Add(static_cast<unsigned long>(gateway), INFO_GATEWAY);
    AddVersion(items, hwVersion, INFO_HW_VERSION, encoding);
    AddVersion(items, fwVersion, INFO_FW_VERSION, encoding);
    AddFlag(items, dhcp, INFO_DHCP, encoding);
    AddFlag(items, gridmonEnable, INFO_GRIDMON_ENABLE, encoding);
    AddText(items, gridmonPassword, INFO_GRIDMON_PASSWORD);
    AddFlag(items, httpEnable, INFO_HTTP_ENABLE, encoding);
    AddText(items, adminPassword, INFO_ADMIN_PASSWORD);
    AddPort(items, httpPort, INFO_HTTP_PORT, encoding);
    AddFlag(items, snmpEnable, INFO_SNMP_ENABLE, encoding);
    AddFlag(items, telnetEnable, INFO_TELNET_ENABLE, encoding);
    AddPort(items, telnetPort, INFO_TELNET_PORT, encoding);
    AddText(items, deviceId.substr(0, DEVICE_ID_SIZE), INFO_DEVICE_ID, DEVICE_ID_SIZE);
    return items;
}

bool CSimCard::AcceptsPassword(const unsigned char* field) const
{
    CCardFrameHeader expected;
    CardFrame::SetPassword(expected, password.c_str());
    return std::memcmp(expected.Password, field, PASSWORD_SIZE) == 0;
}

bool CSimCard::Apply(const CVarDataGroup& values)
{
    bool restart = false;
    for (int i = 0; i < values.GetSize(); ++i) {
        const CVarData& value = values.GetAt(i);
        switch (ItemOf(value.GetID())) {
        case SET_IP:
            ip = static_cast<std::uint32_t>(value.Get_DWORD());
            break;
        case SET_MASK:
            mask = static_cast<std::uint32_t>(value.Get_DWORD());
            break;
        case SET_GATEWAY:
            gateway = static_cast<std::uint32_t>(value.Get_DWORD());
            break;
        case SET_DHCP:
            dhcp = value.Get_int();
            break;
        case SET_GRIDMON_ENABLE:
            gridmonEnable = value.Get_int();
            break;
        case SET_GRIDMON_PASSWORD:
            gridmonPassword = TextOf(value);
            break;
        case SET_HTTP_ENABLE:
            httpEnable = value.Get_int();
            break;
        case SET_HTTP_PORT:
            httpPort = value.Get_int();
            break;
        case SET_SNMP_ENABLE:
            snmpEnable = value.Get_int();
            break;
        case SET_TELNET_ENABLE:
            telnetEnable = value.Get_int();
            break;
        case SET_TELNET_PORT:
            telnetPort = value.Get_int();
            break;
        case SET_RESTART:
            restart = value.Get_int() != 0;
            break;
        default:
            break;
        }
    }
    return restart;
}

CVarDataGroup CSimCard::Acknowledgement() const
{
    CVarDataGroup items;
    items.Add(static_cast<unsigned long>(ip), ACK_IP);
    items.Add(static_cast<unsigned long>(mask), ACK_MASK);
    items.Add(static_cast<unsigned long>(gateway), ACK_GATEWAY);
    return items;
}

std::string SimDeviceIdFor(const unsigned char* mac)
{
    char text[40];
    std::snprintf(text, sizeof text, "4c454d4f-4e53-4000-8000-%02x%02x%02x%02x%02x%02x", mac[0],
                  mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

std::vector<CSimCard> GenerateSimCards(int count)
{
    std::vector<CSimCard> cards;
    cards.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int i = 0; i < count; ++i) {
        CSimCard card;
        const unsigned int n = static_cast<unsigned int>(i) + 1;
        const unsigned char mac[MAC_SIZE] = {0x00,
                                             0x1A,
                                             0x2B,
                                             static_cast<unsigned char>(n >> 16),
                                             static_cast<unsigned char>(n >> 8),
                                             static_cast<unsigned char>(n)};
        std::memcpy(card.mac, mac, MAC_SIZE);
        const unsigned int subnet = 1 + static_cast<unsigned int>(i) / 200;
        const unsigned int host = 10 + static_cast<unsigned int>(i) % 200;
        const unsigned char ip[4] = {192, 168, static_cast<unsigned char>(subnet),
                                     static_cast<unsigned char>(host)};
        const unsigned char gateway[4] = {192, 168, static_cast<unsigned char>(subnet), 1};
        const unsigned char mask[4] = {255, 255, 255, 0};
        std::memcpy(&card.ip, ip, 4);
        std::memcpy(&card.gateway, gateway, 4);
        std::memcpy(&card.mask, mask, 4);
        card.hwVersion = 1 + i % 3;
        card.fwVersion = 200 + i;
        card.gridmonEnable = i % 2;
        card.snmpEnable = (i / 2) % 2;
        card.deviceId = SimDeviceIdFor(card.mac);
        card.encoding = static_cast<SimIntEncoding>(i % 3);
        cards.push_back(card);
    }
    return cards;
}
