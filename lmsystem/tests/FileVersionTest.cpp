// SPDX-License-Identifier: LGPL-2.1-or-later
// CLMFileVersion: opening files and the running program, the answers, and every failure step.
#include <LmSystem/FileVersion.h>

#include "platform/PortableVersion.h"
#include "platform/VersionApi.h"

#include "ImageBuilders.h"
#include "VersionBlockWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace lmsys {
namespace {

using writer::BinaryNode;
using writer::Node;
using writer::TextNode;

// The system's operations, except where a test makes one fail.
struct FakeVersionApi
{
    static inline std::string s_strModulePath; // empty: the real one
    static inline bool s_bModulePathFails = false;
    static inline std::string s_strUnreadable; // GetFileVersionInfoA fails for this path
    static inline int s_nModulePathCalls = 0;

    static DWORD LMSYS_WINAPI GetModuleFileNameA(HMODULE module, char* name, DWORD size)
    {
        ++s_nModulePathCalls;
        if (s_bModulePathFails)
            return 0;
        if (s_strModulePath.empty())
            return SystemVersionApi().GetModuleFileNameA(module, name, size);
        const std::size_t copied = std::min<std::size_t>(s_strModulePath.size(), size - 1);
        std::memcpy(name, s_strModulePath.data(), copied);
        name[copied] = '\0';
        return copied < s_strModulePath.size() ? size : static_cast<DWORD>(copied);
    }

    static BOOL LMSYS_WINAPI GetFileVersionInfoA(const char* name, DWORD handle, DWORD length,
                                                 void* data)
    {
        return name != s_strUnreadable &&
               SystemVersionApi().GetFileVersionInfoA(name, handle, length, data);
    }

    static const VersionApi* Install()
    {
        s_strModulePath.clear();
        s_bModulePathFails = false;
        s_strUnreadable.clear();
        s_nModulePathCalls = 0;
        static const VersionApi api = {&GetModuleFileNameA,
                                       SystemVersionApi().GetFileVersionInfoSizeA,
                                       &GetFileVersionInfoA, SystemVersionApi().VerQueryValueA};
        return &api;
    }
};

// What a fixture file's block holds.
struct Fields
{
    std::string strFile = "2.0.0.1";
    std::string strProduct = "2.0.0.2";
    std::vector<std::uint8_t> translations = {0x09, 0x04, 0xB0, 0x04};
    std::string strTable = "040904b0";
};

class CLMFileVersionTest : public ::testing::Test
{
protected:
    void SetUp() override { SetActiveVersionApi(FakeVersionApi::Install()); }
    void TearDown() override { SetActiveVersionApi(nullptr); }

    static Node Root(const Fields& f)
    {
        writer::FourPartVersion file;
        writer::FourPartVersion product;
        writer::ParseVersion(f.strFile, &file);
        writer::ParseVersion(f.strProduct, &product);
        Node table = TextNode(f.strTable, "");
        table.children = {TextNode("ProductName", "Fixture"),
                          TextNode("LegalCopyright", "Copyright fixture")};
        Node strings = TextNode("StringFileInfo", "");
        strings.children = {table};
        Node vars = TextNode("VarFileInfo", "");
        vars.children = {BinaryNode("Translation", f.translations)};
        Node root = BinaryNode("VS_VERSION_INFO", writer::FixedFileInfo(file, product, 1));
        root.children = {strings, vars};
        return root;
    }

    // Fixture files are PE images, which the system's version library reads too.
    std::string File(const std::string& name, const Node& root)
    {
        return m_dir.Write(name + ".dll", test::BuildPe(writer::WriteNode(root)).bytes);
    }
    std::string File(const std::string& name, const Fields& fields = Fields())
    {
        return File(name, Root(fields));
    }
    std::string FileWithoutBlock()
    {
        return m_dir.Write("plain", test::BuildElf({}, true, ".a").bytes);
    }

    test::ScratchDir m_dir;
};

TEST_F(CLMFileVersionTest, RunningProgramAnswersWhenNeverOpenedOrOpenedWithNull)
{
    CLMFileVersion reader;
    EXPECT_STREQ(reader.GetFileVersion(), LMSYS_TEST_VERSION);
    EXPECT_STREQ(reader.GetProductVersion(), LMSYS_TEST_VERSION);
    EXPECT_STREQ(reader.GetProductName(), LMSYS_TEST_PRODUCT);
    EXPECT_STREQ(reader.GetLegalCopyright(), LMSYS_TEST_COPYRIGHT);
    EXPECT_EQ(FakeVersionApi::s_nModulePathCalls, 1); // loaded once, then held

    ASSERT_EQ(reader.Open(File("other").c_str()), 1);
    ASSERT_EQ(reader.Open(nullptr), 1);
    EXPECT_STREQ(reader.GetFileVersion(), LMSYS_TEST_VERSION);
}

TEST_F(CLMFileVersionTest, OpensLibrariesAndPeAndElfFiles)
{
    const std::vector<std::uint8_t> block = writer::WriteNode(Root({}));
    CLMFileVersion reader;
    ASSERT_EQ(reader.Open(LMSYS_LIBRARY_PATH), 1);
    EXPECT_STREQ(reader.GetFileVersion(), LMSYS_LIBRARY_VERSION);
    std::vector<std::string> files = {m_dir.Write("a.exe", test::BuildPe(block).bytes)};
#if !defined(_WIN32)
    files.push_back(m_dir.Write("b.so", test::BuildElf(block, false).bytes));
#endif
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ASSERT_EQ(reader.Open(file.c_str()), 1);
        EXPECT_STREQ(reader.GetFileVersion(), "2.0.0.1");
        EXPECT_STREQ(reader.GetProductVersion(), "2.0.0.2");
        EXPECT_STREQ(reader.GetProductName(), "Fixture");
        EXPECT_STREQ(reader.GetLegalCopyright(), "Copyright fixture");
    }
}

TEST_F(CLMFileVersionTest, VersionFieldsPrintInFullDecimal)
{
    for (const char* version : {"3.1.12.400", "1.10.300.4000", "65535.0.65535.9", "0.0.0.0"}) {
        Fields fields;
        fields.strFile = version;
        fields.strProduct = "1.2.3.4";
        CLMFileVersion reader;
        ASSERT_EQ(reader.Open(File("v", fields).c_str()), 1);
        EXPECT_STREQ(reader.GetFileVersion(), version);
        EXPECT_STREQ(reader.GetProductVersion(), "1.2.3.4");
    }
}

TEST_F(CLMFileVersionTest, OnlyFirstTranslationNamesTheStringTable)
{
    Fields other;
    other.translations = {0x04, 0x08, 0xB0, 0x04, 0x09, 0x04, 0xB0, 0x04}; // 0804, then 0409
    Fields upperCase;
    upperCase.translations = {0x04, 0x08, 0xB0, 0x04};
    upperCase.strTable = "080404B0";

    CLMFileVersion reader;
    ASSERT_EQ(reader.Open(File("other", other).c_str()), 1);
    EXPECT_STREQ(reader.GetProductName(), "");
    EXPECT_STREQ(reader.GetLegalCopyright(), "");
    EXPECT_STREQ(reader.GetFileVersion(), "2.0.0.1");
    EXPECT_STREQ(reader.GetProductVersion(), "2.0.0.2");

    ASSERT_EQ(reader.Open(File("upper", upperCase).c_str()), 1);
    EXPECT_STREQ(reader.GetProductName(), "Fixture");
}

TEST_F(CLMFileVersionTest, OpenWithoutVersionBlockLeavesReaderUnchanged)
{
    CLMFileVersion reader;
    ASSERT_EQ(reader.Open(File("held").c_str()), 1);
    const std::string dir = m_dir.Path().string();
    for (const std::string& path : {FileWithoutBlock(), std::string(), dir + "/missing", dir}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(reader.Open(path.c_str()), 0);
        EXPECT_STREQ(reader.GetFileVersion(), "2.0.0.1");
    }
    CLMFileVersion empty;
    EXPECT_EQ(empty.Open(FileWithoutBlock().c_str()), 0);
    EXPECT_STREQ(empty.GetFileVersion(), LMSYS_TEST_VERSION);
}

TEST_F(CLMFileVersionTest, BlockThatCannotBeReadEmptiesReader)
{
    CLMFileVersion reader;
    ASSERT_EQ(reader.Open(File("held").c_str()), 1);
    FakeVersionApi::s_strUnreadable = File("unreadable");
    EXPECT_EQ(reader.Open(FakeVersionApi::s_strUnreadable.c_str()), 0);
    EXPECT_EQ(FakeVersionApi::s_nModulePathCalls, 0);
    EXPECT_STREQ(reader.GetFileVersion(), LMSYS_TEST_VERSION);
    EXPECT_EQ(FakeVersionApi::s_nModulePathCalls, 1);
}

TEST_F(CLMFileVersionTest, BlockWithoutUsableTranslationEmptiesReader)
{
    Node noVars = Root({});
    noVars.children.pop_back();
    Fields shortList;
    shortList.translations = {0x09, 0x04};

    for (const std::string& path : {File("no-vars", noVars), File("short", shortList)}) {
        SCOPED_TRACE(path);
        CLMFileVersion reader;
        ASSERT_EQ(reader.Open(File("held").c_str()), 1);
        EXPECT_EQ(reader.Open(path.c_str()), 0);
        EXPECT_STREQ(reader.GetProductName(), LMSYS_TEST_PRODUCT);
    }
}

TEST_F(CLMFileVersionTest, ShortFixedInformationGivesEmptyVersions)
{
    Node root = Root({});
    root.value.resize(20);
    CLMFileVersion reader;
    ASSERT_EQ(reader.Open(File("short-fixed", root).c_str()), 1);
    EXPECT_STREQ(reader.GetFileVersion(), "");
    EXPECT_STREQ(reader.GetProductVersion(), "");
    EXPECT_STREQ(reader.GetProductName(), "Fixture");
}

TEST_F(CLMFileVersionTest, RunningProgramUnknown)
{
    FakeVersionApi::s_bModulePathFails = true;
    CLMFileVersion reader;
    EXPECT_EQ(reader.Open(nullptr), 0);
    EXPECT_STREQ(reader.GetFileVersion(), "");
    EXPECT_STREQ(reader.GetProductName(), "");

    ASSERT_EQ(reader.Open(File("held").c_str()), 1);
    EXPECT_EQ(reader.Open(nullptr), 0);
    EXPECT_STREQ(reader.GetFileVersion(), "2.0.0.1");
}

TEST_F(CLMFileVersionTest, LongProgramPathIsNotCut)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the system's 8-bit functions stop at 260 characters";
#endif
    std::string deep;
    for (int i = 0; i < 6; ++i)
        deep += std::string(60, 'd') + "/";
    FakeVersionApi::s_strModulePath = File(deep + "program");
    CLMFileVersion reader;
    EXPECT_EQ(reader.Open(nullptr), 1);
    EXPECT_STREQ(reader.GetFileVersion(), "2.0.0.1");
}

TEST_F(CLMFileVersionTest, EachGetReplacesOnlyItsReadersAnswer)
{
    CLMFileVersion reader;
    CLMFileVersion other;
    ASSERT_EQ(reader.Open(File("held").c_str()), 1);
    const char* version = reader.GetFileVersion();
    EXPECT_STREQ(other.GetProductName(), LMSYS_TEST_PRODUCT);
    EXPECT_STREQ(version, "2.0.0.1");
    EXPECT_STREQ(reader.GetProductName(), "Fixture");
    EXPECT_STREQ(reader.GetProductVersion(), "2.0.0.2");
}

TEST_F(CLMFileVersionTest, CopiesAreIndependent)
{
    auto* original = new CLMFileVersion;
    ASSERT_EQ(original->Open(File("held").c_str()), 1);
    CLMFileVersion copy(*original);
    CLMFileVersion assigned;
    assigned = *original;
    const CLMFileVersion& same = assigned;
    assigned = same;
    Fields second;
    second.strFile = "9.9.9.9";
    ASSERT_EQ(original->Open(File("second", second).c_str()), 1);
    EXPECT_STREQ(original->GetFileVersion(), "9.9.9.9");
    delete original;

    EXPECT_STREQ(copy.GetFileVersion(), "2.0.0.1");
    EXPECT_STREQ(assigned.GetFileVersion(), "2.0.0.1");
    EXPECT_STREQ(assigned.GetLegalCopyright(), "Copyright fixture");
}

#if defined(LMSYS_FIXTURE_DIR)
// The copyright of fixtures/wide-fields.rc in the 8-bit code page: the system's ANSI code page
// on Windows, UTF-8 elsewhere.
std::string WideFieldsCopyright()
{
#if defined(_WIN32)
    const wchar_t text[] = L"Copyright \u00a9 2026 Fixture maker";
    char ansi[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
#else
    return "Copyright \xc2\xa9 2026 Fixture maker";
#endif
}

// Version resources made by a resource compiler from fixtures/*.rc: the answers, and what a
// failed Open leaves behind (the held file, or nothing, so the running program answers).
TEST_F(CLMFileVersionTest, ResourceCompilerFixtures)
{
    const std::string copyright = WideFieldsCopyright();
    const struct
    {
        const char* file;
        int nOpened;
        const char* fileVersion; // after a failed Open: the held file's, or the program's
        const char* productVersion;
        const char* name;
        const char* copyright;
    } cases[] = {
        {"wide-fields", 1, "3.1.12.400", "1.10.300.4000", "Wide fields", copyright.c_str()},
        {"other-table", 1, "2.5.0.17", "2.5.0.0", "", ""},
        {"no-translation", 0, LMSYS_TEST_VERSION, LMSYS_TEST_VERSION, LMSYS_TEST_PRODUCT,
         LMSYS_TEST_COPYRIGHT},
        {"no-version", 0, "2.0.0.1", "2.0.0.2", "Fixture", "Copyright fixture"},
        {"bare", 0, "2.0.0.1", "2.0.0.2", "Fixture", "Copyright fixture"},
    };
    for (const auto& c : cases) {
        const std::string path = std::string(LMSYS_FIXTURE_DIR) + "/" + c.file + ".dll";
        SCOPED_TRACE(path);
        CLMFileVersion reader;
        ASSERT_EQ(reader.Open(File("held").c_str()), 1);
        EXPECT_EQ(reader.Open(path.c_str()), c.nOpened);
        EXPECT_STREQ(reader.GetFileVersion(), c.fileVersion);
        EXPECT_STREQ(reader.GetProductVersion(), c.productVersion);
        EXPECT_STREQ(reader.GetProductName(), c.name);
        EXPECT_STREQ(reader.GetLegalCopyright(), c.copyright);
    }
}
#endif

#if defined(_WIN32)
// The project's own reader gives the system's answers for the same files.
TEST_F(CLMFileVersionTest, PortableReaderAgreesWithSystem)
{
    char program[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, program, sizeof program), 0u);
    Fields other;
    other.translations = {0x04, 0x08, 0xB0, 0x04};
    std::vector<std::string> files = {program, LMSYS_LIBRARY_PATH, File("held"),
                                      File("other", other), FileWithoutBlock()};
#if defined(LMSYS_FIXTURE_DIR)
    for (const char* fixture : {"wide-fields", "other-table", "no-translation", "no-version"})
        files.push_back(std::string(LMSYS_FIXTURE_DIR) + "/" + fixture + ".dll");
#endif
    const char* lookups[] = {
        "\\StringFileInfo\\040904b0\\ProductName", "\\StringFileInfo\\040904B0\\FILEDESCRIPTION",
        "\\StringFileInfo\\080404b0\\ProductName", "\\", "\\VarFileInfo\\Translation"};
    const auto answers = [&](const VersionApi& api, const std::string& file) {
        std::vector<std::string> out;
        DWORD handle = 0;
        std::vector<char> block(api.GetFileVersionInfoSizeA(file.c_str(), &handle));
        if (block.empty() ||
            !api.GetFileVersionInfoA(file.c_str(), handle, block.size(), block.data()))
            return out;
        for (const char* lookup : lookups) {
            void* value = nullptr;
            UINT length = 0;
            const bool binary = lookup[1] != 'S'; // the fixed information and the translations
            if (!api.VerQueryValueA(block.data(), lookup, &value, &length))
                out.push_back("(none)");
            else
                out.emplace_back(static_cast<const char*>(value),
                                 binary ? length : std::strlen(static_cast<const char*>(value)));
        }
        return out;
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        EXPECT_EQ(answers(PortableVersionApi(), file), answers(SystemVersionApi(), file));
    }
}
#endif

} // namespace
} // namespace lmsys
