// SPDX-License-Identifier: LGPL-2.1-or-later
// Lookups in version blocks: paths, key case, text conversion and malformed nodes.
#include "platform/VersionBlock.h"

#include "VersionBlockWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace lmsys {
namespace {

using writer::BinaryNode;
using writer::Node;
using writer::TextNode;

struct Answer
{
    bool bFound = false;
    std::string strBytes; // binary values byte for byte, texts up to their terminator
    std::size_t nLength = 0;
};

class VersionBlockTest : public ::testing::Test
{
protected:
    // Builds the 8-bit block of `raw` and looks `path` up in it.
    static Answer Query(const std::vector<std::uint8_t>& raw, const char* path)
    {
        std::size_t rootLength = 0;
        EXPECT_TRUE(CheckVersionRoot(raw.data(), raw.size(), &rootLength));
        std::vector<std::uint8_t> block(AnsiBlockSize(rootLength));
        BuildAnsiBlock(raw.data(), rootLength, block.data());
        Answer answer;
        const void* value = nullptr;
        answer.bFound = QueryAnsiBlock(block.data(), path, &value, &answer.nLength);
        if (answer.bFound) {
            const char* bytes = static_cast<const char*>(value);
            const std::size_t end = static_cast<std::size_t>(
                block.data() + block.size() - static_cast<const std::uint8_t*>(value));
            answer.strBytes = std::string(bytes, std::min(answer.nLength, end));
        }
        return answer;
    }

    static std::vector<std::uint8_t>
    Standard(std::vector<std::pair<std::string, std::string>> strings)
    {
        writer::StandardFields fields;
        writer::ParseVersion("3.1.12.400", &fields.fileVersion);
        writer::ParseVersion("1.10.300.4000", &fields.productVersion);
        fields.strings = std::move(strings);
        return writer::WriteNode(writer::StandardVersionInfo(fields));
    }

    static std::string Text(const std::string& value) { return value + '\0'; }
};

TEST_F(VersionBlockTest, LooksPathsUpWithoutRegardToCase)
{
    const auto raw = Standard({{"ProductName", "Cardwise"}, {"LegalCopyright", "(C) 2026"}});
    const std::vector<std::uint8_t> fixed =
        writer::FixedFileInfo({{3, 1, 12, 400}}, {{1, 10, 300, 4000}}, 1);
    const struct
    {
        const char* path;
        bool bFound;
        std::string strBytes;
    } cases[] = {
        {"\\", true, std::string(fixed.begin(), fixed.end())},
        {"", true, std::string(fixed.begin(), fixed.end())},
        {"\\VarFileInfo\\Translation", true, std::string("\x09\x04\xB0\x04", 4)},
        {"\\varfileinfo\\TRANSLATION", true, std::string("\x09\x04\xB0\x04", 4)},
        {"\\StringFileInfo\\040904b0\\ProductName", true, Text("Cardwise")},
        {"\\STRINGFILEINFO\\040904B0\\productname", true, Text("Cardwise")},
        {"StringFileInfo\\040904b0\\LegalCopyright", true, Text("(C) 2026")},
        {"\\\\StringFileInfo\\\\040904b0\\ProductName\\", true, Text("Cardwise")},
        {"\\StringFileInfo\\040904b0\\ProductNam", false, ""},
        {"\\StringFileInfo\\040904b0\\ProductNameX", false, ""},
        {"\\StringFileInfo\\080404b0\\ProductName", false, ""},
        {"\\StringFileInfo\\040904b0\\ProductName\\More", false, ""},
        {"\\VS_VERSION_INFO", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Answer answer = Query(raw, c.path);
        EXPECT_EQ(answer.bFound, c.bFound);
        EXPECT_EQ(answer.strBytes, c.strBytes);
    }
}

TEST_F(VersionBlockTest, ConvertsTextsToUtf8)
{
    const struct
    {
        std::string strText;
        std::string strExpected;
    } cases[] = {
        {"plain", "plain"},
        {"\xC2\xA9 2026", "\xC2\xA9 2026"},                                     // (C) sign
        {"Vantor \xE8\xAE\xBE\xE7\xBD\xAE", "Vantor \xE8\xAE\xBE\xE7\xBD\xAE"}, // CJK
        {"\xF0\x9F\x94\x8B", "\xF0\x9F\x94\x8B"},                               // surrogate pair
    };
    for (const auto& c : cases) {
        Node root = BinaryNode("VS_VERSION_INFO", {});
        root.children.push_back(TextNode("Name", c.strText));
        const Answer answer = Query(writer::WriteNode(root), "\\Name");
        EXPECT_EQ(answer.strBytes, Text(c.strExpected));
        EXPECT_EQ(answer.nLength, c.strExpected.size() + 1);
    }
}

TEST_F(VersionBlockTest, TextEndsAtDeclaredLengthOrNodeEnd)
{
    Node root = BinaryNode("VS_VERSION_INFO", {});
    root.children.push_back(TextNode("Name", "abcdef"));
    root.children.push_back(TextNode("Empty", ""));
    std::vector<std::uint8_t> raw = writer::WriteNode(root);
    const std::size_t name = 40; // first child: after the root's header, key and padding
    ASSERT_EQ(raw[name + 6], 'N');

    raw[name + 2] = 3; // declared: three units, no terminator
    EXPECT_EQ(Query(raw, "\\Name").strBytes, Text("abc"));
    raw[name + 2] = 200; // declared past the node: cut at its end
    EXPECT_EQ(Query(raw, "\\Name").strBytes, Text("abcdef"));

    const Answer empty = Query(raw, "\\Empty");
    EXPECT_TRUE(empty.bFound);
    EXPECT_EQ(empty.nLength, 0u);
}

} // namespace
} // namespace lmsys
