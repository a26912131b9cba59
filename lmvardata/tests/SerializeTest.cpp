// SPDX-License-Identifier: LGPL-2.1-or-later
// Archive form and value records: byte layouts, round trips and hostile input.
#include <LmVarData/Archive.h>
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace {

struct LayoutCase
{
    const char* name;
    std::function<CVarData()> make;
    Bytes archive;
    Bytes record;
};

int Size(const Bytes& b)
{
    return static_cast<int>(b.size());
}

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name;
}

class CVarDataLayoutTest : public ::testing::TestWithParam<LayoutCase>
{
};

class SerializeTest : public ::testing::Test
{
protected:
    static CVarData LoadValue(Bytes bytes)
    {
        CVarData value;
        CArchive archive(bytes, CArchive::load);
        value.Serialize(archive);
        return value;
    }

    static Bytes Record(unsigned int id, unsigned char code, const Bytes& data)
    {
        Bytes r = {0xAA,
                   0x55,
                   static_cast<unsigned char>(id),
                   static_cast<unsigned char>(id >> 8),
                   static_cast<unsigned char>(id >> 16),
                   static_cast<unsigned char>(id >> 24),
                   code,
                   static_cast<unsigned char>(data.size()),
                   static_cast<unsigned char>(data.size() >> 8)};
        r.insert(r.end(), data.begin(), data.end());
        return Concat({r, {0x55, 0xAA}});
    }

    static Bytes Head(unsigned char id, unsigned char code, unsigned short length)
    {
        return {id,
                0,
                0,
                0,
                code,
                static_cast<unsigned char>(length),
                static_cast<unsigned char>(length >> 8)};
    }
};

} // namespace

TEST_P(CVarDataLayoutTest, WritesAndReadsBackTheBytes)
{
    const LayoutCase& c = GetParam();
    CVarData value = c.make();
    EXPECT_EQ(ArchiveOf(value), c.archive);
    EXPECT_EQ(RecordOf(value), c.record);

    // Either form read back into a value that held a text writes the same bytes again.
    Bytes archiveBytes = c.archive;
    CVarData fromArchive("old", 77);
    CArchive archive(archiveBytes, CArchive::load);
    fromArchive.Serialize(archive);
    EXPECT_EQ(RecordOf(fromArchive), c.record);

    Bytes recordBytes = c.record;
    CVarData fromRecord("old", 77);
    EXPECT_EQ(fromRecord.SetSerializeData(recordBytes.data(), Size(recordBytes)), Size(c.record));
    EXPECT_EQ(ArchiveOf(fromRecord), c.archive);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CVarDataLayoutTest,
    ::testing::Values(
        LayoutCase{"Word", [] { return CVarData(static_cast<unsigned short>(0x1234), 7); },
                   {7, 0, 0, 0, 4, 2, 0, 0x34, 0x12},
                   {0xAA, 0x55, 7, 0, 0, 0, 4, 2, 0, 0x34, 0x12, 0x55, 0xAA}},
        LayoutCase{"Text", [] { return CVarData("AB", 1); },
                   {1, 0, 0, 0, 0x0B, 3, 0, 0x41, 0x42},
                   {0xAA, 0x55, 1, 0, 0, 0, 0x0B, 3, 0, 0x41, 0x42, 0, 0x55, 0xAA}},
        LayoutCase{"Empty", [] { return CVarData(); }, {0, 0, 0, 0, 0x0D, 8, 0},
                   {0xAA, 0x55, 0, 0, 0, 0, 0x0D, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x55, 0xAA}},
        LayoutCase{"Double", [] { return CVarData(1.0, 2); },
                   {2, 0, 0, 0, 0x0A, 8, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F},
                   {0xAA, 0x55, 2, 0, 0, 0, 0x0A, 8, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x55, 0xAA}},
        LayoutCase{"Long", [] { return CVarData(-2L, 0x01020304); },
                   {4, 3, 2, 1, 7, 4, 0, 0xFE, 0xFF, 0xFF, 0xFF},
                   {0xAA, 0x55, 4, 3, 2, 1, 7, 4, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0x55, 0xAA}},
        LayoutCase{"Block",
                   [] {
                       const unsigned char b[] = {0x00, 0xAA, 0x55};
                       return CVarData(b, 3, 6);
                   },
                   {6, 0, 0, 0, 0x0C, 3, 0, 0x00, 0xAA, 0x55},
                   {0xAA, 0x55, 6, 0, 0, 0, 0x0C, 3, 0, 0x00, 0xAA, 0x55, 0x55, 0xAA}},
        LayoutCase{"EmptyBlock", [] { return CVarData(nullptr, 0, 6); }, {6, 0, 0, 0, 0x0C, 0, 0},
                   {0xAA, 0x55, 6, 0, 0, 0, 0x0C, 0, 0, 0x55, 0xAA}}),
    CaseName<LayoutCase>);

TEST_F(SerializeTest, ArchiveKeepsLineBreaksAndFollowsItsDirection)
{
    CVarData value("a\r\nb\n", 4);
    Bytes bytes;
    {
        CArchive out(bytes, CArchive::store);
        value >> out; // stores: the direction comes from the archive
    }
    CVarData back;
    CArchive in(bytes, CArchive::load);
    back << in;
    EXPECT_STREQ(back.Get_string(), "a\r\nb\n");
    EXPECT_EQ(back.GetID(), 4u);
}

TEST_F(SerializeTest, RecordNeedsRoomForAllOfIt)
{
    CVarData value(1.0, 2);
    Bytes buffer(19, 0xCC);
    EXPECT_EQ(value.GetSerializeData(buffer.data(), 18), 0);
    EXPECT_EQ(buffer, Bytes(19, 0xCC));
    EXPECT_EQ(value.GetSerializeData(buffer.data(), 19), 19);
}

TEST_F(SerializeTest, BadRecordsLeaveTheValueUnchanged)
{
    const Bytes good = Record(5, VD_int, {1, 0, 0, 0});
    const struct
    {
        const char* name;
        Bytes bytes;
        int size;
        int expected;
    } cases[] = {
        {"bad head", Concat({{0xAA, 0x54}, Bytes(good.begin() + 2, good.end())}), 15, 0},
        {"swapped tail", Concat({Bytes(good.begin(), good.end() - 2), {0xAA, 0x55}}), 15, 2},
        {"cut off by one", good, 14, 2},
        {"head only", good, 2, 2},
        {"below two bytes", good, 1, 0},
        {"negative size", good, -5, 0},
        {"length past the end", {0xAA, 0x55, 5, 0, 0, 0, 5, 0xFF, 0xFF, 0x55, 0xAA}, 11, 2},
    };
    for (auto c : cases) {
        CVarData value("keep", 3);
        EXPECT_EQ(value.SetSerializeData(c.bytes.data(), c.size), c.expected) << c.name;
        EXPECT_STREQ(value.Get_string(), "keep") << c.name;
        EXPECT_EQ(value.GetID(), 3u) << c.name;
    }
}

TEST_F(SerializeTest, RecordTextRunsToFirstZeroOrOverAllData)
{
    CVarData value;
    Bytes early = Record(1, VD_string, {'a', 0, 'b', 0});
    EXPECT_EQ(value.SetSerializeData(early.data(), Size(early)), 2 + 11);
    EXPECT_STREQ(value.Get_string(), "a");

    // Without a terminator all data bytes are the text; the result stays within the record.
    Bytes unterminated = Record(1, VD_string, {'x', 'y', 'z'});
    EXPECT_EQ(value.SetSerializeData(unterminated.data(), Size(unterminated)), 3 + 11);
    EXPECT_STREQ(value.Get_string(), "xyz");
}

TEST_F(SerializeTest, RecordOfOtherCodeKeepsCodeAndLength)
{
    CVarData value("text", 1);
    Bytes small = Record(2, 200, {1, 2, 3});
    EXPECT_EQ(value.SetSerializeData(small.data(), Size(small)), 14);
    EXPECT_EQ(value.GetType(), 200);
    EXPECT_EQ(value.Get_string(), nullptr);
    EXPECT_EQ(RecordOf(value), small);

    // More data than the 8-byte storage: nothing is copied, and the record written back
    // is padded with zeros instead of reading past the storage.
    Bytes large = Record(2, VD_int, Bytes(12, 0x77));
    CVarData wide;
    EXPECT_EQ(wide.SetSerializeData(large.data(), Size(large)), 23);
    EXPECT_EQ(wide.Get_int(), 0);
    EXPECT_EQ(RecordOf(wide), Record(2, VD_int, Bytes(12, 0)));
}

TEST_F(SerializeTest, ArchiveTextAndBlockEdgeCases)
{
    Bytes zeroLength = Concat({Head(1, VD_string, 0), Head(2, VD_int, 4), {7, 0, 0, 0}});
    CArchive archive(zeroLength, CArchive::load);
    CVarData text, next;
    text.Serialize(archive);
    next.Serialize(archive);
    EXPECT_STREQ(text.Get_string(), "");
    EXPECT_EQ(text.GetLength(), 1);
    EXPECT_EQ(next.Get_int(), 7);

    EXPECT_STREQ(LoadValue(Concat({Head(1, VD_string, 5), {'a', 0, 'c', 'd'}})).Get_string(), "a");
    EXPECT_STREQ(LoadValue(Concat({Head(1, VD_string, 100), {'a', 'b'}})).Get_string(), "ab");

    // Block bytes missing at the end of the stream read as zeros, also when all are missing.
    unsigned char out[4];
    ASSERT_EQ(LoadValue(Concat({Head(1, VD_Buffer, 4), {9, 8}})).Get_Buffer(out, 4), 4);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{9, 8, 0, 0}));
    ASSERT_EQ(LoadValue(Head(1, VD_Buffer, 3)).Get_Buffer(out, 4), 3);
    EXPECT_EQ(Bytes(out, out + 3), Bytes(3, 0));

    // Other codes read no value bytes, whatever their length says.
    CVarData odd = LoadValue(Concat({Head(1, 200, 500), Head(2, VD_BYTE, 1), {0x42}}));
    EXPECT_EQ(odd.GetType(), 200);
    EXPECT_EQ(odd.GetLength(), 500);
    EXPECT_EQ(RecordOf(odd).size(), 511u);
}

TEST_F(SerializeTest, TruncatedArchiveThrowsEndOfFile)
{
    const struct
    {
        const char* name;
        Bytes bytes;
        unsigned int idAfter;
        unsigned char typeAfter;
    } cases[] = {
        {"inside the ID", {1, 0}, 9, VD_string},
        {"inside type and length", {1, 0, 0, 0, VD_int, 4}, 1, VD_string},
        {"inside a number", Concat({Head(1, VD_double, 8), {1, 2, 3}}), 1, VD_double},
    };
    for (auto c : cases) {
        CVarData value("before", 9);
        CArchive archive(c.bytes, CArchive::load);
        EXPECT_THROW(value.Serialize(archive), CArchiveException) << c.name;
        EXPECT_EQ(value.GetID(), c.idAfter) << c.name;
        EXPECT_EQ(value.GetType(), c.typeAfter) << c.name;
    }
}

TEST_F(SerializeTest, GroupArchiveKeepsDuplicatesAndHandlesBadCounts)
{
    CVarDataGroup group;
    EXPECT_EQ(ArchiveOf(group), (Bytes{0, 0, 0, 0}));
    group.Add(5, 5);
    Bytes dup = Concat({{2, 0, 0, 0}, Head(4, VD_BYTE, 1), {1}, Head(4, VD_BYTE, 1), {2}});
    CArchive archive(dup, CArchive::load);
    group.Serialize(archive);
    EXPECT_EQ(group.GetSize(), 2);
    EXPECT_EQ(group.GetIndex(4), 1);
    EXPECT_EQ(ArchiveOf(group), dup);

    Bytes negative = {0xFF, 0xFF, 0xFF, 0xFF};
    CArchive negArchive(negative, CArchive::load);
    group.Serialize(negArchive);
    EXPECT_EQ(group.GetSize(), 0);

    // A count far beyond the data: the elements read stay, the end raises the error.
    Bytes huge = Concat({{0xFF, 0xFF, 0xFF, 0x7F}, Head(4, VD_BYTE, 1), {1}});
    CArchive hugeArchive(huge, CArchive::load);
    EXPECT_THROW(group.Serialize(hugeArchive), CArchiveException);
    EXPECT_EQ(group.GetSize(), 1);
}

TEST_F(SerializeTest, GroupRecordsSkipWhatDoesNotFit)
{
    CVarDataGroup group;
    unsigned char none[1];
    EXPECT_EQ(group.GetSerializeData(none, 1), 0);
    group.Add(1.0, 1);                           // 19 bytes
    group.Add(static_cast<unsigned char>(5), 2); // 12 bytes
    Bytes buffer(31);
    EXPECT_EQ(group.GetSerializeData(buffer.data(), 31), 31);
    EXPECT_EQ(group.GetSerializeData(buffer.data(), 30), 19);
    EXPECT_EQ(group.GetSerializeData(buffer.data(), 12), 12);
    EXPECT_EQ(buffer[2], 2);
}

TEST_F(SerializeTest, GroupRecordsMergeByIdAndSkipIdZero)
{
    Bytes bytes =
        Concat({Record(0, VD_BYTE, {1}), Record(5, VD_BYTE, {2}), Record(5, VD_WORD, {3, 0})});
    CVarDataGroup group;
    group.Add(9, 9);
    EXPECT_EQ(group.SetSerializeData(bytes.data(), Size(bytes)), Size(bytes));
    ASSERT_EQ(group.GetSize(), 2);
    EXPECT_EQ(group[5].GetType(), VD_WORD);
}

TEST_F(SerializeTest, GroupRecordsStepOverBadRecordsAndStopAtBadHead)
{
    // At offset 12 a stray head whose length field runs past the end: 2 bytes are skipped.
    Bytes bytes = Concat({Record(1, VD_BYTE, {1}),
                          {0xAA, 0x55},
                          Record(0xFF000009u, VD_int, {4, 0, 0, 0}),
                          {0x00, 0xAA, 0x55},
                          Record(3, VD_BYTE, {3})});
    CVarDataGroup group;
    EXPECT_EQ(group.SetSerializeData(bytes.data(), Size(bytes)), 12 + 2 + 15);
    ASSERT_EQ(group.GetSize(), 2);
    EXPECT_EQ(group.GetID(1), 0xFF000009u);
}

TEST_F(SerializeTest, ReadersNeverPassTheEndOfTruncatedInput)
{
    CVarDataGroup source;
    source.Add("some text", 1);
    source.Add(2.5, 2);
    const unsigned char block[] = {1, 2, 3, 4, 5};
    source.Add(block, 5, 3);
    source.Add(7, 4); // ends in a fixed-width value, so every cut archive is short of bytes
    Bytes records(200);
    records.resize(static_cast<std::size_t>(source.GetSerializeData(records.data(), 200)));
    const Bytes archived = ArchiveOf(source);

    for (std::size_t n = 0; n <= records.size(); ++n) {
        // Exact-size heap copies let the address sanitizer see any overrun.
        std::unique_ptr<unsigned char[]> copy(new unsigned char[n ? n : 1]);
        std::memcpy(copy.get(), records.data(), n);
        CVarDataGroup group;
        EXPECT_LE(group.SetSerializeData(copy.get(), static_cast<int>(n)), static_cast<int>(n));
    }
    for (std::size_t n = 0; n < archived.size(); ++n) {
        Bytes prefix(archived.begin(), archived.begin() + static_cast<long>(n));
        CVarDataGroup group;
        CArchive archive(prefix, CArchive::load);
        EXPECT_THROW(group.Serialize(archive), CArchiveException) << n;
    }
}
