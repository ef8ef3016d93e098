#!/bin/sh
# Runs Windows programs under Wine in the project's own Wine prefix, quietly
# and without a display. It is CMake's emulator for the Windows build, so
# ctest runs the Windows tests through it.
#
#   wine-run.sh PROGRAM.exe [ARGUMENT...]   run a program, pass its exit code
#   wine-run.sh --init                      make the prefix once (slow: ~10 s)
#   wine-run.sh --start-server              keep Wine's server up for many runs
#   wine-run.sh --stop-server               end that server and its programs
#   wine-run.sh --unix-path WINDOWS_PATH    the path's name on this machine
#
# The prefix is build-windows-deps/wine ($BRINDLE_WINDOWS_DEPS/wine when that
# is set); tools/windows/build-deps.sh makes it. Without a server kept up,
# every run starts one with Wine's services (about 2 s), which outlive the
# run by 3 s holding its standard output and error: a series of runs, such
# as ctest's, belongs between --start-server and --stop-server. Only the
# server of this prefix is touched, never another Wine's.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
deps=${BRINDLE_WINDOWS_DEPS:-$root/build-windows-deps}
WINEPREFIX=$deps/wine
# WINEDEBUG=-all keeps Wine's own diagnostics out of the programs' standard
# error, which tests compare. The empty overrides stop wineboot from looking
# for Mono and Gecko, which console programs never need and which it would
# otherwise offer to download.
WINEARCH=win64
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
# No display: a program that crashes must not wait on a dialog box.
unset DISPLAY WAYLAND_DISPLAY

case "${1:-}" in
  --init)
    if [ -f "$WINEPREFIX/system.reg" ]; then
      echo "Wine prefix $WINEPREFIX is ready"
      exit 0
    fi
    mkdir -p "$deps/logs"
    echo "Making the Wine prefix $WINEPREFIX"
    # Its output is kept out of sight: a prefix without 32-bit Wine always
    # complains about syswow64, which is harmless for 64-bit programs.
    if ! wineboot -i >"$deps/logs/wineboot.log" 2>&1 || ! wineserver -w; then
      cat "$deps/logs/wineboot.log" >&2
      rm -rf "$WINEPREFIX"
      echo "$0: could not make the Wine prefix" >&2
      exit 1
    fi
    ;;
  --start-server)
    # Wine's own services (services.exe, rpcss.exe, ...) start with the first
    # program and live as long as the server. Started here, away from the
    # caller's pipes, they cannot hold a pipe open that a test runner reads
    # to its end: under a kept-up server it would wait for ever.
    if ! wineserver -p 2>/dev/null; then
      # A server is up already. One that a single run started lingers for
      # 3 s: wait for it to go, then keep up a new one. One that another
      # caller keeps up serves as it is.
      if timeout 10 wineserver -w; then wineserver -p; fi
    fi
    wine wineboot </dev/null >/dev/null 2>&1
    ;;
  --stop-server)
    wineserver -k 2>/dev/null || true
    ;;
  --unix-path)
    exec winepath -u "$2" 2>/dev/null
    ;;
  "")
    echo "usage: $0 PROGRAM.exe [ARGUMENT...] | --init | --start-server | --stop-server" >&2
    exit 2
    ;;
  *)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "$0: no Wine prefix at $WINEPREFIX: run tools/windows/build-deps.sh" >&2
      exit 2
    fi
    exec wine "$@"
    ;;
esac
