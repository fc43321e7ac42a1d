# Reproducible binaries: the same sources give the same bytes whatever folder they are built in and
# whenever. The package's file times come from SOURCE_DATE_EPOCH, which the Makefile sets to the last
# commit's time, and Qt resources carry none; this module keeps build paths and link times out.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

# Source and build folders appear as "." in debug information and __FILE__; a build folder outside
# the sources gets its own entry (the later option wins for paths under both).
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
string(FIND "${PROJECT_BINARY_DIR}/" "${PROJECT_SOURCE_DIR}/" binary_in_source)
if(NOT binary_in_source EQUAL 0)
  add_compile_options(-ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
endif()
# A warning wherever __DATE__ or __TIME__ would put the build's clock into the program.
add_compile_options(-Wdate-time)

# GNU ld writes the link time into a PE header unless told not to.
if(WIN32)
  add_link_options(LINKER:--no-insert-timestamp)
endif()
