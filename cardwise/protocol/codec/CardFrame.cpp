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

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The lines described here are short: a header line stays far below 256 characters.
std::string Printf(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void PutU16(unsigned char* p, std::uint16_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}

void PutU32(unsigned char* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutU64(unsigned char* p, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint16_t GetU16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Little-endian number of at most `width` bytes taken from `count` available ones; missing
// high bytes read as zero, so a short item never reaches into the next one.
std::uint64_t GetLittleEndian(const unsigned char* p, std::size_t count, std::size_t width)
{
    std::uint64_t value = 0;
    const std::size_t n = count < width ? count : width;
    for (std::size_t i = 0; i < n; ++i)
        value |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return value;
}

// Width of the numeric types 1 to 10; 0 for the others.
std::size_t NumericWidth(unsigned char type)
{
    switch (type) {
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

bool IsEncodable(unsigned char type)
{
    return type >= VD_char && type <= VD_Buffer;
}

// Bytes a value occupies in its item (excluding the 4-byte item header).
std::size_t EncodedLength(const CVarData& value)
{
    const unsigned char type = value.GetType();
    if (type == VD_string || type == VD_Buffer)
        return value.GetLength();
    return NumericWidth(type);
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
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        PutU32(p, bits);
        break;
    }
    case VD_double: {
        const double d = value.Get_double();
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        PutU64(p, bits);
        break;
    }
    default:
        break;
    }
}

void WriteHeader(unsigned char* p, const CCardFrameHeader& header, std::uint16_t dataLen)
{
    std::memcpy(p, SYNC_BYTES, SYNC_SIZE);
    PutU16(p + 4, header.HeadLen);
    PutU16(p + 6, dataLen);
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
void DecodeValue(CVarData& value, unsigned char type, const unsigned char* p, std::size_t count)
{
    switch (type) {
    case VD_char:
    case VD_BYTE:
    case VD_WORD:
    case VD_int:
    case VD_UINT:
    case VD_long:
    case VD_DWORD:
        value.Set_DWORD(static_cast<unsigned long>(GetLittleEndian(p, count, NumericWidth(type))));
        break;
    case VD_short:
        value.Set_short(static_cast<short>(GetLittleEndian(p, count, 2)));
        break;
    case VD_float: {
        const auto bits = static_cast<std::uint32_t>(GetLittleEndian(p, count, 4));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        value.Set_float(f);
        break;
    }
    case VD_double: {
        const std::uint64_t bits = GetLittleEndian(p, count, 8);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        value.Set_double(d);
        break;
    }
    case VD_string: {
        // The text ends at its zero byte or at the end of the item, whichever comes first.
        char text[VALUE_MAX + 1];
        const void* zero = std::memchr(p, 0, count);
        const std::size_t n =
            zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - p) : count;
        std::memcpy(text, p, n);
        text[n] = '\0';
        value.Set_string(text);
        break;
    }
    default:
        value.Set_Buffer(p, static_cast<unsigned short>(count));
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
    const unsigned int sum = (header.Order & 0xFF) + (header.Order >> 8) + header.Version +
                             (header.Control & 0xFF) + (header.Control >> 8) +
                             (header.CommandId & 0xFF) + (header.CommandId >> 8);
    unsigned char* key = header.Password;
    PutU16(key, static_cast<std::uint16_t>(sum));
    std::memcpy(key + 2, IDENTIFICATION, 10);
    unsigned int keySum = 0;
    for (int i = 0; i < 12; ++i)
        keySum += key[i];
    PutU16(key + 12, static_cast<std::uint16_t>(keySum));
    key[14] = 0x00;
    key[15] = 0xAA;
}

void SetPassword(CCardFrameHeader& header, const char* password)
{
    std::memset(header.Password, 0, PASSWORD_SIZE);
    if (!password)
        return;
    for (int i = 0; i < PASSWORD_SIZE; ++i) {
        header.Password[i] = static_cast<unsigned char>(password[i]);
        if (password[i] == '\0')
            break;
    }
}

int Encode(FrameBuffer& frame, const CCardFrameHeader& header, const CVarDataGroup& values)
{
    // Check everything first so that a refused request leaves no half-written frame behind.
    std::size_t itemBytes = 0;
    const int count = values.GetSize();
    for (int i = 0; i < count; ++i) {
        const CVarData& value = values.GetAt(i);
        if (!IsEncodable(value.GetType()))
            continue;
        const std::size_t length = EncodedLength(value);
        if (length > static_cast<std::size_t>(VALUE_MAX))
            return BUILD_VALUE_TOO_LONG;
        itemBytes += ITEM_HEADER_SIZE + length;
        if (HEADER_SIZE + itemBytes + TRAILER_SIZE > static_cast<std::size_t>(FRAME_MAX))
            return BUILD_FRAME_TOO_LARGE;
    }

    std::size_t offset = HEADER_SIZE;
    for (int i = 0; i < count; ++i) {
        const CVarData& value = values.GetAt(i);
        const unsigned char type = value.GetType();
        if (!IsEncodable(type))
            continue;
        const std::size_t length = EncodedLength(value);
        unsigned char* item = frame + offset;
        PutU16(item, static_cast<std::uint16_t>(value.GetID() & 0xFFFF));
        item[2] = type;
        item[3] = static_cast<unsigned char>(length);
        if (type == VD_string || type == VD_Buffer) {
            const char* bytes = value.Get_string();
            if (bytes)
                std::memcpy(item + ITEM_HEADER_SIZE, bytes, length);
            else
                std::memset(item + ITEM_HEADER_SIZE, 0, length);
        } else {
            WriteNumber(item + ITEM_HEADER_SIZE, value);
        }
        offset += ITEM_HEADER_SIZE + length;
    }
    frame[offset] = 0xFF;
    frame[offset + 1] = 0xFF;
    frame[offset + 2] = 0x00;
    frame[offset + 3] = 0x00;
    const auto dataLen = static_cast<std::uint16_t>(offset - END_MARK_OFFSET_FROM_DATALEN);
    WriteHeader(frame, header, dataLen);
    return static_cast<int>(offset + TRAILER_SIZE);
}

int BuildSearchRequest(FrameBuffer& frame, bool broadcast, const std::tm& localTime)
{
    CCardFrameHeader header;
    SetTime(header, localTime);
    header.CommandId = broadcast ? CMD_SEARCH_BROADCAST : CMD_SEARCH;
    SetSearchKey(header);
    return Encode(frame, header, CVarDataGroup());
}

int BuildSetRequest(FrameBuffer& frame, bool broadcast, const std::tm& localTime,
                    const char* password, const unsigned char* mac, const CVarDataGroup& values)
{
    CCardFrameHeader header;
    SetTime(header, localTime);
    header.CommandId = broadcast ? CMD_SET_PARAMS_BROADCAST : CMD_SET_PARAMS;
    SetPassword(header, password);
    if (mac)
        std::memcpy(header.MAC, mac, MAC_SIZE);
    return Encode(frame, header, values);
}

ParseResult Parse(const unsigned char* data, std::size_t size, CCardFrameHeader& header,
                  CVarDataGroup& values)
{
    header = CCardFrameHeader();
    values.RemoveAll();
    if (!data || size < static_cast<std::size_t>(SYNC_SIZE) ||
        std::memcmp(data, SYNC_BYTES, SYNC_SIZE) != 0)
        return PARSE_BAD_SYNC;
    if (size < static_cast<std::size_t>(HEADER_SIZE)) {
        header.HeadLen = 0;
        header.DataLen = 0;
        header.SrcAddr = 0;
        return PARSE_TRUNCATED_HEADER;
    }
    ReadHeader(data, header);

    std::size_t pos = SYNC_SIZE + static_cast<std::size_t>(header.HeadLen);
    long budget = header.DataLen;
    CVarData value;
    while (budget > 0) {
        if (pos + 2 > size)
            return PARSE_TRUNCATED_ITEMS;
        if (data[pos] == 0xFF && data[pos + 1] == 0xFF)
            break;
        if (pos + ITEM_HEADER_SIZE > size)
            return PARSE_TRUNCATED_ITEMS;
        const std::uint16_t item = GetU16(data + pos);
        const unsigned char type = data[pos + 2];
        const std::size_t length = data[pos + 3];
        if (length > size - pos - ITEM_HEADER_SIZE)
            return PARSE_TRUNCATED_ITEMS;
        DecodeValue(value, type, data + pos + ITEM_HEADER_SIZE, length);
        value.SetID(MakeValueId(header.CommandId, item));
        values.Add(value);
        budget -= static_cast<long>(ITEM_HEADER_SIZE + length);
        pos += ITEM_HEADER_SIZE + length;
    }
    return PARSE_OK;
}

const char* ParseResultText(ParseResult result)
{
    switch (result) {
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

const char* CommandText(std::uint16_t command)
{
    switch (command) {
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
    char password[PASSWORD_SIZE * 3 + 1];
    for (int i = 0; i < PASSWORD_SIZE; ++i)
        std::snprintf(password + 3 * i, 4, "%02X ", header.Password[i]);
    const unsigned char* mac = header.MAC;
    return {
        Printf("Pdu HeadLen------>%d DataLen------>%d Order------>%d", header.HeadLen,
               header.DataLen, header.Order),
        Printf("Pdu Version------>%d Control------>%d CommandId------>%d", header.Version,
               header.Control, header.CommandId),
        Printf("SrcAddr------>%d DestAddr------>%d Password:%s", header.SrcAddr, header.DestAddr,
               password),
        Printf("Mac ADDR:%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
               mac[5]),
    };
}

std::vector<std::string> DescribeItems(const CVarDataGroup& values)
{
    std::vector<std::string> lines;
    lines.push_back(Printf("nSize=[%d]", values.GetSize()));
    std::vector<char> line;
    for (int i = 0; i < values.GetSize(); ++i) {
        const CVarData& value = values.GetAt(i);
        // Room for the whole line: a text of the value's length, or a number of at most
        // 309 digits (a double), and the names around it.
        line.resize(static_cast<std::size_t>(value.GetLength()) + 512);
        const int length = value.Format(line.data());
        lines.emplace_back(line.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    }
    return lines;
}

} // namespace CardFrame
