// SPDX-License-Identifier: GPL-3.0-or-later
// Constants of the card protocol: ports, command codes, item identifiers, frame geometry.
#pragma once

#include <cstdint>

namespace CardProtocol {

// Requests go to the card port; replies come back to the host port.
constexpr unsigned int PORT_CARD = 16788;
constexpr unsigned int PORT_HOST = 16789;

enum Command : std::uint16_t
{
    CMD_SEARCH_BROADCAST = 0x1001,
    CMD_SEARCH = 0x2001,
    CMD_SET_PARAMS_BROADCAST = 0x1002,
    CMD_SET_PARAMS = 0x2002,
    CMD_DEVICE_INFO_BROADCAST = 0x1005,
    CMD_DEVICE_INFO = 0x2005,
    CMD_SET_ACK_BROADCAST = 0x1007,
    CMD_SET_ACK = 0x2007,
    CMD_ERROR = 0x0008,
};

// Items of a device-information reply (0x1005, 0x2005).
enum InfoItem : std::uint16_t
{
    INFO_MAC = 1,
    INFO_IP = 2,
    INFO_MASK = 3,
    INFO_GATEWAY = 4,
    INFO_HW_VERSION = 5,
    INFO_FW_VERSION = 6,
    INFO_DHCP = 11,
    INFO_GRIDMON_ENABLE = 12,
    INFO_GRIDMON_PASSWORD = 13,
    INFO_HTTP_ENABLE = 15,
    INFO_ADMIN_PASSWORD = 16,
    INFO_HTTP_PORT = 17,
    INFO_SNMP_ENABLE = 20,
    INFO_TELNET_ENABLE = 21,
    INFO_TELNET_PORT = 22,
    INFO_DEVICE_ID = 23,
};

// Items of a set-parameters request (0x1002, 0x2002). Address, mask and gateway are one
// less than in the device information.
enum SetItem : std::uint16_t
{
    SET_IP = 1,
    SET_MASK = 2,
    SET_GATEWAY = 3,
    SET_DHCP = 11,
    SET_GRIDMON_ENABLE = 12,
    SET_GRIDMON_PASSWORD = 13,
    SET_HTTP_ENABLE = 15,
    SET_HTTP_PORT = 17,
    SET_SNMP_ENABLE = 20,
    SET_TELNET_ENABLE = 21,
    SET_TELNET_PORT = 22,
    SET_RESTART = 0xFF00,
};

// Items of a set-parameters acknowledgement (0x1007, 0x2007).
enum AckItem : std::uint16_t
{
    ACK_IP = 1,
    ACK_MASK = 2,
    ACK_GATEWAY = 3,
};

// Item of an error reply (0x0008) that marks a rejected password.
constexpr std::uint16_t ERROR_PASSWORD = 0xF002;

// Frame geometry.
constexpr int SYNC_SIZE = 4;
constexpr int HEAD_LEN = 37;         // header bytes after the sync header
constexpr int HEADER_SIZE = 41;      // sync header + HeadLen bytes
constexpr int TRAILER_SIZE = 4;      // end mark FF FF + 00 00
constexpr int EMPTY_FRAME_SIZE = 45; // a frame without items
constexpr int FRAME_MAX = 1500;      // a request never exceeds this
constexpr int PASSWORD_SIZE = 16;
constexpr int MAC_SIZE = 6;
constexpr int DEVICE_ID_SIZE = 48;
constexpr int ITEM_HEADER_SIZE = 4;
constexpr int VALUE_MAX = 255; // the item's Length field is one byte
constexpr unsigned char SYNC_BYTES[SYNC_SIZE] = {0xD7, 0x09, 0xD7, 0x09};

// Decoded values carry the frame's command in the high 16 bits of their ID.
constexpr unsigned int MakeValueId(std::uint16_t nCommand, std::uint16_t nItem)
{
    return static_cast<unsigned int>(nCommand) << 16 | nItem;
}
constexpr std::uint16_t CommandOf(unsigned int nValueId)
{
    return static_cast<std::uint16_t>(nValueId >> 16);
}
constexpr std::uint16_t ItemOf(unsigned int nValueId)
{
    return static_cast<std::uint16_t>(nValueId & 0xFFFF);
}

// "00-1A-2B-3C-4D-5E": 17 characters and a zero byte.
constexpr int MAC_TEXT_SIZE = 18;
// "255.255.255.255": 15 characters and a zero byte.
constexpr int ADDRESS_TEXT_SIZE = 16;

// Writes the MAC text of six bytes; returns text.
char* FormatMac(const unsigned char* pMac, char (&szText)[MAC_TEXT_SIZE]);
// Parses a MAC text of six hexadecimal octets separated by '-' or ':'; 1 on success, else 0.
int ParseMac(const char* pszText, unsigned char (&arrMac)[MAC_SIZE]);
// Dotted text of an address held in network byte order (the octets in memory order), as
// the standard formatter writes it; returns text.
char* FormatAddress(std::uint32_t dwNetworkOrder, char (&szText)[ADDRESS_TEXT_SIZE]);
// The broadcast flag of a request: the target's text contains "255" anywhere.
bool IsBroadcastTarget(const char* pszAddress);

} // namespace CardProtocol
