#!/usr/bin/env bash
# Makes sure the Debian packages a build needs are installed: those of the
# program ("program": compiler, CMake, libxml2, libcrypto) or those of the
# program and its tests ("tests": GoogleTest too). What is missing is
# installed with apt-get when run as root, and said so; otherwise the exact
# command to run is printed and the script fails. On a system without
# apt-get nothing is checked: CMake names what it cannot find.
set -euo pipefail
what=${1:-program}
command -v apt-get >/dev/null || exit 0

# One row per package: the package and how to tell that it is there.
checks=(
  "cmake:command -v cmake"
  "g++:command -v g++"
  "pkg-config:command -v pkg-config"
  "libxml2-dev:pkg-config --exists libxml-2.0"
  "libssl-dev:pkg-config --exists libcrypto"
)
[[ $what == tests ]] && checks+=("libgtest-dev:pkg-config --exists gtest")

missing=()
for check in "${checks[@]}"; do
  # pkg-config itself may be missing: then so is every library it checks.
  eval "${check#*:}" >/dev/null 2>&1 || missing+=("${check%%:*}")
done
((${#missing[@]})) || exit 0

if [[ $(id -u) != 0 ]]; then
  echo "Missing build dependencies: ${missing[*]}. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing missing build dependencies with apt-get: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
