# Hardened binaries: on Linux the protections Debian's `dpkg-buildflags` gives with hardening=+all
# (stack protector, fortified libc calls, stack clash probes, CET on x86, full RELRO, PIE); on Windows
# the stack protector and fortified C calls too, and the PE flags for ASLR, no-execute data and a
# terminal-server-aware program. The sanitizer and fuzz builds are left as they are: their
# instrumentation checks the same things and does not mix with fortified libc calls.
option(TIRVOK_HARDEN "Build hardened binaries (stack protector, _FORTIFY_SOURCE, RELRO, PIE)" ON)
# A WebAssembly module has none of these: the browser's sandbox bounds its memory and calls.
if(NOT TIRVOK_HARDEN OR TIRVOK_SANITIZE OR TIRVOK_FUZZ OR WASI OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

if(WIN32)
  # mingw-w64 has both: its headers fortify the C calls, and GCC links the checks and the canary's
  # failure handler in from its own libssp (statically, like the rest). Fortification needs the optimiser.
  add_compile_options(-fstack-protector-strong "$<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>")
  add_link_options(-fstack-protector-strong)
  # High-entropy ASLR needs a 64-bit image; GNU ld takes these flags for PE targets only. --tsaware: the
  # program keeps no per-user files in the Windows folder, so a terminal server need not redirect any.
  add_link_options(LINKER:--dynamicbase LINKER:--nxcompat LINKER:--tsaware)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(LINKER:--high-entropy-va)
  endif()
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckPIESupported)

# Position-independent executables, so ASLR moves the program too. Debian's compilers (and most
# others) make them by default, as dpkg-buildflags relies on; only where they do not is every target
# built position-independent, which makes the static libraries -fPIC and costs about 5 % of a frame.
check_cxx_source_compiles("#if !defined(__PIE__)
  #error not position-independent by default
  #endif
  int main() { return 0; }" TIRVOK_DEFAULT_PIE)
if(NOT TIRVOK_DEFAULT_PIE)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()

# A format string that is not a literal and has no arguments is an error, as in Debian's builds.
add_compile_options(-Wformat -Werror=format-security)
set(hardening_flags -fstack-protector-strong -fstack-clash-protection)
# Control-flow enforcement (IBT, shadow stack) exists on x86 only; its arm64 kin is BTI and PAC.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
  list(APPEND hardening_flags -fcf-protection)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  list(APPEND hardening_flags -mbranch-protection=standard)
endif()
foreach(flag IN LISTS hardening_flags)
  string(MAKE_C_IDENTIFIER "TIRVOK_HAS${flag}" has_flag)
  check_cxx_compiler_flag(${flag} ${has_flag})
  if(${has_flag})
    add_compile_options(${flag})
  endif()
endforeach()

# The highest _FORTIFY_SOURCE level the C library really applies: 3 needs GCC 12 or Clang 9 and glibc
# 2.34, otherwise glibc falls back to 2. Fortification needs the optimiser, so Debug builds go without.
set(fortify_level)
foreach(level 3 2)
  set(CMAKE_REQUIRED_FLAGS "-O2 -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${level}")
  set(CMAKE_REQUIRED_QUIET ON)
  check_cxx_source_compiles("#include <cstring>
    #if !defined(__USE_FORTIFY_LEVEL) || __USE_FORTIFY_LEVEL < ${level}
    #error not fortified at this level
    #endif
    int main() { return 0; }" TIRVOK_FORTIFY_${level})
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_QUIET)
  if(TIRVOK_FORTIFY_${level})
    set(fortify_level ${level})
    break()
  endif()
endforeach()
if(fortify_level)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortify_level}>")
endif()

# Full RELRO: relocations resolved at start-up, then the tables made read-only.
add_link_options(LINKER:-z,relro LINKER:-z,now)
