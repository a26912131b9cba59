// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarDataRecord: the private state behind a CVarData handle.
#pragma once

#include <LmVarData/VarData.h>

#include <cstddef>
#include <cstdint>
#include <memory>

struct CVarDataRecord
{
    // Longest text whose length (characters + 1) still fits the 16-bit length field.
    static constexpr std::size_t kMaxTextChars = 65534;

    virtual ~CVarDataRecord() = default;

    unsigned int m_nID = 0;
    unsigned char m_nType = VD_empty;
    unsigned short m_nLength = 8;
    // Numbers sit here little-endian in their own width; codes 11 and 12 keep it zeroed.
    unsigned char m_aValue[8] = {};
    // Text (with terminator) or block of exactly m_nLength bytes; held only for codes 11 and 12.
    std::unique_ptr<unsigned char[]> m_pHeap;

    bool HoldsHeap() const { return m_nType == VD_string || m_nType == VD_Buffer; }
    void ReleaseHeap();
    void SetNumber(unsigned char type, std::uint64_t bits, unsigned short width);
    // Stores n characters (cut to kMaxTextChars) plus a terminator; returns the new length.
    // text may point into this record's own text.
    int SetText(const char* text, std::size_t n);
    // Stores count bytes; data may point into this record's own block.
    int SetBlock(const unsigned char* data, unsigned short count);
    void CopyFrom(const CVarDataRecord& other);

    // The stored value seen as a signed 64-bit integer (floating values truncated toward
    // zero; NaN and values outside the range give 0). Texts, blocks and empty values give 0.
    std::int64_t IntegerView() const;
    // The stored value as double; texts, blocks and empty values give 0.
    double FloatView() const;
    float StoredFloat() const;
    double StoredDouble() const;
};
