# Cross-building for another Debian architecture against a sysroot of its packages (made by
# tests/cross-sysroot.sh), with the tests run under qemu-user:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux.cmake -DTIRVOK_CROSS_ARCH=arm64 -DTIRVOK_SYSROOT=DIR
# Qt's build tools (moc, rcc) are the machine's own.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TIRVOK_CROSS_ARCH TIRVOK_SYSROOT)
# Debian architecture: GNU triplet, CMake processor name, qemu-user's name for it.
set(tirvok_arches
    "arm64|aarch64-linux-gnu|aarch64|aarch64"
    "armhf|arm-linux-gnueabihf|armv7l|arm"
    "ppc64el|powerpc64le-linux-gnu|ppc64le|ppc64le"
    "s390x|s390x-linux-gnu|s390x|s390x")
foreach(entry IN LISTS tirvok_arches)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 arch)
  if(arch STREQUAL TIRVOK_CROSS_ARCH)
    list(GET fields 1 triplet)
    list(GET fields 2 processor)
    list(GET fields 3 qemu)
  endif()
endforeach()
if(NOT triplet)
  message(FATAL_ERROR "TIRVOK_CROSS_ARCH must be one of arm64, armhf, ppc64el, s390x")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})
set(CMAKE_C_COMPILER ${triplet}-gcc)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(CMAKE_SYSROOT ${TIRVOK_SYSROOT})
set(CMAKE_LIBRARY_ARCHITECTURE ${triplet})
set(CMAKE_FIND_ROOT_PATH ${TIRVOK_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${qemu}-static -L ${TIRVOK_SYSROOT})
