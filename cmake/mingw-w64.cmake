# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads for std::thread):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZARKENT_CORE_ONLY=ON
# The programs are linked statically (no MinGW DLLs to ship) and run under Wine for the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZARKENT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZARKENT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARKENT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARKENT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZARKENT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# zlib's libz.a, not its DLL import library.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows programs under Wine.
find_program(ZARKENT_WINE wine)
if(ZARKENT_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZARKENT_WINE})
endif()
