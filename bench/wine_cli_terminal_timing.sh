#!/usr/bin/env bash
# Times ienorvane.exe clean under Wine printing to a terminal against the
# same clean printing to a file, on the same seeded cache.
#
#   bench/wine_cli_terminal_timing.sh [BUILD_DIR] [ENTRIES] [ROUNDS]   (defaults: build/win 10000 3)
#
# In a Wine prefix of its own under BUILD_DIR (bench-cli-wineprefix): seeds
# ENTRIES realistic entries (seedcache: 80% http with files, 15% cookies, 5%
# visited) and runs `ienorvane clean` with every category on (type 0)
#   file      standard output and standard error redirected to a file
#   terminal  in a detached tmux session (a pseudo-terminal of 200x50), so
#             the program sees a terminal on both streams: counts instead of
#             rows, a progress line and a delete bar on standard error
# both in a tmux pane, so that only where the output goes differs, on a
# cache seeded afresh before each run, alternating, ROUNDS times each; the
# best wall time of each is compared, since the machine may be shared.
# Target: terminal / file <= 1.2.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build/win}" && pwd)"
entries="${2:-10000}"
rounds="${3:-3}"
bin="$build/bin"
wine_run="$build/wine-run.sh"
command -v tmux >/dev/null || { echo "tmux is missing: run scripts/setup.sh" >&2; exit 1; }

export NV_WINEPREFIX="$build/bench-cli-wineprefix"
work="$(mktemp -d "${TMPDIR:-/tmp}/nv-cli-bench.XXXXXX")"
socket="nv-cli-bench-$$"
cleanup() {
  tmux -L "$socket" kill-server >/dev/null 2>&1 || true
  WINEPREFIX="$NV_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

run() { (cd "$bin" && "$wine_run" "$@"); }
clean_args=(ienorvane.exe clean --ini 'C:\bench-cli.ini' --section "IE Norvane")

run seedcache.exe empty >/dev/null # boots the prefix
printf '[IE Norvane]\r\nDeleteCache=1\r\nDeleteCookies=1\r\nDeleteHistory=1\r\n' \
  >"$NV_WINEPREFIX/drive_c/bench-cli.ini"
WINEPREFIX="$NV_WINEPREFIX" wineserver -p 600 || true # keep the server up between runs

seed() {
  run seedcache.exe empty >/dev/null
  run seedcache.exe seed "$entries" 2011 >/dev/null
}

# Wall time in milliseconds of a clean run in a tmux pane (a pseudo-terminal
# of 200x50), measured inside the pane: with `redirect` empty its output goes
# to the pane, the screen then kept in $work/terminal.out; otherwise the
# output is redirected as `redirect` says. The pane's shell waits until tmux
# has settled before it starts the clean, so that the start of the terminal
# does not overlap what is measured.
timed_in_pane() {
  local redirect="$1"
  rm -f "$work/pane.ms" "$work/go"
  local script="$work/in-pane.sh"
  {
    echo "cd '$bin'"
    echo "while [ ! -f '$work/go' ]; do sleep 0.05; done"
    printf 'start=$(date +%%s%%N)\n'
    printf '%q ' "$wine_run" "${clean_args[@]}"
    echo "$redirect"
    printf 'end=$(date +%%s%%N)\n'
    echo "echo \$(((end - start) / 1000000)) >'$work/pane.ms.tmp'"
    echo "mv '$work/pane.ms.tmp' '$work/pane.ms'"
    echo "sleep 600"
  } >"$script"
  tmux -L "$socket" kill-server >/dev/null 2>&1 || true
  tmux -L "$socket" new-session -d -x 200 -y 50 "bash '$script'"
  sleep 1
  touch "$work/go"
  while [[ ! -f "$work/pane.ms" ]]; do sleep 0.05; done
  [[ -n "$redirect" ]] || tmux -L "$socket" capture-pane -p >"$work/terminal.out"
  tmux -L "$socket" kill-server >/dev/null 2>&1 || true
  cat "$work/pane.ms"
}

# The same clean with its output sent to a file: all else alike.
timed_to_file() { timed_in_pane " >'$work/file.out' 2>&1"; }
timed_on_terminal() { timed_in_pane ""; }

best_file=999999999 best_terminal=999999999 files="" terminals=""
for ((round = 1; round <= rounds; ++round)); do
  seed
  t=$(timed_to_file)
  files+=" $t" && ((t < best_file)) && best_file=$t
  seed
  t=$(timed_on_terminal)
  terminals+=" $t" && ((t < best_terminal)) && best_terminal=$t
done

echo "--- last terminal screen (tmux 200x50):"
grep -v '^$' "$work/terminal.out" || true
echo "--- last file output: $(wc -l <"$work/file.out") lines, $(wc -c <"$work/file.out") bytes; its end:"
tail -n 4 "$work/file.out" | tr -d '\r'
echo
echo "entries seeded:   $entries"
echo "clean to a file:  best ${best_file} ms (all:${files})"
echo "clean on tmux:    best ${best_terminal} ms (all:${terminals})"
awk -v t="$best_terminal" -v f="$best_file" 'BEGIN {
  printf "terminal / file:  %.2f (target <= 1.2)\n", t / f
}'
