# Cross build for Windows with MinGW-w64 (the posix thread model, so std::thread and std::mutex work).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DORVEN_MINGW_ARCH=i686|x86_64 ...
# The i686 build is the one the 32-bit IDE loads; the x86_64 build is its twin for 64-bit hosts. The Wine
# session runs each under the Wine of its width.
set(ORVEN_MINGW_ARCH "i686" CACHE STRING "MinGW-w64 target: i686 or x86_64")
set_property(CACHE ORVEN_MINGW_ARCH PROPERTY STRINGS i686 x86_64)
if(NOT ORVEN_MINGW_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "ORVEN_MINGW_ARCH must be i686 or x86_64, not '${ORVEN_MINGW_ARCH}'")
endif()
# try_compile projects see the architecture too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVEN_MINGW_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORVEN_MINGW_ARCH})
set(triple ${ORVEN_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_OBJDUMP ${triple}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime goes into every binary: the DLL must load on a machine with nothing but the system DLLs
# (no libstdc++-6, libgcc_s or libwinpthread-1 beside the IDE).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
