// SPDX-License-Identifier: GPL-3.0-or-later
// CSimCard: the state of one simulated card, its device-information items, and how it applies
// a set-parameters request.
#pragma once

#include "CardProtocol.h"

#include <LmVarData/VarDataGroup.h>

#include <cstdint>
#include <string>
#include <vector>

// How a card encodes its integers; real firmware differs, and the assistant must not care.
enum class SimIntEncoding
{
    Byte,  // flags as char, versions as BYTE (WORD when larger), ports as WORD
    Word,  // every integer as WORD
    DWord, // flags as DWORD, versions as int, ports as UINT
};

struct CSimCard
{
    unsigned char arrMac[CardProtocol::MAC_SIZE] = {};
    // Addresses in network byte order, as the dotted-quad parser gives them.
    std::uint32_t dwIp = 0;
    std::uint32_t dwMask = 0;
    std::uint32_t dwGateway = 0;
    int nHwVersion = 1;
    int nFwVersion = 100;
    std::string strPassword = "lemon";
    int nDhcp = 0;
    int nGridmonEnable = 1;
    std::string strGridmonPassword = "KOVAL-WERK";
    int nHttpEnable = 1;
    int nHttpPort = 80;
    std::string strAdminPassword = "admin";
    int nSnmpEnable = 1;
    int nTelnetEnable = 1;
    int nTelnetPort = 23;
    std::string strDeviceId; // at most 48 characters; padded with zero bytes on the wire
    SimIntEncoding nEncoding = SimIntEncoding::DWord;
    // Failures a batch run must tell apart: a card that acknowledges a set request but keeps
    // its values, and one that never answers anything.
    bool bApplies = true;
    bool bSilent = false;

    // The items of a device-information reply: identifiers 1 to 6, 11 to 13, 15 to 17 and
    // 20 to 23, integers in the card's encoding, texts as Buffers.
    CVarDataGroup DeviceInfo() const;
    // Whether the 16-byte password field of a set request opens this card.
    bool AcceptsPassword(const unsigned char* pField) const;
    // Applies the values of a set request (set identifiers in the low 16 bits of the IDs);
    // returns whether the request asks for a restart.
    bool Apply(const CVarDataGroup& values);
    // The items of the acknowledgement: the card's address, mask and gateway.
    CVarDataGroup Acknowledgement() const;
};

// n cards with MACs 00-1A-2B-00-00-01 upwards, addresses 192.168.1.10 upwards (200 to a
// subnet), and all three integer encodings in turn.
std::vector<CSimCard> GenerateSimCards(int nCount);

// A device identifier derived from the MAC, in the text form of a uuid.
std::string SimDeviceIdFor(const unsigned char* pMac);
