// SPDX-License-Identifier: GPL-3.0-or-later
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

std::tm LocalTime(int nMonth, int nHour, int nMinute, int nSecond)
{
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = nMonth - 1;
    t.tm_mday = 1;
    t.tm_hour = nHour;
    t.tm_min = nMinute;
    t.tm_sec = nSecond;
    return t;
}

// An IPv4 address in network byte order, as the dotted-quad parser gives it.
unsigned long Address(unsigned char a, unsigned char b, unsigned char c, unsigned char d)
{
    const unsigned char arrOctets[4] = {a, b, c, d};
    std::uint32_t dwValue;
    std::memcpy(&dwValue, arrOctets, sizeof dwValue);
    return dwValue;
}

Bytes Header(std::uint16_t nCommand, std::uint16_t nDataLen, std::uint16_t nHeadLen = 37)
{
    Bytes arrFrame(41, 0);
    const unsigned char arrStart[] = {0xD7, 0x09, 0xD7, 0x09};
    std::memcpy(arrFrame.data(), arrStart, 4);
    arrFrame[4] = static_cast<unsigned char>(nHeadLen);
    arrFrame[5] = static_cast<unsigned char>(nHeadLen >> 8);
    arrFrame[6] = static_cast<unsigned char>(nDataLen);
    arrFrame[7] = static_cast<unsigned char>(nDataLen >> 8);
    arrFrame[13] = static_cast<unsigned char>(nCommand);
    arrFrame[14] = static_cast<unsigned char>(nCommand >> 8);
    const unsigned char arrMac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(arrFrame.data() + 35, arrMac, 6);
    return arrFrame;
}

// A received frame: header, items, end mark and trailer, DataLen matching the items.
Bytes Frame(std::uint16_t nCommand, const Bytes& arrItems)
{
    Bytes arrFrame = Header(nCommand, static_cast<std::uint16_t>(arrItems.size() + 2));
    arrFrame.insert(arrFrame.end(), arrItems.begin(), arrItems.end());
    arrFrame.insert(arrFrame.end(), {0xFF, 0xFF, 0x00, 0x00});
    return arrFrame;
}

Bytes Built(const unsigned char* pFrame, int nLength)
{
    return nLength > 0 ? Bytes(pFrame, pFrame + nLength) : Bytes();
}

} // namespace

class CardFrameTest : public ::testing::Test
{
protected:
    // Parses a heap copy of exactly the given bytes, so any read past them is caught.
    CardFrame::ParseResult Parse(const Bytes& arrBytes)
    {
        std::unique_ptr<unsigned char[]> pCopy(new unsigned char[arrBytes.size() + 1]);
        if (!arrBytes.empty())
            std::memcpy(pCopy.get(), arrBytes.data(), arrBytes.size());
        return CardFrame::Parse(arrBytes.empty() ? nullptr : pCopy.get(), arrBytes.size(), m_header,
                                m_group);
    }

    CardFrame::FrameBuffer m_arrFrame{};
    CCardFrameHeader m_header;
    CVarDataGroup m_group;
};

TEST_F(CardFrameTest, SearchRequestMatchesReferenceFrame)
{
    const int nLength = CardFrame::BuildSearchRequest(m_arrFrame, true, LocalTime(3, 14, 5, 30));

    const Bytes arrExpected = {0xD7, 0x09, 0xD7, 0x09, 0x25, 0x00, 0x02, 0x00, 0x1E, 0x00, 0x03,
                               0x4D, 0x03, 0x01, 0x10, 0x01, 0x00, 0x00, 0x00,
                               // search key: S = 130, "KOVAL-WERK", T = 869, 00 AA
                               0x82, 0x00, 'K', 'O', 'V', 'A', 'L', '-', 'W', 'E', 'R', 'K', 0x65,
                               0x03, 0x00, 0xAA,
                               // MAC, end mark, trailer
                               0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x00, 0x00};
    EXPECT_EQ(Built(m_arrFrame, nLength), arrExpected);
}

TEST_F(CardFrameTest, SearchCommandFollowsTheBroadcastFlag)
{
    // Which target texts count as broadcasts is CardProtocolTest's part.
    for (const bool bBroadcast : {true, false}) {
        const int nLength =
            CardFrame::BuildSearchRequest(m_arrFrame, bBroadcast, LocalTime(12, 23, 59, 59));
        ASSERT_EQ(nLength, 45);
        EXPECT_EQ(m_arrFrame[13] | m_arrFrame[14] << 8, bBroadcast ? 0x1001 : 0x2001);
    }
}

TEST_F(CardFrameTest, SetRequestMatchesReferencePayload)
{
    CVarDataGroup values;
    values.Add(CVarData(Address(192, 168, 1, 100), SET_IP));
    values.Add(CVarData(static_cast<char>(1), SET_RESTART));
    const unsigned char arrMac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

    const int nLength = CardFrame::BuildSetRequest(m_arrFrame, true, LocalTime(3, 14, 5, 30),
                                                   "lemon", arrMac, values);

    ASSERT_EQ(nLength, 58);
    const Bytes arrFrame = Built(m_arrFrame, nLength);
    EXPECT_EQ(Bytes(arrFrame.begin() + 4, arrFrame.begin() + 19),
              Bytes({0x25, 0x00, 0x0F, 0x00, 0x1E, 0x00, 0x03, 0x4D, 0x03, 0x02, 0x10, 0x01, 0x00,
                     0x00, 0x00}));
    EXPECT_EQ(Bytes(arrFrame.begin() + 19, arrFrame.begin() + 35),
              Bytes({'l', 'e', 'm', 'o', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(arrFrame.begin() + 35, arrFrame.begin() + 41), Bytes(arrMac, arrMac + 6));
    EXPECT_EQ(Bytes(arrFrame.begin() + 41, arrFrame.end()),
              Bytes({0x01, 0x00, 0x08, 0x04, 0xC0, 0xA8, 0x01, 0x64, 0x00, 0xFF, 0x01, 0x01, 0x01,
                     0xFF, 0xFF, 0x00, 0x00}));
}

TEST_F(CardFrameTest, SetRequestWithoutEncodableValuesIsBareFrame)
{
    const unsigned char arrMac[] = {1, 2, 3, 4, 5, 6};
    CVarDataGroup onlyEmpty;
    CVarData empty;
    empty.SetID(7);
    onlyEmpty.Add(empty);

    for (const CVarDataGroup& values : {CVarDataGroup(), onlyEmpty}) {
        const int nLength = CardFrame::BuildSetRequest(m_arrFrame, false, LocalTime(1, 0, 0, 0),
                                                       "pw", arrMac, values);
        ASSERT_EQ(nLength, 45);
        EXPECT_EQ(m_arrFrame[6], 2);
        EXPECT_EQ(m_arrFrame[13] | m_arrFrame[14] << 8, 0x2002);
        EXPECT_EQ(Bytes(m_arrFrame + 19, m_arrFrame + 22), Bytes({'p', 'w', 0}));
        EXPECT_EQ(Bytes(m_arrFrame + 35, m_arrFrame + 41), Bytes(arrMac, arrMac + 6));
        EXPECT_EQ(Bytes(m_arrFrame + 41, m_arrFrame + 45), Bytes({0xFF, 0xFF, 0x00, 0x00}));
    }
}

TEST_F(CardFrameTest, PasswordFieldIsCutAtSixteenBytes)
{
    const struct
    {
        const char* pszPassword;
        Bytes arrField;
    } arrCases[] = {
        {"", Bytes(16, 0)},
        {"lemon", {'l', 'e', 'm', 'o', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"fifteen-chars-x",
         {'f', 'i', 'f', 't', 'e', 'e', 'n', '-', 'c', 'h', 'a', 'r', 's', '-', 'x', 0}},
        {"sixteen-chars-xy",
         {'s', 'i', 'x', 't', 'e', 'e', 'n', '-', 'c', 'h', 'a', 'r', 's', '-', 'x', 'y'}},
        {"a-password-of-twenty",
         {'a', '-', 'p', 'a', 's', 's', 'w', 'o', 'r', 'd', '-', 'o', 'f', '-', 't', 'w'}},
    };
    for (const auto& c : arrCases) {
        CCardFrameHeader header;
        std::memset(header.Password, 0x5A, sizeof header.Password);
        CardFrame::SetPassword(header, c.pszPassword);
        EXPECT_EQ(Bytes(header.Password, header.Password + 16), c.arrField) << c.pszPassword;
    }
}

TEST_F(CardFrameTest, EncodesEachTypeByTheTable)
{
    const unsigned char arrBlock[] = {0xDE, 0xAD, 0x00, 0xBE};
    const struct
    {
        CVarData value;
        Bytes arrItem;
    } arrCases[] = {
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
        {CVarData(arrBlock, 4, 0x17), {0x17, 0x00, 12, 4, 0xDE, 0xAD, 0x00, 0xBE}},
        {CVarData(arrBlock, 0, 0x18), {0x18, 0x00, 12, 0}},
        // Only the low 16 bits of the ID travel.
        {CVarData(static_cast<char>(1), 0x1005FF00u), {0x00, 0xFF, 1, 1, 1}},
    };
    for (const auto& c : arrCases) {
        CVarDataGroup values;
        values.Add(c.value);
        const int nLength = CardFrame::Encode(m_arrFrame, CCardFrameHeader(), values);
        Bytes arrExpected = c.arrItem;
        arrExpected.insert(arrExpected.end(), {0xFF, 0xFF, 0x00, 0x00});
        EXPECT_EQ(Bytes(m_arrFrame + 41, m_arrFrame + nLength), arrExpected)
            << "type " << int(c.value.GetType());
        EXPECT_EQ(m_arrFrame[6] | m_arrFrame[7] << 8, static_cast<int>(c.arrItem.size() + 2));
    }
}

TEST_F(CardFrameTest, RefusesValuesThatDoNotFit)
{
    const std::string strLongText(255, 'x');
    const std::vector<unsigned char> arrBlock(255, 0xAB);

    CVarDataGroup tooLong;
    tooLong.Add(CVarData(strLongText.c_str(), 1)); // 255 characters + terminator
    EXPECT_EQ(CardFrame::Encode(m_arrFrame, CCardFrameHeader(), tooLong),
              CardFrame::BUILD_VALUE_TOO_LONG);

    // Five 255-byte blocks and one of 156 bytes fill the frame to exactly 1500 bytes.
    CVarDataGroup full;
    for (unsigned int nId = 1; nId <= 5; ++nId)
        full.Add(CVarData(arrBlock.data(), 255, nId));
    full.Add(CVarData(arrBlock.data(), 156, 6));
    EXPECT_EQ(CardFrame::Encode(m_arrFrame, CCardFrameHeader(), full), 1500);
    EXPECT_EQ(Bytes(m_arrFrame + 1496, m_arrFrame + 1500), Bytes({0xFF, 0xFF, 0x00, 0x00}));

    CVarDataGroup overfull(full);
    overfull.Add(CVarData(arrBlock.data(), 157, 6));
    std::memset(m_arrFrame, 0, sizeof m_arrFrame);
    EXPECT_EQ(CardFrame::Encode(m_arrFrame, CCardFrameHeader(), overfull),
              CardFrame::BUILD_FRAME_TOO_LARGE);
    EXPECT_EQ(m_arrFrame[0], 0) << "a refused request must not be written";
}

TEST_F(CardFrameTest, ParsesHeaderFields)
{
    CardFrame::BuildSearchRequest(m_arrFrame, true, LocalTime(3, 14, 5, 30));

    ASSERT_EQ(Parse(Built(m_arrFrame, 45)), CardFrame::PARSE_OK);
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
    const unsigned long dwDwordType = VD_DWORD;
    const struct
    {
        Bytes arrItem;
        unsigned char nType;
        unsigned long dwNumber; // Get_DWORD of the result
        Bytes arrBytes;         // block or text bytes, for types 11 and 12
    } arrCases[] = {
        {{0x07, 0x00, 1, 1, 0xFF}, dwDwordType, 255, {}},
        {{0x07, 0x00, 2, 1, 0x80}, dwDwordType, 128, {}},
        {{0x07, 0x00, 3, 2, 0xFE, 0xFF}, VD_short, 0xFFFFFFFEul, {}},
        {{0x07, 0x00, 4, 2, 0xFF, 0xFF}, dwDwordType, 65535, {}},
        {{0x07, 0x00, 5, 4, 0xFF, 0xFF, 0xFF, 0xFF}, dwDwordType, 0xFFFFFFFFul, {}},
        {{0x07, 0x00, 6, 4, 0x04, 0x03, 0x02, 0x01}, dwDwordType, 0x01020304ul, {}},
        {{0x07, 0x00, 7, 4, 0x01, 0x00, 0x00, 0x80}, dwDwordType, 0x80000001ul, {}},
        {{0x07, 0x00, 8, 4, 192, 168, 1, 10}, dwDwordType, Address(192, 168, 1, 10), {}},
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
        {{0x07, 0x00, 8, 2, 0x34, 0x12}, dwDwordType, 0x1234, {}},
        {{0x07, 0x00, 8, 0}, dwDwordType, 0, {}},
        {{0x07, 0x00, 2, 3, 0x05, 0xEE, 0xEE}, dwDwordType, 5, {}},
        {{0x07, 0x00, 11, 0}, VD_string, 0, {0}},
        {{0x07, 0x00, 12, 0}, VD_Buffer, 0, {}},
    };
    for (const auto& c : arrCases) {
        Bytes arrItems = c.arrItem;
        arrItems.insert(arrItems.end(), {0x08, 0x00, 2, 1, 0x2A}); // a following item stays intact
        ASSERT_EQ(Parse(Frame(0x1005, arrItems)), CardFrame::PARSE_OK);
        ASSERT_EQ(m_group.GetSize(), 2);
        const CVarData& value = m_group.GetAt(0);
        const std::string strWhat = "type " + std::to_string(c.arrItem[2]);
        EXPECT_EQ(value.GetID(), 0x10050007u) << strWhat;
        EXPECT_EQ(value.GetType(), c.nType) << strWhat;
        if (c.nType == VD_string || c.nType == VD_Buffer) {
            ASSERT_EQ(value.GetLength(), c.arrBytes.size()) << strWhat;
            const char* pszStored = value.Get_string();
            if (!c.arrBytes.empty()) {
                EXPECT_EQ(Bytes(pszStored, pszStored + c.arrBytes.size()), c.arrBytes) << strWhat;
            }
        } else {
            EXPECT_EQ(value.Get_DWORD(), c.dwNumber) << strWhat;
        }
        EXPECT_EQ(m_group.GetAt(1).Get_DWORD(), 42u) << strWhat;
    }
}

TEST_F(CardFrameTest, DecodesMacItemWithCommandInHighBits)
{
    ASSERT_EQ(Parse(Frame(0x1005, {0x01, 0x00, 0x0C, 0x06, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})),
              CardFrame::PARSE_OK);

    ASSERT_EQ(m_group.GetSize(), 1);
    const CVarData& mac = m_group.GetAt(0);
    EXPECT_EQ(mac.GetID(), 0x10050001u);
    unsigned char arrBytes[6];
    ASSERT_EQ(mac.Get_Buffer(arrBytes, 6), 6);
    EXPECT_EQ(Bytes(arrBytes, arrBytes + 6), Bytes({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
}

TEST_F(CardFrameTest, RepeatedItemReplacesEarlierInPlace)
{
    const Bytes arrItems = {0x02, 0x00, 8, 4, 10, 0, 0, 5, 0x03, 0x00, 8, 4, 255, 255, 0,   0,
                            0x04, 0x00, 8, 4, 10, 0, 0, 1, 0x03, 0x00, 8, 4, 255, 255, 255, 0};
    ASSERT_EQ(Parse(Frame(0x2005, arrItems)), CardFrame::PARSE_OK);

    ASSERT_EQ(m_group.GetSize(), 3);
    EXPECT_EQ(m_group.GetAt(1).GetID(), 0x20050003u);
    EXPECT_EQ(m_group.GetAt(1).Get_DWORD(), Address(255, 255, 255, 0));
    EXPECT_EQ(m_group.GetAt(2).GetID(), 0x20050004u);
}

TEST_F(CardFrameTest, StopsAtEndMarkOrZeroDataLen)
{
    Bytes arrZeroDataLen = Frame(0x1005, {0x02, 0x00, 2, 1, 9});
    arrZeroDataLen[6] = 0;
    EXPECT_EQ(Parse(arrZeroDataLen), CardFrame::PARSE_OK);
    EXPECT_EQ(m_group.GetSize(), 0);

    Bytes arrEndMarkFirst = Header(0x1005, 7);
    arrEndMarkFirst.insert(arrEndMarkFirst.end(), {0xFF, 0xFF, 0x02, 0x00, 2, 1, 9});
    EXPECT_EQ(Parse(arrEndMarkFirst), CardFrame::PARSE_OK);
    EXPECT_EQ(m_group.GetSize(), 0);

    // The budget ends the walk even without an end mark.
    Bytes arrBudgetSpent = Header(0x1005, 5);
    arrBudgetSpent.insert(arrBudgetSpent.end(), {0x02, 0x00, 2, 1, 9, 0x03, 0x00, 2, 1, 8});
    EXPECT_EQ(Parse(arrBudgetSpent), CardFrame::PARSE_OK);
    EXPECT_EQ(m_group.GetSize(), 1);
}

TEST_F(CardFrameTest, PayloadStartsAfterHeadLen)
{
    Bytes arrFrame = Header(0x1005, 7, 40);
    arrFrame.insert(arrFrame.end(), {0xAA, 0xBB, 0xCC, 0x02, 0x00, 2, 1, 9, 0xFF, 0xFF, 0, 0});

    ASSERT_EQ(Parse(arrFrame), CardFrame::PARSE_OK);
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
    const int nLength = CardFrame::Encode(m_arrFrame, CCardFrameHeader(), values);

    ASSERT_EQ(Parse(Built(m_arrFrame, nLength)), CardFrame::PARSE_OK);
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
    const Bytes arrTwoItems = {0x02, 0x00, 8, 4, 10, 0, 0, 5, 0x03, 0x00, 8, 4, 255, 255, 255, 0};
    Bytes arrHeadLenPastEnd = Frame(0x1005, arrTwoItems);
    arrHeadLenPastEnd[4] = 0xE8;
    arrHeadLenPastEnd[5] = 0x03;
    Bytes arrDataLenPastEnd = Header(0x1005, 0xFFFF);
    arrDataLenPastEnd.insert(arrDataLenPastEnd.end(), arrTwoItems.begin(), arrTwoItems.end());
    Bytes arrSecondItemCut = Header(0x1005, 0x20);
    arrSecondItemCut.insert(arrSecondItemCut.end(), arrTwoItems.begin(), arrTwoItems.end() - 1);
    Bytes arrItemHeaderCut = Header(0x1005, 0x20);
    arrItemHeaderCut.insert(arrItemHeaderCut.end(), arrTwoItems.begin(), arrTwoItems.begin() + 10);
    Bytes arrOneByteLeft = Header(0x1005, 0x20);
    arrOneByteLeft.insert(arrOneByteLeft.end(), arrTwoItems.begin(), arrTwoItems.begin() + 9);
    Bytes arrTextWithoutZero = Header(0x1005, 0x20);
    arrTextWithoutZero.insert(arrTextWithoutZero.end(), {0x0D, 0x00, 11, 3, 'a', 'b', 'c'});
    Bytes arrHeaderCut = Header(0x1005, 2);
    arrHeaderCut.pop_back();
    Bytes arrLengthZeroItems = Header(0x1005, 0x40);
    for (int i = 0; i < 8; ++i)
        arrLengthZeroItems.insert(arrLengthZeroItems.end(),
                                  {static_cast<unsigned char>(i + 1), 0, 12, 0});

    const struct
    {
        const char* pszName;
        Bytes arrFrame;
        CardFrame::ParseResult nResult;
        int nValues;
    } arrCases[] = {
        {"empty", {}, CardFrame::PARSE_BAD_SYNC, 0},
        {"partial sync", {0xD7, 0x09, 0xD7}, CardFrame::PARSE_BAD_SYNC, 0},
        {"wrong sync", Bytes({0xD7, 0x09, 0xD7, 0x0A}), CardFrame::PARSE_BAD_SYNC, 0},
        {"sync only", {0xD7, 0x09, 0xD7, 0x09}, CardFrame::PARSE_TRUNCATED_HEADER, 0},
        {"header cut", arrHeaderCut, CardFrame::PARSE_TRUNCATED_HEADER, 0},
        {"header without payload", Header(0x1005, 2), CardFrame::PARSE_TRUNCATED_ITEMS, 0},
        {"HeadLen past end", arrHeadLenPastEnd, CardFrame::PARSE_TRUNCATED_ITEMS, 0},
        {"DataLen past end", arrDataLenPastEnd, CardFrame::PARSE_TRUNCATED_ITEMS, 2},
        {"second item cut", arrSecondItemCut, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"item header cut", arrItemHeaderCut, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"one byte left", arrOneByteLeft, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"text without zero", arrTextWithoutZero, CardFrame::PARSE_TRUNCATED_ITEMS, 1},
        {"Length 0 items", arrLengthZeroItems, CardFrame::PARSE_TRUNCATED_ITEMS, 8},
    };
    for (const auto& c : arrCases) {
        EXPECT_EQ(Parse(c.arrFrame), c.nResult) << c.pszName;
        EXPECT_EQ(m_group.GetSize(), c.nValues) << c.pszName;
    }
    ASSERT_EQ(Parse(arrTextWithoutZero), CardFrame::PARSE_TRUNCATED_ITEMS);
    EXPECT_STREQ(m_group.GetAt(0).Get_string(), "abc");
}

TEST_F(CardFrameTest, DescribesEveryItemOfAFrame)
{
    // 31 flags, more than a group's own text shows, and a double at its largest.
    Bytes arrItems;
    for (unsigned char nItem = 1; nItem <= 31; ++nItem)
        arrItems.insert(arrItems.end(), {nItem, 0x00, VD_char, 1, 1});
    arrItems.insert(arrItems.end(), {0x20, 0x00, VD_double, 8});
    const double dLargest = 1.7e308;
    unsigned char arrBytes[8];
    std::memcpy(arrBytes, &dLargest, sizeof arrBytes);
    arrItems.insert(arrItems.end(), arrBytes, arrBytes + 8);
    ASSERT_EQ(Parse(Frame(0x1005, arrItems)), CardFrame::PARSE_OK);

    const std::vector<std::string> arrLines = CardFrame::DescribeItems(m_group);
    ASSERT_EQ(arrLines.size(), 33u);
    EXPECT_EQ(arrLines[0], "nSize=[32]");
    EXPECT_EQ(arrLines[31], "ID=[268763167],type=[VD_DWORD],value=[1],length=[4]");
    // 309 digits before the point.
    EXPECT_EQ(arrLines[32].rfind("ID=[268763168],type=[VD_double],value=[", 0), 0u) << arrLines[32];
    EXPECT_EQ(arrLines[32].size(), 40 + 309 + 5 + 11u) << arrLines[32];
    EXPECT_EQ(CardFrame::DescribeHeader(m_header)[3], "Mac ADDR:00-1A-2B-3C-4D-5E");
}
