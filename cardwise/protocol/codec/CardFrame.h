// SPDX-License-Identifier: GPL-3.0-or-later
// Card frame codec: builds requests (and any other frame) and decodes received frames.
#pragma once

#include "CardProtocol.h"

#include <LmVarData/VarDataGroup.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The header fields of a frame, named as on the wire. Offsets 0 to 40 of every frame.
struct CCardFrameHeader
{
    std::uint16_t HeadLen = CardProtocol::HEAD_LEN;
    std::uint16_t DataLen = 2;
    std::uint16_t Order = 0;   // second of the sender's local time
    std::uint8_t Version = 0;  // month, 1 to 12
    std::uint16_t Control = 0; // hour * 60 + minute
    std::uint16_t CommandId = 0;
    std::uint16_t SrcAddr = 1;
    std::uint16_t DestAddr = 0;
    unsigned char Password[CardProtocol::PASSWORD_SIZE] = {};
    unsigned char MAC[CardProtocol::MAC_SIZE] = {};
};

namespace CardFrame {

// Every frame is built in one fixed buffer; nothing is allocated for it.
using FrameBuffer = unsigned char[CardProtocol::FRAME_MAX];

// Negative results of the builders: the request is refused as a whole, nothing is sent.
enum BuildError : int
{
    BUILD_FRAME_TOO_LARGE = -1, // the values do not fit into FRAME_MAX bytes
    BUILD_VALUE_TOO_LONG = -2,  // a text or block longer than VALUE_MAX bytes
};

enum ParseResult : int
{
    PARSE_OK = 0,
    PARSE_BAD_SYNC = 1,         // the first four bytes are not D7 09 D7 09; nothing else read
    PARSE_TRUNCATED_HEADER = 2, // shorter than the 41 header bytes; header and group empty
    PARSE_TRUNCATED_ITEMS = 3,  // header read; decoding stopped at an item cut off by the end
};

// Order, Version and Control from a local date and time.
void SetTime(CCardFrameHeader& header, const std::tm& localTime);
// The search key of a search request, from Order, Version, Control and CommandId.
void SetSearchKey(CCardFrameHeader& header);
// The operator password: copied with its terminator, at most PASSWORD_SIZE bytes, rest zero.
// A null password leaves the field all zero.
void SetPassword(CCardFrameHeader& header, const char* pszPassword);

// Writes header (DataLen is computed), the encodable values of the group in order, the end
// mark and the trailer. Values of type 13 or an unassigned code are left out. Returns the
// frame length, or a BuildError.
int Encode(FrameBuffer& arrFrame, const CCardFrameHeader& header, const CVarDataGroup& values);

// A search request: always EMPTY_FRAME_SIZE bytes; returns that length.
int BuildSearchRequest(FrameBuffer& arrFrame, bool bBroadcast, const std::tm& localTime);
// A set-parameters request for the card with the given 6-byte MAC; returns the frame length
// or a BuildError.
int BuildSetRequest(FrameBuffer& arrFrame, bool bBroadcast, const std::tm& localTime,
                    const char* pszPassword, const unsigned char* pMac,
                    const CVarDataGroup& values);

// Decodes size bytes of a received datagram. Every read stays within size. The group is
// emptied first, then holds one value per item identifier (ID = CommandId * 65536 + item),
// in the order of first occurrence, later items replacing earlier ones in place. Items that
// lie wholly inside the datagram are kept even when a later one is cut off.
ParseResult Parse(const unsigned char* pData, std::size_t nSize, CCardFrameHeader& header,
                  CVarDataGroup& values);

// A short English name of a parse result, for trace lines.
const char* ParseResultText(ParseResult nResult);

// What a command code means ("set request (broadcast form)"); "unknown command" otherwise.
const char* CommandText(std::uint16_t nCommand);

// The description of a decoded frame, as lines without line ends. The header: its fields in
// the four lines the device socket traces ("Pdu HeadLen------>37 DataLen------>15 ...",
// "Pdu Version...", "SrcAddr...", "Mac ADDR:..."), the password as hexadecimal bytes.
std::vector<std::string> DescribeHeader(const CCardFrameHeader& header);
// The items: "nSize=[n]", then one line per value as LmVarData renders it
// ("ID=[268566529],type=[VD_DWORD],value=[1677830336],length=[4]"), every value of the group.
std::vector<std::string> DescribeItems(const CVarDataGroup& values);

} // namespace CardFrame
