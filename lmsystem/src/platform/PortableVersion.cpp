// SPDX-License-Identifier: LGPL-2.1-or-later
// The project's own version operations: blocks from PE resources or the ELF section ".lmversion".
#include "platform/PortableVersion.h"

#include "platform/ImageLocator.h"
#include "platform/VersionBlock.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace lmsys::portable {

namespace {

std::string RunningProgramPath()
{
#if defined(_WIN32)
    char path[32768];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
#endif
}

std::vector<std::uint8_t> LoadBlock(const char* fileName)
{
    return ReadVersionBlock(FileSource(fileName));
}

} // namespace

DWORD LMSYS_WINAPI GetModuleFileNameA(HMODULE module, char* fileName, DWORD size)
{
    if (module != nullptr || fileName == nullptr || size == 0)
        return 0;
    const std::string path = RunningProgramPath();
    if (path.empty())
        return 0;
    if (path.size() >= size) {
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

DWORD LMSYS_WINAPI GetFileVersionInfoSizeA(const char* fileName, DWORD* handle)
{
    if (handle != nullptr)
        *handle = 0;
    const std::vector<std::uint8_t> block = LoadBlock(fileName);
    return block.empty() ? 0 : static_cast<DWORD>(AnsiBlockSize(block.size()));
}

BOOL LMSYS_WINAPI GetFileVersionInfoA(const char* fileName, DWORD /*handle*/, DWORD length,
                                      void* data)
{
    const std::vector<std::uint8_t> block = LoadBlock(fileName);
    // The file may have changed since its size was asked for.
    if (block.empty() || data == nullptr || length < AnsiBlockSize(block.size()))
        return 0;
    BuildAnsiBlock(block.data(), block.size(), static_cast<std::uint8_t*>(data));
    return 1;
}

BOOL LMSYS_WINAPI VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                                 UINT* length)
{
    if (block == nullptr || buffer == nullptr || length == nullptr)
        return 0;
    const void* value = nullptr;
    std::size_t size = 0;
    if (!QueryAnsiBlock(static_cast<const std::uint8_t*>(block), subBlock, &value, &size))
        return 0;
    *buffer = const_cast<void*>(value); // the platform's signature hands out a writable pointer
    *length = static_cast<UINT>(size);
    return 1;
}

} // namespace lmsys::portable
