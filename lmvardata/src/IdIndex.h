// SPDX-License-Identifier: LGPL-2.1-or-later
// CIdIndex: open-addressing map from value ID to group position, sized to what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lmvardata {

class CIdIndex
{
public:
    CIdIndex() = default;
    CIdIndex(const CIdIndex&) = delete;
    CIdIndex& operator=(const CIdIndex&) = delete;
    CIdIndex(CIdIndex&&) noexcept = default;
    CIdIndex& operator=(CIdIndex&&) noexcept = default;

    // The position entered for id, or -1.
    int Find(std::uint32_t id) const
    {
        if (!m_pSlots)
            return -1;
        for (std::uint32_t i = Home(id);; i = (i + 1) & m_nMask) {
            const Slot& s = m_pSlots[i];
            // A free slot whose stale id matches still answers -1, which is right: a free
            // slot ends the probe run.
            if (s.id == id || s.pos < 0)
                return s.pos;
        }
    }

    // Enters or replaces the position of id.
    void Set(std::uint32_t id, int pos);
    void Erase(std::uint32_t id);
    // Makes room for count entries without further growth.
    void Reserve(std::size_t count);
    // Forgets every entry and keeps the table.
    void Clear();
    // Forgets every entry and frees the table.
    void Release();
    std::size_t Capacity() const { return m_pSlots ? m_nMask + 1u : 0u; }

    // Calls fn(id, pos) for every entry; fn returns the new position, or -1 to drop the entry.
    template <class Fn> void Remap(Fn fn);

private:
    struct Slot
    {
        std::uint32_t id;
        std::int32_t pos; // -1: free
    };

    static constexpr std::uint32_t kMinCapacity = 8;

    std::uint32_t Home(std::uint32_t id) const { return (id * 0x9E3779B1u) >> m_nShift; }
    void Rehash(std::uint32_t capacity);
    void EraseSlot(std::uint32_t slot);

    std::unique_ptr<Slot[]> m_pSlots;
    std::uint32_t m_nMask = 0;
    std::uint32_t m_nShift = 32;
    std::uint32_t m_nCount = 0;
};

template <class Fn> void CIdIndex::Remap(Fn fn)
{
    if (!m_pSlots)
        return;
    // Rebuild from the surviving entries: erasing in place would shift unvisited slots.
    const std::uint32_t capacity = m_nMask + 1;
    std::unique_ptr<Slot[]> old = std::move(m_pSlots);
    m_pSlots = std::make_unique<Slot[]>(capacity);
    for (std::uint32_t i = 0; i < capacity; ++i)
        m_pSlots[i].pos = -1;
    m_nCount = 0;
    for (std::uint32_t i = 0; i < capacity; ++i) {
        if (old[i].pos < 0)
            continue;
        const int pos = fn(old[i].id, static_cast<int>(old[i].pos));
        if (pos >= 0)
            Set(old[i].id, pos);
    }
}

} // namespace lmvardata
