// SPDX-License-Identifier: LGPL-2.1-or-later
// Finding the version block in an executable file: PE resources or the ELF section ".lmversion".
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <vector>

namespace lmsys {

// Random access to the bytes of a file or of memory; every read is range-checked.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies `count` bytes at `offset`; false when they are not all there.
    virtual bool Read(std::uint64_t offset, void* out, std::size_t count) const = 0;
};

class MemorySource : public ByteSource
{
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_pData(data), m_nSize(size) {}
    std::uint64_t Size() const override { return m_nSize; }
    bool Read(std::uint64_t offset, void* out, std::size_t count) const override;

private:
    const std::uint8_t* m_pData;
    std::size_t m_nSize;
};

// A regular file; anything else (directory, device, pipe) reads as an empty source.
class FileSource : public ByteSource
{
public:
    explicit FileSource(const char* path);
    std::uint64_t Size() const override { return m_nSize; }
    bool Read(std::uint64_t offset, void* out, std::size_t count) const override;

private:
    mutable std::ifstream m_file;
    std::uint64_t m_nSize = 0;
};

// Where the block lies in the file.
struct BlockLocation
{
    std::uint64_t nOffset = 0;
    std::uint64_t nSize = 0;
};

// The first RT_VERSION resource of a PE32 or PE32+ image, whatever its name and language.
bool FindPeVersionResource(const ByteSource& source, BlockLocation* location);

// The section ".lmversion" of a little-endian ELF32 or ELF64 file.
bool FindElfVersionSection(const ByteSource& source, BlockLocation* location);

// The raw version block of a PE or ELF file, cut to the length of its root node; empty when
// the file has none or the block's root is malformed.
std::vector<std::uint8_t> ReadVersionBlock(const ByteSource& source);

} // namespace lmsys
