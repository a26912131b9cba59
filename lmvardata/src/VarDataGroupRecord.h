// SPDX-License-Identifier: LGPL-2.1-or-later
// CVarDataGroupRecord: the private state behind a CVarDataGroup handle.
#pragma once

#include <LmVarData/VarData.h>

#include "IdIndex.h"

#include <cassert>
#include <memory>
#include <vector>

struct CVarDataGroupRecord
{
    virtual ~CVarDataGroupRecord() = default;

    // Each element is a separate heap copy, so references handed out survive later Adds.
    std::vector<std::unique_ptr<CVarData>> m_arrElements;
    // Handed out for positions and IDs not held; keeps what callers write into it.
    CVarData m_placeholder;
    lmvardata::CIdIndex m_index;

    int Size() const { return static_cast<int>(m_arrElements.size()); }
    // Position for id, or -1. Every change of the array remaps the index, so an entry never
    // points outside it.
    int Find(unsigned int id) const
    {
        const int pos = m_index.Find(id);
        assert(pos < Size());
        return pos;
    }
    // Replaces the element that bears the value's ID, or appends a copy.
    void AddCopy(const CVarData& value);
    void Append(std::unique_ptr<CVarData> value);
    void RemoveAt(int position);
};
