# Cross-builds the Windows programs with Debian's mingw-w64 (the posix thread model, for
# std::thread). Everything is linked statically, so the .exe files need only the DLLs
# Windows itself has. Tests run under wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 7 and later: inet_pton, WSAPoll.
add_compile_definitions(_WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
# libstdc++ selects mingw's C99 printf, but GCC checks format(printf) attributes against
# Microsoft's: the Linux build checks the formats.
add_compile_options(-Wno-format)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Release programs without their symbols: less than half the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

find_program(QUORVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT QUORVEL_WINE)
  find_program(QUORVEL_WINE NAMES wine64 wine)
endif()
if(QUORVEL_WINE)
  # Quiet, and with a wine prefix of the build's own (made at the first start).
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wine
      ${QUORVEL_WINE})
endif()

# GoogleTest is built from Debian's sources for the target.
set(QUORVEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
