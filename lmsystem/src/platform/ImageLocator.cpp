// SPDX-License-Identifier: LGPL-2.1-or-later
// Finding the version block in an executable file: PE resources or the ELF section ".lmversion".
#include "platform/ImageLocator.h"

#include "platform/LittleEndian.h"
#include "platform/VersionBlock.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace lmsys {

namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionInfoId = 1;
constexpr std::uint32_t kHighBit = 0x80000000u;
// A root node's length is 16 bits wide: nothing past that belongs to the block.
constexpr std::uint64_t kMaxBlock = 0xFFFF;

// ---- PE ----

struct PeSection
{
    std::uint32_t nVirtualAddress;
    std::uint32_t nMappedSize; // bytes backed by the file
    std::uint32_t nRawOffset;
};

class PeImage
{
public:
    explicit PeImage(const ByteSource& source) : m_source(source) {}

    // Reads the headers and the section table; gives the resource directory's RVA.
    bool Load(std::uint32_t* resourceRva);

    // Reads `count` bytes at `rva`, which must lie in the file-backed part of one section.
    bool ReadRva(std::uint64_t rva, void* out, std::size_t count) const;

    // File offset of `rva` and the file-backed bytes from there to the end of its section.
    bool MapRva(std::uint64_t rva, std::uint64_t* offset, std::uint64_t* available) const;

private:
    const ByteSource& m_source;
    std::vector<PeSection> m_sections;
};

bool PeImage::Load(std::uint32_t* resourceRva)
{
    std::uint8_t dos[64];
    if (!m_source.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const std::uint64_t peOffset = Le32(dos + 0x3C);
    std::uint8_t coff[24];
    if (!m_source.Read(peOffset, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
        return false;
    const std::size_t sectionCount = Le16(coff + 6);
    const std::size_t optionalSize = Le16(coff + 20);

    std::vector<std::uint8_t> optional(optionalSize);
    if (optionalSize < 2 || !m_source.Read(peOffset + sizeof coff, optional.data(), optionalSize))
        return false;
    std::size_t countOffset = 0;
    std::size_t directoryOffset = 0;
    switch (Le16(optional.data())) {
    case 0x10B: // PE32
        countOffset = 92;
        directoryOffset = 96;
        break;
    case 0x20B: // PE32+
        countOffset = 108;
        directoryOffset = 112;
        break;
    default:
        return false;
    }
    constexpr std::size_t kResourceDirectory = 2;
    const std::size_t resourceEntry = directoryOffset + 8 * kResourceDirectory;
    if (optionalSize < resourceEntry + 8 ||
        Le32(optional.data() + countOffset) <= kResourceDirectory)
        return false;
    *resourceRva = Le32(optional.data() + resourceEntry);
    if (*resourceRva == 0)
        return false;

    constexpr std::size_t kSectionHeader = 40;
    std::vector<std::uint8_t> table(sectionCount * kSectionHeader);
    if (!m_source.Read(peOffset + sizeof coff + optionalSize, table.data(), table.size()))
        return false;
    m_sections.clear();
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* h = table.data() + i * kSectionHeader;
        const std::uint32_t virtualSize = Le32(h + 8);
        const std::uint32_t rawSize = Le32(h + 16);
        // The loader maps the raw bytes up to the virtual size; the rest reads as zeros.
        const std::uint32_t mapped = virtualSize == 0 ? rawSize : std::min(rawSize, virtualSize);
        m_sections.push_back({Le32(h + 12), mapped, Le32(h + 20)});
    }
    return true;
}

bool PeImage::MapRva(std::uint64_t rva, std::uint64_t* offset, std::uint64_t* available) const
{
    for (const PeSection& s : m_sections) {
        if (rva >= s.nVirtualAddress && rva - s.nVirtualAddress < s.nMappedSize) {
            const std::uint64_t delta = rva - s.nVirtualAddress;
            *offset = s.nRawOffset + delta;
            *available = s.nMappedSize - delta;
            return true;
        }
    }
    return false;
}

bool PeImage::ReadRva(std::uint64_t rva, void* out, std::size_t count) const
{
    std::uint64_t offset = 0;
    std::uint64_t available = 0;
    return MapRva(rva, &offset, &available) && count <= available &&
           m_source.Read(offset, out, count);
}

// One level of the resource tree: the target of the first entry that `accept` takes.
template <typename Accept>
bool FindResourceEntry(const PeImage& image, std::uint64_t directoryRva, Accept accept,
                       std::uint32_t* target)
{
    std::uint8_t header[16];
    if (!image.ReadRva(directoryRva, header, sizeof header))
        return false;
    const std::size_t count = static_cast<std::size_t>(Le16(header + 12)) + Le16(header + 14);
    std::vector<std::uint8_t> entries(count * 8);
    if (!image.ReadRva(directoryRva + sizeof header, entries.data(), entries.size()))
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t name = Le32(entries.data() + 8 * i);
        const std::uint32_t offset = Le32(entries.data() + 8 * i + 4);
        if (accept(name, offset)) {
            *target = offset & ~kHighBit;
            return true;
        }
    }
    return false;
}

bool IsId(std::uint32_t name, std::uint32_t id)
{
    return (name & kHighBit) == 0 && name == id;
}

bool IsDirectory(std::uint32_t offset)
{
    return (offset & kHighBit) != 0;
}

// ---- ELF ----

struct ElfSection
{
    std::uint32_t nName;
    std::uint32_t nType;
    std::uint64_t nOffset;
    std::uint64_t nSize;
};

constexpr std::uint32_t kShtNobits = 8;

class ElfImage
{
public:
    explicit ElfImage(const ByteSource& source) : m_source(source) {}
    bool Load();
    std::size_t SectionCount() const { return m_nCount; }
    bool Section(std::size_t index, ElfSection* section) const;
    std::size_t StringIndex() const { return m_nStringIndex; }

private:
    const ByteSource& m_source;
    bool m_b64 = false;
    std::uint64_t m_nTableOffset = 0;
    std::size_t m_nEntrySize = 0;
    std::size_t m_nCount = 0;
    std::size_t m_nStringIndex = 0;
};

bool ElfImage::Load()
{
    std::uint8_t h[64];
    if (!m_source.Read(0, h, 16) ||
        std::memcmp(h,
                    "\x7f"
                    "ELF",
                    4) != 0 ||
        h[5] != 1)
        return false;
    if (h[4] == 2) {
        m_b64 = true;
        if (!m_source.Read(0, h, 64))
            return false;
        m_nTableOffset = Le64(h + 0x28);
        m_nEntrySize = Le16(h + 0x3A);
        m_nCount = Le16(h + 0x3C);
        m_nStringIndex = Le16(h + 0x3E);
    } else if (h[4] == 1) {
        if (!m_source.Read(0, h, 52))
            return false;
        m_nTableOffset = Le32(h + 0x20);
        m_nEntrySize = Le16(h + 0x2E);
        m_nCount = Le16(h + 0x30);
        m_nStringIndex = Le16(h + 0x32);
    } else {
        return false;
    }
    const std::size_t needed = m_b64 ? 64 : 40;
    return m_nEntrySize >= needed && m_nStringIndex < m_nCount && m_nTableOffset <= m_source.Size();
}

bool ElfImage::Section(std::size_t index, ElfSection* section) const
{
    std::uint8_t h[64];
    // The table offset is within the file, so this sum (under 2^32 past it) can't wrap.
    const std::uint64_t offset = m_nTableOffset + static_cast<std::uint64_t>(index) * m_nEntrySize;
    if (!m_source.Read(offset, h, m_b64 ? 64 : 40))
        return false;
    section->nName = Le32(h);
    section->nType = Le32(h + 4);
    section->nOffset = m_b64 ? Le64(h + 24) : Le32(h + 16);
    section->nSize = m_b64 ? Le64(h + 32) : Le32(h + 20);
    return true;
}

} // namespace

bool MemorySource::Read(std::uint64_t offset, void* out, std::size_t count) const
{
    if (offset > m_nSize || count > m_nSize - offset)
        return false;
    if (count > 0)
        std::memcpy(out, m_pData + offset, count);
    return true;
}

FileSource::FileSource(const char* path)
{
    std::error_code error;
    if (path == nullptr || *path == '\0' || !std::filesystem::is_regular_file(path, error))
        return;
    m_file.open(path, std::ios::binary);
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (m_file && !error)
        m_nSize = size;
}

bool FileSource::Read(std::uint64_t offset, void* out, std::size_t count) const
{
    if (offset > m_nSize || count > m_nSize - offset)
        return false;
    m_file.clear();
    m_file.seekg(static_cast<std::streamoff>(offset));
    m_file.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return m_file.gcount() == static_cast<std::streamsize>(count);
}

bool FindPeVersionResource(const ByteSource& source, BlockLocation* location)
{
    PeImage image(source);
    std::uint32_t root = 0;
    if (!image.Load(&root))
        return false;

    // Type, then name, then language; offsets count from the start of the resource directory.
    std::uint32_t names = 0;
    if (!FindResourceEntry(
            image, root,
            [](std::uint32_t name, std::uint32_t offset) {
                return IsId(name, kRtVersion) && IsDirectory(offset);
            },
            &names))
        return false;
    std::uint32_t languages = 0;
    const auto isDirectory = [](std::uint32_t, std::uint32_t offset) {
        return IsDirectory(offset);
    };
    if (!FindResourceEntry(
            image, std::uint64_t{root} + names,
            [](std::uint32_t name, std::uint32_t offset) {
                return IsId(name, kVersionInfoId) && IsDirectory(offset);
            },
            &languages) &&
        !FindResourceEntry(image, std::uint64_t{root} + names, isDirectory, &languages))
        return false;
    // Of several languages, the one the system's loader picks when none is asked for on an
    // English (United States) system: neutral, neutral default, en-US, English, else the first.
    std::uint32_t dataEntry = 0;
    bool bFound = false;
    for (const std::uint32_t language : {0x0000u, 0x0400u, 0x0409u, 0x0009u}) {
        bFound = FindResourceEntry(
            image, std::uint64_t{root} + languages,
            [language](std::uint32_t name, std::uint32_t offset) {
                return IsId(name, language) && !IsDirectory(offset);
            },
            &dataEntry);
        if (bFound)
            break;
    }
    if (!bFound &&
        !FindResourceEntry(
            image, std::uint64_t{root} + languages,
            [](std::uint32_t, std::uint32_t offset) { return !IsDirectory(offset); }, &dataEntry))
        return false;

    std::uint8_t entry[16];
    if (!image.ReadRva(std::uint64_t{root} + dataEntry, entry, sizeof entry))
        return false;
    std::uint64_t offset = 0;
    std::uint64_t available = 0;
    if (!image.MapRva(Le32(entry), &offset, &available))
        return false;
    location->nOffset = offset;
    location->nSize = std::min<std::uint64_t>(Le32(entry + 4), available);
    return true;
}

bool FindElfVersionSection(const ByteSource& source, BlockLocation* location)
{
    ElfImage image(source);
    ElfSection strings;
    if (!image.Load() || !image.Section(image.StringIndex(), &strings) ||
        strings.nType == kShtNobits)
        return false;
    static const char kName[] = ".lmversion";
    for (std::size_t i = 0; i < image.SectionCount(); ++i) {
        ElfSection section;
        char name[sizeof kName];
        if (!image.Section(i, &section) || section.nName >= strings.nSize ||
            strings.nSize - section.nName < sizeof kName || strings.nOffset > source.Size() ||
            !source.Read(strings.nOffset + section.nName, name, sizeof name) ||
            std::memcmp(name, kName, sizeof kName) != 0)
            continue;
        if (section.nType == kShtNobits)
            return false;
        location->nOffset = section.nOffset;
        location->nSize = section.nSize;
        return true;
    }
    return false;
}

std::vector<std::uint8_t> ReadVersionBlock(const ByteSource& source)
{
    BlockLocation location;
    if (!FindPeVersionResource(source, &location) && !FindElfVersionSection(source, &location))
        return {};
    if (location.nOffset > source.Size())
        return {};
    // A size past the file is cut; the root's own length must still fit.
    std::vector<std::uint8_t> block(
        std::min({location.nSize, kMaxBlock, source.Size() - location.nOffset}));
    std::size_t rootLength = 0;
    if (!source.Read(location.nOffset, block.data(), block.size()) ||
        !CheckVersionRoot(block.data(), block.size(), &rootLength))
        return {};
    block.resize(rootLength);
    return block;
}

} // namespace lmsys
