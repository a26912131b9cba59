// SPDX-License-Identifier: LGPL-2.1-or-later
// libFuzzer target: value and group record readers, and the group archive loader, on
// arbitrary bytes; whatever they accept must write back and render within bounds.
#include <LmVarData/Archive.h>
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Record sizes are known up front, so write into exactly that much.
void WriteBack(CVarDataGroup& group)
{
    std::size_t total = 0;
    for (int i = 0; i < group.GetSize(); ++i)
        total += group.GetAt(i).GetLength() + 11u;
    std::vector<unsigned char> out(total ? total : 1);
    Check(group.GetSerializeData(out.data(), static_cast<int>(total)) == static_cast<int>(total));

    // Room for the head line and the first 30 element lines: a text line is bounded by its
    // text, any other line by a double of 309 digits.
    std::size_t room = 128;
    for (int i = 0; i < group.GetSize() && i < 30; ++i) {
        const CVarData& value = group.GetAt(i);
        room += (value.GetType() == VD_string ? value.GetLength() : 0u) + 512u;
    }
    std::vector<char> text(room);
    const int written = group.Format(text.data());
    Check(written >= 0 && static_cast<std::size_t>(written) < room);
    group.Trace();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int n = static_cast<int>(size);

    // One value record; the copy has the input's exact size so overreads are caught.
    {
        std::vector<unsigned char> bytes(data, data + size);
        CVarData value;
        const int used = value.SetSerializeData(bytes.data(), n);
        Check(used >= 0 && used <= n);
        std::vector<unsigned char> out(value.GetLength() + 11u);
        Check(value.GetSerializeData(out.data(), static_cast<int>(out.size())) ==
              static_cast<int>(out.size()));
        std::vector<char> line((value.GetType() == VD_string ? value.GetLength() : 0u) + 512u);
        const int written = value.Format(line.data());
        Check(written >= 0 && static_cast<std::size_t>(written) < line.size());
        CVarData copy(value);
        Check(copy.GetLength() == value.GetLength());
    }

    // Records back to back into a group.
    {
        std::vector<unsigned char> bytes(data, data + size);
        CVarDataGroup group;
        const int used = group.SetSerializeData(bytes.data(), n);
        Check(used >= 0 && used <= n);
        WriteBack(group);
    }

    // The archive form of a group, then a store and reload of what was read.
    {
        std::vector<unsigned char> bytes(data, data + size);
        CVarDataGroup group;
        CArchive in(bytes, CArchive::load);
        try {
            group.Serialize(in);
        } catch (const CArchiveException&) {
        }
        std::vector<unsigned char> stored;
        {
            CArchive out(stored, CArchive::store);
            group.Serialize(out);
        }
        CVarDataGroup again;
        CArchive reload(stored, CArchive::load);
        again.Serialize(reload);
        Check(again.GetSize() == group.GetSize());

        CVarDataGroup merged;
        merged = group;
        Check(merged.GetSize() <= group.GetSize());
        for (int i = 0; i < merged.GetSize(); ++i)
            Check(merged.GetIndex(merged.GetID(i)) == i);
        if (size > 0)
            group.RemoveByType(data[0]);
        for (int i = 0; i < group.GetSize(); ++i)
            Check(group.GetIndex(group.GetID(i)) < group.GetSize());
        WriteBack(group);
    }
    return 0;
}
