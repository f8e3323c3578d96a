# Helpers that give every target of the project the same language level,
# warnings, include root and sanitizer flags.

set(FEROLITH_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

add_library(ferolith_options INTERFACE)
target_include_directories(ferolith_options INTERFACE ${FEROLITH_ROOT})
target_compile_features(ferolith_options INTERFACE cxx_std_20)
target_compile_options(ferolith_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wformat=2)
if(FEROLITH_SANITIZE OR FEROLITH_FUZZ)
  target_compile_options(ferolith_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(ferolith_options INTERFACE -fsanitize=address,undefined)
endif()
if(FEROLITH_FUZZ)
  target_compile_options(ferolith_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(NOT FEROLITH_SANITIZE AND NOT FEROLITH_FUZZ AND NOT WIN32)
  # Hardening of the programs we ship: checked string and memory calls in
  # optimised builds, and relocations made read-only before main().
  target_compile_definitions(ferolith_options INTERFACE
    $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  target_link_options(ferolith_options INTERFACE LINKER:-z,relro,-z,now)
endif()

# ferolith_add_library(NAME SOURCES ... [DEPS ...])
function(ferolith_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ferolith_options ${ARG_DEPS})
endfunction()

# ferolith_add_test(NAME LABEL label [DESKTOP_WIDE] SOURCES ... [DEPS ...])
# One GoogleTest program; every test case becomes a CTest test with the label.
# DESKTOP_WIDE: its cases run the programs themselves, whose marks are seen
# by the whole desktop on Windows, so there they run one at a time.
function(ferolith_add_test name)
  cmake_parse_arguments(ARG "DESKTOP_WIDE" "LABEL" "SOURCES;DEPS" ${ARGN})
  set(serial FALSE)
  if(ARG_DESKTOP_WIDE AND WIN32)
    set(serial TRUE)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ferolith_options ferolith_testsupport
    ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    # Listing the cases starts the program once; under wine on a loaded
    # machine that can take longer than the default five seconds.
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${ARG_LABEL}
               RUN_SERIAL ${serial}
               ENVIRONMENT "FEROLITH_SOURCE_DIR=${FEROLITH_ROOT}")
endfunction()
