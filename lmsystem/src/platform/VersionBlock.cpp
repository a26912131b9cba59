// SPDX-License-Identifier: LGPL-2.1-or-later
// Reading a VS_VERSIONINFO block: node layout, lookup by path and the 8-bit copies of its texts.
#include "platform/VersionBlock.h"

#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace lmsys {

namespace {

// Lookup paths have three levels at most; deeper nesting is only ever hostile.
constexpr std::size_t kMaxDepth = 16;
constexpr std::uint16_t kTextType = 1;

std::size_t Align4(std::size_t n)
{
    return (n + 3) & ~std::size_t{3};
}

char16_t FoldAscii(char16_t unit)
{
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

// Decodes UTF-8 leniently: a byte that doesn't start a well-formed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(const char* text, std::size_t size)
{
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = p[i];
        std::size_t extra = lead < 0x80           ? 0
                            : (lead >> 5) == 0x6  ? 1
                            : (lead >> 4) == 0xE  ? 2
                            : (lead >> 3) == 0x1E ? 3
                                                  : 4;
        char32_t cp = extra == 0   ? lead
                      : extra == 1 ? lead & 0x1F
                      : extra == 2 ? lead & 0x0F
                                   : lead & 0x07;
        bool ok = extra < 4 && size - i > extra;
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

bool KeyEquals(const std::uint8_t* block, const VersionNode& node, const std::u16string& key)
{
    if (node.nKeyUnits != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto unit = static_cast<char16_t>(Le16(block + node.nKeyOffset + 2 * i));
        if (FoldAscii(unit) != FoldAscii(key[i]))
            return false;
    }
    return true;
}

// Calls visit(child) for each child in order while it returns true.
template <typename Visit>
void ForEachChild(const std::uint8_t* block, const VersionNode& parent, Visit visit)
{
    std::size_t offset = parent.nChildOffset;
    while (offset < parent.nEnd) {
        VersionNode child;
        if (!ParseVersionNode(block, parent.nEnd, offset, &child) || !visit(child))
            return;
        offset = Align4(child.nEnd); // a child is at least one header long: always moves on
    }
}

std::size_t TextAreaSize(std::size_t rootLength)
{
    // Copies end at most at rootLength / 2 * 3 (terminator included); one more byte stays 0.
    return Align4(rootLength / 2 * 3 + 2);
}

void CopyTexts(const std::uint8_t* raw, const VersionNode& node, std::size_t depth,
               std::uint8_t* textArea)
{
    if (node.wType == kTextType && node.nValueBytes > 0) {
        // nValueOffset is 32-bit aligned here, and a UTF-16 unit never needs more than three
        // UTF-8 bytes, so the copy stays inside the value's own share of the text area.
        const std::string text = Utf16ToUtf8(raw + node.nValueOffset, node.nValueBytes / 2);
        std::uint8_t* dest = textArea + node.nValueOffset / 2 * 3;
        std::memcpy(dest, text.data(), text.size());
        dest[text.size()] = 0;
    }
    if (depth < kMaxDepth) {
        ForEachChild(raw, node, [&](const VersionNode& child) {
            CopyTexts(raw, child, depth + 1, textArea);
            return true;
        });
    }
}

} // namespace

bool ParseVersionNode(const std::uint8_t* block, std::size_t limit, std::size_t offset,
                      VersionNode* node)
{
    // The smallest node is a header and an empty key.
    constexpr std::size_t kMinNode = kVersionNodeHeaderSize + 2;
    if (offset > limit || limit - offset < kMinNode)
        return false;
    const std::size_t length = Le16(block + offset);
    if (length < kMinNode || length > limit - offset)
        return false;

    VersionNode n;
    n.nOffset = offset;
    n.nEnd = offset + length;
    const std::size_t declared = Le16(block + offset + 2);
    n.wType = Le16(block + offset + 4);
    n.nKeyOffset = offset + kVersionNodeHeaderSize;
    std::size_t pos = n.nKeyOffset;
    for (;;) {
        if (n.nEnd - pos < 2)
            return false; // key without terminator
        if (Le16(block + pos) == 0)
            break;
        pos += 2;
    }
    n.nKeyUnits = (pos - n.nKeyOffset) / 2;
    n.nValueOffset = std::min(Align4(pos + 2), n.nEnd);
    const std::size_t declaredBytes = n.wType == kTextType ? declared * 2 : declared;
    n.nValueBytes = std::min(declaredBytes, n.nEnd - n.nValueOffset);
    n.nChildOffset = std::min(Align4(n.nValueOffset + declaredBytes), n.nEnd);
    *node = n;
    return true;
}

bool CheckVersionRoot(const std::uint8_t* block, std::size_t size, std::size_t* rootLength)
{
    VersionNode root;
    if (!ParseVersionNode(block, size, 0, &root) || !KeyEquals(block, root, u"VS_VERSION_INFO"))
        return false;
    *rootLength = root.nEnd;
    return true;
}

bool FindVersionNode(const std::uint8_t* block, std::size_t rootLength, const char* path,
                     VersionNode* node)
{
    VersionNode current;
    if (path == nullptr || !ParseVersionNode(block, rootLength, 0, &current))
        return false;
    std::size_t depth = 0;
    const char* p = path;
    while (*p != '\0') {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* end = std::strchr(p, '\\');
        if (end == nullptr)
            end = p + std::strlen(p);
        if (++depth > kMaxDepth)
            return false;
        const std::u16string key = Utf8ToUtf16(p, static_cast<std::size_t>(end - p));
        bool found = false;
        VersionNode next;
        ForEachChild(block, current, [&](const VersionNode& child) {
            found = KeyEquals(block, child, key);
            if (found)
                next = child;
            return !found;
        });
        if (!found)
            return false;
        current = next;
        p = end;
    }
    *node = current;
    return true;
}

std::string Utf16ToUtf8(const std::uint8_t* units, std::size_t unitCount)
{
    std::string out;
    for (std::size_t i = 0; i < unitCount; ++i) {
        char32_t cp = Le16(units + 2 * i);
        if (cp == 0)
            break;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < unitCount) {
            const char32_t low = Le16(units + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | cp >> 6));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | cp >> 12));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | cp >> 18));
            out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::size_t AnsiBlockSize(std::size_t rootLength)
{
    return Align4(rootLength) + TextAreaSize(rootLength);
}

void BuildAnsiBlock(const std::uint8_t* raw, std::size_t rootLength, std::uint8_t* out)
{
    std::memcpy(out, raw, rootLength);
    std::memset(out + rootLength, 0, AnsiBlockSize(rootLength) - rootLength);
    VersionNode root;
    if (ParseVersionNode(raw, rootLength, 0, &root))
        CopyTexts(raw, root, 0, out + Align4(rootLength));
}

bool QueryAnsiBlock(const std::uint8_t* block, const char* path, const void** value,
                    std::size_t* length)
{
    const std::size_t rootLength = Le16(block);
    VersionNode node;
    if (!FindVersionNode(block, rootLength, path, &node))
        return false;
    if (node.wType != kTextType) {
        *value = block + node.nValueOffset;
        *length = node.nValueBytes;
        return true;
    }
    const std::uint8_t* textArea = block + Align4(rootLength);
    const std::size_t areaSize = TextAreaSize(rootLength);
    if (node.nValueBytes == 0) {
        *value = textArea + areaSize - 1; // the area's last byte, always 0
        *length = 0;
        return true;
    }
    const std::uint8_t* text = textArea + node.nValueOffset / 2 * 3;
    const auto* nul = static_cast<const std::uint8_t*>(
        std::memchr(text, 0, static_cast<std::size_t>(textArea + areaSize - text)));
    *value = text;
    *length = static_cast<std::size_t>(nul - text) + 1;
    return true;
}

} // namespace lmsys
