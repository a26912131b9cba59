// SPDX-License-Identifier: LGPL-2.1-or-later
// CIdIndex: linear probing with backward-shift deletion, at most 3/4 full.
#include "IdIndex.h"

namespace lmvardata {

void CIdIndex::Rehash(std::uint32_t capacity)
{
    std::unique_ptr<Slot[]> old = std::move(m_pSlots);
    const std::uint32_t oldCapacity = old ? m_nMask + 1 : 0;
    m_pSlots = std::make_unique<Slot[]>(capacity);
    for (std::uint32_t i = 0; i < capacity; ++i)
        m_pSlots[i] = Slot{0, -1};
    m_nMask = capacity - 1;
    m_nShift = 32;
    for (std::uint32_t c = capacity; c > 1; c >>= 1)
        --m_nShift;
    for (std::uint32_t i = 0; i < oldCapacity; ++i) {
        if (old[i].pos < 0)
            continue;
        std::uint32_t j = Home(old[i].id);
        while (m_pSlots[j].pos >= 0)
            j = (j + 1) & m_nMask;
        m_pSlots[j] = old[i];
    }
}

void CIdIndex::Reserve(std::size_t count)
{
    std::uint64_t capacity = m_pSlots ? m_nMask + 1 : kMinCapacity;
    while (count * 4 > capacity * 3)
        capacity *= 2;
    if (!m_pSlots || capacity != m_nMask + 1)
        Rehash(static_cast<std::uint32_t>(capacity));
}

void CIdIndex::Set(std::uint32_t id, int pos)
{
    if (!m_pSlots || (m_nCount + 1) * 4 > (m_nMask + 1) * 3)
        Reserve(m_nCount + 1);
    std::uint32_t i = Home(id);
    while (m_pSlots[i].pos >= 0) {
        if (m_pSlots[i].id == id) {
            m_pSlots[i].pos = pos;
            return;
        }
        i = (i + 1) & m_nMask;
    }
    m_pSlots[i].id = id;
    m_pSlots[i].pos = pos;
    ++m_nCount;
}

void CIdIndex::Erase(std::uint32_t id)
{
    if (!m_pSlots)
        return;
    for (std::uint32_t i = Home(id);; i = (i + 1) & m_nMask) {
        if (m_pSlots[i].pos < 0)
            return;
        if (m_pSlots[i].id == id) {
            EraseSlot(i);
            return;
        }
    }
}

void CIdIndex::EraseSlot(std::uint32_t slot)
{
    // Move later members of the probe run back so that no lookup stops early.
    std::uint32_t hole = slot;
    for (std::uint32_t i = (slot + 1) & m_nMask; m_pSlots[i].pos >= 0; i = (i + 1) & m_nMask) {
        const std::uint32_t home = Home(m_pSlots[i].id);
        // The entry may fill the hole when its home does not lie in (hole, i].
        if (((i - home) & m_nMask) >= ((i - hole) & m_nMask)) {
            m_pSlots[hole] = m_pSlots[i];
            hole = i;
        }
    }
    m_pSlots[hole] = Slot{0, -1};
    --m_nCount;
}

void CIdIndex::Clear()
{
    if (m_pSlots) {
        for (std::uint32_t i = 0; i <= m_nMask; ++i)
            m_pSlots[i] = Slot{0, -1};
    }
    m_nCount = 0;
}

void CIdIndex::Release()
{
    m_pSlots.reset();
    m_nMask = 0;
    m_nShift = 32;
    m_nCount = 0;
}

} // namespace lmvardata
