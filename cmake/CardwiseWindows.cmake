# Windows build of the libraries (mingw-w64, cmake/toolchain-mingw64.cmake) with the test
# programs run under Wine. Included by CardwiseHelpers.cmake; does nothing on other systems.
#
# Test programs join the Windows run by themselves: cardwise_gtest() registers each GoogleTest
# executable as one CTest test run through Wine. Any other program is added with
#   cardwise_add_test(NAME name COMMAND target [args...])
# which runs it natively on Linux and under Wine in the Windows build. Tests added by hand with
# add_test() get Wine's environment with cardwise_windows_test_environment(name...).

include_guard(GLOBAL)

# Runs the tests under Wine without a display, in the build's own prefix, with Wine's
# messages off and without the installers of Wine's optional components.
function(cardwise_windows_test_environment)
    if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
        return()
    endif()
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT
        WINEPREFIX=${CARDWISE_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT_MODIFICATION
        DISPLAY=unset: WAYLAND_DISPLAY=unset:)
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

    # Wine's state for the tests lives in the build tree; `tools/dev windows` creates it and
    # starts its server before the tests run.
    set(CARDWISE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
endif()
