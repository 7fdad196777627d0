# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain, POSIX threads variant
# (std::thread and std::mutex need it). Programs built with it run under Wine on Linux; CTest
# starts them through the emulator named here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ANNALEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ANNALEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ANNALEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ANNALEX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ANNALEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread are linked in, so a program needs no MinGW DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

find_program(ANNALEX_WINE wine)
if(ANNALEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ANNALEX_WINE})
endif()
