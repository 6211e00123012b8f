# Shared settings for every target of the project.

set(VELMORA_WARNINGS -Wall -Wextra -Werror)
set(VELMORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

# Applies the project's warning and sanitizer flags to a target.
function(velmora_settings target)
    target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
    if(VELMORA_SANITIZE)
        target_compile_options(${target} PRIVATE ${VELMORA_SANITIZER_FLAGS})
        target_link_options(${target} PRIVATE ${VELMORA_SANITIZER_FLAGS})
    endif()
endfunction()

# velmora_library(NAME SOURCES... [LINKS libs...]): a static library rooted at src/.
function(velmora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
    velmora_settings(${name})
    if(VELMORA_SANITIZE)
        target_link_options(${name} INTERFACE ${VELMORA_SANITIZER_FLAGS})
    endif()
endfunction()

# velmora_tests(NAME LABEL unit|gl|ui [OWN_FLAGS] SOURCES... LINKS libs...): a GoogleTest
# executable whose tests CTest runs under the given label: one CTest test each, or, with
# VELMORA_WHOLE_TEST_PROGRAMS, the program as one test, its suites set up once (a suite that
# writes a demo world then writes it once, not once a test). The programs of a label are built by
# the target LABEL_tier. OWN_FLAGS: its libraries change how headers compile (wx defines
# _FILE_OFFSET_BITS), so it cannot share the precompiled test headers.
function(velmora_tests name)
    cmake_parse_arguments(ARG "OWN_FLAGS" "LABEL" "SOURCES;LINKS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
    velmora_settings(${name})
    # GoogleMock's headers are most of what a test file costs to compile: parsed once a tree.
    if(NOT ARG_OWN_FLAGS)
        target_precompile_headers(${name} REUSE_FROM velmora_test_headers)
    endif()
    # A test that hangs fails by name within minutes rather than stalling the whole run.
    if(VELMORA_WHOLE_TEST_PROGRAMS)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL}
                                                TIMEOUT ${VELMORA_TEST_PROGRAM_TIMEOUT})
    else()
        gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${VELMORA_TEST_TIMEOUT}
                             DISCOVERY_TIMEOUT 60)
    endif()
    if(NOT TARGET ${ARG_LABEL}_tier)
        add_custom_target(${ARG_LABEL}_tier)
    endif()
    add_dependencies(${ARG_LABEL}_tier ${name})
endfunction()

# Seconds a test may take, and a whole program when it runs as one test (under the sanitizers at
# -O0 the slowest take tens of seconds).
set(VELMORA_TEST_TIMEOUT 120)
set(VELMORA_TEST_PROGRAM_TIMEOUT 300)

find_package(GTest REQUIRED)

# The headers every test program shares, precompiled once for all of them.
file(WRITE ${CMAKE_BINARY_DIR}/velmora_test_headers.cpp "// Precompiled headers only.\n")
add_library(velmora_test_headers OBJECT ${CMAKE_BINARY_DIR}/velmora_test_headers.cpp)
target_link_libraries(velmora_test_headers PRIVATE GTest::gtest GTest::gmock)
velmora_settings(velmora_test_headers)
target_precompile_headers(velmora_test_headers PRIVATE
    <gmock/gmock.h> <gtest/gtest.h> <filesystem> <functional> <map> <memory> <string> <vector>)

# velmora_embed_files(OUTPUT HEADER FUNCTION FILES...): generates OUTPUT at build time, a source
# whose FUNCTION (declared in HEADER) returns the FILES' bytes. Add OUTPUT to a target's sources.
function(velmora_embed_files output header function)
    # A list in one command argument would reach the shell as separate commands.
    string(REPLACE ";" "|" files "${ARGN}")
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DHEADER=${header} -DFUNCTION=${function}
                "-DFILES=${files}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
        DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
        COMMENT "Embedding ${function}"
        VERBATIM)
endfunction()

# velmora_shader_text(OUTPUT HEADER SOURCE [SCRIPT_KEY key]): generates OUTPUT at build time, a
# shader stage's SOURCE behind one side's HEADER; with SCRIPT_KEY, as the page's classic script.
# The shaders are written once, in src/world/render/shaders, for the desktop and the page alike.
function(velmora_shader_text output header source)
    cmake_parse_arguments(ARG "" "SCRIPT_KEY" "" ${ARGN})
    set(key "")
    if(ARG_SCRIPT_KEY)
        set(key -DSCRIPT_KEY=${ARG_SCRIPT_KEY})
    endif()
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DHEADER=${header} -DSOURCE=${source} ${key}
                -P ${PROJECT_SOURCE_DIR}/cmake/ShaderText.cmake
        DEPENDS ${header} ${source} ${PROJECT_SOURCE_DIR}/cmake/ShaderText.cmake
        VERBATIM)
endfunction()
