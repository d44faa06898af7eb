# Cross-compiling brelok.exe for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRELOK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${BRELOK_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${BRELOK_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER  ${BRELOK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRELOK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A static runtime: the executable runs without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
