# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix,
# binutils-mingw-w64-x86-64); programs run under Wine. Used by `tools/dev windows`:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CARDWISE_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix thread model: the win32 one has no std::mutex or std::thread.
find_program(CMAKE_C_COMPILER ${CARDWISE_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${CARDWISE_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${CARDWISE_MINGW_TRIPLE}-windres REQUIRED)

# No mingw runtime DLLs to ship or to find under Wine. winpthread is linked as an ordinary
# archive, never with --whole-archive: its object with its own version resource would then
# replace the program's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_FIND_ROOT_PATH /usr/${CARDWISE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian 12 installs the 64-bit loader as /usr/lib/wine/wine64 (package wine64); package wine
# adds the `wine` command, which picks that loader. Either runs the test programs.
find_program(CARDWISE_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(CARDWISE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CARDWISE_WINE})
endif()
