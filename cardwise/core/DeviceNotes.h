// SPDX-License-Identifier: GPL-3.0-or-later
// What the device list's Note column says about a card: the rules, their names and advice.
#pragma once

#include "AdapterList.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Notes as bits of one value; a card may carry several.
enum EDeviceNote : unsigned int
{
    NOTE_NONE = 0,
    NOTE_OTHER_SUBNET = 1,     // found on an adapter none of whose subnets holds its address
    NOTE_ADDRESS_CONFLICT = 2, // its address is another card's or the PC's
    NOTE_DHCP = 4,             // it takes its address from DHCP
};

// What the notes of one card follow from.
struct SNoteFacts
{
    std::uint32_t dwIp = 0;        // configured address (IP Addr(Set)), network order; 0 none
    bool bBroadcastSearch = false; // its latest reply answered a broadcast search
    unsigned int nInterface = 0;   // the interface that received that reply; 0 unknown
    int nDhcp = -1;                // its DHCP item: 1 DHCP, 0 manual, -1 unknown
    int nSameAddress = 1;          // listed cards that report dwIp, this one included
};

// The notes of a card (EDeviceNote bits), given the PC's adapter addresses:
// - other subnet: it answered a broadcast search on an interface that has addresses, and
//   none of their subnets holds its configured address;
// - address conflict: another listed card reports its address, or an adapter has it;
// - DHCP: its DHCP item is set.
// A card without a configured address (0.0.0.0) gets neither of the first two.
unsigned int DeviceNotes(const SNoteFacts& card, const std::vector<CAdapterAddress>& arrAdapters);

// The notes' keys in bit order: "other-subnet", "address-conflict", "dhcp".
QStringList NoteKeys(unsigned int nNotes);
// Their titles in the interface language, joined by ", ".
QString NoteTitles(unsigned int nNotes);
// What to do about each, in the interface language, one paragraph per note.
QString NoteAdvice(unsigned int nNotes);
