# kest_add_wine_test(NAME COMMAND...): registers a CTest test that runs under
# Wine: it needs the template prefix (fixture wine_prefix), carries the label
# "wine" and a time limit, and is told where the trees and the prefix are.
#   TIMEOUT seconds (default 180)   LABELS more labels
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KEST_WINE_TEMPLATE "${CMAKE_BINARY_DIR}/wine-template")
set(KEST_WINE_OUTPUT "${CMAKE_BINARY_DIR}/wine-output")
set(KEST_WINE_DIR "${CMAKE_SOURCE_DIR}/tests/wine")

function(kest_add_wine_test name)
  cmake_parse_arguments(arg "" "TIMEOUT" "COMMAND;LABELS" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 180)
  endif()
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES
    LABELS "wine;${arg_LABELS}"
    TIMEOUT ${arg_TIMEOUT}
    FIXTURES_REQUIRED wine_prefix
    ENVIRONMENT "KEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};KEST_NATIVE_DIR=${CMAKE_BINARY_DIR};KEST_WIN32_DIR=${KEST_WIN32_BINARY_DIR};KEST_WINE_TEMPLATE=${KEST_WINE_TEMPLATE};KEST_WINE_OUTPUT=${KEST_WINE_OUTPUT};PYTHONDONTWRITEBYTECODE=1")
endfunction()
