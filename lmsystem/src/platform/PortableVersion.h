// SPDX-License-Identifier: LGPL-2.1-or-later
// The project's own version operations, for systems without a version library.
#pragma once

#include "platform/VersionApi.h"

namespace lmsys::portable {

// Full path of the running program (`module` must be null). Like the kernel function: the
// length copied, or `size` with the text cut (and terminated) when it doesn't fit; 0 on failure.
DWORD LMSYS_WINAPI GetModuleFileNameA(HMODULE module, char* fileName, DWORD size);

// Size of the 8-bit block of the file's version resource; 0 when there is none. `handle`, when
// given, is set to 0.
DWORD LMSYS_WINAPI GetFileVersionInfoSizeA(const char* fileName, DWORD* handle);

// Writes the 8-bit block into `data`; fails when `length` is below the size asked for above.
BOOL LMSYS_WINAPI GetFileVersionInfoA(const char* fileName, DWORD handle, DWORD length, void* data);

// Looks a path up in a block written by GetFileVersionInfoA.
BOOL LMSYS_WINAPI VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                                 UINT* length);

} // namespace lmsys::portable
