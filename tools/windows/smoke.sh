#!/usr/bin/env bash
# Proves the Windows tool chain end to end after tools/windows/build-deps.sh:
# builds tools/windows/smoke with the toolchain file, checks that the .exe
# imports nothing but Windows' own DLLs (no libxml2, libstdc++, libgcc or
# winpthreads DLL beside it), runs its test under Wine and times Wine's cold
# start (no server up) against a warm one (server kept up).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
deps=${BRINDLE_WINDOWS_DEPS:-$root/build-windows-deps}
build=$deps/smoke
wine_run=$root/tools/windows/wine-run.sh

[ -f "$deps/prefix/lib/libxml2.a" ] || { echo "$0: run tools/windows/build-deps.sh first" >&2; exit 1; }

cmake -S "$root/tools/windows/smoke" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build"
exe=$build/smoke.exe

# A DLL is Windows' own when Wine provides it in the prefix's system32.
system32=$deps/wine/drive_c/windows/system32
status=0
echo "== $exe imports:"
while read -r dll; do
  if [ -n "$(find "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
    echo "   $dll"
  else
    echo "   $dll  <- not a Windows DLL" >&2
    status=1
  fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
[ $status -eq 0 ] || { echo "$0: $exe needs DLLs that Windows does not have" >&2; exit 1; }

# seconds COMMAND...: the wall time of a run, its output discarded.
seconds() {
  local start=$EPOCHREALTIME
  "$@" </dev/null >/dev/null 2>&1
  awk -v start="$start" -v end="$EPOCHREALTIME" 'BEGIN { printf "%.2f", end - start }'
}
# Cold: this prefix's server is down, so the run starts it and Wine's
# services. Warm: they are kept up, as they are for a test suite.
"$wine_run" --stop-server
cold=$(seconds "$wine_run" "$exe")
"$wine_run" --start-server
trap '"$wine_run" --stop-server' EXIT
warm=$(seconds "$wine_run" "$exe")
echo "== Wine: cold start ${cold} s, warm start ${warm} s"

echo "== $exe under Wine:"
"$wine_run" "$exe"
