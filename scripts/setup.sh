#!/usr/bin/env bash
# Installs what building and testing need, non-interactively, as root on
# Debian: compilers (GCC, clang, mingw-w64), CMake and Ninja, GoogleTest and
# Google Benchmark, Wine (32-bit), and Xvfb with xdotool and ImageMagick for
# the dialog tests, zip and unzip for the release archive. Does nothing when
# everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix wine wine32:i386
  xvfb xdotool imagemagick x11-utils jq python3 make zip unzip tmux
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_if_needed() { if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || sudo_if_needed dpkg --add-architecture i386
sudo_if_needed apt-get update -qq
sudo_if_needed apt-get install -y -qq "${missing[@]}" >/dev/null
