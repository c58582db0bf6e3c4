# Shared build settings and the helpers every folder uses to declare targets and tests.

set(KORVANE_TOOLS ${CMAKE_SOURCE_DIR}/tools)
set(KORVANE_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
# Everything we ship ends up in one folder, as it would be installed.
set(KORVANE_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

function(korvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wint-to-pointer-cast $<$<COMPILE_LANGUAGE:C>:-Wpointer-to-int-cast>)
endfunction()

if(WIN32)
    # Shipped binaries must run on a clean Windows: no mingw runtime DLLs.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
endif()

# The module-definition file to link for this bitness. The sources carry i686's stdcall
# decorations (Name@16); x64 has a single calling convention and no decorations.
function(korvane_def_file out_var src)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        get_filename_component(name ${src} NAME)
        set(out ${CMAKE_CURRENT_BINARY_DIR}/x64-${name})
        file(READ ${src} text)
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
        file(GENERATE OUTPUT ${out} CONTENT "${text}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
        set(${out_var} ${out} PARENT_SCOPE)
    else()
        set(${out_var} ${src} PARENT_SCOPE)
    endif()
endfunction()

# A program or DLL that ships: built into the dist folder, stamped with the version
# record (and, for a program, the manifest), and part of the packages.
#   korvane_ship(target DESCRIPTION text [PROGRAM | DRIVER])
function(korvane_ship target)
    cmake_parse_arguments(S "PROGRAM;DRIVER" "DESCRIPTION" "" ${ARGN})
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${KORVANE_DIST_DIR}
        LIBRARY_OUTPUT_DIRECTORY ${KORVANE_DIST_DIR}
        PREFIX "")
    korvane_warnings(${target})
    if(WIN32)
        korvane_version_resource(${target} "${S_DESCRIPTION}" ${S_PROGRAM} ${S_DRIVER})
        # Imports load from System32 only (see framework/load_config.c).
        target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/framework/load_config.c)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${KORVANE_TOOLS}/set-load-config $<TARGET_FILE:${target}>)
        install(TARGETS ${target} RUNTIME DESTINATION .)
    endif()
endfunction()

# The version record, and for programs the manifest, compiled into `target`.
function(korvane_version_resource target description is_program is_driver)
    set(KV_NAME ${target})
    set(KV_DESCRIPTION "${description}")
    set(KV_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
    set(KV_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
    set(KV_MANIFEST_LINE "")
    if(is_program)
        set(KV_FILE ${target}.exe)
        set(KV_FILETYPE VFT_APP)
        set(KV_FILESUBTYPE 0)
        if(CMAKE_SIZEOF_VOID_P EQUAL 8)
            set(KV_ARCH amd64)
        else()
            set(KV_ARCH x86)
        endif()
        set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
        configure_file(${CMAKE_SOURCE_DIR}/cmake/program.manifest.in ${manifest} @ONLY)
        set(KV_MANIFEST_LINE "1 24 \"${manifest}\"")
    else()
        set(KV_FILE ${target}.dll)
        if(is_driver)
            set(KV_FILETYPE VFT_DRV)
            set(KV_FILESUBTYPE VFT2_DRV_INSTALLABLE)
        else()
            set(KV_FILETYPE VFT_DLL)
            set(KV_FILESUBTYPE 0)
        endif()
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()

# A test program (or test DLL with SHARED):
#   korvane_test_program(target SOURCES ... [LIBS ...] [INCLUDES ...] [DEPENDS ...]
#                        [COPY file ...] [SHARED])
# COPY: files put beside the program after each build (DLLs it loads, the skin file).
function(korvane_test_program target)
    cmake_parse_arguments(T "SHARED" "" "SOURCES;LIBS;INCLUDES;DEPENDS;COPY" ${ARGN})
    if(T_SHARED)
        add_library(${target} SHARED ${T_SOURCES})
    else()
        add_executable(${target} ${T_SOURCES})
    endif()
    target_link_libraries(${target} PRIVATE ${T_LIBS})
    if(T_INCLUDES)
        target_include_directories(${target} PRIVATE ${T_INCLUDES})
    endif()
    if(T_DEPENDS)
        add_dependencies(${target} ${T_DEPENDS})
    endif()
    if(T_COPY)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${T_COPY} $<TARGET_FILE_DIR:${target}>)
    endif()
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

# The bench's Wine matches the build's bitness.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KORVANE_WINEARCH win64)
else()
    set(KORVANE_WINEARCH win32)
endif()

function(korvane_test_env name)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "KORVANE_WINEARCH=${KORVANE_WINEARCH};KORVANE_BENCH_DIR=${KORVANE_BENCH_DIR};KORVANE_BUILD=${CMAKE_BINARY_DIR};KORVANE_DIST=${KORVANE_DIST_DIR};KORVANE_SOURCE=${CMAKE_SOURCE_DIR};KORVANE_CODEC_DLL=${KORVANE_DIST_DIR}/kvmsvc.dll")
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
