// SPDX-License-Identifier: LGPL-2.1-or-later
// Finding version blocks in PE and ELF files, whole, cut short or with hostile headers.
#include "platform/ImageLocator.h"

#include "ImageBuilders.h"
#include "VersionBlockWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lmsys {
namespace {

using test::BuildElf;
using test::BuildPe;
using test::PeImage;
using test::Put16;
using test::Put32;

class ImageLocatorTest : public ::testing::Test
{
protected:
    ImageLocatorTest()
    {
        writer::StandardFields fields;
        writer::ParseVersion("1.10.300.4000", &fields.fileVersion);
        fields.strings = {{"ProductName", "Locator"}};
        m_block = writer::WriteNode(writer::StandardVersionInfo(fields));
    }

    static std::vector<std::uint8_t> Read(const std::vector<std::uint8_t>& bytes)
    {
        return ReadVersionBlock(MemorySource(bytes.data(), bytes.size()));
    }

    std::vector<std::uint8_t> m_block;
};

TEST_F(ImageLocatorTest, FindsBlockInEveryImageKind)
{
    const struct
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } images[] = {
        {"PE32+", BuildPe(m_block).bytes},
        {"PE32", BuildPe(m_block, {false, false, 0x0409}).bytes},
        {"named resource", BuildPe(m_block, {true, true, 0x0409}).bytes},
        {"other language", BuildPe(m_block, {true, false, 0x0804}).bytes},
        {"ELF64", BuildElf(m_block, true).bytes},
        {"ELF32", BuildElf(m_block, false).bytes},
    };
    for (const auto& image : images) {
        SCOPED_TRACE(image.name);
        EXPECT_EQ(Read(image.bytes), m_block);
    }
}

TEST_F(ImageLocatorTest, BlockIsCutToItsRootLength)
{
    std::vector<std::uint8_t> padded = m_block;
    padded.resize(padded.size() + 20, 0xEE);
    EXPECT_EQ(Read(BuildElf(padded, true).bytes), m_block);
}

TEST_F(ImageLocatorTest, FilesWithoutBlockGiveNothing)
{
    std::vector<std::uint8_t> renamedRoot = m_block;
    renamedRoot[6] = 'X';
    auto nobits = BuildElf(m_block, true);
    Put32(nobits.bytes, nobits.nSectionTable + nobits.nSectionHeaderSize + 4, 8);
    auto bigEndian = BuildElf(m_block, true);
    bigEndian.bytes[5] = 2;

    const struct
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } files[] = {
        {"empty", {}},
        {"ELF without section", BuildElf(m_block, true, ".rodata").bytes},
        {"ELF section without data", nobits.bytes},
        {"big-endian ELF", bigEndian.bytes},
        {"block without version root", BuildElf(renamedRoot, false).bytes},
        {"PE without version root", BuildPe(renamedRoot).bytes},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_TRUE(Read(file.bytes).empty());
    }
}

// A file cut anywhere gives the whole block or nothing, never a part of it.
TEST_F(ImageLocatorTest, TruncatedImagesGiveWholeBlockOrNothing)
{
    const PeImage pe32plus = BuildPe(m_block);
    const PeImage pe32 = BuildPe(m_block, {false, true, 0});
    const auto elf64 = BuildElf(m_block, true).bytes;
    const auto elf32 = BuildElf(m_block, false).bytes;
    const struct
    {
        const std::vector<std::uint8_t>& image;
        std::size_t nFirstWhole; // ELF files keep their section table at the end
    } cases[] = {
        {pe32plus.bytes, pe32plus.nBlock + m_block.size()},
        {pe32.bytes, pe32.nBlock + m_block.size()},
        {elf64, elf64.size()},
        {elf32, elf32.size()},
    };
    for (const auto& c : cases) {
        for (std::size_t size = 0; size < c.image.size(); ++size) {
            const std::vector<std::uint8_t> cut(c.image.begin(), c.image.begin() + size);
            const std::vector<std::uint8_t> block = Read(cut);
            if (size < c.nFirstWhole)
                ASSERT_TRUE(block.empty()) << "cut at " << size;
            else
                ASSERT_EQ(block, m_block) << "cut at " << size;
        }
    }
}

TEST_F(ImageLocatorTest, HostilePeHeadersGiveNothing)
{
    const PeImage image = BuildPe(m_block);
    const struct
    {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    } cases[] = {
        {"PE header past the end", [](auto& b) { Put32(b, 0x3C, 0xFFFFFFF0u); }},
        {"65535 sections", [&](auto& b) { Put16(b, image.nPeHeader + 6, 0xFFFF); }},
        {"optional header too small", [&](auto& b) { Put16(b, image.nPeHeader + 20, 100); }},
        {"two data directories", [&](auto& b) { Put32(b, image.nOptionalHeader + 108, 2); }},
        {"resources outside sections", [&](auto& b) { Put32(b, image.nResourceEntry, 0x9000); }},
        {"section data past the end",
         [&](auto& b) { Put32(b, image.nSectionTable + 20, 0xFFFFFF00u); }},
        {"65535 type entries", [&](auto& b) { Put16(b, image.nResources + 14, 0xFFFF); }},
        {"no version type", [&](auto& b) { Put32(b, image.nResources + 24, 6); }},
        {"type level points outside",
         [&](auto& b) { Put32(b, image.nResources + 28, 0xFFFFFFF0u); }},
        {"language level is a directory",
         [&](auto& b) { Put32(b, image.nResources + 56 + 20, 0x80000000u | 56); }},
        {"data outside sections", [&](auto& b) { Put32(b, image.nDataEntry, 0x7FFFFFF0u); }},
        {"data smaller than the block", [&](auto& b) { Put32(b, image.nDataEntry + 4, 16); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = image.bytes;
        c.damage(bytes);
        EXPECT_TRUE(Read(bytes).empty());
    }
}

TEST_F(ImageLocatorTest, OversizedBlockSizesAreCutToTheFile)
{
    PeImage pe = BuildPe(m_block);
    Put32(pe.bytes, pe.nDataEntry + 4, 0xFFFFFFFFu);
    EXPECT_EQ(Read(pe.bytes), m_block);

    test::ElfImage elf = BuildElf(m_block, true);
    const std::size_t size = elf.nSectionTable + elf.nSectionHeaderSize + 32;
    Put32(elf.bytes, size, 0xFFFFFFFFu);
    Put32(elf.bytes, size + 4, 0xFFFFFFFFu);
    EXPECT_EQ(Read(elf.bytes), m_block);
}

TEST_F(ImageLocatorTest, HostileElfHeadersGiveNothing)
{
    const test::ElfImage image = BuildElf(m_block, true);
    const std::size_t block = image.nSectionTable + image.nSectionHeaderSize;
    const struct
    {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    } cases[] = {
        {"section table past the end", [](auto& b) { Put32(b, 0x2C, 0xFFFFFFFFu); }},
        {"name table index out of range", [](auto& b) { Put16(b, 0x3E, 3); }},
        {"name past the name table", [&](auto& b) { Put32(b, block, 0xFFFFFFF0u); }},
        {"block past the end", [&](auto& b) { Put32(b, block + 28, 0x10); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = image.bytes;
        c.damage(bytes);
        EXPECT_TRUE(Read(bytes).empty());
    }
}

} // namespace
} // namespace lmsys
