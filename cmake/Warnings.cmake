# Every target of the project builds with the same warning set; a warning is a defect.
add_library(annalex_warnings INTERFACE)
target_compile_options(annalex_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                  -Wnon-virtual-dtor)
