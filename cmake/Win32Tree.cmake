# The Windows tree, built with the mingw toolchain as an external project of
# the host tree, so that one build command makes everything and the host
# tools it needs (the packer, the game-data generator) are built first.
include(ExternalProject)

option(KEST_BUILD_WIN32 "Build the Windows programs (needs mingw-w64)" ON)
set(KEST_WIN32_BINARY_DIR "${CMAKE_BINARY_DIR}/../win32" CACHE PATH
    "Where the Windows tree is built")
get_filename_component(KEST_WIN32_BINARY_DIR "${KEST_WIN32_BINARY_DIR}" ABSOLUTE)
set(KEST_GAME_FOLDER "" CACHE PATH
    "Folder of game files to embed in the installer (empty: the sample demo game)")

# Called once every folder has been added: host tools the Windows tree runs
# register themselves with
#   set_property(GLOBAL APPEND PROPERTY KEST_HOST_TOOL_TARGETS name)
function(kest_add_win32_tree)
  if(NOT KEST_BUILD_WIN32)
    return()
  endif()
  get_property(host_tools GLOBAL PROPERTY KEST_HOST_TOOL_TARGETS)
  ExternalProject_Add(win32
    SOURCE_DIR "${CMAKE_SOURCE_DIR}"
    BINARY_DIR "${KEST_WIN32_BINARY_DIR}"
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DKEST_WERROR=${KEST_WERROR}
      -DKEST_HOST_TOOLS_DIR=${CMAKE_BINARY_DIR}
      -DKEST_GAME_FOLDER=${KEST_GAME_FOLDER}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON
    DEPENDS ${host_tools})
endfunction()
