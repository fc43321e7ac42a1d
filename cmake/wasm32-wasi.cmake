# Building the engine and the browser shell as WebAssembly with Debian's own clang, lld, wasi-libc and
# libc++ for wasm32 (no other SDK): `cmake -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake`.
# TIRVOK_LLVM_VERSION picks the clang of the release (14 on Debian 12, 19 on Debian 13); unset, the
# newest one installed is taken.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(TIRVOK_WASM_TRIPLE wasm32-wasi)
# Platform/WASI.cmake lives beside this file. CMake 3.31 (Debian 13) brings its own, which it prefers
# and which names no program suffix, so ours is also read as the rules override, after either.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/Platform/WASI.cmake)

set(TIRVOK_LLVM_VERSION "" CACHE STRING "clang and lld version for WebAssembly (empty: newest installed)")
if(TIRVOK_LLVM_VERSION)
  set(llvm_suffixes -${TIRVOK_LLVM_VERSION})
else()
  set(llvm_suffixes -19 -18 -17 -16 -15 -14 "")
endif()
set(clang_names)
foreach(suffix IN LISTS llvm_suffixes)
  list(APPEND clang_names clang++${suffix})
endforeach()
find_program(TIRVOK_WASM_CXX NAMES ${clang_names} REQUIRED)
string(REPLACE "clang++" "clang" TIRVOK_WASM_CC ${TIRVOK_WASM_CXX})
set(CMAKE_C_COMPILER ${TIRVOK_WASM_CC})
# wasm-ld wants an archive index of WebAssembly symbols, which GNU ar (Debian 12's) does not write.
string(REGEX MATCH "-[0-9]+$" llvm_suffix ${TIRVOK_WASM_CXX})
find_program(CMAKE_AR NAMES llvm-ar${llvm_suffix} REQUIRED)
find_program(CMAKE_RANLIB NAMES llvm-ranlib${llvm_suffix} REQUIRED)
set(CMAKE_CXX_COMPILER ${TIRVOK_WASM_CXX})
set(CMAKE_C_COMPILER_TARGET ${TIRVOK_WASM_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${TIRVOK_WASM_TRIPLE})
# No exceptions in the module; wasm32 has no threads either. 128-bit SIMD, which every browser that
# unpacks the page's module has: the fills and the compare of a frame go four pixels at a time.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -msimd128")
# Linking with an optimisation level, clang runs binaryen's wasm-opt when it finds one on PATH, so the
# module's bytes would depend on the machine. The last -O of the link line decides, and -O0 there changes
# nothing else (wasm-ld's LTO keeps its own level): the bytes depend on the sources alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT -O0)
# Debian installs wasi-libc and libc++ for wasm32 under /usr, where clang looks by itself.
set(CMAKE_FIND_ROOT_PATH /usr/lib/${TIRVOK_WASM_TRIPLE} /usr/include/${TIRVOK_WASM_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs are WASI commands; node runs them (tests/web/wasi_run.mjs).
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
