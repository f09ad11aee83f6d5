# The Windows trees, built with the mingw toolchain as external projects of
# the host tree, so that one build command makes everything and the host
# tools they need (the packer, the game-data generator) are built first.
#
# Two trees come from the same sources, each self-consistent (its installer
# carries a game and driver built for its own processor):
#   win32   i686, in build/win32: the shipped installer and its test programs
#   win64   x86_64, in build/win64: the same programs for 64-bit Windows
#           without 32-bit support, and for hosts whose Wine runs only
#           64-bit programs
# KEST_WINDOWS_TREES lists the names; KEST_WINDOWS_ARCH_<tree> and
# KEST_WINDOWS_DIR_<tree> give each one's processor and folder.
include(ExternalProject)

option(KEST_BUILD_WIN32 "Build the Windows trees (needs mingw-w64)" ON)
set(KEST_WINDOWS_TREES win32 win64)
set(KEST_WINDOWS_ARCH_win32 i686)
set(KEST_WINDOWS_ARCH_win64 x86_64)
foreach(tree ${KEST_WINDOWS_TREES})
  get_filename_component(KEST_WINDOWS_DIR_${tree} "${CMAKE_BINARY_DIR}/../${tree}" ABSOLUTE)
endforeach()
# Where the release check leaves the installers it signed.
set(KEST_SIGNED_DIR "${CMAKE_BINARY_DIR}/tests/release/signing")
# The 32-bit tree, whose sample game the host tests look at.
set(KEST_WIN32_BINARY_DIR "${KEST_WINDOWS_DIR_win32}")
set(KEST_GAME_FOLDER "" CACHE PATH
    "Folder of game files to embed in the installer (empty: the sample demo game)")

# Called once every folder has been added: host tools the Windows trees run
# register themselves with
#   set_property(GLOBAL APPEND PROPERTY KEST_HOST_TOOL_TARGETS name)
function(kest_add_windows_trees)
  if(NOT KEST_BUILD_WIN32)
    return()
  endif()
  get_property(host_tools GLOBAL PROPERTY KEST_HOST_TOOL_TARGETS)
  # The signing settings reach both trees as they are given here.
  set(signing)
  foreach(variable ${KEST_SIGN_VARIABLES})
    list(APPEND signing "-D${variable}=${${variable}}")
  endforeach()
  foreach(tree ${KEST_WINDOWS_TREES})
    ExternalProject_Add(${tree}
      SOURCE_DIR "${CMAKE_SOURCE_DIR}"
      BINARY_DIR "${KEST_WINDOWS_DIR_${tree}}"
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw.cmake
        -DKEST_WINDOWS_ARCH=${KEST_WINDOWS_ARCH_${tree}}
        -DCMAKE_BUILD_TYPE=Release
        -DKEST_WERROR=${KEST_WERROR}
        -DKEST_HOST_TOOLS_DIR=${CMAKE_BINARY_DIR}
        -DKEST_GAME_FOLDER=${KEST_GAME_FOLDER}
        ${signing}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON
      DEPENDS ${host_tools})
  endforeach()
endfunction()
