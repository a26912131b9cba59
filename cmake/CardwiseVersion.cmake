# SPDX-License-Identifier: GPL-3.0-or-later
# Version resources: cardwise_embed_version(target [VERSION a.b.c.d] [DESCRIPTION text]) gives a
# program or shared library Cardwise's version block, which LmSystem's CLMFileVersion reads:
# on Windows a VERSIONINFO resource, elsewhere the ELF section ".lmversion" written by the host
# tool lmversion-gen (lmsystem/tools). VERSION defaults to the project version, DESCRIPTION to
# the target's name.

include_guard(GLOBAL)

if(WIN32)
    enable_language(RC)
endif()

# Sets the fixed texts CARDWISE_VERSION_COMPANY, _PRODUCT and _COPYRIGHT, and CW_VERSION,
# CW_VERSION4 ("a.b.c.d"), CW_VERSION_COMMAS ("a,b,c,d"), CW_DESCRIPTION and CW_FILE_TYPE
# (1 application, 2 library) in the calling function's scope.
macro(_cardwise_version_fields target version description)
    set(CARDWISE_VERSION_COMPANY "Cardwise developers")
    set(CARDWISE_VERSION_PRODUCT "Cardwise")
    set(CARDWISE_VERSION_COPYRIGHT "Copyright (C) 2026 Cardwise developers")
    set(CW_TARGET ${target})
    set(CW_VERSION "${version}")
    if(NOT CW_VERSION)
        set(CW_VERSION ${PROJECT_VERSION})
    endif()
    if(NOT CW_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
        message(FATAL_ERROR "cardwise_embed_version: '${CW_VERSION}' is not one to four numbers")
    endif()
    string(REPLACE "." ";" _cw_fields "${CW_VERSION}")
    list(LENGTH _cw_fields _cw_count)
    while(_cw_count LESS 4)
        list(APPEND _cw_fields 0)
        math(EXPR _cw_count "${_cw_count} + 1")
    endwhile()
    list(JOIN _cw_fields "." CW_VERSION4)
    list(JOIN _cw_fields "," CW_VERSION_COMMAS)
    set(CW_DESCRIPTION "${description}")
    if(NOT CW_DESCRIPTION)
        set(CW_DESCRIPTION ${target})
    endif()
    get_target_property(_cw_type ${target} TYPE)
    if(_cw_type STREQUAL "EXECUTABLE")
        set(CW_FILE_TYPE 1)
    else()
        set(CW_FILE_TYPE 2)
    endif()
endmacro()

# Writes the resource script of a target's version block to `rc_file`.
function(cardwise_version_rc target rc_file)
    cmake_parse_arguments(ARG "" "DESCRIPTION;VERSION" "" ${ARGN})
    _cardwise_version_fields(${target} "${ARG_VERSION}" "${ARG_DESCRIPTION}")
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CardwiseVersion.rc.in ${rc_file} @ONLY)
endfunction()

# Adds a build step that runs lmversion-gen for a target's version block; `output_option` is
# --binary (the raw block) or --source (a C++ file that puts it in ".lmversion").
function(cardwise_version_block target output_option output_file)
    cmake_parse_arguments(ARG "" "DESCRIPTION;VERSION" "" ${ARGN})
    _cardwise_version_fields(${target} "${ARG_VERSION}" "${ARG_DESCRIPTION}")
    if(CW_FILE_TYPE EQUAL 1)
        set(file_type app)
    else()
        set(file_type dll)
    endif()
    add_custom_command(OUTPUT ${output_file}
        COMMAND lmversion-gen
            --file-version ${CW_VERSION4} --product-version ${CW_VERSION4} --file-type ${file_type}
            --string "CompanyName=${CARDWISE_VERSION_COMPANY}"
            --string "FileDescription=${CW_DESCRIPTION}"
            --string "FileVersion=${CW_VERSION4}"
            --string "ProductName=${CARDWISE_VERSION_PRODUCT}"
            --string "ProductVersion=${CW_VERSION}"
            --string "LegalCopyright=${CARDWISE_VERSION_COPYRIGHT}"
            ${output_option} ${output_file}
        DEPENDS lmversion-gen
        COMMENT "Writing the version block of ${target}"
        VERBATIM)
endfunction()

function(cardwise_embed_version target)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_version)
    if(WIN32)
        cardwise_version_rc(${target} ${dir}/version.rc ${ARGN})
        target_sources(${target} PRIVATE ${dir}/version.rc)
    else()
        cardwise_version_block(${target} --source ${dir}/lmversion.cpp ${ARGN})
        target_sources(${target} PRIVATE ${dir}/lmversion.cpp)
    endif()
endfunction()
