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
# A mirror in the middle of a sync serves index files of the wrong size for a
# while: try the update a few times, then install from what was fetched.
for attempt in 1 2 3 4; do
  sudo_if_needed apt-get update -qq && break
  echo "setup: apt-get update failed (attempt $attempt), retrying"
  sleep $((attempt * 5))
done
install_missing() { sudo_if_needed apt-get "$@" install -y -qq "${missing[@]}" >/dev/null; }
install_missing && exit 0

# When one architecture's index of the security suite could not be fetched,
# the 32-bit libraries Wine needs cannot match the versions of their 64-bit
# twins, and apt refuses. The main suites alone are consistent: install from
# those (the security updates come with the next regular upgrade).
echo "setup: apt-get install failed; installing from the main suites only"
. /etc/os-release
main_only="$(mktemp -d)"
trap 'rm -rf "$main_only"' EXIT
cat >"$main_only/main.sources" <<SOURCES
Types: deb
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
install_missing -o Dir::Etc::sourcelist=- -o Dir::Etc::sourceparts="$main_only" && exit 0
echo "setup: could not install ${missing[*]}" >&2
exit 1
