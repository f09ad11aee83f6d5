# Cross-compiling for Windows with Debian's mingw-w64 (win32 threads).
#
# KEST_WINDOWS_ARCH picks the processor: i686 (the default) for the 32-bit
# programs of build/win32, x86_64 for the 64-bit ones of build/win64.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw.cmake -DKEST_WINDOWS_ARCH=x86_64 ...
if(NOT KEST_WINDOWS_ARCH)
  set(KEST_WINDOWS_ARCH i686)
endif()
if(NOT KEST_WINDOWS_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "KEST_WINDOWS_ARCH is '${KEST_WINDOWS_ARCH}': i686 or x86_64")
endif()
# The compiler checks run in trees of their own and read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KEST_WINDOWS_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KEST_WINDOWS_ARCH})

set(TOOL_PREFIX ${KEST_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOL_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOL_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOL_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
