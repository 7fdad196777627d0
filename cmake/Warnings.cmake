# Every target of the project builds with the same warning set; a warning is a defect.
add_library(annalex_warnings INTERFACE)
target_compile_options(annalex_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                  -Wnon-virtual-dtor)
# GCC 12 at -O3 (Release) reports -Wrestrict inside libstdc++'s basic_string::_M_replace, reached
# from ordinary string assignments and concatenations (GCC bug 105329, a false positive of that
# release's optimiser). Rewriting each such line only moves the warning to the next one, so the
# warning is turned off for GCC 12 alone.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(annalex_warnings INTERFACE -Wno-restrict)
endif()
