# Project-wide helpers: warnings, tests, fuzzers.

# Warnings are applied per target, PRIVATE, so consumers never inherit them.
function(cardwise_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
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

# A libFuzzer target; built only with clang and CARDWISE_BUILD_FUZZERS. `tools/dev fuzz` runs
# every executable whose name starts with fuzz_.
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
