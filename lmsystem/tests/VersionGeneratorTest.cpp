// SPDX-License-Identifier: LGPL-2.1-or-later
// The version blocks the build writes: their layout against a resource compiler's, and the
// block embedded in this program.
#include "platform/ImageLocator.h"
#include "platform/PortableVersion.h"

#include "VersionBlockWriter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lmsys {
namespace {

class VersionGeneratorTest : public ::testing::Test
{
};

TEST_F(VersionGeneratorTest, ParsesOneToFourFields)
{
    const struct
    {
        const char* text;
        bool bValid;
        writer::FourPartVersion version;
    } cases[] = {
        {"1", true, {{1, 0, 0, 0}}},
        {"0.1.0", true, {{0, 1, 0, 0}}},
        {"3.1.12.400", true, {{3, 1, 12, 400}}},
        {"65535.65535.65535.65535", true, {{65535, 65535, 65535, 65535}}},
        {"65536", false, {}},
        {"1.2.3.4.5", false, {}},
        {"1..2", false, {}},
        {"-1", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writer::FourPartVersion version;
        version.n[0] = 77;
        EXPECT_EQ(writer::ParseVersion(c.text, &version), c.bValid);
        if (c.bValid) {
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(version.n[i], c.version.n[i]);
        } else {
            EXPECT_EQ(version.n[0], 77); // left alone
        }
    }
}

#if defined(LMSYS_CROSSCHECK_PE)
// The same fields through the resource script and a resource compiler, linked into a PE image.
TEST_F(VersionGeneratorTest, BlockMatchesResourceCompiler)
{
    std::ifstream generated(LMSYS_CROSSCHECK_BLOCK, std::ios::binary);
    const std::vector<std::uint8_t> block{std::istreambuf_iterator<char>(generated), {}};
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(ReadVersionBlock(FileSource(LMSYS_CROSSCHECK_PE)), block);
}
#endif

TEST_F(VersionGeneratorTest, ThisProgramCarriesItsBlock)
{
    char path[4096];
    ASSERT_GT(portable::GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    DWORD handle = 1;
    const DWORD size = portable::GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<std::uint8_t> block(size);
    EXPECT_EQ(portable::GetFileVersionInfoA(path, 0, size - 1, block.data()), 0);
    ASSERT_EQ(portable::GetFileVersionInfoA(path, 0, size, block.data()), 1);

    const struct
    {
        const char* name;
        std::string strValue;
    } strings[] = {
        {"CompanyName", "Cardwise developers"}, {"FileDescription", "LmSystem tests"},
        {"FileVersion", LMSYS_TEST_VERSION},    {"ProductName", LMSYS_TEST_PRODUCT},
        {"ProductVersion", LMSYS_TEST_VERSION}, {"LegalCopyright", LMSYS_TEST_COPYRIGHT},
    };
    for (const auto& s : strings) {
        SCOPED_TRACE(s.name);
        void* value = nullptr;
        UINT length = 0;
        const std::string key = std::string("\\StringFileInfo\\040904b0\\") + s.name;
        ASSERT_EQ(portable::VerQueryValueA(block.data(), key.c_str(), &value, &length), 1);
        EXPECT_EQ(static_cast<const char*>(value), s.strValue);
        EXPECT_EQ(length, s.strValue.size() + 1);
    }
}

} // namespace
} // namespace lmsys
