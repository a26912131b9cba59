// SPDX-License-Identifier: LGPL-2.1-or-later
// Archive form and value-record form of values and groups.
#include <LmVarData/Archive.h>
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include "Bytes.h"
#include "VarDataGroupRecord.h"
#include "VarDataRecord.h"

#include <cstring>
#include <vector>

using lmvardata::LoadLE;
using lmvardata::StoreLE;

namespace {

constexpr unsigned char kHead1 = 0xAA;
constexpr unsigned char kHead2 = 0x55;
constexpr unsigned char kTail1 = 0x55;
constexpr unsigned char kTail2 = 0xAA;
// Markers, ID, type code and length around the data of a value record.
constexpr int kRecordOverhead = 11;

// Bytes of the value storage that the archive form carries for a numeric code.
std::size_t ArchiveWidth(unsigned char type)
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

void StoreValue(const CVarDataRecord& r, CArchive& archive)
{
    unsigned char head[7];
    StoreLE(head, r.m_nID, 4);
    head[4] = r.m_nType;
    StoreLE(head + 5, r.m_nLength, 2);
    archive.Write(head, sizeof head);
    if (r.m_nType == VD_string) {
        if (r.m_nLength > 0)
            archive.Write(r.m_pHeap.get(), r.m_nLength - 1u);
    } else if (r.m_nType == VD_Buffer) {
        archive.Write(r.m_pHeap.get(), r.m_nLength);
    } else {
        archive.Write(r.m_aValue, ArchiveWidth(r.m_nType));
    }
}

void LoadValue(CVarDataRecord& r, CArchive& archive)
{
    unsigned char field[4];
    archive.EnsureRead(field, 4);
    r.m_nID = static_cast<unsigned int>(LoadLE(field, 4));
    // Type code and length are taken together, so a cut-off header never leaves a text or
    // block code without its storage.
    archive.EnsureRead(field, 3);
    const unsigned char type = field[0];
    const auto length = static_cast<unsigned short>(LoadLE(field + 1, 2));
    r.ReleaseHeap();
    if (type == VD_string) {
        // The terminator is not stored; a text cut short by the end of the stream is kept
        // as far as it was read, and a zero byte inside ends it.
        std::vector<char> text(length > 0 ? length - 1u : 0u);
        const std::size_t got = text.empty() ? 0 : archive.Read(text.data(), text.size());
        r.SetText(text.empty() ? "" : text.data(), got > 0 ? strnlen(text.data(), got) : 0);
    } else if (type == VD_Buffer) {
        // Bytes missing at the end of the stream read as zeros.
        std::vector<unsigned char> block(length, 0);
        if (length > 0)
            archive.Read(block.data(), block.size());
        r.SetBlock(block.data(), length);
    } else {
        r.m_nType = type;
        r.m_nLength = length;
        archive.EnsureRead(r.m_aValue, ArchiveWidth(type));
    }
}

} // namespace

// CVarData

void CVarData::Serialize(CArchive& archive)
{
    if (archive.IsStoring())
        StoreValue(*m_pData, archive);
    else
        LoadValue(*m_pData, archive);
}

const CArchive& CVarData::operator<<(CArchive& archive)
{
    Serialize(archive);
    return archive;
}

const CArchive& CVarData::operator>>(CArchive& archive)
{
    Serialize(archive);
    return archive;
}

int CVarData::GetSerializeData(unsigned char* buffer, int size)
{
    const CVarDataRecord& r = *m_pData;
    const int total = r.m_nLength + kRecordOverhead;
    if (size < total)
        return 0;
    buffer[0] = kHead1;
    buffer[1] = kHead2;
    StoreLE(buffer + 2, r.m_nID, 4);
    buffer[6] = r.m_nType;
    StoreLE(buffer + 7, r.m_nLength, 2);
    unsigned char* data = buffer + 9;
    if (r.HoldsHeap()) {
        if (r.m_nLength > 0)
            std::memcpy(data, r.m_pHeap.get(), r.m_nLength);
    } else {
        // The storage has 8 bytes; a longer length (only from a reader) is padded with zeros.
        const std::size_t stored = r.m_nLength < 8 ? r.m_nLength : 8;
        std::memcpy(data, r.m_aValue, stored);
        std::memset(data + stored, 0, r.m_nLength - stored);
    }
    data[r.m_nLength] = kTail1;
    data[r.m_nLength + 1] = kTail2;
    return total;
}

int CVarData::SetSerializeData(unsigned char* buffer, int size)
{
    if (size < 2 || buffer[0] != kHead1 || buffer[1] != kHead2)
        return 0;
    if (size < kRecordOverhead)
        return 2;
    const auto length = static_cast<unsigned short>(LoadLE(buffer + 7, 2));
    if (length + kRecordOverhead > size || buffer[9 + length] != kTail1 ||
        buffer[10 + length] != kTail2)
        return 2;

    CVarDataRecord& r = *m_pData;
    r.m_nID = static_cast<unsigned int>(LoadLE(buffer + 2, 4));
    const unsigned char type = buffer[6];
    const unsigned char* data = buffer + 9;
    if (type == VD_string) {
        // The text runs to the first zero byte, or over all the data when there is none;
        // the result never counts more than the record holds.
        const auto* text = reinterpret_cast<const char*>(data);
        const int newLength = r.SetText(text, strnlen(text, length));
        return (newLength < length ? newLength : length) + kRecordOverhead;
    }
    if (type == VD_Buffer) {
        r.SetBlock(data, length);
        return length + kRecordOverhead;
    }
    r.ReleaseHeap();
    r.m_nType = type;
    r.m_nLength = length;
    if (length <= 8)
        std::memcpy(r.m_aValue, data, length);
    return length + kRecordOverhead;
}

// CVarDataGroup

void CVarDataGroup::Serialize(CArchive& archive)
{
    CVarDataGroupRecord& r = *m_pData;
    if (archive.IsStoring()) {
        unsigned char count[4];
        StoreLE(count, static_cast<std::uint32_t>(r.Size()), 4);
        archive.Write(count, sizeof count);
        for (const auto& value : r.m_arrElements)
            value->Serialize(archive);
        return;
    }
    RemoveAll();
    unsigned char field[4];
    archive.EnsureRead(field, 4);
    const auto count = static_cast<std::int32_t>(static_cast<std::uint32_t>(LoadLE(field, 4)));
    // No reservation from the count: it is untrusted, and every element needs its own bytes.
    for (std::int32_t i = 0; i < count; ++i) {
        auto value = std::make_unique<CVarData>();
        value->Serialize(archive);
        // No merging by ID: a later element of the same ID takes over the index entry.
        r.Append(std::move(value));
    }
}

const CArchive& CVarDataGroup::operator<<(CArchive& archive)
{
    Serialize(archive);
    return archive;
}

const CArchive& CVarDataGroup::operator>>(CArchive& archive)
{
    Serialize(archive);
    return archive;
}

int CVarDataGroup::GetSerializeData(unsigned char* buffer, int size)
{
    int written = 0;
    for (const auto& value : m_pData->m_arrElements)
        written += value->GetSerializeData(buffer + written, size - written);
    return written;
}

int CVarDataGroup::SetSerializeData(unsigned char* buffer, int size)
{
    CVarData scratch;
    int offset = 0;
    while (offset < size) {
        scratch.SetID(0);
        const int used = scratch.SetSerializeData(buffer + offset, size - offset);
        if (used < 1)
            break;
        if (scratch.GetID() != 0)
            m_pData->AddCopy(scratch);
        offset += used;
    }
    return offset;
}
