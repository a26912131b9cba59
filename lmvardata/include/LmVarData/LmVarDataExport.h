// SPDX-License-Identifier: LGPL-2.1-or-later
// Export macro of the LmVarData shared library.
#pragma once

#if defined(_WIN32)
#if defined(LMVARDATA_BUILDING)
#define LMVARDATA_EXPORT __declspec(dllexport)
#else
#define LMVARDATA_EXPORT __declspec(dllimport)
#endif
#else
#define LMVARDATA_EXPORT __attribute__((visibility("default")))
#endif
