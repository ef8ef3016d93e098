#!/usr/bin/env bash
# Builds the libxml2 that a release of brindle for Linux links statically:
# Debian's own source package at the pinned version, with only the parts
# brindle uses (tools/debian-source.sh). Debian's libxml2 is linked to ICU,
# and through it to libstdc++, zlib and liblzma: loading those takes about
# half of a run on a small document. Without them, and with libstdc++ and
# libgcc linked statically too, brindle needs only the C library.
# Everything stays under build-static-libxml2 ($BRINDLE_STATIC_DEPS when
# set); a second run finds it in place and says nothing. Packages that the
# build needs are installed with apt-get (as root, or with sudo at hand).
#
# Use: tools/build-static-libxml2.sh
#      cmake -DBRINDLE_STATIC_LIBXML2=build-static-libxml2/prefix ...
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps=${BRINDLE_STATIC_DEPS:-$root/build-static-libxml2}

# shellcheck source=tools/debian-source.sh
. "$root/tools/debian-source.sh"

# Position-independent, as brindle is; encodings from the C library's iconv,
# as with the system's libxml2.
readonly LIBXML2_SYSTEM_OPTIONS=(--with-pic --with-iconv --without-icu)

[ -f /etc/debian_version ] || die "this needs a Debian machine"
install_packages gcc "${SOURCE_BUILD_PACKAGES[@]}"
with_private_apt build_libxml2
