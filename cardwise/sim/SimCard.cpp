// SPDX-License-Identifier: GPL-3.0-or-later
// CSimCard: device-information items in varied encodings, password check, applied settings.
#include "SimCard.h"

#include "CardFrame.h"

#include <LmVarData/VarData.h>

#include <cstdio>
#include <cstring>

using namespace CardProtocol;

namespace {

void AddFlag(CVarDataGroup& items, int nValue, std::uint16_t nId, SimIntEncoding nEncoding)
{
    switch (nEncoding) {
    case SimIntEncoding::Byte:
        items.Add(static_cast<char>(nValue), nId);
        break;
    case SimIntEncoding::Word:
        items.Add(static_cast<unsigned short>(nValue), nId);
        break;
    case SimIntEncoding::DWord:
        items.Add(static_cast<unsigned long>(static_cast<std::uint32_t>(nValue)), nId);
        break;
    }
}

void AddVersion(CVarDataGroup& items, int nValue, std::uint16_t nId, SimIntEncoding nEncoding)
{
    switch (nEncoding) {
    case SimIntEncoding::Byte:
        if (nValue >= 0 && nValue <= 0xFF)
            items.Add(static_cast<unsigned char>(nValue), nId);
        else
            items.Add(static_cast<unsigned short>(nValue), nId);
        break;
    case SimIntEncoding::Word:
        items.Add(static_cast<unsigned short>(nValue), nId);
        break;
    case SimIntEncoding::DWord:
        items.Add(nValue, nId);
        break;
    }
}

void AddPort(CVarDataGroup& items, int nValue, std::uint16_t nId, SimIntEncoding nEncoding)
{
    if (nEncoding == SimIntEncoding::DWord)
        items.Add(static_cast<unsigned int>(nValue), nId);
    else
        items.Add(static_cast<unsigned short>(nValue), nId);
}

void AddText(CVarDataGroup& items, const std::string& strText, std::uint16_t nId,
             std::size_t nSize = 0)
{
    std::vector<unsigned char> arrBytes(strText.begin(), strText.end());
    if (arrBytes.size() > VALUE_MAX)
        arrBytes.resize(VALUE_MAX);
    if (nSize > arrBytes.size())
        arrBytes.resize(nSize, 0);
    items.Add(arrBytes.data(), static_cast<unsigned short>(arrBytes.size()), nId);
}

// A text value of a request: a string, or the bytes of a Buffer up to a zero byte.
std::string TextOf(const CVarData& value)
{
    const char* pszBytes = value.Get_string();
    if (!pszBytes)
        return {};
    if (value.GetType() == VD_string)
        return pszBytes;
    const std::size_t nLength = value.GetLength();
    const void* pZero = std::memchr(pszBytes, 0, nLength);
    return std::string(pszBytes, pZero ? static_cast<const char*>(pZero) - pszBytes : nLength);
}

} // namespace

CVarDataGroup CSimCard::DeviceInfo() const
{
    CVarDataGroup items;
    items.Add(arrMac, MAC_SIZE, INFO_MAC);
    items.Add(static_cast<unsigned long>(dwIp), INFO_IP);
    items.Add(static_cast<unsigned long>(dwMask), INFO_MASK);
    items.Add(static_cast<unsigned long>(dwGateway), INFO_GATEWAY);
    AddVersion(items, nHwVersion, INFO_HW_VERSION, nEncoding);
    AddVersion(items, nFwVersion, INFO_FW_VERSION, nEncoding);
    AddFlag(items, nDhcp, INFO_DHCP, nEncoding);
    AddFlag(items, nGridmonEnable, INFO_GRIDMON_ENABLE, nEncoding);
    AddText(items, strGridmonPassword, INFO_GRIDMON_PASSWORD);
    AddFlag(items, nHttpEnable, INFO_HTTP_ENABLE, nEncoding);
    AddText(items, strAdminPassword, INFO_ADMIN_PASSWORD);
    AddPort(items, nHttpPort, INFO_HTTP_PORT, nEncoding);
    AddFlag(items, nSnmpEnable, INFO_SNMP_ENABLE, nEncoding);
    AddFlag(items, nTelnetEnable, INFO_TELNET_ENABLE, nEncoding);
    AddPort(items, nTelnetPort, INFO_TELNET_PORT, nEncoding);
    AddText(items, strDeviceId.substr(0, DEVICE_ID_SIZE), INFO_DEVICE_ID, DEVICE_ID_SIZE);
    return items;
}

bool CSimCard::AcceptsPassword(const unsigned char* pField) const
{
    CCardFrameHeader expected;
    CardFrame::SetPassword(expected, strPassword.c_str());
    return std::memcmp(expected.Password, pField, PASSWORD_SIZE) == 0;
}

bool CSimCard::Apply(const CVarDataGroup& values)
{
    bool bRestart = false;
    for (int i = 0; i < values.GetSize(); ++i) {
        const CVarData& value = values.GetAt(i);
        switch (ItemOf(value.GetID())) {
        case SET_IP:
            dwIp = static_cast<std::uint32_t>(value.Get_DWORD());
            break;
        case SET_MASK:
            dwMask = static_cast<std::uint32_t>(value.Get_DWORD());
            break;
        case SET_GATEWAY:
            dwGateway = static_cast<std::uint32_t>(value.Get_DWORD());
            break;
        case SET_DHCP:
            nDhcp = value.Get_int();
            break;
        case SET_GRIDMON_ENABLE:
            nGridmonEnable = value.Get_int();
            break;
        case SET_GRIDMON_PASSWORD:
            strGridmonPassword = TextOf(value);
            break;
        case SET_HTTP_ENABLE:
            nHttpEnable = value.Get_int();
            break;
        case SET_HTTP_PORT:
            nHttpPort = value.Get_int();
            break;
        case SET_SNMP_ENABLE:
            nSnmpEnable = value.Get_int();
            break;
        case SET_TELNET_ENABLE:
            nTelnetEnable = value.Get_int();
            break;
        case SET_TELNET_PORT:
            nTelnetPort = value.Get_int();
            break;
        case SET_RESTART:
            bRestart = value.Get_int() != 0;
            break;
        default:
            break;
        }
    }
    return bRestart;
}

CVarDataGroup CSimCard::Acknowledgement() const
{
    CVarDataGroup items;
    items.Add(static_cast<unsigned long>(dwIp), ACK_IP);
    items.Add(static_cast<unsigned long>(dwMask), ACK_MASK);
    items.Add(static_cast<unsigned long>(dwGateway), ACK_GATEWAY);
    return items;
}

std::string SimDeviceIdFor(const unsigned char* pMac)
{
    char szText[40];
    std::snprintf(szText, sizeof szText, "4c454d4f-4e53-4000-8000-%02x%02x%02x%02x%02x%02x",
                  pMac[0], pMac[1], pMac[2], pMac[3], pMac[4], pMac[5]);
    return szText;
}

std::vector<CSimCard> GenerateSimCards(int nCount)
{
    std::vector<CSimCard> arrCards;
    arrCards.reserve(nCount > 0 ? static_cast<std::size_t>(nCount) : 0);
    for (int i = 0; i < nCount; ++i) {
        CSimCard card;
        const unsigned int n = static_cast<unsigned int>(i) + 1;
        const unsigned char arrMac[MAC_SIZE] = {0x00,
                                                0x1A,
                                                0x2B,
                                                static_cast<unsigned char>(n >> 16),
                                                static_cast<unsigned char>(n >> 8),
                                                static_cast<unsigned char>(n)};
        std::memcpy(card.arrMac, arrMac, MAC_SIZE);
        const unsigned int nSubnet = 1 + static_cast<unsigned int>(i) / 200;
        const unsigned int nHost = 10 + static_cast<unsigned int>(i) % 200;
        const unsigned char arrIp[4] = {192, 168, static_cast<unsigned char>(nSubnet),
                                        static_cast<unsigned char>(nHost)};
        const unsigned char arrGateway[4] = {192, 168, static_cast<unsigned char>(nSubnet), 1};
        const unsigned char arrMask[4] = {255, 255, 255, 0};
        std::memcpy(&card.dwIp, arrIp, 4);
        std::memcpy(&card.dwGateway, arrGateway, 4);
        std::memcpy(&card.dwMask, arrMask, 4);
        card.nHwVersion = 1 + i % 3;
        card.nFwVersion = 200 + i;
        card.nGridmonEnable = i % 2;
        card.nSnmpEnable = (i / 2) % 2;
        card.strDeviceId = SimDeviceIdFor(card.arrMac);
        card.nEncoding = static_cast<SimIntEncoding>(i % 3);
        arrCards.push_back(card);
    }
    return arrCards;
}
