// Byte layouts of the requests, the item encoding and decoding tables, and hostile frames.
#include "CardFrame.h"

#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace CardProtocol;
using Bytes = std::vector<unsigned char>;

namespace {

std::tm LocalTime(int month, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = month - 1;
    t.tm_mday = 1;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// An IPv4 address in network byte order, as the dotted-quad parser gives it.
unsigned long Address(unsigned char a, unsigned char b, unsigned char c, unsigned char d)
{
    const unsigned char octets[4] = {a, b, c, d};
    std::uint32_t value;
    std::memcpy(&value, octets, sizeof value);
    return value;
}

Bytes Header(std::uint16_t command, std::uint16_t dataLen, std::uint16_t headLen = 37)
{
    Bytes frame(41, 0);
    const unsigned char start[] = {0xD7, 0x09, 0xD7, 0x09};
    std::memcpy(frame.data(), start, 4);
    frame[4] = static_cast<unsigned char>(headLen);
    frame[5] = static_cast<unsigned char>(headLen >> 8);
    frame[6] = static_cast<unsigned char>(dataLen);
    frame[7] = static_cast<unsigned char>(dataLen >> 8);
    frame[13] = static_cast<unsigned char>(command);
    frame[14] = static_cast<unsigned char>(command >> 8);
    const unsigned char mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(frame.data() + 35, mac, 6);
    return frame;
}

// A received frame: header, items, end mark and trailer, DataLen matching the items.
Bytes Frame(std::uint16_t command, const Bytes& items)
{
    Bytes frame = Header(command, static_cast<std::uint16_t>(items.size() + 2));
    frame.insert(frame.end(), items.begin(), items.end());
    frame.insert(frame.end(), {0xFF, 0xFF, 0x00, 0x00});
    return frame;
}

Bytes Built(const unsigned char* frame, int length)
{
    return length > 0 ? Bytes(frame, frame + length) : Bytes();
}

} // namespace

class CardFrameTest : public ::testing::Test
{
protected:
    // Parses a heap copy of exactly the given bytes, so any read past them is caught.
    CardFrame::ParseResult Parse(const Bytes& bytes)
    {
        std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size() + 1]);
        if (!bytes.empty())
            std::memcpy(copy.get(), bytes.data(), bytes.size());
        return CardFrame::Parse(bytes.empty() ? nullptr : copy.get(), bytes.size(), m_header,
                                m_group);
    }

    CardFrame::FrameBuffer m_frame{};
    CCardFrameHeader m_header;
    CVarDataGroup m_group;
};

TEST_F(CardFrameTest, SearchRequestMatchesReferenceFrame)
{
    const int length = CardFrame::BuildSearchRequest(m_frame, true, LocalTime(3, 14, 5, 30));

    const Bytes expected = {0xD7, 0x09, 0xD7, 0x09, 0x25, 0x00, 0x02, 0x00, 0x1E, 0x00, 0x03, 0x4D,
                            0x03, 0x01, 0x10, 0x01, 0x00, 0x00, 0x00,
                            // search key: S = 130, "KOVAL-WERK", T = 869, 00 AA
                            0x82, 0x00, 'K', 'O', 'V', 'A', 'L', '-', 'W', 'E', 'R', 'K', 0x65,
                            0x03, 0x00, 0xAA,
                            // MAC, end mark, trailer
                            0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x00, 0x00};
    EXPECT_EQ(Built(m_frame, length), expected);
}

TEST_F(CardFrameTest, SearchCommandFollowsTheBroadcastFlag)
{
    // Which target texts count as broadcasts is CardProtocolTest's part.
    for (const bool broadcast : {true, false}) {
        const int length =
            CardFrame::BuildSearchRequest(m_frame, broadcast, LocalTime(12, 23, 59, 59));
        ASSERT_EQ(length, 45);
        EXPECT_EQ(m_frame[13] | m_frame[14] << 8, broadcast ? 0x1001 : 0x2001);
    }
}

TEST_F(CardFrameTest, SetRequestMatchesReferencePayload)
{
    CVarDataGroup values;
    values.Add(CVarData(Address(192, 168, 1, 100), SET_IP));
    values.Add(CVarData(static_cast<char>(1), SET_RESTART));
    const unsigned char mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

    const int length =
        CardFrame::BuildSetRequest(m_frame, true, LocalTime(3, 14, 5, 30), "lemon", mac, values);

    ASSERT_EQ(length, 58);
    const Bytes frame = Built(m_frame, length);
    EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 19),
              Bytes({0x25, 0x00, 0x0F, 0x00, 0x1E, 0x00, 0x03, 0x4D, 0x03, 0x02, 0x10, 0x01, 0x00,
                     0x00, 0x00}));
    EXPECT_EQ(Bytes(frame.begin() + 19, frame.begin() + 35),
              Bytes({'l', 'e', 'm', 'o', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(frame.begin() + 35, frame.begin() + 41), Bytes(mac, mac + 6));
    EXPECT_EQ(Bytes(frame.begin() + 41, frame.end()),
              Bytes({0x01, 0x00, 0x08, 0x04, 0xC0, 0xA8, 0x01, 0x64, 0x00, 0xFF, 0x01, 0x01, 0x01,
                     0xFF, 0xFF, 0x00, 0x00}));
}

TEST_F(CardFrameTest, SetRequestWithoutEncodableValuesIsBareFrame)
{
    const unsigned char mac[] = {1, 2, 3, 4, 5, 6};
    CVarDataGroup onlyEmpty;
    CVarData empty;
    empty.SetID(7);
    onlyEmpty.Add(empty);

    for (const CVarDataGroup& values : {CVarDataGroup(), onlyEmpty}) {
        const int length =
            CardFrame::BuildSetRequest(m_frame, false, LocalTime(1, 0, 0, 0), "pw", mac, values);
        ASSERT_EQ(length, 45);
        EXPECT_EQ(m_frame[6], 2);
        EXPECT_EQ(m_frame[13] | m_frame[14] << 8, 0x2002);
        EXPECT_EQ(Bytes(m_frame + 19, m_frame + 22), Bytes({'p', 'w', 0}));
        EXPECT_EQ(Bytes(m_frame + 35, m_frame + 41), Bytes(mac, mac + 6));
        EXPECT_EQ(Bytes(m_frame + 41, m_frame + 45), Bytes({0xFF, 0xFF, 0x00, 0x00}));
    }
}

TEST_F(CardFrameTest, PasswordFieldIsCutAtSixteenBytes)
{
    const struct
    {
        const char* password;
        Bytes field;
    } cases[] = {
        {"", Bytes(16, 0)},
        {"lemon", {'l', 'e', 'm', 'o', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"fifteen-chars-x",
         {'f', 'i', 'f', 't', 'e', 'e', 'n', '-', 'c', 'h', 'a', 'r', 's', '-', 'x', 0}},
        {"sixteen-chars-xy",
         {'s', 'i', 'x', 't', 'e', 'e', 'n', '-', 'c', 'h', 'a', 'r', 's', '-', 'x', 'y'}},
        {"a-password-of-twenty",
         {'a', '-', 'p', 'a', 's', 's', 'w', 'o', 'r', 'd', '-', 'o', 'f', '-', 't', 'w'}},
    };
    for (const auto& c : cases) {
        CCardFrameHeader header;
        std::memset(header.Password, 0x5A, sizeof header.Password);
        CardFrame::SetPassword(header, c.password);
        EXPECT_EQ(Bytes(header.Password, header.Password + 16), c.field) << c.password;
    }
}

TEST_F(CardFrameTest, EncodesEachTypeByTheTable)
{
    const unsigned char block[] = {0xDE, 0xAD, 0x00, 0xBE};
    const struct
    {
        CVarData value;
        Bytes item;
    } cases[] = {
        {CVarData(static_cast<char>(-1), 0x0B), {0x0B, 0x00, 1, 1, 0xFF}},
        {CVarData(static_cast<unsigned char>(200), 0x0C), {0x0C, 0x00, 2, 1, 0xC8}},
        {CVarData(static_cast<short>(-2), 0x0D), {0x0D, 0x00, 3, 2, 0xFE, 0xFF}},
        {CVarData(static_cast<unsigned short>(0x1234), 0x0E), {0x0E, 0x00, 4, 2, 0x34, 0x12}},
        {CVarData(-2, 0x0F), {0x0F, 0x00, 5, 4, 0xFE, 0xFF, 0xFF, 0xFF}},
        {CVarData(0x01020304u, 0x10), {0x10, 0x00, 6, 4, 0x04, 0x03, 0x02, 0x01}},
        {CVarData(-3L, 0x11), {0x11, 0x00, 7, 4, 0xFD, 0xFF, 0xFF, 0xFF}},
        {CVarData(Address(10, 0, 0, 1), 0x12), {0x12, 0x00, 8, 4, 10, 0, 0, 1}},
        {CVarData(1.5f, 0x13), {0x13, 0x00, 9, 4, 0x00, 0x00, 0xC0, 0x3F}},
        {CVarData(1.5, 0x14), {0x14, 0x00, 10, 8, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
        {CVarData("abc", 0x15), {0x15, 0x00, 11, 4, 'a', 'b', 'c', 0}},
        {CVarData("", 0x16), {0x16, 0x00, 11, 1, 0}},
        {CVarData(block, 4, 0x17), {0x17, 0x00, 12, 4, 0xDE, 0xAD, 0x00, 0xBE}},
        {CVarData(block, 0, 0x18), {0x18, 0x00, 12, 0}},
        // Only the low 16 bits of the ID travel.
        {CVarData(static_cast<char>(1), 0x1005FF00u), {0x00, 0xFF, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        CVarDataGroup values;
        values.Add(c.value);
        const int length = CardFrame::Encode(m_frame, CCardFrameHeader(), values);
        Bytes expected = c.item;
        expected.insert(expected.end(), {0xFF, 0xFF, 0x00, 0x00});
        EXPECT_EQ(Bytes(m_frame + 41, m_frame + length), expected)
            << "type " << int(c.value.GetType());
        EXPECT_EQ(m_frame[6] | m_frame[7] << 8, static_cast<int>(c.item.size() + 2));
    }
}

TEST_F(CardFrameTest, RefusesValuesThatDoNotFit)
{
    const std::string longText(255, 'x');
    const std::vector<unsigned char> block(255, 0xAB);

    CVarDataGroup tooLong;
    tooLong.Add(CVarData(longText.c_str(), 1)); // 255 characters + terminator
    EXPECT_EQ(CardFrame::Encode(m_frame, CCardFrameHeader(), tooLong),
              CardFrame::BUILD_VALUE_TOO_LONG);

    // Five 255-byte blocks and one of 156 bytes fill the frame to exactly 1500 bytes.
    CVarDataGroup full;
    for (unsigned int id = 1; id <= 5; ++id)
        full.Add(CVarData(block.data(), 255, id));
    full.Add(CVarData(block.data(), 156, 6));
    EXPECT_EQ(CardFrame::Encode(m_frame, CCardFrameHeader(), full), 1500);
    EXPECT_EQ(Bytes(m_frame + 1496, m_frame + 1500), Bytes({0xFF, 0xFF, 0x00, 0x00}));

    CVarDataGroup overfull(full);
    overfull.Add(CVarData(block.data(), 157, 6));
    std::memset(m_frame, 0, sizeof m_frame);
    EXPECT_EQ(CardFrame::Encode(m_frame, CCardFrameHeader(), overfull),
              CardFrame::BUILD_FRAME_TOO_LARGE);
    EXPECT_EQ(m_frame[0], 0) << "a refused request must not be written";
}

TEST_F(CardFrameTest, ParsesHeaderFields)
{
    CardFrame::BuildSearchRequest(m_frame, true, LocalTime(3, 14, 5, 30));

    ASSERT_EQ(Parse(Built(m_frame, 45)), CardFrame::PARSE_OK);
    EXPECT_EQ(m_header.HeadLen, 37);
    EXPECT_EQ(m_header.DataLen, 2);
    EXPECT_EQ(m_header.Order, 30);
    EXPECT_EQ(m_header.Version, 3);
    EXPECT_EQ(m_header.Control, 845);
    EXPECT_EQ(m_header.CommandId, 0x1001);
    EXPECT_EQ(m_header.SrcAddr, 1);
    EXPECT_EQ(m_header.DestAddr, 0);
    EXPECT_EQ(m_header.Password[0], 0x82);
    EXPECT_EQ(m_header.Password[15], 0xAA);
    EXPECT_EQ(m_group.GetSize(), 0);
}

TEST_F(CardFrameTest, DecodesEachTypeByTheTable)
{
    const unsigned long dwordType = VD_DWORD;
    const struct
    {
        Bytes item;
        unsigned char type;
        unsigned long number; // Get_DWORD of the result
        Bytes bytes;          // block or text bytes, for types 11 and 12
    } cases[] = {
        {{0x07, 0x00, 1, 1, 0xFF}, dwordType, 255, {}},
        {{0x07, 0x00, 2, 1, 0x80}, dwordType, 128, {}},
        {{0x07, 0x00, 3, 2, 0xFE, 0xFF}, VD_short, 0xFFFFFFFEul, {}},
        {{0x07, 0x00, 4, 2, 0xFF, 0xFF}, dwordType, 65535, {}},
        {{0x07, 0x00, 5, 4, 0xFF, 0xFF, 0xFF, 0xFF}, dwordType, 0xFFFFFFFFul, {}},
        {{0x07, 0x00, 6, 4, 0x04, 0x03, 0x02, 0x01}, dwordType, 0x01020304ul, {}},
        {{0x07, 0x00, 7, 4, 0x01, 0x00, 0x00, 0x80}, dwordType, 0x80000001ul, {}},
        {{0x07, 0x00, 8, 4, 192, 168, 1, 10}, dwordType, Address(192, 168, 1, 10), {}},
        {{0x07, 0x00, 9, 4, 0x00, 0x00, 0x20, 0x41}, VD_float, 10, {}},
        {{0x07, 0x00, 10, 8, 0, 0, 0, 0, 0, 0, 0x24, 0x40}, VD_double, 10, {}},
        {{0x07, 0x00, 11, 4, 'a', 'b', 'c', 0}, VD_string, 0, {'a', 'b', 'c', 0}},
        {{0x07, 0x00, 11, 5, 'a', 0, 'c', 'd', 0}, VD_string, 0, {'a', 0}},
        {{0x07, 0x00, 12, 3, 1, 2, 3}, VD_Buffer, 0, {1, 2, 3}},
        {{0x07, 0x00, 0, 2, 9, 8}, VD_Buffer, 0, {9, 8}},
        {{0x07, 0x00, 13, 1, 7}, VD_Buffer, 0, {7}},
        {{0x07, 0x00, 200, 2, 5, 6}, VD_Buffer, 0, {5, 6}},
        // Items shorter than their type read the missing high bytes as zero and never reach
        // into the next item; Length 0 is an empty value of its type.
        {{0x07, 0x00, 8, 2, 0x34, 0x12}, dwordType, 0x1234, {}},
        {{0x07, 0x00, 8, 0}, dwordType, 0, {}},
        {{0x07, 0x00, 2, 3, 0x05, 0xEE, 0xEE}, dwordType, 5, {}},
        {{0x07, 0x00, 11, 0}, VD_string, 0, {0}},
        {{0x07, 0x00, 12, 0}, VD_Buffer, 0, {}},
    };
    for (const auto& c : cases) {
        Bytes items = c.item;
        items.insert(items.end(), {0x08, 0x00, 2, 1, 0x2A}); // a following item stays intact
        ASSERT_EQ(Parse(Frame(0x1005, items)), CardFrame::PARSE_OK);
        ASSERT_EQ(m_group.GetSize(), 2);
        const CVarData& value = m_group.GetAt(0);
        const std::string what = "type " + std::to_string(c.item[2]);
        EXPECT_EQ(value.GetID(), 0x10050007u) << what;
        EXPECT_EQ(value.GetType(), c.type) << what;
        if (c.type == VD_string || c.type == VD_Buffer) {
            ASSERT_EQ(value.GetLength(), c.bytes.size()) << what;
            const char* stored = value.Get_string();
            if (!c.bytes.empty()) {
                EXPECT_EQ(Bytes(stored, stored + c.bytes.size()), c.bytes) << what;
            }
        } else {
            EXPECT_EQ(value.Get_DWORD(), c.number) << what;
        }
        EXPECT_EQ(m_group.GetAt(1).Get_DWORD(), 42u) << what;
    }
}

TEST_F(CardFrameTest, DecodesMacItemWithCommandInHighBits)
{
    ASSERT_EQ(Parse(Frame(0x1005, {0x01, 0x00, 0x0C, 0x06, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})),
              CardFrame::PARSE_OK);

    ASSERT_EQ(m_group.GetSize(), 1);
    const CVarData& mac = m_group.GetAt(0);
    EXPECT_EQ(mac.GetID(), 0x10050001u);
    unsigned char bytes[6];
    ASSERT_EQ(mac.Get_Buffer(bytes, 6), 6);
    EXPECT_EQ(Bytes(bytes, bytes + 6), Bytes({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
}

TEST_F(CardFrameTest, RepeatedItemReplacesEarlierInPlace)
{
    const Bytes items = {0x02, 0x00, 8, 4, 10, 0, 0, 5, 0x03, 0x00, 8, 4, 255, 255, 0,   0,
                         0x04, 0x00, 8, 4, 10, 0, 0, 1, 0x03, 0x00, 8, 4, 255, 255, 255, 0};
    ASSERT_EQ(Parse(Frame(0x2005, items)), CardFrame::PARSE_OK);

    ASSERT_EQ(m_group.GetSize(), 3);
    EXPECT_EQ(m_group.GetAt(1).GetID(), 0x20050003u);
    EXPECT_EQ(m_group.GetAt(1).Get_DWORD(), Address(255, 255, 255, 0));
    EXPECT_EQ(m_group.GetAt(2).GetID(), 0x20050004u);
}

TEST_F(CardFrameTest, StopsAtEndMarkOrZeroDataLen)
{
    Bytes zeroDataLen = Frame(0x1005, {0x02, 0x00, 2, 1, 9});
    zeroDataLen[6] = 0;
    EXPECT_EQ(Parse(zeroDataLen), CardFrame::PARSE_OK);
    EXPECT_EQ(m_group.GetSize(), 0);

    Bytes endMarkFirst = Header(0x1005, 7);
    endMarkFirst.insert(endMarkFirst.end(), {0xFF, 0xFF, 0x02, 0x00, 2, 1, 9});
    EXPECT_EQ(Parse(endMarkFirst), CardFrame::PARSE_OK);
    EXPECT_EQ(m_group.GetSize(), 0);

    // The budget ends the walk even without an end mark.
    Bytes budgetSpent = Header(0x1005, 5);
    budgetSpent.insert(budgetSpent.end(), {0x02, 0x00, 2, 1, 9, 0x03, 0x00, 2, 1, 8});
    EXPECT_EQ(Parse(budgetSpent), CardFrame::PARSE_OK);
    EXPECT_EQ(m_group.GetSize(), 1);
}

TEST_F(CardFrameTest, PayloadStartsAfterHeadLen)
{
    Bytes frame = Header(0x1005, 7, 40);
    frame.insert(frame.end(), {0xAA, 0xBB, 0xCC, 0x02, 0x00, 2, 1, 9, 0xFF, 0xFF, 0, 0});

    ASSERT_EQ(Parse(frame), CardFrame::PARSE_OK);
    ASSERT_EQ(m_group.GetSize(), 1);
    EXPECT_EQ(m_group.GetAt(0).GetID(), 0x10050002u);
}

TEST_F(CardFrameTest, RoundTripKeepsValuesAndOrder)
{
    CVarDataGroup values;
    values.Add(CVarData(Address(10, 77, 1, 20), SET_IP));
    values.Add(CVarData("secret", SET_GRIDMON_PASSWORD));
    values.Add(CVarData(static_cast<unsigned long>(8080), SET_HTTP_PORT));
    values.Add(CVarData(static_cast<short>(-7), 40));
    values.Add(CVarData(2.25, 41));
    const int length = CardFrame::Encode(m_frame, CCardFrameHeader(), values);

    ASSERT_EQ(Parse(Built(m_frame, length)), CardFrame::PARSE_OK);
    ASSERT_EQ(m_group.GetSize(), 5);
    EXPECT_EQ(m_group.GetAt(0).Get_DWORD(), Address(10, 77, 1, 20));
    EXPECT_STREQ(m_group.GetAt(1).Get_string(), "secret");
    EXPECT_EQ(m_group.GetAt(2).Get_DWORD(), 8080u);
    EXPECT_EQ(m_group.GetAt(3).Get_int(), -7);
    EXPECT_EQ(m_group.GetAt(4).Get_double(), 2.25);
    EXPECT_EQ(m_group.GetAt(4).GetID(), 41u);
}

TEST_F(CardFrameTest, HostileFramesStayWithinTheDatagram)
{
    const Bytes twoItems = {0x02, 0x00, 8, 4, 10, 0, 0, 5, 0x03, 0x00, 8, 4, 255, 255, 255, 0};
    Bytes headLenPastEnd = Frame(0x1005, twoItems);
    headLenPastEnd[4] = 0xE8;
    headLenPastEnd[5] = 0x03;
    Bytes dataLenPastEnd = Header(0x1005, 0xFFFF);
    dataLenPastEnd.insert(dataLenPastEnd.end(), twoItems.begin(), twoItems.end());
    Bytes secondItemCut = Header(0x1005, 0x20);
    secondItemCut.insert(secondItemCut.end(), twoItems.begin(), twoItems.end() - 1);
    Bytes itemHeaderCut = Header(0x1005, 0x20);
    itemHeaderCut.insert(itemHeaderCut.end(), twoItems.begin(), twoItems.begin() + 10);
    Bytes oneByteLeft = Header(0x1005, 0x20);
    oneByteLeft.insert(oneByteLeft.end(), twoItems.begin(), twoItems.begin() + 9);
    Bytes textWithoutZero = Header(0x1005, 0x20);
    textWithoutZero.insert(textWithoutZero.end(), {0x0D, 0x00, 11, 3, 'a', 'b', 'c'});
    Bytes headerCut = Header(0x1005, 2);
    headerCut.pop_back();
    Bytes lengthZeroItems = Header(0x1005, 0x40);
    for (int i = 0; i < 8; ++i)
        lengthZeroItems.insert(lengthZeroItems.end(),
                               {static_cast<unsigned char>(i + 1), 0, 12, 0});

    const struct
    {
        const char* name;
        Bytes frame;
        CardFrame::ParseResult result;
        int values;
    } cases[] = {
        {"empty", {}, CardFrame::PARSE_BAD_SYNC, 0},
        {"partial sync", {0xD7, 0x09, 0xD7}, CardFrame::PARSE_BAD_SYNC, 0},
        {"wrong sync", Bytes({0xD7, 0x09, 0xD7, 0x0A}), CardFrame::PARSE_BAD_SYNC, 0},
        {"sync only", {0xD7, 0x09, 0xD7, 0x09}, CardFrame::PARSE_TRUNCATED_HEADER, 0},
        {"header cut", headerCut, CardFrame::PARSE_TRUNCATED_HEADER, 0},
        {"header without payload", Header(0x1005, 2), CardFrame::PARSE_TRUNCATED_ITEMS, 0},
        {"HeadLen past end", headLenPastEnd, CardFrame::PARSE_TRUNCATED_ITEMS, 0},
        {"DataLen past end", dataLenPastEnd, CardFrame::PARSE_TRUNCATED_ITEMS, 2},
        {"second item cut", secondItemCut, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"item header cut", itemHeaderCut, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"one byte left", oneByteLeft, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"text without zero", textWithoutZero, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"Length 0 items", lengthZeroItems, CardFrame::PARSE_TRUNCATED_ITEMS, 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.frame), c.result) << c.name;
        EXPECT_EQ(m_group.GetSize(), c.values) << c.name;
    }
    ASSERT_EQ(Parse(textWithoutZero), CardFrame::PARSE_TRUNCATED_ITEMS);
    EXPECT_STREQ(m_group.GetAt(0).Get_string(), "abc");
}

TEST_F(CardFrameTest, DescribesEveryItemOfAFrame)
{
    // 31 flags, more than a group's own text shows, and a double at its largest.
    Bytes items;
    for (unsigned char item = 1; item <= 31; ++item)
        items.insert(items.end(), {item, 0x00, VD_char, 1, 1});
    items.insert(items.end(), {0x20, 0x00, VD_double, 8});
    const double largest = 1.7e308;
    unsigned char bytes[8];
    std::memcpy(bytes, &largest, sizeof bytes);
    items.insert(items.end(), bytes, bytes + 8);
    ASSERT_EQ(Parse(Frame(0x1005, items)), CardFrame::PARSE_OK);

    const std::vector<std::string> lines = CardFrame::DescribeItems(m_group);
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(lines[0], "nSize=[32]");
    EXPECT_EQ(lines[31], "ID=[268763167],type=[VD_DWORD],value=[1],length=[4]");
    // 309 digits before the point.
    EXPECT_EQ(lines[32].rfind("ID=[268763168],type=[VD_double],value=[", 0), 0u) << lines[32];
    EXPECT_EQ(lines[32].size(), 40 + 309 + 5 + 11u) << lines[32];
    EXPECT_EQ(CardFrame::DescribeHeader(m_header)[3], "Mac ADDR:00-1A-2B-3C-4D-5E");
}
