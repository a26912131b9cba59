// SPDX-License-Identifier: LGPL-2.1-or-later
// The four version operations the reader uses, behind a table that tests can replace.
#pragma once

#include "platform/WinTypes.h"

#if defined(_WIN32)
#include <winver.h>
#endif

namespace lmsys {

#if defined(_WIN32)
using ::VS_FIXEDFILEINFO;
#else
// The fixed information at the root of a version block (little-endian on disk).
struct VS_FIXEDFILEINFO
{
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
#endif

static_assert(sizeof(VS_FIXEDFILEINFO) == 52, "the fixed information is 13 double words");

// Same signatures and contracts as the kernel and version-library functions of these names.
struct VersionApi
{
    DWORD(LMSYS_WINAPI* GetModuleFileNameA)(HMODULE module, char* fileName, DWORD size);
    DWORD(LMSYS_WINAPI* GetFileVersionInfoSizeA)(const char* fileName, DWORD* handle);
    BOOL(LMSYS_WINAPI* GetFileVersionInfoA)
    (const char* fileName, DWORD handle, DWORD length, void* data);
    BOOL(LMSYS_WINAPI* VerQueryValueA)
    (const void* block, const char* subBlock, void** buffer, UINT* length);
};

// The project's own implementation: PE resources and the ELF section ".lmversion".
const VersionApi& PortableVersionApi();

// The platform's functions on Windows, the portable ones elsewhere.
const VersionApi& SystemVersionApi();

// The table the reader calls; the system's unless a test installed another.
const VersionApi& ActiveVersionApi();

// Installs `api` for the reader (it must outlive its use); null restores the system's table.
void SetActiveVersionApi(const VersionApi* api);

} // namespace lmsys
