// SPDX-License-Identifier: LGPL-2.1-or-later
// Writes VS_VERSIONINFO blocks: the nodes of a tree, or Cardwise's standard block.
#include "VersionBlockWriter.h"

#include <cerrno>
#include <cstdlib>

namespace lmsys::writer {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Pad4(std::vector<std::uint8_t>& out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

// UTF-8 to UTF-16LE units; the writer's inputs are well-formed.
std::vector<std::uint16_t> Utf16(const std::string& text)
{
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra && i + k < text.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            units.push_back(static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return units;
}

void PutUtf16z(std::vector<std::uint8_t>& out, const std::string& text)
{
    for (std::uint16_t unit : Utf16(text))
        Put16(out, unit);
    Put16(out, 0);
}

// Writes the node at the end of `out`, whose start is 32-bit aligned like the block's.
void Append(std::vector<std::uint8_t>& out, const Node& node)
{
    const std::size_t start = out.size();
    const std::size_t valueLength =
        node.bText ? (node.strText.empty() ? 0 : Utf16(node.strText).size() + 1)
                   : node.value.size();
    Put16(out, 0); // length, filled in below
    Put16(out, static_cast<std::uint32_t>(valueLength));
    Put16(out, node.bText ? 1 : 0);
    PutUtf16z(out, node.strKey);
    Pad4(out);
    if (node.bText && valueLength > 0)
        PutUtf16z(out, node.strText);
    else
        out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        Pad4(out);
        Append(out, child);
    }
    const std::size_t length = out.size() - start;
    out[start] = static_cast<std::uint8_t>(length);
    out[start + 1] = static_cast<std::uint8_t>(length >> 8);
}

std::uint32_t High(const FourPartVersion& v)
{
    return static_cast<std::uint32_t>(v.n[0]) << 16 | v.n[1];
}

std::uint32_t Low(const FourPartVersion& v)
{
    return static_cast<std::uint32_t>(v.n[2]) << 16 | v.n[3];
}

} // namespace

Node TextNode(const std::string& key, const std::string& text)
{
    Node node;
    node.strKey = key;
    node.bText = true;
    node.strText = text;
    return node;
}

Node BinaryNode(const std::string& key, std::vector<std::uint8_t> value)
{
    Node node;
    node.strKey = key;
    node.value = std::move(value);
    return node;
}

std::vector<std::uint8_t> WriteNode(const Node& node)
{
    std::vector<std::uint8_t> out;
    Append(out, node);
    return out;
}

bool ParseVersion(const std::string& text, FourPartVersion* version)
{
    FourPartVersion parsed;
    const char* p = text.c_str();
    for (int i = 0; i < 4; ++i) {
        if (*p < '0' || *p > '9')
            return false;
        char* end = nullptr;
        errno = 0;
        const unsigned long field = std::strtoul(p, &end, 10);
        if (errno != 0 || field > 0xFFFF)
            return false;
        parsed.n[i] = static_cast<std::uint16_t>(field);
        p = end;
        if (*p == '\0')
            break;
        if (*p != '.' || i == 3)
            return false;
        ++p;
    }
    *version = parsed;
    return true;
}

std::vector<std::uint8_t> FixedFileInfo(const FourPartVersion& file, const FourPartVersion& product,
                                        std::uint32_t fileType)
{
    std::vector<std::uint8_t> out;
    for (std::uint32_t field : {0xFEEF04BDu, 0x00010000u, High(file), Low(file), High(product),
                                Low(product), 0x3Fu, 0u, 0x40004u, fileType, 0u, 0u, 0u})
        Put32(out, field);
    return out;
}

Node StandardVersionInfo(const StandardFields& fields)
{
    Node table;
    table.strKey = "040904b0";
    table.bText = true;
    for (const auto& [name, text] : fields.strings) {
        if (!text.empty())
            table.children.push_back(TextNode(name, text));
    }
    Node strings;
    strings.strKey = "StringFileInfo";
    strings.bText = true;
    strings.children.push_back(std::move(table));

    Node vars;
    vars.strKey = "VarFileInfo";
    vars.bText = true;
    vars.children.push_back(BinaryNode("Translation", {0x09, 0x04, 0xB0, 0x04}));

    Node root =
        BinaryNode("VS_VERSION_INFO",
                   FixedFileInfo(fields.fileVersion, fields.productVersion, fields.nFileType));
    root.children.push_back(std::move(strings));
    root.children.push_back(std::move(vars));
    return root;
}

} // namespace lmsys::writer
