# Cross-building the Windows program with Debian's mingw-w64 (the posix-threads variant, which has
# std::thread and std::mutex for GoogleTest): `cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake`.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TIRVOK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIRVOK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIRVOK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TIRVOK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TIRVOK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained .exe: the C++ runtime and winpthreads linked in, only system DLLs imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
