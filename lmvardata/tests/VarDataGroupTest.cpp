// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarDataGroup: add and replace by ID, access, removals, assignment and the ID index.
#include <LmVarData/VarDataGroup.h>

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CVarDataGroupTest : public ::testing::Test
{
protected:
    static CVarDataGroup GroupOfIds(std::initializer_list<unsigned int> ids)
    {
        CVarDataGroup group;
        for (unsigned int id : ids)
            group.Add(static_cast<int>(id) * 10, id);
        return group;
    }

    // IDs 1, 2, 1 holding 100, 200, 300: only the archive reader keeps duplicates.
    static CVarDataGroup GroupWithDuplicates()
    {
        Bytes bytes = {3, 0, 0, 0};
        for (auto [id, value] : {std::pair{1, 100}, std::pair{2, 200}, std::pair{1, 300}}) {
            CVarData v(value, static_cast<unsigned int>(id));
            Bytes one = ArchiveOf(v);
            bytes.insert(bytes.end(), one.begin(), one.end());
        }
        CVarDataGroup loaded;
        CArchive archive(bytes, CArchive::load);
        loaded.Serialize(archive);
        return loaded;
    }

    static void ExpectIndexConsistent(const CVarDataGroup& group)
    {
        for (int i = 0; i < group.GetSize(); ++i)
            EXPECT_EQ(group.GetIndex(group.GetID(i)), i) << "position " << i;
    }
};

} // namespace

TEST_F(CVarDataGroupTest, AddReplacesValueInPlace)
{
    CVarDataGroup group;
    EXPECT_EQ(group.Add(1, 5), 1);
    EXPECT_EQ(group.Add(7UL, 6), 2);
    EXPECT_EQ(group.Add("x", 5), 2);
    EXPECT_STREQ(group.GetAt(0).Get_string(), "x");
    EXPECT_EQ(group.GetAt(1).GetType(), VD_DWORD);
    const unsigned char block[] = {1};
    EXPECT_EQ(group.Add(block, 1, 6), 2);
    EXPECT_EQ(group.GetAt(1).GetType(), VD_Buffer);
}

TEST_F(CVarDataGroupTest, MissesGiveThePersistentPlaceholder)
{
    CVarDataGroup group = GroupOfIds({10});
    const CVarData& placeholder = group.GetAt(-1);
    EXPECT_EQ(&placeholder, &group.GetAt(1));
    EXPECT_EQ(&placeholder, &group[99]);
    EXPECT_EQ(placeholder.GetType(), VD_empty);
    EXPECT_EQ(group.GetID(1), 0xFFFFFFFFu);
    EXPECT_EQ(group.GetIndex(99), -1);

    group[99] = 42; // kept for later misses, never added
    EXPECT_EQ(group[12345].Get_int(), 42);
    EXPECT_EQ(group.GetSize(), 1);
}

TEST_F(CVarDataGroupTest, ReferencesSurviveLaterAdds)
{
    CVarDataGroup group;
    group.Add("first", 1);
    const CVarData& first = group.GetAt(0);
    for (unsigned int id = 2; id < 200; ++id)
        group.Add(static_cast<int>(id), id);
    EXPECT_STREQ(first.Get_string(), "first");
}

TEST_F(CVarDataGroupTest, RemovalsMoveLaterElementsDown)
{
    CVarDataGroup group = GroupOfIds({10, 20, 30});
    EXPECT_EQ(group.RemoveAt(3), -1);
    EXPECT_EQ(group.RemoveAt(-1), -1);
    EXPECT_EQ(group.RemoveAt(0), 2);
    EXPECT_EQ(group.GetIndex(20), 0);
    EXPECT_EQ(group.GetIndex(30), 1);
    EXPECT_EQ(group.GetIndex(10), -1);
    EXPECT_EQ(group.RemoveID(10), -1);
    EXPECT_EQ(group.RemoveID(30), 1);

    EXPECT_EQ(group.RemoveAll(), 1);
    EXPECT_EQ(group.RemoveAll(), 1);
    EXPECT_EQ(group.GetIndex(20), -1);
    EXPECT_EQ(group.Add(5, 20), 1);
}

TEST_F(CVarDataGroupTest, RemoveByTypeRemovesAdjacentMatches)
{
    CVarDataGroup group;
    for (unsigned int id = 1; id <= 6; ++id) {
        if (id == 4 || id == 6)
            group.Add(static_cast<unsigned short>(id), id);
        else
            group.Add(static_cast<unsigned char>(id), id);
    }
    EXPECT_EQ(group.RemoveByType(VD_BYTE), 2);
    EXPECT_EQ(group.GetID(0), 4u);
    EXPECT_EQ(group.GetIndex(5), -1);
    ExpectIndexConsistent(group);
}

TEST_F(CVarDataGroupTest, AddGroupSkipsEmptyValuesAndIdZero)
{
    CVarData empty;
    empty.SetID(3);
    CVarDataGroup other;
    other.Add(empty);
    other.Add(1, 0);
    other.Add(4UL, 4);
    CVarDataGroup group;
    EXPECT_EQ(group.Add(other), 1);
    EXPECT_EQ(group.GetID(0), 4u);
    EXPECT_EQ(group.Add(CVarData(1, 0)), 2); // a single value with ID 0 is added
    EXPECT_EQ(group.Add(group), 2);
}

TEST_F(CVarDataGroupTest, SetAtMovesTheIndexEntry)
{
    CVarDataGroup group = GroupOfIds({10, 20});
    group.SetAt(1, CVarData(5, 99));
    EXPECT_EQ(group.GetIndex(99), 1);
    EXPECT_EQ(group.GetIndex(20), -1);
    group.SetAt(2, CVarData(6, 98));
    EXPECT_EQ(group.GetIndex(98), -1);
}

TEST_F(CVarDataGroupTest, AssignmentCopiesDeeplyAndResizes)
{
    CVarDataGroup source;
    source.Add("abc", 1);
    source.Add(CVarData(2, 0));
    CVarDataGroup target = GroupOfIds({7, 8, 9});
    target = source;
    ASSERT_EQ(target.GetSize(), 2);
    EXPECT_EQ(target.GetIndex(7), -1);
    source[1] = "zzz";
    EXPECT_STREQ(target[1].Get_string(), "abc");

    target = GroupOfIds({1, 2, 3, 4});
    ExpectIndexConsistent(target);
    CVarDataGroup& self = target;
    target = self;
    EXPECT_EQ(target.GetSize(), 4);
    ExpectIndexConsistent(target);
    target = CVarDataGroup();
    EXPECT_EQ(target.IsEmpty(), 1);
}

TEST_F(CVarDataGroupTest, DuplicateIdsMergeOnAssignment)
{
    CVarDataGroup loaded = GroupWithDuplicates();
    ASSERT_EQ(loaded.GetSize(), 3);
    EXPECT_EQ(loaded.GetIndex(1), 2);

    CVarDataGroup copy(loaded);
    ASSERT_EQ(copy.GetSize(), 2);
    EXPECT_EQ(copy.GetAt(0).Get_int(), 300); // first position, last value
    EXPECT_EQ(copy.GetAt(1).Get_int(), 200);
    ExpectIndexConsistent(copy);

    CVarDataGroup& self = loaded;
    loaded = self;
    EXPECT_EQ(loaded.GetSize(), 2);

    CVarDataGroup other = GroupWithDuplicates();
    EXPECT_EQ(other.RemoveAt(0), 2); // the removed element's ID maps nowhere now
    EXPECT_EQ(other.GetIndex(1), -1);
    EXPECT_EQ(other.GetIndex(2), 0);
}

TEST_F(CVarDataGroupTest, IndexStaysConsistentUnderChurn)
{
    // IDs sharing low or high bits, so that probe runs collide and wrap.
    std::vector<unsigned int> ids;
    for (unsigned int i = 0; i < 3000; ++i)
        ids.push_back(i % 2 ? i << 16 : i * 16);
    CVarDataGroup group;
    for (unsigned int id : ids)
        group.Add(static_cast<int>(id), id);
    for (std::size_t i = 0; i < ids.size(); i += 3)
        ASSERT_GT(group.RemoveID(ids[i]), -1);
    EXPECT_EQ(group.GetSize(), 2000);
    ExpectIndexConsistent(group);
    for (std::size_t i = 0; i < ids.size(); i += 3)
        EXPECT_EQ(group.GetIndex(ids[i]), -1);
}
