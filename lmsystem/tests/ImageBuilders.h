// SPDX-License-Identifier: LGPL-2.1-or-later
// Test images: minimal PE and ELF files around a version block, and a scratch directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lmsys::test {

struct PeOptions
{
    bool b64 = true;
    bool bNamedEntry = false; // the resource's name is a string instead of ID 1
    std::uint16_t wLanguage = 0x0409;
};

// Offsets of the fields that the hostile-image tests change.
struct PeImage
{
    std::vector<std::uint8_t> bytes;
    std::size_t nPeHeader = 0;       // "PE\0\0"
    std::size_t nOptionalHeader = 0; // magic
    std::size_t nResourceEntry = 0;  // data directory 2: RVA, size
    std::size_t nSectionTable = 0;
    std::size_t nResources = 0; // file offset of the resource directory
    std::size_t nDataEntry = 0; // file offset of the data entry: RVA, size
    std::size_t nBlock = 0;     // file offset of the block
};

// A PE32 or PE32+ image with one section ".rsrc": an icon type entry, then RT_VERSION with one
// name and one language, whose data is `block`.
PeImage BuildPe(const std::vector<std::uint8_t>& block, const PeOptions& options = {});

struct ElfImage
{
    std::vector<std::uint8_t> bytes;
    std::size_t nSectionTable = 0;
    std::size_t nSectionHeaderSize = 0;
    std::size_t nBlock = 0;
};

// A little-endian ELF file with the sections null, `sectionName` (holding `block`) and
// ".shstrtab".
ElfImage BuildElf(const std::vector<std::uint8_t>& block, bool b64,
                  const std::string& sectionName = ".lmversion");

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

// A directory of its own under the system's temporary directory, removed with the object.
class ScratchDir
{
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Writes `bytes` to the file `name` and gives its path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path m_path;
};

} // namespace lmsys::test
