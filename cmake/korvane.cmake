# Shared build settings and the helpers every folder uses to declare targets and tests.

set(KORVANE_TOOLS ${CMAKE_SOURCE_DIR}/tools)
set(KORVANE_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
# Everything we ship ends up in one folder, as it would be installed.
set(KORVANE_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

function(korvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

if(WIN32)
    # Shipped binaries must run on a clean Windows: no mingw runtime DLLs.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
endif()

# A program or DLL that ships: built into the dist folder.
function(korvane_ship target)
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${KORVANE_DIST_DIR}
        LIBRARY_OUTPUT_DIRECTORY ${KORVANE_DIST_DIR}
        PREFIX "")
    korvane_warnings(${target})
endfunction()

# A test executable that runs under Wine in the shared bench (see tools/testbench).
#   korvane_wine_test(NAME target [DESKTOP] [TIMEOUT s] [ARGS ...])
# DESKTOP: the test draws on or grabs the shared desktop, so such tests run one at a time.
function(korvane_wine_test name target)
    cmake_parse_arguments(T "DESKTOP" "TIMEOUT" "ARGS" ${ARGN})
    add_test(NAME ${name} COMMAND ${KORVANE_TOOLS}/wine-run $<TARGET_FILE:${target}> ${T_ARGS})
    korvane_bench_test_properties(${name} "${T_DESKTOP}" "${T_TIMEOUT}")
endfunction()

# A test script (end to end, or one that needs its own bench) run from the shell.
#   korvane_script_test(NAME script [DESKTOP] [SHARED_BENCH] [TIMEOUT s] [ARGS ...])
function(korvane_script_test name script)
    cmake_parse_arguments(T "DESKTOP;SHARED_BENCH" "TIMEOUT" "ARGS" ${ARGN})
    add_test(NAME ${name} COMMAND bash ${script} ${T_ARGS})
    if(T_SHARED_BENCH)
        korvane_bench_test_properties(${name} "${T_DESKTOP}" "${T_TIMEOUT}")
    else()
        korvane_test_env(${name})
        if(T_TIMEOUT)
            set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
        endif()
    endif()
endfunction()

function(korvane_test_env name)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR};KORVANE_BUILD=${CMAKE_BINARY_DIR};KORVANE_DIST=${KORVANE_DIST_DIR};KORVANE_SOURCE=${CMAKE_SOURCE_DIR};KORVANE_CODEC_DLL=${KORVANE_DIST_DIR}/kvmsvc.dll")
endfunction()

function(korvane_bench_test_properties name desktop timeout)
    korvane_test_env(${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED bench)
    if(desktop)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
    endif()
    if(timeout)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout})
    else()
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    endif()
endfunction()
