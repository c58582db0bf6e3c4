# The native (host) build, made from the same tree beside the Windows build, and its
# tests registered here so that one CTest run covers both.
include(ExternalProject)
set(KORVANE_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
ExternalProject_Add(native
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${KORVANE_NATIVE_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
include(${CMAKE_SOURCE_DIR}/tests/native/list.cmake)
foreach(t ${KORVANE_NATIVE_TESTS})
    add_test(NAME native.${t} COMMAND ${KORVANE_NATIVE_DIR}/tests/native/${t})
endforeach()

# The shared bench for the Wine tests: up before the first, down after the last.
add_test(NAME bench.start COMMAND ${KORVANE_TOOLS}/testbench start default)
add_test(NAME bench.stop COMMAND ${KORVANE_TOOLS}/testbench stop default)
korvane_test_env(bench.start)
korvane_test_env(bench.stop)
set_tests_properties(bench.start PROPERTIES FIXTURES_SETUP bench TIMEOUT 120)
set_tests_properties(bench.stop PROPERTIES FIXTURES_CLEANUP bench)
