# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix
# threads variant: packages g++-mingw-w64-x86-64-posix and
# binutils-mingw-w64-x86-64). Use:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Libraries are looked up in mingw-w64's own tree and in the prefix that
# tools/windows/build-deps.sh fills (libxml2 and GoogleTest built from
# Debian's sources): build-windows-deps/prefix, or $BRINDLE_WINDOWS_DEPS/prefix
# when that is set. Nothing of the build machine's own libraries, headers or
# pkg-config files is ever picked up.
#
# Programs are linked fully static (libgcc, libstdc++ and winpthreads
# included), so a program is one .exe that needs no DLL beside it, only
# those of Windows itself. They run on the build machine through
# tools/windows/wine-run.sh, which CMake and CTest use as the emulator.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRINDLE_MINGW_TRIPLET x86_64-w64-mingw32)

# The -posix names, not the bare ones: the bare names follow Debian's
# alternatives and may point to the win32 threads variant, whose libstdc++
# has no std::thread or std::mutex.
set(CMAKE_C_COMPILER ${BRINDLE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINDLE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINDLE_MINGW_TRIPLET}-windres)

# The environment carries the prefix into try_compile projects, which see
# this file again but none of the cache.
if(DEFINED ENV{BRINDLE_WINDOWS_DEPS})
  set(BRINDLE_WINDOWS_DEPS_PREFIX "$ENV{BRINDLE_WINDOWS_DEPS}/prefix")
else()
  get_filename_component(BRINDLE_WINDOWS_DEPS_PREFIX
    "${CMAKE_CURRENT_LIST_DIR}/../build-windows-deps/prefix" ABSOLUTE)
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${BRINDLE_MINGW_TRIPLET} ${BRINDLE_WINDOWS_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the prefix's .pc files (libxml-2.0.pc, whose Cflags
# carry -DLIBXML_STATIC), never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${BRINDLE_WINDOWS_DEPS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
# The .pc files name the prefix they were built for; --define-prefix takes
# it from where they are found, so that a prefix copied elsewhere works.
set(PKG_CONFIG_ARGN --define-prefix)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_CURRENT_LIST_DIR}/../tools/windows/wine-run.sh" ABSOLUTE)
