// SPDX-License-Identifier: LGPL-2.1-or-later
// Export macro of the LmSystem shared library.
#pragma once

#if defined(_WIN32)
#if defined(LMSYSTEM_BUILDING)
#define LMSYSTEM_EXPORT __declspec(dllexport)
#else
#define LMSYSTEM_EXPORT __declspec(dllimport)
#endif
#else
#define LMSYSTEM_EXPORT __attribute__((visibility("default")))
#endif
