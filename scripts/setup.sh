#!/usr/bin/env bash
# Installs what building and testing need, non-interactively, as root on
# Debian: compilers (GCC, clang, mingw-w64 for both Windows architectures),
# CMake and Ninja, GoogleTest and Google Benchmark, Wine, and Xvfb with xdotool
# and ImageMagick for the dialog tests, zip and unzip for the release archives.
#
# Which Windows architectures this machine can run under Wine is found out by
# starting a tiny 32-bit x86 program: some x86-64 machines (hypervisors without
# a 32-bit mode, kernels without IA32 emulation) refuse every 32-bit process,
# and Wine's 32-bit loader with them. 64-bit Wine (wine64) runs everywhere;
# 32-bit Wine (wine32:i386) is installed only where 32-bit programs start. Both
# builds are compiled on every machine.
#
# The answer is written to build/win-archs (scripts/win-archs.sh reads it):
# the presets whose programs run here, then one line per preset that cannot
# run, with the reason. NV_WIN_ARCHS (e.g. "win64") narrows the presets run
# to the ones it names, to try the 64-bit-only path on a machine that runs
# both. Does nothing but that record when everything is already installed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
record="$root/build/win-archs"

sudo_if_needed() { if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# Starts a 93-byte static i386 ELF program that only exits with 0 (an ELF
# header, one loadable segment, and mov eax,1; xor ebx,ebx; int 0x80). It
# needs no 32-bit library, so it tells whether the kernel starts 32-bit
# programs before anything 32-bit is installed.
runs_32bit_programs() {
  local probe status=0
  mkdir -p "$root/build"
  probe="$(mktemp -p "$root/build" probe32.XXXXXX)" # not /tmp, which may be noexec
  printf '%b' \
    '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00' \
    '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00' \
    '\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64
  xvfb xdotool imagemagick x11-utils jq python3 make zip unzip tmux locales
)

can32=no
runs_32bit_programs && can32=yes
[[ $can32 == yes ]] && packages+=(wine32:i386)

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done

install_packages() {
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ $can32 == yes ]]; then
    dpkg --print-foreign-architectures | grep -qx i386 || sudo_if_needed dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync serves index files of the wrong size for
  # a while: try the update a few times, then install from what was fetched.
  for attempt in 1 2 3 4; do
    sudo_if_needed apt-get update -qq && break
    echo "setup: apt-get update failed (attempt $attempt), retrying"
    sleep $((attempt * 5))
  done
  # Both architectures' Wine in one call: installed one after the other, apt
  # may remove wine32 to make room for wine64 when the i386 index is out of
  # step with amd64.
  install_missing() { sudo_if_needed apt-get "$@" install -y -qq "${missing[@]}" >/dev/null; }
  install_missing && return 0

  # When one architecture's index of the security suite could not be
  # fetched, the 32-bit libraries Wine needs cannot match the versions of
  # their 64-bit twins, and apt refuses. The main suites alone are
  # consistent: install from those (security updates come with the next
  # regular upgrade).
  echo "setup: apt-get install failed; installing from the main suites only"
  . /etc/os-release
  local main_only
  main_only="$(mktemp -d)"
  cat >"$main_only/main.sources" <<SOURCES
Types: deb
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  local status=0
  install_missing -o Dir::Etc::sourcelist=- -o Dir::Etc::sourceparts="$main_only" || status=$?
  rm -rf "$main_only"
  return $status
}

if ((${#missing[@]} > 0)); then
  install_packages || { echo "setup: could not install ${missing[*]}" >&2; exit 1; }
fi

# What runs here, after the install: a preset runs when its Wine loader is
# installed and, for the 32-bit one, when this machine starts 32-bit programs.
runnable=()
skipped=()
wanted="${NV_WIN_ARCHS:-win32 win64}"
consider() { # PRESET ARCH LOADER WHY-NOT
  if [[ " $wanted " != *" $2 "* ]]; then
    skipped+=("$1 ($2): Wine and GUI suites not run: NV_WIN_ARCHS is \"$wanted\"")
  elif [[ -n "$4" ]]; then
    skipped+=("$1 ($2): Wine and GUI suites not run: $4")
  elif [[ ! -x "$3" ]]; then
    skipped+=("$1 ($2): Wine and GUI suites not run: $3 is not installed")
  else
    runnable+=("$1")
  fi
}
no32=""
[[ $can32 == yes ]] || no32="this machine cannot start 32-bit x86 programs (Exec format error)"
consider win win32 /usr/lib/wine/wine "$no32"
consider win64 win64 /usr/lib/wine/wine64 ""

mkdir -p "$(dirname "$record")"
{
  echo "${runnable[*]}"
  printf '%s\n' "${skipped[@]}"
} >"$record"
echo "setup: Windows builds that run here under Wine: ${runnable[*]:-none}"
((${#skipped[@]} == 0)) || printf 'setup: %s\n' "${skipped[@]}"
