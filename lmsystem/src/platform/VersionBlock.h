// SPDX-License-Identifier: LGPL-2.1-or-later
// Reading a VS_VERSIONINFO block: node layout, lookup by path and the 8-bit copies of its texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lmsys {

// One node of a block: a header (length, value length, type), a NUL-terminated UTF-16 key,
// a value and child nodes, each part starting on a 32-bit boundary of the block.
struct VersionNode
{
    std::size_t nOffset = 0;
    std::size_t nEnd = 0; // offset + declared length
    std::size_t nKeyOffset = 0;
    std::size_t nKeyUnits = 0; // without the terminator
    std::size_t nValueOffset = 0;
    std::size_t nValueBytes = 0; // as declared, cut at the node's end
    std::uint16_t wType = 0;     // 1: text (value length counts 16-bit units), 0: binary
    std::size_t nChildOffset = 0;
};

constexpr std::size_t kVersionNodeHeaderSize = 6;

// Reads the node at `offset`, which must lie wholly inside [offset, limit) of `block`.
// False for a node whose length or key does not fit.
bool ParseVersionNode(const std::uint8_t* block, std::size_t limit, std::size_t offset,
                      VersionNode* node);

// Checks the root node of a raw block (key "VS_VERSION_INFO") and gives its length,
// which is the number of bytes of `block` that belong to it.
bool CheckVersionRoot(const std::uint8_t* block, std::size_t size, std::size_t* rootLength);

// Lookup path of "\A\B\C" form (empty components ignored, keys compared without regard to
// ASCII case): the node reached. False when a component isn't found.
bool FindVersionNode(const std::uint8_t* block, std::size_t rootLength, const char* path,
                     VersionNode* node);

// The text of a UTF-16LE value, up to its first NUL, as UTF-8; unpaired surrogates become
// U+FFFD.
std::string Utf16ToUtf8(const std::uint8_t* units, std::size_t unitCount);

// The 8-bit block handed to callers: the raw block, then room for a UTF-8 copy of every text
// value. The copy of a value at raw offset o lives at o * 3 / 2 of the text area, so copies
// never overlap and need no index; its last byte always stays 0.
std::size_t AnsiBlockSize(std::size_t rootLength);

// Writes the 8-bit block of a raw block (checked with CheckVersionRoot) into `out`, which
// holds AnsiBlockSize(rootLength) bytes.
void BuildAnsiBlock(const std::uint8_t* raw, std::size_t rootLength, std::uint8_t* out);

// Looks `path` up in an 8-bit block: binary values point into the raw block, text values to
// their UTF-8 copy (length: bytes including the terminator, 0 for an empty value).
bool QueryAnsiBlock(const std::uint8_t* block, const char* path, const void** value,
                    std::size_t* length);

} // namespace lmsys
