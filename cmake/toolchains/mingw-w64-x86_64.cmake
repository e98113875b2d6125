# Cross-building the native 64-bit Windows program with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix,
# binutils-mingw-w64-x86-64). The -posix compilers have std::thread; everything links statically, so
# the programs and server.dll need no libstdc++, libgcc or winpthread DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# GCC 12 reports std::string copies inside its own headers as overlapping or out of bounds (GCC bugs
# 105329 and 105651), at -O2 too, for this target only.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict -Wno-array-bounds -Wno-stringop-overflow")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The tests run the programs they build under wine64.
find_program(DRAVO_WINE64 wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_CMAKE_FIND_ROOT_PATH)
if(DRAVO_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${DRAVO_WINE64}")
endif()
