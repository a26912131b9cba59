// SPDX-License-Identifier: LGPL-2.1-or-later
// Byte helpers shared by the LmVarData test files.
#pragma once

#include <LmVarData/Archive.h>
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

template <class T> Bytes ArchiveOf(T& object)
{
    Bytes bytes;
    CArchive archive(bytes, CArchive::store);
    object.Serialize(archive);
    return bytes;
}

inline Bytes RecordOf(CVarData& value)
{
    Bytes bytes(value.GetLength() + 11u);
    bytes.resize(static_cast<std::size_t>(
        value.GetSerializeData(bytes.data(), static_cast<int>(bytes.size()))));
    return bytes;
}

// A value with an arbitrary type code, as only the record reader can make one.
inline CVarData WithCode(unsigned char code)
{
    unsigned char record[] = {0xAA, 0x55, 1, 0, 0, 0, code, 1, 0, 0x7F, 0x55, 0xAA};
    CVarData value;
    value.SetSerializeData(record, sizeof record);
    return value;
}

// Readable names for parameterised cases that carry a name field.
template <class Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
