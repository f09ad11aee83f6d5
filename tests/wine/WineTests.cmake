# kest_add_wine_test(NAME COMMAND...): registers a test that runs under Wine,
# once for each Windows tree: win32.NAME with the 32-bit programs under the
# 32-bit Wine, win64.NAME with the 64-bit ones under the 64-bit Wine. Each
# needs its kind's template prefix (fixture wine_prefix_<tree>), carries the
# labels "wine" and its tree's name and a time limit, and is told where the
# trees and the prefix are. Where this machine's Wine cannot run a kind
# (scripts/wine-arches.sh), its tests end with status 77: skipped.
#   TIMEOUT seconds (default 180)   LABELS more labels
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KEST_WINE_OUTPUT "${CMAKE_BINARY_DIR}/wine-output")
set(KEST_WINE_DIR "${CMAKE_SOURCE_DIR}/tests/wine")

function(kest_add_wine_test name)
  cmake_parse_arguments(arg "" "TIMEOUT;FIXTURE" "COMMAND;LABELS" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 180)
  endif()
  foreach(tree ${KEST_WINDOWS_TREES})
    set(test ${tree}.${name})
    add_test(NAME ${test} COMMAND ${arg_COMMAND})
    set_tests_properties(${test} PROPERTIES
      LABELS "wine;${tree};${arg_LABELS}"
      TIMEOUT ${arg_TIMEOUT}
      SKIP_RETURN_CODE 77
      ENVIRONMENT "KEST_WINE_ARCH=${tree};KEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};KEST_NATIVE_DIR=${CMAKE_BINARY_DIR};KEST_WINDOWS_DIR=${KEST_WINDOWS_DIR_${tree}};KEST_WINE_TEMPLATE=${CMAKE_BINARY_DIR}/wine-template-${tree};KEST_WINE_OUTPUT=${KEST_WINE_OUTPUT}/${tree};PYTHONDONTWRITEBYTECODE=1")
    if(arg_FIXTURE STREQUAL "SETUP")
      set_tests_properties(${test} PROPERTIES FIXTURES_SETUP wine_prefix_${tree})
    else()
      set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine_prefix_${tree})
    endif()
  endforeach()
endfunction()
