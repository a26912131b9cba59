# SPDX-License-Identifier: LGPL-2.1-or-later
# Installs the build tree into WORK_DIR/prefix, then builds and runs the consumer through
# find_package and through pkg-config. Run with cmake -P.
foreach(var BUILD_DIR WORK_DIR CONSUMER_DIR LIBDIR GENERATOR CXX)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "RunConsumer.cmake needs -D${var}=...")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
    set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The CMake package.
# The consumer is built with the library's own flags, so a sanitizer build links.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${WORK_DIR}/build/consumer)
if(NOT LAST_OUTPUT STREQUAL "ok\n")
    message(FATAL_ERROR "consumer printed: ${LAST_OUTPUT}")
endif()

# The pkg-config file finds its prefix relative to itself, so the moved install works.
find_program(PKG_CONFIG pkg-config REQUIRED)
run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
    ${PKG_CONFIG} --cflags --libs LmVarData)
separate_arguments(flags UNIX_COMMAND "${LAST_OUTPUT}")
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
run(${CXX} -std=c++17 ${cxx_flags} ${CONSUMER_DIR}/main.cpp ${flags} -o ${WORK_DIR}/consumer-pc)
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${WORK_DIR}/consumer-pc)
if(NOT LAST_OUTPUT STREQUAL "ok\n")
    message(FATAL_ERROR "pkg-config consumer printed: ${LAST_OUTPUT}")
endif()
message(STATUS "consumer built and ran against ${prefix}")
