# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154  # its variables are the caller's, and the other way round
# Sourced, not run: what the builds that link a libxml2 of their own share.
# It fetches Debian's source package of libxml2 at a pinned version through
# a private apt setup, so that the machine's own sources, lists and caches
# are left as they were, and builds it as a static library with only the
# parts brindle uses. The caller sets, before sourcing it:
#   root    the source tree
#   deps    the folder for downloads, builds and logs
# and afterwards LIBXML2_SYSTEM_OPTIONS, configure's arguments for the
# system built for (compiler, host, encodings), an array; then it calls
# install_packages, and build_libxml2 inside with_private_apt. The library,
# its headers and its pkg-config file go to $prefix.

# The source package, pinned. The version is that of Debian 12's
# libxml2-dev that the Linux build uses by default; the .dsc hash
# makes a silently re-published package fail here. apt checks each download
# against the archive's signed index; dpkg-source checks the tarballs against
# the .dsc and applies Debian's patches. A security update replaces the
# pinned libxml2 in Debian's archive: the script then follows the installed
# libxml2-dev (the one the Linux build uses) and says so, with apt's check
# against the signed index as the only one, until the pin moves to the new
# version with its .dsc's SHA-256.
prefix=$deps/prefix
stamps=$prefix/share/brindle-deps  # what was built with what
jobs=${JOBS:-$(nproc)}

readonly SUITE=bookworm
readonly LIBXML2_VERSION=2.9.14+dfsg-1.3~deb12u6
readonly LIBXML2_DSC_SHA256=d86ce3efb1b75d2781f72f5cdd187474c148a915d610295c85162681bb070a65

# What fetching and building a source package needs.
readonly SOURCE_BUILD_PACKAGES=(
  dpkg-dev xz-utils debian-archive-keyring  # apt-get source, its checks
  autoconf automake libtool pkg-config make  # libxml2's build, as Debian runs it
)

# libxml2's parts, each on only when brindle calls it or when it changes the
# results of what brindle calls, so that every build parses, selects and
# saves alike. Encodings are the system's (LIBXML2_SYSTEM_OPTIONS).
readonly LIBXML2_OPTIONS=(
  --with-tree --with-output --with-xpath  # the document, saving, selection
  --with-pattern     # XPath evaluates some paths by streaming with it
  --with-valid --with-regexps  # the DTD declarations the reader inspects
  --with-html        # the "HTML" encoding that saving may be asked for
  --without-zlib --without-lzma  # documents are never compressed
  --without-ftp --without-http   # documents are never fetched (and no ws2_32)
  --without-threads  # one thread only; no thread-local state to set up
  --without-modules  # no plug-ins are loaded
  --without-catalog  # external entities are never resolved
  --without-python --without-readline --without-history  # no shells, no bindings
  # Interfaces brindle does not call:
  --without-sax1 --without-push --without-reader --without-writer
  --without-c14n --without-xinclude --without-xptr --without-schemas
  --without-schematron --without-debug --without-docbook --without-legacy
)

log() { printf '== %s\n' "$*"; }
die() { printf '%s: %s\n' "$0" "$*" >&2; exit 1; }

# quietly NAME COMMAND...: runs the command with its output in
# $deps/logs/NAME.log, shown only when it fails.
quietly() {
  local name=$1
  shift
  mkdir -p "$deps/logs"
  if ! "$@" >"$deps/logs/$name.log" 2>&1; then
    tail -n 40 "$deps/logs/$name.log" >&2
    die "$name failed (whole output: $deps/logs/$name.log)"
  fi
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# install_packages PACKAGE...: installs those that are missing.
install_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  log "Installing ${missing[*]}"
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# apt with its sources, lists and caches under $deps/apt instead of the
# machine's: only deb-src lines, only for the suite the pins come from. It
# downloads as the caller, as apt's own user may not write in the build tree.
private_apt() {
  local command=$1
  shift
  "$command" -o Dir::Etc::SourceList="$deps/apt/sources.list" \
    -o Dir::Etc::SourceParts=/dev/null \
    -o Dir::State::Lists="$deps/apt/lists" \
    -o Dir::Cache="$deps/apt/cache" \
    -o APT::Sandbox::User="$(id -un)" \
    "$@"
}

# Once a run, and only when a source package is fetched: main removes
# $deps/apt when the run ends.
private_apt_update() {
  [ -f "$deps/apt/updated" ] && return
  mkdir -p "$deps/apt/lists/partial" "$deps/apt/cache/archives/partial"
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$deps/apt/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian $SUITE main
deb-src [signed-by=$keyring] http://deb.debian.org/debian $SUITE-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $SUITE-security main
EOF
  log "Reading Debian's source index ($SUITE)"
  quietly apt-update private_apt apt-get update
  touch "$deps/apt/updated"
}

# The versions of source package NAME that Debian's archive holds, one a
# line.
archive_versions() {
  private_apt_update >&2
  private_apt apt-cache showsrc --only-source "$1" | sed -n 's/^Version: //p'
}

# fetch_source NAME VERSION DSC_SHA256: leaves the patched source tree in
# $deps/src/NAME-VERSION and prints that path. An empty DSC_SHA256 leaves
# the check of the download to apt alone.
fetch_source() {
  local name=$1 version=$2 dsc_sha256=$3
  local tree=$deps/src/$name-$version
  if [ -f "$tree/.fetched" ]; then
    echo "$tree"
    return
  fi
  private_apt_update >&2
  local download=$deps/src/download
  rm -rf "$download" "$tree"
  mkdir -p "$download"
  log "Fetching Debian's source package $name $version" >&2
  if ! (cd "$download" && private_apt apt-get source --only-source --download-only \
    "$name=$version") >"$deps/logs/$name-source.log" 2>&1; then
    echo "Debian's archive holds these versions of $name:" >&2
    archive_versions "$name" | sed 's/^/  /' >&2
    die "$name $version could not be fetched ($deps/logs/$name-source.log says why):" \
      "move its pin"
  fi
  local dsc=$download/${name}_${version#*:}.dsc
  [ -f "$dsc" ] || die "no $dsc after the download"
  if [ -n "$dsc_sha256" ]; then
    echo "$dsc_sha256  $dsc" | sha256sum --check --quiet ||
      die "$dsc does not have the pinned SHA-256 $dsc_sha256"
  fi
  # Unpacks the upstream tarball, checks it against the .dsc, applies
  # Debian's patches. Its log says that the uploader's signature of the .dsc
  # was not checked (that needs the maintainers' keyring): the check that
  # counts is apt's, of every file against the archive's signed index.
  quietly "$name-unpack" dpkg-source --no-copy -x "$dsc" "$tree"
  local unpacked
  unpacked=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)
  [ "$unpacked" = "$version" ] || die "$tree is version $unpacked, not $version"
  rm -rf "$download"
  touch "$tree/.fetched"
  echo "$tree"
}

# Says when the system's libxml2 or GoogleTest, which the default Linux
# build links, is another version than the one built here: both work, but
# they may then differ in a fix.
compare_with_installed() {
  local package=$1 version=$2 installed
  installed=$(dpkg-query -W -f='${Version}' "$package" 2>/dev/null || true)
  if [ -n "$installed" ] && [ "$installed" != "$version" ]; then
    printf 'note: %s %s is installed, this build uses %s\n' "$package" "$installed" "$version"
  fi
}

# A stamp records what was built with what; a changed pin or option list
# rebuilds.
stamp_matches() { [ -f "$stamps/$1" ] && [ "$(cat "$stamps/$1")" = "$2" ]; }
write_stamp() { mkdir -p "$stamps" && printf '%s' "$2" >"$stamps/$1"; }

# The libxml2 to build: the pinned version while Debian's archive holds it,
# else the version of the installed libxml2-dev. Sets libxml2_version and
# libxml2_dsc_sha256 (empty for a followed version: no pinned hash).
choose_libxml2() {
  libxml2_version=$LIBXML2_VERSION
  libxml2_dsc_sha256=$LIBXML2_DSC_SHA256
  local available installed
  available=$(archive_versions libxml2)
  grep -qxF "$LIBXML2_VERSION" <<<"$available" && return
  installed=$(dpkg-query -W -f='${Version}' libxml2-dev 2>/dev/null || true)
  [ -n "$installed" ] ||
    die "libxml2 $LIBXML2_VERSION is no longer in Debian's archive and libxml2-dev," \
      "whose version would be followed, is not installed (apt-get install libxml2-dev)"
  grep -qxF "$installed" <<<"$available" ||
    die "neither the pinned libxml2 $LIBXML2_VERSION nor the installed libxml2-dev" \
      "$installed is in Debian's archive, which holds:" $available
  printf 'note: libxml2 %s is no longer in Debian'"'"'s archive; building %s, the version of\n' \
    "$LIBXML2_VERSION" "$installed"
  printf 'note: the installed libxml2-dev, checked by apt against the signed index (move the pin\n'
  printf 'note: in %s to it, with its .dsc'"'"'s SHA-256)\n' "${BASH_SOURCE[0]}"
  libxml2_version=$installed
  libxml2_dsc_sha256=
}

build_libxml2() {
  local options="${LIBXML2_SYSTEM_OPTIONS[*]} ${LIBXML2_OPTIONS[*]}" installed
  installed=$(dpkg-query -W -f='${Version}' libxml2-dev 2>/dev/null || true)
  # Built already from the pin, or from the installed version it followed.
  stamp_matches libxml2 "$LIBXML2_VERSION $options" && return
  [ -n "$installed" ] && stamp_matches libxml2 "$installed $options" && return
  choose_libxml2
  compare_with_installed libxml2-dev "$libxml2_version"
  local source build=$deps/build/libxml2
  source=$(fetch_source libxml2 "$libxml2_version" "$libxml2_dsc_sha256")
  log "Building libxml2 $libxml2_version (${LIBXML2_SYSTEM_OPTIONS[*]})"
  # Debian's patches change Makefile.am and configure.ac; its own build
  # regenerates the build files from them (dh_autoreconf), and so does this.
  quietly libxml2-autoreconf autoreconf -fi "$source"
  rm -rf "$build"
  mkdir -p "$build"
  (cd "$build" && quietly libxml2-configure "$source/configure" --prefix="$prefix" \
    --enable-static --disable-shared CFLAGS=-O2 "${LIBXML2_SYSTEM_OPTIONS[@]}" \
    "${LIBXML2_OPTIONS[@]}")
  # The library, its headers and its pkg-config file; not xmllint, the
  # documentation or the test programs.
  quietly libxml2-build make -C "$build" -j"$jobs" libxml2.la
  quietly libxml2-install make -C "$build" install-libLTLIBRARIES install-pkgconfigDATA
  quietly libxml2-install-headers make -C "$build/include" install
  write_stamp libxml2 "$libxml2_version $options"
}

# with_private_apt COMMAND...: runs the command; the source index it may
# read is removed afterwards, so that every run that fetches reads it afresh.
with_private_apt() {
  mkdir -p "$deps/logs"
  trap 'rm -rf "$deps/apt"' EXIT
  "$@"
}
