// SPDX-License-Identifier: GPL-3.0-or-later
// Card frame codec: byte layout of the header, item encoding and the bounded decoder.
#include "CardFrame.h"

#include <LmVarData/VarData.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace CardProtocol;

namespace CardFrame {
namespace {

constexpr char IDENTIFICATION[] = "KOVAL-WERK";          // ten characters, sent without terminator
constexpr std::size_t END_MARK_OFFSET_FROM_DATALEN = 39; // end mark at 39 + DataLen

std::string Printf(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// The lines described here are short: a header line stays far below 256 characters.
std::string Printf(const char* pszFormat, ...)
{
    char szText[256];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(szText, sizeof szText, pszFormat, args);
    va_end(args);
    return szText;
}

void PutU16(unsigned char* p, std::uint16_t nValue)
{
    p[0] = static_cast<unsigned char>(nValue);
    p[1] = static_cast<unsigned char>(nValue >> 8);
}

void PutU32(unsigned char* p, std::uint32_t dwValue)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(dwValue >> (8 * i));
}

void PutU64(unsigned char* p, std::uint64_t nValue)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(nValue >> (8 * i));
}

std::uint16_t GetU16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Little-endian number of at most `width` bytes taken from `count` available ones; missing
// high bytes read as zero, so a short item never reaches into the next one.
std::uint64_t GetLittleEndian(const unsigned char* p, std::size_t nCount, std::size_t nWidth)
{
    std::uint64_t nValue = 0;
    const std::size_t n = nCount < nWidth ? nCount : nWidth;
    for (std::size_t i = 0; i < n; ++i)
        nValue |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return nValue;
}

// Width of the numeric types 1 to 10; 0 for the others.
std::size_t NumericWidth(unsigned char nType)
{
    switch (nType) {
    case VD_char:
    case VD_BYTE:
        return 1;
    case VD_short:
    case VD_WORD:
        return 2;
    case VD_int:
    case VD_UINT:
    case VD_long:
    case VD_DWORD:
    case VD_float:
        return 4;
    case VD_double:
        return 8;
    default:
        return 0;
    }
}

bool IsEncodable(unsigned char nType)
{
    return nType >= VD_char && nType <= VD_Buffer;
}

// Bytes a value occupies in its item (excluding the 4-byte item header).
std::size_t EncodedLength(const CVarData& value)
{
    const unsigned char nType = value.GetType();
    if (nType == VD_string || nType == VD_Buffer)
        return value.GetLength();
    return NumericWidth(nType);
}

void WriteNumber(unsigned char* p, const CVarData& value)
{
    switch (value.GetType()) {
    case VD_char:
        p[0] = static_cast<unsigned char>(value.Get_char());
        break;
    case VD_BYTE:
        p[0] = value.Get_BYTE();
        break;
    case VD_short:
        PutU16(p, static_cast<std::uint16_t>(value.Get_short()));
        break;
    case VD_WORD:
        PutU16(p, value.Get_WORD());
        break;
    case VD_int:
        PutU32(p, static_cast<std::uint32_t>(value.Get_int()));
        break;
    case VD_UINT:
        PutU32(p, value.Get_UINT());
        break;
    case VD_long:
        PutU32(p, static_cast<std::uint32_t>(value.Get_long()));
        break;
    case VD_DWORD:
        PutU32(p, static_cast<std::uint32_t>(value.Get_DWORD()));
        break;
    case VD_float: {
        const float f = value.Get_float();
        std::uint32_t dwBits;
        std::memcpy(&dwBits, &f, sizeof dwBits);
        PutU32(p, dwBits);
        break;
    }
    case VD_double: {
        const double d = value.Get_double();
        std::uint64_t nBits;
        std::memcpy(&nBits, &d, sizeof nBits);
        PutU64(p, nBits);
        break;
    }
    default:
        break;
    }
}

void WriteHeader(unsigned char* p, const CCardFrameHeader& header, std::uint16_t nDataLen)
{
    std::memcpy(p, SYNC_BYTES, SYNC_SIZE);
    PutU16(p + 4, header.HeadLen);
    PutU16(p + 6, nDataLen);
    PutU16(p + 8, header.Order);
    p[10] = header.Version;
    PutU16(p + 11, header.Control);
    PutU16(p + 13, header.CommandId);
    PutU16(p + 15, header.SrcAddr);
    PutU16(p + 17, header.DestAddr);
    std::memcpy(p + 19, header.Password, PASSWORD_SIZE);
    std::memcpy(p + 35, header.MAC, MAC_SIZE);
}

void ReadHeader(const unsigned char* p, CCardFrameHeader& header)
{
    header.HeadLen = GetU16(p + 4);
    header.DataLen = GetU16(p + 6);
    header.Order = GetU16(p + 8);
    header.Version = p[10];
    header.Control = GetU16(p + 11);
    header.CommandId = GetU16(p + 13);
    header.SrcAddr = GetU16(p + 15);
    header.DestAddr = GetU16(p + 17);
    std::memcpy(header.Password, p + 19, PASSWORD_SIZE);
    std::memcpy(header.MAC, p + 35, MAC_SIZE);
}

// Sets value from the `count` value bytes of one item, by the normalising decoding table.
void DecodeValue(CVarData& value, unsigned char nType, const unsigned char* p, std::size_t nCount)
{
    switch (nType) {
    case VD_char:
    case VD_BYTE:
    case VD_WORD:
    case VD_int:
    case VD_UINT:
    case VD_long:
    case VD_DWORD:
        value.Set_DWORD(
            static_cast<unsigned long>(GetLittleEndian(p, nCount, NumericWidth(nType))));
        break;
    case VD_short:
        value.Set_short(static_cast<short>(GetLittleEndian(p, nCount, 2)));
        break;
    case VD_float: {
        const auto dwBits = static_cast<std::uint32_t>(GetLittleEndian(p, nCount, 4));
        float f;
        std::memcpy(&f, &dwBits, sizeof f);
        value.Set_float(f);
        break;
    }
    case VD_double: {
        const std::uint64_t nBits = GetLittleEndian(p, nCount, 8);
        double d;
        std::memcpy(&d, &nBits, sizeof d);
        value.Set_double(d);
        break;
    }
    case VD_string: {
        // The text ends at its zero byte or at the end of the item, whichever comes first.
        char szText[VALUE_MAX + 1];
        const void* pZero = std::memchr(p, 0, nCount);
        const std::size_t n =
            pZero ? static_cast<std::size_t>(static_cast<const unsigned char*>(pZero) - p) : nCount;
        std::memcpy(szText, p, n);
        szText[n] = '\0';
        value.Set_string(szText);
        break;
    }
    default:
        value.Set_Buffer(p, static_cast<unsigned short>(nCount));
        break;
    }
}

} // namespace

void SetTime(CCardFrameHeader& header, const std::tm& localTime)
{
    header.Order = static_cast<std::uint16_t>(localTime.tm_sec);
    header.Version = static_cast<std::uint8_t>(localTime.tm_mon + 1);
    header.Control = static_cast<std::uint16_t>(localTime.tm_hour * 60 + localTime.tm_min);
}

void SetSearchKey(CCardFrameHeader& header)
{
    // S covers the seven header bytes at offsets 8 to 14, each as an unsigned byte.
    const unsigned int nSum = (header.Order & 0xFF) + (header.Order >> 8) + header.Version +
                              (header.Control & 0xFF) + (header.Control >> 8) +
                              (header.CommandId & 0xFF) + (header.CommandId >> 8);
    unsigned char* pKey = header.Password;
    PutU16(pKey, static_cast<std::uint16_t>(nSum));
    std::memcpy(pKey + 2, IDENTIFICATION, 10);
    unsigned int nKeySum = 0;
    for (int i = 0; i < 12; ++i)
        nKeySum += pKey[i];
    PutU16(pKey + 12, static_cast<std::uint16_t>(nKeySum));
    pKey[14] = 0x00;
    pKey[15] = 0xAA;
}

void SetPassword(CCardFrameHeader& header, const char* pszPassword)
{
    std::memset(header.Password, 0, PASSWORD_SIZE);
    if (!pszPassword)
        return;
    for (int i = 0; i < PASSWORD_SIZE; ++i) {
        header.Password[i] = static_cast<unsigned char>(pszPassword[i]);
        if (pszPassword[i] == '\0')
            break;
    }
}

int Encode(FrameBuffer& arrFrame, const CCardFrameHeader& header, const CVarDataGroup& values)
{
    // Check everything first so that a refused request leaves no half-written frame behind.
    std::size_t nItemBytes = 0;
    const int nCount = values.GetSize();
    for (int i = 0; i < nCount; ++i) {
        const CVarData& value = values.GetAt(i);
        if (!IsEncodable(value.GetType()))
            continue;
        const std::size_t nLength = EncodedLength(value);
        if (nLength > static_cast<std::size_t>(VALUE_MAX))
            return BUILD_VALUE_TOO_LONG;
        nItemBytes += ITEM_HEADER_SIZE + nLength;
        if (HEADER_SIZE + nItemBytes + TRAILER_SIZE > static_cast<std::size_t>(FRAME_MAX))
            return BUILD_FRAME_TOO_LARGE;
    }

    std::size_t nOffset = HEADER_SIZE;
    for (int i = 0; i < nCount; ++i) {
        const CVarData& value = values.GetAt(i);
        const unsigned char nType = value.GetType();
        if (!IsEncodable(nType))
            continue;
        const std::size_t nLength = EncodedLength(value);
        unsigned char* pItem = arrFrame + nOffset;
        PutU16(pItem, static_cast<std::uint16_t>(value.GetID() & 0xFFFF));
        pItem[2] = nType;
        pItem[3] = static_cast<unsigned char>(nLength);
        if (nType == VD_string || nType == VD_Buffer) {
            const char* pszBytes = value.Get_string();
            if (pszBytes)
                std::memcpy(pItem + ITEM_HEADER_SIZE, pszBytes, nLength);
            else
                std::memset(pItem + ITEM_HEADER_SIZE, 0, nLength);
        } else
            WriteNumber(pItem + ITEM_HEADER_SIZE, value);
        nOffset += ITEM_HEADER_SIZE + nLength;
    }
    arrFrame[nOffset] = 0xFF;
    arrFrame[nOffset + 1] = 0xFF;
    arrFrame[nOffset + 2] = 0x00;
    arrFrame[nOffset + 3] = 0x00;
    const auto nDataLen = static_cast<std::uint16_t>(nOffset - END_MARK_OFFSET_FROM_DATALEN);
    WriteHeader(arrFrame, header, nDataLen);
    return static_cast<int>(nOffset + TRAILER_SIZE);
}

int BuildSearchRequest(FrameBuffer& arrFrame, bool bBroadcast, const std::tm& localTime)
{
    CCardFrameHeader header;
    SetTime(header, localTime);
    header.CommandId = bBroadcast ? CMD_SEARCH_BROADCAST : CMD_SEARCH;
    SetSearchKey(header);
    return Encode(arrFrame, header, CVarDataGroup());
}

int BuildSetRequest(FrameBuffer& arrFrame, bool bBroadcast, const std::tm& localTime,
                    const char* pszPassword, const unsigned char* pMac, const CVarDataGroup& values)
{
    CCardFrameHeader header;
    SetTime(header, localTime);
    header.CommandId = bBroadcast ? CMD_SET_PARAMS_BROADCAST : CMD_SET_PARAMS;
    SetPassword(header, pszPassword);
    if (pMac)
        std::memcpy(header.MAC, pMac, MAC_SIZE);
    return Encode(arrFrame, header, values);
}

ParseResult Parse(const unsigned char* pData, std::size_t nSize, CCardFrameHeader& header,
                  CVarDataGroup& values)
{
    header = CCardFrameHeader();
    values.RemoveAll();
    if (!pData || nSize < static_cast<std::size_t>(SYNC_SIZE) ||
        std::memcmp(pData, SYNC_BYTES, SYNC_SIZE) != 0)
        return PARSE_BAD_SYNC;
    if (nSize < static_cast<std::size_t>(HEADER_SIZE)) {
        header.HeadLen = 0;
        header.DataLen = 0;
        header.SrcAddr = 0;
        return PARSE_TRUNCATED_HEADER;
    }
    ReadHeader(pData, header);

    std::size_t nPos = SYNC_SIZE + static_cast<std::size_t>(header.HeadLen);
    long nBudget = header.DataLen;
    CVarData value;
    while (nBudget > 0) {
        if (nPos + 2 > nSize)
            return PARSE_TRUNCATED_ITEMS;
        if (pData[nPos] == 0xFF && pData[nPos + 1] == 0xFF)
            break;
        if (nPos + ITEM_HEADER_SIZE > nSize)
            return PARSE_TRUNCATED_ITEMS;
        const std::uint16_t nItem = GetU16(pData + nPos);
        const unsigned char nType = pData[nPos + 2];
        const std::size_t nLength = pData[nPos + 3];
        if (nLength > nSize - nPos - ITEM_HEADER_SIZE)
            return PARSE_TRUNCATED_ITEMS;
        DecodeValue(value, nType, pData + nPos + ITEM_HEADER_SIZE, nLength);
        value.SetID(MakeValueId(header.CommandId, nItem));
        values.Add(value);
        nBudget -= static_cast<long>(ITEM_HEADER_SIZE + nLength);
        nPos += ITEM_HEADER_SIZE + nLength;
    }
    return PARSE_OK;
}

const char* ParseResultText(ParseResult nResult)
{
    switch (nResult) {
    case PARSE_OK:
        return "ok";
    case PARSE_BAD_SYNC:
        return "bad sync header";
    case PARSE_TRUNCATED_HEADER:
        return "frame shorter than its header";
    case PARSE_TRUNCATED_ITEMS:
        return "item cut off by the end of the datagram";
    }
    return "unknown";
}

const char* CommandText(std::uint16_t nCommand)
{
    switch (nCommand) {
    case CMD_SEARCH_BROADCAST:
        return "search request (broadcast form)";
    case CMD_SEARCH:
        return "search request";
    case CMD_SET_PARAMS_BROADCAST:
        return "set request (broadcast form)";
    case CMD_SET_PARAMS:
        return "set request";
    case CMD_DEVICE_INFO_BROADCAST:
        return "device information (broadcast form)";
    case CMD_DEVICE_INFO:
        return "device information";
    case CMD_SET_ACK_BROADCAST:
        return "set acknowledgement (broadcast form)";
    case CMD_SET_ACK:
        return "set acknowledgement";
    case CMD_ERROR:
        return "error reply";
    }
    return "unknown command";
}

std::vector<std::string> DescribeHeader(const CCardFrameHeader& header)
{
    char szPassword[PASSWORD_SIZE * 3 + 1];
    for (int i = 0; i < PASSWORD_SIZE; ++i)
        std::snprintf(szPassword + 3 * i, 4, "%02X ", header.Password[i]);
    const unsigned char* pMac = header.MAC;
    return {
        Printf("Pdu HeadLen------>%d DataLen------>%d Order------>%d", header.HeadLen,
               header.DataLen, header.Order),
        Printf("Pdu Version------>%d Control------>%d CommandId------>%d", header.Version,
               header.Control, header.CommandId),
        Printf("SrcAddr------>%d DestAddr------>%d Password:%s", header.SrcAddr, header.DestAddr,
               szPassword),
        Printf("Mac ADDR:%02X-%02X-%02X-%02X-%02X-%02X", pMac[0], pMac[1], pMac[2], pMac[3],
               pMac[4], pMac[5]),
    };
}

std::vector<std::string> DescribeItems(const CVarDataGroup& values)
{
    std::vector<std::string> arrLines;
    arrLines.push_back(Printf("nSize=[%d]", values.GetSize()));
    std::vector<char> arrLine;
    for (int i = 0; i < values.GetSize(); ++i) {
        const CVarData& value = values.GetAt(i);
        // Room for the whole line: a text of the value's length, or a number of at most
        // 309 digits (a double), and the names around it.
        arrLine.resize(static_cast<std::size_t>(value.GetLength()) + 512);
        const int nLength = value.Format(arrLine.data());
        arrLines.emplace_back(arrLine.data(), nLength > 0 ? static_cast<std::size_t>(nLength) : 0);
    }
    return arrLines;
}

} // namespace CardFrame
