# Cross-compiles the Windows program on Debian with MinGW-w64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Debian's g++-mingw-w64-x86-64 installs a -win32 and a -posix compiler and
# points the plain name at one of them through update-alternatives (the -win32
# one by default). The placement search starts threads through std::thread,
# which only the posix thread model provides before GCC 13, so the -posix
# compiler comes first and the plain name is the fallback.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)

find_program(MINGW_CXX NAMES ${MINGW_TRIPLET}-g++-posix ${MINGW_TRIPLET}-g++)
if(NOT MINGW_CXX)
  message(FATAL_ERROR "No ${MINGW_TRIPLET}-g++ found; on Debian: apt-get install g++-mingw-w64-x86-64")
endif()
set(CMAKE_CXX_COMPILER ${MINGW_CXX})
# The C compiler and windres of the same variant, for a project that adds C or
# resources later; the name of the C++ compiler tells which variant that is.
string(REGEX MATCH "-posix$" MINGW_VARIANT "${MINGW_CXX}")
find_program(MINGW_CC NAMES ${MINGW_TRIPLET}-gcc${MINGW_VARIANT})
if(MINGW_CC)
  set(CMAKE_C_COMPILER ${MINGW_CC})
endif()
find_program(MINGW_WINDRES NAMES ${MINGW_TRIPLET}-windres)
if(MINGW_WINDRES)
  set(CMAKE_RC_COMPILER ${MINGW_WINDRES})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Players start the .exe from a folder that has no MinGW runtime DLLs
# (libstdc++-6, libgcc_s_seh-1, libwinpthread-1), so all of it goes inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
