#!/usr/bin/env bash
# Makes the Windows release: a zip of brindle.exe (one file, no DLLs beside
# it), README.md and the manual page as plain text, each text with CR LF line
# ends as Windows editors expect them. Needs groff (groff-base), cmake and
# mingw-w64's binutils.
#
# Use: tools/windows/make-zip.sh BUILD_FOLDER   (after "make windows")
# Writes BUILD_FOLDER/brindle-<version>-windows-x64.zip and prints its path.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: $0 BUILD_FOLDER}" && pwd)
[ -f "$build/brindle.exe" ] || { echo "$0: no $build/brindle.exe: make windows" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
prerelease=$(sed -n 's/^BRINDLE_PRERELEASE:STRING=//p' "$build/CMakeCache.txt")
[ -n "$prerelease" ] && version=$version-$prerelease
name=brindle-$version-windows-x64

stage=$build/zip/$name
rm -rf "$build/zip"
mkdir -p "$stage"
# Without its debugging information: the build's own brindle.exe keeps it,
# for reading the minidumps of a release.
x86_64-w64-mingw32-strip -o "$stage/brindle.exe" "$build/brindle.exe"
to_crlf() { sed 's/\r*$/\r/'; }
to_crlf <"$root/README.md" >"$stage/README.md"
# The manual as a terminal would show it, without overstriking or colour.
groff -man -Tutf8 -P-cbu -ww "$root/doc/brindle.1" 2>"$build/zip/groff.log" | to_crlf >"$stage/brindle.txt"
if [ -s "$build/zip/groff.log" ]; then
  cat "$build/zip/groff.log" >&2
  exit 1
fi
# Every member gets the time of the last commit, so that one tree gives
# one archive.
stamp=$(TZ=UTC git -C "$root" log -1 --date='format-local:%Y-%m-%d %H:%M:%S UTC' --format=%cd \
  2>/dev/null || date -u '+%Y-%m-%d %H:%M:%S UTC')
touch -d "$stamp" "$stage"/*
rm -f "$build/$name.zip"
(cd "$build/zip" && cmake -E tar cf "$build/$name.zip" --format=zip --mtime="$stamp" "$name")
rm -rf "$build/zip"
echo "$build/$name.zip"
