# The builds the primary (x64) Windows build drives, so that one build command makes
# everything and one CTest run covers it:
#  - the native (host) build, made from the same tree, with its tests registered here;
#  - the 32-bit Windows build, compiled completely on every run; its tests run where
#    the machine can execute 32-bit code and are skipped elsewhere (tools/test-win32).
include(ExternalProject)
set(KORVANE_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
ExternalProject_Add(native
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${KORVANE_NATIVE_DIR}
    # Sanitized, so every native test run is also an address and UB check.
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DKORVANE_SANITIZE=ON
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
include(${CMAKE_SOURCE_DIR}/tests/native/list.cmake)
set(native_programs)
foreach(t ${KORVANE_NATIVE_TESTS})
    add_test(NAME native.${t} COMMAND ${KORVANE_NATIVE_DIR}/tests/native/${t})
    list(APPEND native_programs ${KORVANE_NATIVE_DIR}/tests/native/${t})
endforeach()
# Says (and checks) that the native tests above run with both sanitizers.
add_test(NAME native.asan_ubsan COMMAND ${KORVANE_TOOLS}/check-sanitized ${native_programs})

# The fuzz build: the native code again, built by clang for libFuzzer; each target runs a
# short sanitized smoke from its seed corpus on every test run.
set(KORVANE_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
set(KORVANE_FUZZ_SECONDS 30 CACHE STRING "Seconds each fuzz target runs in the test suite")
ExternalProject_Add(fuzz
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${KORVANE_FUZZ_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DKORVANE_FUZZ=ON
               -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target fuzz_targets
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
# A new fuzz source shows up without a manual re-configure.
file(GLOB _fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_fuzz.cpp)
foreach(f ${KORVANE_FUZZ_TARGETS})
    if(EXISTS ${CMAKE_SOURCE_DIR}/tests/native/${f}.cpp)
        string(REGEX REPLACE "_fuzz$" "" name ${f})
        add_test(NAME fuzz.${name} COMMAND ${KORVANE_TOOLS}/fuzz-smoke
            ${KORVANE_FUZZ_DIR}/tests/native/${f} ${CMAKE_SOURCE_DIR}/tests/native/corpus/${f}
            ${KORVANE_FUZZ_DIR}/smoke/${f} ${KORVANE_FUZZ_SECONDS})
        set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300)
    endif()
endforeach()

option(KORVANE_WITH_WIN32 "Also build (and where possible test) the 32-bit build" ON)
if(NOT KORVANE_WITH_WIN32)
    return()
endif()
set(KORVANE_WIN32_DIR ${CMAKE_BINARY_DIR}/win32)
ExternalProject_Add(win32
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${KORVANE_WIN32_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
               -DKORVANE_SECONDARY_BUILD=ON
               -DKORVANE_PACKAGES_DIR=${KORVANE_PACKAGES_DIR}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
add_test(NAME win32.suite COMMAND ${KORVANE_TOOLS}/test-win32 ${KORVANE_WIN32_DIR})
# Skipped (77) with the reason printed where 32-bit code cannot run; alone, since it
# brings up a bench of its own and runs a whole suite.
set_tests_properties(win32.suite PROPERTIES SKIP_RETURN_CODE 77 RUN_SERIAL ON TIMEOUT 2400)
# Its packages go with this build's.
add_custom_target(packages_win32 COMMAND ${CMAKE_COMMAND} --build ${KORVANE_WIN32_DIR} --target packages
    DEPENDS win32 USES_TERMINAL)
add_dependencies(packages packages_win32)
