// SPDX-License-Identifier: LGPL-2.1-or-later
// Fuzzes the PE and ELF locators and the block reader with arbitrary files and blocks.
#include "platform/ImageLocator.h"
#include "platform/VersionBlock.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

volatile std::size_t g_nSink;

void Query(const std::uint8_t* raw, std::size_t rootLength)
{
    std::vector<std::uint8_t> block(lmsys::AnsiBlockSize(rootLength));
    lmsys::BuildAnsiBlock(raw, rootLength, block.data());
    char table[160] = "\\StringFileInfo\\040904b0\\ProductName";
    const void* value = nullptr;
    std::size_t length = 0;
    // The reader's own sequence: translation, then a string under it, then the fixed part.
    if (lmsys::QueryAnsiBlock(block.data(), "\\VarFileInfo\\Translation", &value, &length) &&
        length >= 4) {
        const auto* t = static_cast<const std::uint8_t*>(value);
        std::snprintf(table, sizeof table, "\\StringFileInfo\\%02x%02x%02x%02x\\LegalCopyright",
                      t[1], t[0], t[3], t[2]);
    }
    for (const char* path : {static_cast<const char*>(table), "\\", "\\a\\b\\c\\d\\e"}) {
        if (lmsys::QueryAnsiBlock(block.data(), path, &value, &length)) {
            const auto* bytes = static_cast<const std::uint8_t*>(value);
            std::size_t sum = 0;
            for (std::size_t i = 0; i < length; ++i)
                sum += bytes[i];
            g_nSink = sum;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> located =
        lmsys::ReadVersionBlock(lmsys::MemorySource(data, size));
    if (!located.empty())
        Query(located.data(), located.size());

    // The input itself as a block, copied so that reads past it are caught.
    const std::vector<std::uint8_t> raw(data, data + size);
    std::size_t rootLength = 0;
    if (lmsys::CheckVersionRoot(raw.data(), raw.size(), &rootLength))
        Query(raw.data(), rootLength);
    return 0;
}
