#!/usr/bin/env bash
# Prepares everything the Windows build of brindle needs, from Debian's own
# packages only, on a Debian 12 machine:
#   - installs the mingw-w64 cross compiler and Wine (apt-get, as root);
#   - fetches Debian's source packages of libxml2 and GoogleTest at pinned
#     versions through a private apt setup, so that the machine's own
#     sources, lists and caches are left as they were;
#   - cross-builds both as static libraries into build-windows-deps/prefix
#     (libxml2 with only the parts brindle uses: see LIBXML2_OPTIONS);
#   - makes the Wine prefix that runs the Windows programs here.
# Everything it downloads or builds stays under build-windows-deps
# ($BRINDLE_WINDOWS_DEPS when set). A second run finds it all in place and
# only says so. JOBS sets the parallel compile jobs (default: nproc).
#
# Use: tools/windows/build-deps.sh            (as root, or with sudo at hand)
#      cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
deps=${BRINDLE_WINDOWS_DEPS:-$root/build-windows-deps}
host=x86_64-w64-mingw32

# shellcheck source=tools/debian-source.sh
. "$root/tools/debian-source.sh"

# GoogleTest's source package, pinned as libxml2's is (tools/debian-source.sh).
readonly GOOGLETEST_VERSION=1.12.1-0.2
readonly GOOGLETEST_DSC_SHA256=cc90251040c145be18d5090787d9ec79e48217c6cef3ae78eb20f0e31551404c

readonly PACKAGES=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64  # the cross compiler
  wine wine64                      # runs the Windows programs and their tests
  cmake                            # GoogleTest's build
  "${SOURCE_BUILD_PACKAGES[@]}"
)

# The Windows parts of libxml2's configuration: cross-compiled, and the
# encodings from Windows' code pages.
readonly LIBXML2_SYSTEM_OPTIONS=(
  "--host=$host" "CC=$host-gcc-posix"
  --with-iso8859x    # ISO-8859-2 to -16 built in, as iconv has them on Linux
  --without-iconv --without-icu
)

build_googletest() {
  local toolchain=$root/cmake/mingw-w64-x86_64.cmake
  local recipe
  recipe="$GOOGLETEST_VERSION $(sha256sum <"$toolchain")"
  stamp_matches googletest "$recipe" && return
  compare_with_installed libgtest-dev "$GOOGLETEST_VERSION"
  local source build=$deps/build/googletest
  source=$(fetch_source googletest "$GOOGLETEST_VERSION" "$GOOGLETEST_DSC_SHA256")
  log "Building GoogleTest $GOOGLETEST_VERSION for $host"
  rm -rf "$build"
  quietly googletest-configure cmake -S "$source" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
  quietly googletest-build cmake --build "$build" -j "$jobs"
  quietly googletest-install cmake --install "$build"
  write_stamp googletest "$recipe"
}

build_libraries() {
  build_libxml2
  build_googletest
}

main() {
  [ -f /etc/debian_version ] || die "this needs a Debian machine"
  install_packages "${PACKAGES[@]}"
  with_private_apt build_libraries
  "$root/tools/windows/wine-run.sh" --init
  log "Windows dependencies are ready in $prefix"
}

main "$@"
