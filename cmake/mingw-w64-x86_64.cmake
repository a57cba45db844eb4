# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static, so that the programs run on a bare Windows without the toolchain's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# ctest runs the test programs (and gtest's discovery) under Wine.
find_program(VELUNOR_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELUNOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELUNOR_WINE})
endif()
# GCC 12 warns falsely of overlapping copies in libstdc++'s `"text" + std::string` (GCC bug 105329).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
