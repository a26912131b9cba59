# SPDX-License-Identifier: GPL-3.0-or-later
# Project-wide helpers: warnings, tests, fuzzers.

# The stricter set of CARDWISE_PEDANTIC: conversions that may lose a value, names that hide
# others, and the like; by the names the compiler tags its warnings with. Not sign-conversion:
# the kept interfaces count and index with int, and every container access would need a cast.
set(CARDWISE_PEDANTIC_WARNINGS pedantic conversion float-conversion shadow
    non-virtual-dtor overloaded-virtual cast-qual format format-nonliteral format-security
    implicit-fallthrough)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND CARDWISE_PEDANTIC_WARNINGS duplicated-cond duplicated-branches logical-op)
endif()

# Warnings are applied per target, PRIVATE, so consumers never inherit them.
function(cardwise_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(CARDWISE_PEDANTIC)
        list(TRANSFORM CARDWISE_PEDANTIC_WARNINGS PREPEND -W OUTPUT_VARIABLE warnings)
        target_compile_options(${target} PRIVATE ${warnings})
    endif()
    if(CARDWISE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/CardwiseWindows.cmake)

# A GoogleTest executable whose cases are discovered when CTest runs. In a cross build for
# Windows the whole program is one test, run under Wine: discovery through the emulator costs
# a Wine start per case.
function(cardwise_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    cardwise_warnings(${name})
    if(CMAKE_CROSSCOMPILING)
        cardwise_add_test(NAME ${name} COMMAND ${name})
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# add_test() for a program of this build: run natively, or under Wine (the toolchain's
# emulator) in the Windows build, with Wine's test environment.
function(cardwise_add_test)
    cmake_parse_arguments(ARG "" "NAME" "COMMAND" ${ARGN})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
    cardwise_windows_test_environment(${ARG_NAME})
endfunction()

# A test that opens sockets, so it runs in a network namespace of its own: COMMAND runs under
# tools/netns-run (a namespace holding only lo), or, with LAB, COMMAND is the lab of tests/lab,
# which makes its own namespaces. Either checks its isolation before anything is sent, and exits
# with 77 (skipped) where no namespace can be made, a failure under CI=true.
#   cardwise_netns_test(NAME name [LAB] COMMAND command... [TIMEOUT seconds] [ENVIRONMENT var=value...])
function(cardwise_netns_test)
    cmake_parse_arguments(ARG "LAB" "NAME;TIMEOUT" "COMMAND;ENVIRONMENT" ${ARGN})
    if(NOT ARG_NAME OR NOT ARG_COMMAND)
        message(FATAL_ERROR "cardwise_netns_test: NAME and COMMAND are required")
    endif()
    # add_test() resolves a target's name only as the first word, which netns-run takes.
    list(GET ARG_COMMAND 0 program)
    if(TARGET ${program})
        list(REMOVE_AT ARG_COMMAND 0)
        list(PREPEND ARG_COMMAND $<TARGET_FILE:${program}>)
    endif()
    if(NOT ARG_LAB)
        list(PREPEND ARG_COMMAND ${PROJECT_SOURCE_DIR}/tools/netns-run)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
    set_tests_properties(${ARG_NAME} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${ARG_TIMEOUT})
    if(ARG_ENVIRONMENT)
        set_property(TEST ${ARG_NAME} PROPERTY ENVIRONMENT ${ARG_ENVIRONMENT})
    endif()
endfunction()

# A libFuzzer target; built only with clang and CARDWISE_BUILD_FUZZERS (which instruments
# every target). `tools/dev fuzz` runs every executable whose name starts with fuzz_, from the
# seed corpus in tests/corpus/<name>.
function(cardwise_fuzzer name)
    if(NOT name MATCHES "^fuzz_")
        message(FATAL_ERROR "fuzzer ${name}: names start with fuzz_ so that CI runs them")
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    cardwise_warnings(${name})
    add_dependencies(fuzzers ${name})
endfunction()

# Installs a shared library with its headers, a CMake package (find_package(<name>)) and a
# pkg-config file. The package's targets live in the Cardwise:: namespace.
function(cardwise_install_library target)
    cmake_parse_arguments(ARG "" "HEADERS_DIR;DESCRIPTION" "" ${ARGN})
    install(TARGETS ${target} EXPORT ${target}Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
    install(DIRECTORY ${ARG_HEADERS_DIR}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${target}
        FILES_MATCHING PATTERN "*.h")
    install(EXPORT ${target}Targets NAMESPACE Cardwise::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
    set(PACKAGE_TARGET ${target})
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/PackageConfig.cmake.in
        ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
        INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
    write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
        VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
        ${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
    # Relative to the .pc file, so the installed tree can be moved.
    file(RELATIVE_PATH PC_PREFIX_FROM_PCDIR
        ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
    set(PC_NAME ${target})
    set(PC_DESCRIPTION "${ARG_DESCRIPTION}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in
        ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# A Qt Test executable, run offscreen in the untranslated language.
function(cardwise_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    cardwise_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CARDWISE_LANG=default"
        TIMEOUT 120)
endfunction()
