// SPDX-License-Identifier: LGPL-2.1-or-later
// Writes what the version operations and CLMFileVersion answer for a list of files, as text,
// so that the answers of the system's version library (under Wine) and of the project's own
// reader (on Linux) can be compared line by line.
//   lmsystem_version_dump LIST OUTPUT   (LIST: one "label<TAB>path" per line)
#include <LmSystem/FileVersion.h>

#include "platform/VersionApi.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using lmsys::DWORD;
using lmsys::UINT;

// String values looked up in the first translation's table, in several spellings of the path:
// the system compares keys without regard to case.
const char* const kStringNames[] = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments",
    "PRODUCTNAME",     "productname",      "Product",     "ProductNameX",
};

// Tables asked for whatever the translation list says: the common ones.
const char* const kFixedTables[] = {"040904b0", "040904B0", "040904e4", "000004b0"};

std::string Hex(const void* data, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

// The system's 8-bit texts are in its ANSI code page, the project's in UTF-8; both are written
// as UTF-8 so the same characters compare equal.
std::string ToUtf8(const char* text)
{
#if defined(_WIN32)
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (wide <= 0)
        return "(unconvertible)";
    std::vector<wchar_t> units(static_cast<std::size_t>(wide));
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, units.data(), wide);
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, units.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> out(static_cast<std::size_t>(bytes > 0 ? bytes : 1));
    ::WideCharToMultiByte(CP_UTF8, 0, units.data(), -1, out.data(), bytes, nullptr, nullptr);
    return out.data();
#else
    return text;
#endif
}

// Control characters and the quote made visible, so that every answer stays on one line.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void DumpQuery(std::ostream& out, const std::vector<char>& block, const std::string& path,
               bool binary)
{
    const lmsys::VersionApi& api = lmsys::SystemVersionApi();
    void* value = nullptr;
    UINT length = 0;
    out << path << " = ";
    if (!api.VerQueryValueA(block.data(), path.c_str(), &value, &length)) {
        out << "(none)\n";
        return;
    }
    if (binary) {
        out << Hex(value, length) << '\n';
        return;
    }
    // A text's length counts its terminator; what matters is that both count it the same way.
    const auto* text = static_cast<const char*>(value);
    const std::size_t bytes = length > 0 ? std::strlen(text) : 0;
    out << Quoted(ToUtf8(length > 0 ? text : "")) << " +" << (length - bytes) << '\n';
}

void DumpFile(std::ostream& out, const std::string& label, const std::string& path)
{
    const lmsys::VersionApi& api = lmsys::SystemVersionApi();
    out << '[' << label << "]\n";
    DWORD handle = 0;
    const DWORD size = api.GetFileVersionInfoSizeA(path.c_str(), &handle);
    std::vector<char> block(size);
    const bool read =
        size > 0 && api.GetFileVersionInfoA(path.c_str(), handle, size, block.data()) != 0;
    out << "block: " << (size == 0 ? "none" : read ? "read" : "unreadable") << '\n';
    if (read) {
        DumpQuery(out, block, "\\", true);
        DumpQuery(out, block, "\\VarFileInfo\\Translation", true);
        std::vector<std::string> tables(std::begin(kFixedTables), std::end(kFixedTables));
        void* value = nullptr;
        UINT length = 0;
        if (api.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) &&
            length >= 4) {
            unsigned char first[4];
            std::memcpy(first, value, 4);
            char table[16];
            std::snprintf(table, sizeof table, "%02x%02x%02x%02x", first[1], first[0], first[3],
                          first[2]);
            tables.insert(tables.begin(), table);
        }
        for (const std::string& table : tables) {
            for (const char* name : kStringNames)
                DumpQuery(out, block, "\\StringFileInfo\\" + table + "\\" + name, false);
        }
    }

    CLMFileVersion reader;
    const int opened = reader.Open(path.c_str());
    out << "open: " << opened << '\n';
    if (opened) {
        // A reader that failed to open answers for this program, which differs by design.
        out << "file version: " << Quoted(ToUtf8(reader.GetFileVersion())) << '\n';
        out << "product version: " << Quoted(ToUtf8(reader.GetProductVersion())) << '\n';
        out << "product name: " << Quoted(ToUtf8(reader.GetProductName())) << '\n';
        out << "copyright: " << Quoted(ToUtf8(reader.GetLegalCopyright())) << '\n';
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LIST OUTPUT\n", argv[0]);
        return 2;
    }
    std::ifstream list(argv[1], std::ios::binary);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (!list || !out) {
        std::fprintf(stderr, "%s: cannot open %s or %s\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    std::string line;
    int files = 0;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        DumpFile(out, line.substr(0, tab), line.substr(tab + 1));
        ++files;
    }
    out.flush();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    std::printf("%d files\n", files);
    return 0;
}
