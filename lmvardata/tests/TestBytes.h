// Byte helpers shared by the LmVarData test files.
#pragma once

#include <LmVarData/Archive.h>
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

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

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
