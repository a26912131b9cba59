// SPDX-License-Identifier: LGPL-2.1-or-later
// Test images: minimal PE and ELF files around a version block, and a scratch directory.
#include "ImageBuilders.h"

#include <atomic>
#include <fstream>
#include <stdexcept>

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace lmsys::test {

namespace {

std::size_t Align(std::size_t n, std::size_t alignment)
{
    return (n + alignment - 1) / alignment * alignment;
}

void Put64(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value)
{
    Put32(bytes, offset, static_cast<std::uint32_t>(value));
    Put32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

// A resource directory with `entries` (name, offset) pairs at `at` of the section.
void PutDirectory(std::vector<std::uint8_t>& s, std::size_t at, std::uint16_t named,
                  const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries)
{
    Put16(s, at + 12, named);
    Put16(s, at + 14, static_cast<std::uint32_t>(entries.size() - named));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Put32(s, at + 16 + 8 * i, entries[i].first);
        Put32(s, at + 20 + 8 * i, entries[i].second);
    }
}

} // namespace

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    Put16(bytes, offset, value & 0xFFFF);
    Put16(bytes, offset + 2, value >> 16);
}

PeImage BuildPe(const std::vector<std::uint8_t>& block, const PeOptions& options)
{
    constexpr std::uint32_t kDirectory = 0x80000000u;
    constexpr std::uint32_t kSectionRva = 0x1000;
    constexpr std::size_t kRawOffset = 0x200;

    // The resource section: type, name and language levels, the data entry, the name string,
    // then the block.
    std::vector<std::uint8_t> rsrc(128 + Align(block.size(), 4));
    PutDirectory(rsrc, 0, 0, {{3, kDirectory | 32}, {16, kDirectory | 32}});
    const std::uint32_t name = options.bNamedEntry ? kDirectory | 96 : 1;
    PutDirectory(rsrc, 32, options.bNamedEntry ? 1 : 0, {{name, kDirectory | 56}});
    PutDirectory(rsrc, 56, 0, {{options.wLanguage, 80}});
    Put32(rsrc, 80, kSectionRva + 128);
    Put32(rsrc, 84, static_cast<std::uint32_t>(block.size()));
    const std::u16string label = u"VERSION";
    Put16(rsrc, 96, static_cast<std::uint32_t>(label.size()));
    for (std::size_t i = 0; i < label.size(); ++i)
        Put16(rsrc, 98 + 2 * i, label[i]);
    std::copy(block.begin(), block.end(), rsrc.begin() + 128);

    PeImage image;
    const std::size_t optionalSize = options.b64 ? 240 : 224;
    image.nPeHeader = 0x40;
    image.nOptionalHeader = image.nPeHeader + 24;
    image.nSectionTable = image.nOptionalHeader + optionalSize;
    image.nResourceEntry = image.nOptionalHeader + (options.b64 ? 112 : 96) + 16;
    image.nResources = kRawOffset;
    image.nDataEntry = kRawOffset + 80;
    image.nBlock = kRawOffset + 128;

    std::vector<std::uint8_t>& b = image.bytes;
    b.assign(kRawOffset + Align(rsrc.size(), 0x200), 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, static_cast<std::uint32_t>(image.nPeHeader));
    b[image.nPeHeader] = 'P';
    b[image.nPeHeader + 1] = 'E';
    Put16(b, image.nPeHeader + 4, options.b64 ? 0x8664 : 0x14C);
    Put16(b, image.nPeHeader + 6, 1);
    Put16(b, image.nPeHeader + 20, static_cast<std::uint32_t>(optionalSize));
    Put16(b, image.nPeHeader + 22, options.b64 ? 0x2022 : 0x2102); // executable DLL
    // The fields a system loader checks before it maps an image as data.
    const std::size_t o = image.nOptionalHeader;
    Put16(b, o, options.b64 ? 0x20B : 0x10B);
    if (options.b64)
        Put32(b, o + 28, 0x1); // image base 0x1'0000'0000
    else
        Put32(b, o + 28, 0x10000000);
    Put32(b, o + 32, 0x1000); // section alignment
    Put32(b, o + 36, 0x200);  // file alignment
    Put16(b, o + 40, 6);      // operating system and subsystem version 6.0
    Put16(b, o + 48, 6);
    Put32(b, o + 56, static_cast<std::uint32_t>(kSectionRva + Align(rsrc.size(), 0x1000)));
    Put32(b, o + 60, kRawOffset); // size of headers
    Put16(b, o + 68, 2);          // GUI subsystem
    Put32(b, o + (options.b64 ? 108 : 92), 16);
    Put32(b, image.nResourceEntry, kSectionRva);
    Put32(b, image.nResourceEntry + 4, static_cast<std::uint32_t>(rsrc.size()));
    const std::string sectionName = ".rsrc";
    std::copy(sectionName.begin(), sectionName.end(), b.begin() + image.nSectionTable);
    Put32(b, image.nSectionTable + 8, static_cast<std::uint32_t>(rsrc.size()));
    Put32(b, image.nSectionTable + 12, kSectionRva);
    Put32(b, image.nSectionTable + 16, static_cast<std::uint32_t>(Align(rsrc.size(), 0x200)));
    Put32(b, image.nSectionTable + 20, kRawOffset);
    Put32(b, image.nSectionTable + 36, 0x40000040); // initialised data, readable
    std::copy(rsrc.begin(), rsrc.end(), b.begin() + kRawOffset);
    return image;
}

ElfImage BuildElf(const std::vector<std::uint8_t>& block, bool b64, const std::string& sectionName)
{
    const std::string names = std::string(1, '\0') + sectionName + '\0' + ".shstrtab" + '\0';
    const std::size_t headerSize = b64 ? 64 : 52;
    ElfImage image;
    image.nSectionHeaderSize = b64 ? 64 : 40;
    image.nBlock = Align(headerSize, 8);
    const std::size_t namesOffset = image.nBlock + Align(block.size(), 8);
    image.nSectionTable = Align(namesOffset + names.size(), 8);

    std::vector<std::uint8_t>& b = image.bytes;
    b.assign(image.nSectionTable + 3 * image.nSectionHeaderSize, 0);
    const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(b64 ? 2 : 1),
                                  1,    1};
    std::copy(std::begin(ident), std::end(ident), b.begin());
    Put16(b, 16, 3); // shared object
    Put16(b, 18, b64 ? 62 : 3);
    if (b64) {
        Put64(b, 0x28, image.nSectionTable);
        Put16(b, 0x34, static_cast<std::uint32_t>(headerSize));
        Put16(b, 0x3A, static_cast<std::uint32_t>(image.nSectionHeaderSize));
        Put16(b, 0x3C, 3);
        Put16(b, 0x3E, 2);
    } else {
        Put32(b, 0x20, static_cast<std::uint32_t>(image.nSectionTable));
        Put16(b, 0x28, static_cast<std::uint32_t>(headerSize));
        Put16(b, 0x2E, static_cast<std::uint32_t>(image.nSectionHeaderSize));
        Put16(b, 0x30, 3);
        Put16(b, 0x32, 2);
    }
    std::copy(block.begin(), block.end(), b.begin() + image.nBlock);
    std::copy(names.begin(), names.end(), b.begin() + namesOffset);

    const auto section = [&](std::size_t index, std::uint32_t name, std::uint32_t type,
                             std::size_t offset, std::size_t size) {
        const std::size_t at = image.nSectionTable + index * image.nSectionHeaderSize;
        Put32(b, at, name);
        Put32(b, at + 4, type);
        if (b64) {
            Put64(b, at + 24, offset);
            Put64(b, at + 32, size);
        } else {
            Put32(b, at + 16, static_cast<std::uint32_t>(offset));
            Put32(b, at + 20, static_cast<std::uint32_t>(size));
        }
    };
    section(1, 1, 1, image.nBlock, block.size()); // PROGBITS
    section(2, static_cast<std::uint32_t>(sectionName.size() + 2), 3, namesOffset,
            names.size()); // STRTAB
    return image;
}

ScratchDir::ScratchDir()
{
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("lmsystem-tests-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::string ScratchDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
{
    const std::filesystem::path path = m_path / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("can't write " + path.string());
    return path.string();
}

} // namespace lmsys::test
