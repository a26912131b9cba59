// SPDX-License-Identifier: LGPL-2.1-or-later
// Writes VS_VERSIONINFO blocks: the nodes of a tree, or Cardwise's standard block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lmsys::writer {

// One node: a key, a value (text or binary) and children, written in order.
struct Node
{
    std::string strKey;              // UTF-8, stored as UTF-16LE
    bool bText = false;              // text: stored as UTF-16LE with its terminator
    std::string strText;             // the value of a text node; empty text: no value
    std::vector<std::uint8_t> value; // the value of a binary node
    std::vector<Node> children;
};

Node TextNode(const std::string& key, const std::string& text);
Node BinaryNode(const std::string& key, std::vector<std::uint8_t> value);

// The node and its children; lengths, value lengths and 32-bit alignment as resource compilers
// write them (a node's length leaves out its trailing padding).
std::vector<std::uint8_t> WriteNode(const Node& node);

// Four 16-bit fields, most significant first.
struct FourPartVersion
{
    std::uint16_t n[4] = {0, 0, 0, 0};
};

// Parses "a", "a.b", "a.b.c" or "a.b.c.d" (missing fields 0, each at most 65535).
bool ParseVersion(const std::string& text, FourPartVersion* version);

// The fixed information: signature, structure version 1.0, the two versions, flags mask 0x3F,
// operating system 0x40004 and the given file type.
std::vector<std::uint8_t> FixedFileInfo(const FourPartVersion& file, const FourPartVersion& product,
                                        std::uint32_t fileType);

// The standard block: fixed information, translation 0409/04B0 and a string table 040904b0
// with the given values (empty values are left out), in this order.
struct StandardFields
{
    FourPartVersion fileVersion;
    FourPartVersion productVersion;
    std::uint32_t nFileType = 1; // 1 application, 2 library
    std::vector<std::pair<std::string, std::string>> strings;
};

Node StandardVersionInfo(const StandardFields& fields);

} // namespace lmsys::writer
