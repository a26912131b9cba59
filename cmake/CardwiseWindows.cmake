# SPDX-License-Identifier: GPL-3.0-or-later
# Windows build of the libraries (mingw-w64, cmake/toolchain-mingw64.cmake) with the test
# programs run under Wine. Included by CardwiseHelpers.cmake; does nothing on other systems.
#
# Test programs join the Windows run by themselves: cardwise_gtest() registers each GoogleTest
# executable as one CTest test run through Wine. Any other program is added with
#   cardwise_add_test(NAME name COMMAND target [args...])
# which runs it natively on Linux and under Wine in the Windows build. Tests added by hand with
# add_test() get Wine's environment and session with cardwise_windows_test_environment(name...).
# `if(WIN32)` in a test's CMakeLists selects Windows-only sources or tests. Under Wine every
# program runs as an administrator, so paths that need a refusal for lack of rights can't be
# tested there; each run starts from a fresh prefix (tools/dev windows), so state a test leaves
# in Wine's registry (installed services, say) is gone next time.

include_guard(GLOBAL)

# Runs the tests under Wine without a display, in the build's own prefix, with Wine's
# messages off, without the installers of Wine's optional components, in the C locale (so
# that the system's language and ANSI code page don't depend on the machine), and inside the
# Wine session below.
function(cardwise_windows_test_environment)
    if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
        return()
    endif()
    _cardwise_wine_session()
    _cardwise_wine_environment(${ARGN})
    set_property(TEST ${ARGN} APPEND PROPERTY FIXTURES_REQUIRED wine)
endfunction()

function(_cardwise_wine_environment)
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT
        WINEPREFIX=${CARDWISE_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
        LC_ALL=C)
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT_MODIFICATION
        DISPLAY=unset: WAYLAND_DISPLAY=unset:)
endfunction()

# The Wine session of a test run: before the first test, a persistent Wine server and the
# prefix's start-up (its background programs), all with their output detached; after the last,
# the server stopped. A Wine process started by a test would otherwise hold on to the test's
# output, and CTest would wait for it to end.
function(_cardwise_wine_session)
    get_property(added GLOBAL PROPERTY CARDWISE_WINE_SESSION)
    if(added)
        return()
    endif()
    set_property(GLOBAL PROPERTY CARDWISE_WINE_SESSION ON)
    find_program(CARDWISE_WINESERVER wineserver PATHS /usr/lib/wine)
    if(NOT CARDWISE_WINESERVER)
        set(CARDWISE_WINESERVER wineserver) # the test says what is missing
    endif()
    # A server left over from an interrupted run is reused. The first boot of a fresh prefix
    # leaves two service managers behind, each knowing only its own services; a restart of the
    # server and a second boot leave one.
    add_test(NAME wine_start COMMAND sh -c
        "mkdir -p \"$WINEPREFIX\" && { \"$0\" -p >/dev/null 2>&1; \"$1\" wineboot --init >/dev/null 2>&1; \"$0\" -k; \"$0\" -w; \"$0\" -p >/dev/null 2>&1; \"$1\" wineboot >/dev/null 2>&1; }"
        ${CARDWISE_WINESERVER} ${CMAKE_CROSSCOMPILING_EMULATOR})
    add_test(NAME wine_stop COMMAND sh -c "\"$0\" -k >/dev/null 2>&1; exit 0"
        ${CARDWISE_WINESERVER})
    _cardwise_wine_environment(wine_start wine_stop)
    set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
endfunction()

if(NOT WIN32)
    return()
endif()

# The DLLs keep their Windows names (LmVarData.dll, LmSystem.dll), and every program and DLL
# lands in one directory, where Windows looks for the DLLs a program imports.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(CMAKE_CROSSCOMPILING AND CARDWISE_BUILD_TESTS)
    # No GoogleTest for the target system is packaged: build it from Debian's sources
    # (package googletest) as part of this build; find_package(GTest) then finds these targets.
    set(CARDWISE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
    if(NOT EXISTS ${CARDWISE_GTEST_SOURCE_DIR}/CMakeLists.txt)
        message(FATAL_ERROR "No GoogleTest sources in ${CARDWISE_GTEST_SOURCE_DIR} "
            "(install the package googletest)")
    endif()
    include(FetchContent)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    FetchContent_Declare(GTest
        SOURCE_DIR ${CARDWISE_GTEST_SOURCE_DIR}
        OVERRIDE_FIND_PACKAGE)

    # Wine's state for the tests lives in the build tree; the test wine_start creates it, and
    # `tools/dev windows` removes it before each run.
    set(CARDWISE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
endif()
