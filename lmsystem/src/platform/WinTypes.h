// SPDX-License-Identifier: LGPL-2.1-or-later
// The platform's basic types under their Windows names, for the tables of platform operations.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace lmsys {

#if defined(_WIN32)
using ::BOOL;
using ::DWORD;
using ::HMODULE;
using ::UINT;
#define LMSYS_WINAPI WINAPI
#else
using BOOL = int;
using DWORD = std::uint32_t;
using HMODULE = void*;
using UINT = unsigned int;
#define LMSYS_WINAPI
#endif

} // namespace lmsys
