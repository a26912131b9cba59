// SPDX-License-Identifier: LGPL-2.1-or-later
// Little-endian field access shared by the record and the serialized forms.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lmvardata {

inline std::uint64_t LoadLE(const unsigned char* p, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = width; i-- > 0;)
        v = (v << 8) | p[i];
    return v;
}

inline void StoreLE(unsigned char* p, std::uint64_t v, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) {
        p[i] = static_cast<unsigned char>(v & 0xFF);
        v >>= 8;
    }
}

} // namespace lmvardata
