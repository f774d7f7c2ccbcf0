#!/usr/bin/env bash
# Runs the benchmarks and prints the README's figure tables in Markdown, dated
# and with the machine described: the native Google Benchmark programs
# (build/bench) and the timings under Wine of each Windows build that runs on
# this machine (build/win for 32-bit hosts, build/win64 for 64-bit ones; setup
# records which run, scripts/win-archs.sh), each figure labelled with its
# architecture.
#
#   make bench && bench/report.sh [--native-only | --wine-only | --largest-only]
#                                 [--caches ROOT] [--compare OLD NEW]... > report.md
#
# Takes about a quarter of an hour on 2 cores without the largest cache's
# section, and about half an hour more per architecture with it (plus, the
# first time, about ten minutes per architecture to grow the cache);
# progress goes to standard error. The machine may be shared: the tables give
# medians (and the fastest where the benchmark reports it), with the command
# line each comes from.
#
# The largest cache's section (part of --wine-only, or alone with
# --largest-only) grows each architecture's URL cache until Wine refuses new
# entries (bench/grow_largest_cache.sh), keeps the grown cache in
# ROOT/win and ROOT/win64 (default build/cache-largest) for reuse, and runs the
# measures of its table from fresh copies of it. --compare OLD NEW (two build
# folders of one architecture; once per architecture) runs that section on
# OLD and NEW side by side instead of this checkout's builds, the two in
# interleaved order.
set -euo pipefail
cd "$(dirname "$0")/.."
native_bin=build/bench/bin
wine_builds=()
if [[ -f build/win-archs ]]; then
  for preset in $(scripts/win-archs.sh runnable); do wine_builds+=("build/$preset"); done
fi
win_build=""
parts=all
caches_root=build/cache-largest
compare_pairs=()
usage="usage: bench/report.sh [--native-only | --wine-only | --largest-only] [--caches ROOT] [--compare OLD NEW]..."
while (($#)); do
  case "$1" in
  --native-only | --wine-only | --largest-only) parts="$1" && shift ;;
  --caches) caches_root="${2:?$usage}" && shift 2 ;;
  --compare)
    [[ -d "${2:-}" && -d "${3:-}" ]] || { echo "$usage" >&2 && exit 2; }
    compare_pairs+=("$(cd "$2" && pwd) $(cd "$3" && pwd)") && shift 3
    ;;
  *) echo "$usage" >&2 && exit 2 ;;
  esac
done
want() { [[ "$parts" == all || "$parts" == "$1" ]]; }
want_largest() { [[ "$parts" == all || "$parts" == --wine-only || "$parts" == --largest-only ]]; }
# The builds of the largest cache's section: "BUILD" or "OLD NEW", one an
# architecture.
largest_runs=()
if ((${#compare_pairs[@]})); then
  largest_runs=("${compare_pairs[@]}")
else
  for build in "${wine_builds[@]}"; do largest_runs+=("$(cd "$build" && pwd)"); done
fi

missing=()
if want --native-only; then
  for program in bench_masks bench_clean bench_preview bench_ini; do
    [[ -x "$native_bin/$program" ]] || missing+=("$native_bin/$program")
  done
fi
if want --wine-only; then
  ((${#wine_builds[@]})) || missing+=("a Windows build that runs here (scripts/setup.sh)")
  for build in "${wine_builds[@]}"; do
    for program in IENorvane.dll plughost.exe seedcache.exe nvguihost.exe nvpreviewtiming.exe \
      nvmasktiming.exe nvdeletetiming.exe ienorvane.exe; do
      [[ -f "$build/bin/$program" ]] || missing+=("$build/bin/$program")
    done
  done
fi
if want_largest; then
  ((${#largest_runs[@]})) || missing+=("a Windows build that runs here (scripts/setup.sh)")
  for run in "${largest_runs[@]}"; do
    for build in $run; do
      for program in IENorvane.dll plughost.exe seedcache.exe nvguihost.exe nvkeystroketiming.exe \
        ienorvane.exe; do
        [[ -f "$build/bin/$program" ]] || missing+=("$build/bin/$program")
      done
    done
  done
fi
if ((${#missing[@]})); then
  echo "report: missing ${missing[*]}; run make bench first" >&2
  exit 2
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/nv-report.XXXXXX")"
trap 'rm -rf "$work"' EXIT
progress() { echo "report: $*" >&2; }

# A number with about three significant digits, as the README writes them.
fmt() { awk -v v="$1" 'BEGIN {
  if (v == "") { print ""; exit }
  a = v < 0 ? -v : v
  if (a >= 100) printf "%.0f\n", v; else if (a >= 10) printf "%.1f\n", v
  else if (a >= 1) printf "%.2f\n", v; else printf "%.3g\n", v }'; }

# bench_value FILE NAME FIELD: FIELD (cpu_time, real_time or a counter) of
# the benchmark run or aggregate named NAME (settings such as /min_time:2.000
# after it aside) in the JSON output FILE.
bench_value() {
  jq -r --arg name "$2" --arg field "$3" \
    '[.benchmarks[] | select((.name == $name or (.name | startswith($name + "/"))) and
       (.error_occurred | not)) | .[$field]][0] // empty' "$1"
}
bench_failed() {
  jq -e --arg name "$2" 'any(.benchmarks[]; .run_name == $name and .error_occurred)' "$1" >/dev/null
}

# "64-bit build (win64)" for build/win64, "32-bit build (win32)" for build/win.
arch_label() {
  if [[ $(cat "$1/nv-arch" 2>/dev/null) == win64 ]]; then echo "64-bit build (win64)"; else echo "32-bit build (win32)"; fi
}
wine_labels() {
  local build labels=()
  for build in "${wine_builds[@]}"; do labels+=("the $(arch_label "$build")"); done
  if [[ -f build/win-archs ]] && [[ -n "$(scripts/win-archs.sh skipped)" ]]; then
    labels+=("not run here: $(scripts/win-archs.sh skipped | paste -sd ';')")
  fi
  local IFS=,
  echo "${labels[*]}"
}

describe_machine() {
  local cpu memory
  cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
  memory=$(awk '/^MemTotal/ {printf "%.0f", $2 / 1048576}' /proc/meminfo)
  echo "# Benchmark figures, $(date +%Y-%m-%d)"
  echo
  echo "Measured on a machine with $(nproc) cores ($cpu) and $memory GiB of memory, shared with"
  echo "other work; $(uname -sr), $(g++ --version | head -n 1 | sed 's/ ([^)]*)//'),"
  echo "$(x86_64-w64-mingw32-g++-posix --version | head -n 1 | sed 's/ ([^)]*)//; s/x86_64-w64-mingw32-//')" \
    "for the Windows builds, run under Wine $(/usr/lib/wine/wine64 --version | sed 's/^wine-//; s/ .*//')" \
    "(Debian package $(dpkg-query -W -f='${Version}' wine 2>/dev/null || echo unknown)): $(wine_labels)."
  echo "Expect ±30 % between runs."
}

masks_native() {
  local json="$work/masks.json" mask row cells
  local command="$native_bin/bench_masks --benchmark_filter='^(Typical|Worst)_' --benchmark_repetitions=3 --benchmark_report_aggregates_only=true"
  progress "native mask matching (about two minutes)"
  "$native_bin/bench_masks" --benchmark_filter='^(Typical|Worst)_' --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_format=json >"$json" 2>/dev/null
  echo
  echo "## Mask matching"
  echo
  echo "\`$command\`; 100,000 generated cache URLs, nanoseconds per match (median of CPU time):"
  echo
  echo "| mask | \`MatchesMask\` | compiled \`TMask\` | \`fnmatch\` | hand-written | compiling a \`TMask\` |"
  echo "|---|---|---|---|---|---|"
  while IFS= read -r mask; do
    row="| \`$mask\` |"
    for family in MatchesMask TMask fnmatch HandWritten Compile; do
      cells=$(bench_value "$json" "Typical_$family/\"$mask\"_median" cpu_time)
      row+=" $(fmt "$cells") |"
    done
    echo "$row"
  done < <(jq -r '.benchmarks[] | select(.run_name | startswith("Typical_TMask/")) | .run_name' "$json" |
    sed 's/^Typical_TMask\/"//; s/"$//' | awk '!seen[$0]++')
  echo
  echo "Worst case, 29 × \`*a\` then \`*b\` against a run of 'a', microseconds per match:"
  echo
  echo "| text | compiled \`TMask\` | \`MatchesMask\` | \`fnmatch\` | literal backtracking search |"
  echo "|---|---|---|---|---|"
  for size in 16:16\ B 20:20\ B 24:24\ B 1024:1\ KiB 65536:64\ KiB 1048576:1\ MiB; do
    local bytes=${size%%:*} label=${size#*:}
    row="| $label |"
    for family in TMask MatchesMask fnmatch; do
      row+=" $(fmt "$(bench_value "$json" "Worst_$family/${bytes}_median" cpu_time)") |"
    done
    if bench_failed "$json" "Worst_Oracle/$bytes"; then
      row+=" does not finish (2e8 steps) |"
    else
      row+=" $(fmt "$(bench_value "$json" "Worst_Oracle/${bytes}_median" cpu_time)") |"
    fi
    echo "$row"
  done
}

masks_wine() {
  progress "mask matching of the $(arch_label "$win_build") under Wine"
  echo
  echo "## Mask matching, $(arch_label "$win_build") under Wine"
  echo
  echo "\`bench/wine_mask_timing.sh $win_build 21\`; the same masks and corpus, the matcher compiled"
  echo "as in that build's IENorvane.dll (mingw-w64, SSE2):"
  echo
  bench/wine_mask_timing.sh "$win_build" 21
}

clean_native() {
  local json="$work/clean.json"
  local command="$native_bin/bench_clean --benchmark_enable_random_interleaving=true --benchmark_repetitions=8 --benchmark_min_time=0.3 --benchmark_report_aggregates_only=true"
  progress "native clean (a few minutes)"
  "$native_bin/bench_clean" --benchmark_enable_random_interleaving=true --benchmark_repetitions=8 \
    --benchmark_min_time=0.3 --benchmark_report_aggregates_only=true --benchmark_format=json \
    >"$json" 2>/dev/null
  local bare clean per_entry masks=("www.*" "*.gif*" "*news*")
  bare=$(bench_value "$json" BM_BareEnumeration_min cpu_time)
  echo
  echo "\`$command\`; 1,000,000 in-memory entries (80 % http, 15 % cookies, 5 % visited), a type-1"
  echo "cache mask that selects about a tenth, milliseconds per million entries (= ns per entry),"
  echo "the fastest of 8 interleaved repetitions (CPU time):"
  echo
  echo "| cache mask | clean | the mask compiled per entry | bare enumeration | compiled per entry / clean | clean / bare enumeration |"
  echo "|---|---|---|---|---|---|"
  for i in 0 1 2; do
    clean=$(bench_value "$json" "BM_Clean/${i}_min" cpu_time)
    per_entry=$(bench_value "$json" "BM_CompilePerEntry/${i}_min" cpu_time)
    echo "| \`${masks[$i]}\` | $(fmt "$clean") | $(fmt "$per_entry") | $(fmt "$bare") |" \
      "$(awk -v a="$per_entry" -v b="$clean" 'BEGIN {printf "%.1f×", a / b}') |" \
      "$(awk -v a="$clean" -v b="$bare" 'BEGIN {printf "%.1f×", a / b}') |"
  done
}

clean_wine() {
  local out="$work/clean-wine.txt"
  progress "clean under Wine (seeds 10,000 real entries six times)"
  bench/wine_clean_timing.sh "$win_build" 10000 3 >"$out" 2>/dev/null
  local floor clean ratio
  floor=$(sed -n 's/^floor (enumerate+delete): *best \([0-9]*\) ms wall, \([0-9-]*\) ms net.*/\2/p' "$out")
  clean=$(sed -n 's/^plughost clean: *best \([0-9]*\) ms wall, \([0-9-]*\) ms net.*/\2/p' "$out")
  ratio=$(sed -n 's/^clean \/ floor: *\([0-9.]*\).*/\1/p' "$out")
  echo
  echo "Under Wine, $(arch_label "$win_build"), 10,000 real cache entries (\`bench/wine_clean_timing.sh $win_build 10000 3\`),"
  echo "the best of 3, less each program's start-up:"
  echo
  echo "| bare enumerate-and-delete | \`plughost clean\` | clean / bare |"
  echo "|---|---|---|"
  echo "| $floor ms | $clean ms | $ratio |"
}

preview_native() {
  local json="$work/preview.json"
  progress "native preview refill"
  "$native_bin/bench_preview" --benchmark_format=json >"$json" 2>/dev/null
  echo
  echo "\`$native_bin/bench_preview\`; one refill of the in-memory list over 1,000,000 entries"
  echo "against a bare walk, both in turn in one loop:"
  echo
  echo "| bare walk | refill | refill / bare walk |"
  echo "|---|---|---|"
  echo "| $(fmt "$(bench_value "$json" BM_RefillOverWalk walk_ms)") ms |" \
    "$(fmt "$(bench_value "$json" BM_RefillOverWalk refill_ms)") ms |" \
    "$(awk -v r="$(bench_value "$json" BM_RefillOverWalk refill_over_walk)" 'BEGIN {printf "%.2f×", r}') |"
}

preview_wine() {
  local out="$work/preview-wine.txt"
  progress "preview refill under Wine (seeds 2,000 real entries)"
  bench/wine_preview_timing.sh "$win_build" 2000 7 >"$out" 2>/dev/null
  local bare refill ratio
  bare=$(sed -n 's/^bare enumeration: \([0-9.]*\) ms/\1/p' "$out")
  refill=$(sed -n 's/^refill of lvCache: \([0-9.]*\) ms/\1/p' "$out")
  ratio=$(sed -n 's/^refill \/ bare enumeration: \([0-9.]*\)/\1/p' "$out")
  echo
  echo "Under Wine, $(arch_label "$win_build") (\`bench/wine_preview_timing.sh $win_build 2000 7\`), one refill of the real"
  echo "\`lvCache\` (walk, rows, repaint) over 2,000 real entries, medians of 7:"
  echo
  echo "| bare enumeration | refill | refill / bare enumeration |"
  echo "|---|---|---|"
  echo "| $(fmt "$bare") ms | $(fmt "$refill") ms | ${ratio}× |"
}

ini_native() {
  local json="$work/ini.json"
  progress "native INI store"
  "$native_bin/bench_ini" --benchmark_format=json >"$json" 2>/dev/null
  echo
  echo "## INI store"
  echo
  echo "\`$native_bin/bench_ini\`; the nine settings in a host file of sections of twenty keys:"
  echo
  echo "| host file | load (CPU) | save, nothing changed (CPU) | save, every key changed (wall) |"
  echo "|---|---|---|---|"
  for sections in 1 100 1000; do
    local changed
    changed=$(bench_value "$json" "BM_SaveSettingsChanged/$sections/iterations:20" real_time)
    echo "| $((sections * 21 + 4)) lines |" \
      "$(fmt "$(bench_value "$json" "BM_LoadSettings/$sections" cpu_time)") µs |" \
      "$(fmt "$(bench_value "$json" "BM_SaveSettingsUnchanged/$sections" cpu_time)") µs |" \
      "${changed:+$(fmt "$changed") ms} |"
  done
}

# Quotes what a timing script printed, under the command that printed it.
quote_run() {
  local what="$1" out="$2"
  shift 2
  progress "$what"
  if ! "$@" >"$out" 2>"$out.err"; then
    echo "report: $* failed:" >&2
    cat "$out" "$out.err" >&2
    exit 1
  fi
  echo
  echo "\`$*\`:"
  echo
  echo '```'
  grep -v '^seeding\|^seeded' "$out"
  echo '```'
}

dialog_wine() {
  heading "The dialog under Wine, $(arch_label "$win_build")"
  echo
  echo "A real WinInet cache from \`seedcache\`, real key presses (XTest) from outside the dialog,"
  echo "each timed from the key's event to the list's new row count; WM_NULL sent to the dialog"
  echo "from another thread with a timeout, while it reads and refills:"
  quote_run "the dialog under Wine (seeds 10,000 and 2,000 real entries)" "$work/dialog.txt" \
    python3 bench/wine_dialog_timing.py --build "$win_build" --entries 10000 --small 2000 --presses 20 \
    --rounds 3
}

deletes_and_terminal_wine() {
  heading "Deletes and the command line under Wine, $(arch_label "$win_build")"
  echo
  echo "A bare \`DeleteUrlCacheEntryA\` against the checked delete (a lookup that the URL still names"
  echo "the walked entry, then the delete: under Wine the clean's for an entry whose key its walk met"
  echo "before, on Windows for every entry), medians of rounds of 300 deletes:"
  quote_run "deletes under Wine" "$work/deletes.txt" \
    bench/wine_delete_timing.sh "$win_build" 300 11
  echo
  echo "\`ienorvane.exe clean\` with every category on, its output on a terminal (a tmux pane)"
  echo "against the same clean in such a pane with its output sent to a file:"
  quote_run "the command line on a terminal under Wine" "$work/terminal.txt" \
    bench/wine_cli_terminal_timing.sh "$win_build" 10000 3
}

heading() { printf '\n## %s\n' "$1"; }

# The largest cache: grown once per architecture and kept, every measure from
# a fresh copy of it. Settings: NV_LARGEST_ROUNDS (rounds of the dialog, the
# clean and the preview, default 3), NV_LARGEST_PRESSES (key presses per
# series, default 20; twice as many changes for the keystroke tool).
largest_rounds="${NV_LARGEST_ROUNDS:-3}"
largest_presses="${NV_LARGEST_PRESSES:-20}"
declare -A got=()
# Runs a timing, keeping its output in FILE; stops the report when it fails.
run_into() {
  local out="$1"
  shift
  progress "$*"
  if ! "$@" >"$out" 2>"$out.err"; then
    echo "report: $* failed:" >&2
    tail -n 30 "$out" "$out.err" >&2
    exit 1
  fi
}
# The first group of the first line of FILE that matches the sed pattern.
pick() { sed -n "s/$2/${3:-\\1}/p" "$1" | head -n 1; }
# "preset" of a build folder, as the kept caches are named: win or win64.
preset_of() { if [[ $(cat "$1/nv-arch") == win64 ]]; then echo win64; else echo win; fi; }

largest_keystroke() {
  local build="$1" out="$work/largest-keys-$2.txt" condition
  run_into "$out" bench/wine_keystroke_timing.sh --cache "$kept" "$build" $((2 * largest_presses))
  for condition in "all \/ 1 in [0-9]*" "during reads"; do
    got["keys $condition $2"]=$(sed -n "s/^| \($condition\) *| *\([0-9.]*\) *| *\([0-9.]*\) .*/\2 ms (worst \3)/p" "$out")
  done
  got["keys label $2"]=$(sed -n 's/^| \(all \/ 1 in [0-9]*\) .*/\1/p' "$out")
  cp "$out" "$work/largest-keys-table-$2.txt"
}

largest_dialog() {
  local build="$1" out="$work/largest-dialog-$2.txt" display=()
  [[ -z "${NV_DISPLAY:-}" ]] || display=(--display "$NV_DISPLAY")
  run_into "$out" python3 bench/wine_dialog_timing.py --build "$build" --cache "$kept" \
    --presses "$largest_presses" --rounds "$largest_rounds" --paced 450 --memory "${display[@]}"
  got["press $2"]=$(pick "$out" '^[0-9]* entries: [0-9]* key presses, median \([0-9.]*\) ms, worst \([0-9.]*\) ms .*' '\1 ms (worst \2)')
  got["paced $2"]=$(pick "$out" '^[0-9]* entries, presses 450 ms apart: [0-9]* key presses, median \([0-9.]*\) ms, worst \([0-9.]*\) ms .*' '\1 ms (worst \2)')
  got["ready $2"]=$(pick "$out" '^until the dialog takes input: empty cache \([0-9]* ms\), .*')
  got["ready $2"]="$(pick "$out" '^until the dialog takes input: empty cache [0-9]* ms, [0-9]* entries \([0-9]* ms\).*') (empty cache: ${got["ready $2"]})"
  got["fill $2"]="$(pick "$out" '^until all three lists hold their rows: median \([0-9]*\) ms.*') ms / $(pick "$out" '.*the bare enumeration: median \([0-9]*\) ms.*') ms ($(pick "$out" '^until all three lists hold their rows: median [0-9]* ms, \([0-9.]*\)x.*')×)"
  got["memory filled $2"]="$(pick "$out" '^peak memory .*its lists filled: \([0-9.]*\) MB.*') MB"
  got["memory reread $2"]="$(pick "$out" '^peak memory .*once the background re-reads had finished.*: \([0-9.]*\) MB.*') MB"
}

# The clean against the floor: one build (wine_clean_timing.sh) or the two
# side by side (wine_clean_compare.sh, which rotates the order itself).
largest_clean() {
  local out="$work/largest-clean.txt"
  if (($# == 1)); then
    run_into "$out" bench/wine_clean_timing.sh --cache "$kept" "$1" "$largest_rounds"
    got["clean 0"]="$(pick "$out" '^plughost clean: *best [0-9]* ms wall, \([0-9-]*\) ms net.*') ms / $(pick "$out" '^floor (enumerate+delete): *best [0-9]* ms wall, \([0-9-]*\) ms net.*') ms ($(pick "$out" '^clean \/ floor: *\([0-9.]*\) .*')×)"
  else
    run_into "$out" bench/wine_clean_compare.sh --cache "$kept" "$1" "$2" "$largest_rounds"
    local floor
    floor=$(pick "$out" '^floor: *best [0-9]* ms wall, \([0-9-]*\) ms net.*')
    got["clean 0"]="$(pick "$out" '^old clean: *best [0-9]* ms wall, \([0-9-]*\) ms net.*') ms / $floor ms ($(pick "$out" '^old \/ floor: *\([0-9.]*\)')×)"
    got["clean 1"]="$(pick "$out" '^new clean: *best [0-9]* ms wall, \([0-9-]*\) ms net.*') ms / $floor ms ($(pick "$out" '^new \/ floor: *\([0-9.]*\)')×)"
  fi
}

largest_preview() {
  local out="$work/largest-preview.txt" bare i=0 build
  run_into "$out" bench/wine_cli_preview_timing.sh --cache "$kept" --rounds "$largest_rounds" "$@"
  bare=$(pick "$out" '^bare enumeration: *median \([0-9-]*\) ms net.*')
  for build in "$@"; do
    build="${build//\//\\/}"
    got["preview $i"]="$(pick "$out" "^preview of $build: median \([0-9-]*\) ms net.*") ms / $bare ms ($(pick "$out" "^preview \/ bare enumeration, $build: \([0-9.]*\)")×)"
    i=$((i + 1))
  done
}

# The section for one architecture: "BUILD" or "OLD NEW".
largest_wine() {
  local builds
  read -r -a builds <<<"$1"
  local first="${builds[0]}" n=${#builds[@]} i
  kept="$caches_root/$(preset_of "$first")"
  progress "the largest cache of the $(arch_label "$first") (grows it unless $kept holds it)"
  bench/grow_largest_cache.sh "$first" "$kept" >"$work/largest-stamp.txt" 2>"$work/largest-grow.err" || {
    cat "$work/largest-grow.err" >&2
    exit 1
  }
  kept="$(cd "$kept" && pwd)"
  got=()
  # Interleaved: the keystroke tool in the given order, the dialog in the
  # other; the clean and the preview alternate inside their scripts.
  for ((i = 0; i < n; ++i)); do largest_keystroke "${builds[$i]}" "$i"; done
  for ((i = n - 1; i >= 0; --i)); do largest_dialog "${builds[$i]}" "$i"; done
  largest_clean "${builds[@]}"
  largest_preview "${builds[@]}"

  heading "The largest cache, $(arch_label "$first") under Wine"
  echo
  echo "The cache grown with \`seedcache seed 10000 N\` (N = 1, 2, ...) until the platform refused new"
  echo "entries: **$(kept_value entries) entries** ($(kept_value refused)); $(kept_value index);"
  echo "$(kept_value wine), grown $(kept_value date). Kept by"
  echo "\`bench/grow_largest_cache.sh $first $kept\`; every measure starts from a fresh copy of it."
  echo "Key presses and dialog fills: medians of $largest_presses presses and of $largest_rounds rounds; the clean:"
  echo "the best of $largest_rounds rounds, each from a fresh copy, less each program's start-up."
  echo
  local header="| measure |" rule="|---|"
  for build in "${builds[@]}"; do header+=" \`$build\` |" && rule+="---|"; done
  echo "$header"
  echo "$rule"
  row() {
    local line="| $1 |" key="$2" i
    for ((i = 0; i < n; ++i)); do line+=" ${got["$key $i"]} |"; done
    echo "$line"
  }
  row "real key press in the cache mask box → new row count (\`wine_dialog_timing.py\`'s way)" press
  row "the same, presses 450 ms apart so that background re-reads run" paced
  row "the mask sent as WM_SETTEXT, ${got["keys label 0"]} (\`wine_keystroke_timing.sh\`)" "keys all \/ 1 in [0-9]*"
  row "the same, each during a background read" "keys during reads"
  row "\`GetConfigString\` → the dialog takes input" ready
  row "all three lists filled / a bare enumeration" fill
  row "\`plughost clean\` / bare enumerate-and-delete of the same cache" clean
  row "\`ienorvane preview\` (listing to a file) / bare enumeration" preview
  row "peak memory of the dialog's process (VmHWM), lists filled" "memory filled"
  row "the same, once the background re-reads had finished" "memory reread"
  echo
  echo "Commands (each in a throwaway Wine prefix, from a fresh copy of the kept cache):"
  echo
  local on_display=""
  [[ -z "${NV_DISPLAY:-}" ]] || on_display=" --display $NV_DISPLAY"
  for build in "${builds[@]}"; do
    echo "- \`bench/wine_keystroke_timing.sh --cache $kept $build $((2 * largest_presses))\`"
    echo "- \`bench/wine_dialog_timing.py --build $build --cache $kept --presses $largest_presses --rounds $largest_rounds --paced 450 --memory$on_display\`"
  done
  if ((n == 1)); then
    echo "- \`bench/wine_clean_timing.sh --cache $kept $first $largest_rounds\`"
  else
    echo "- \`bench/wine_clean_compare.sh --cache $kept ${builds[*]} $largest_rounds\`"
  fi
  echo "- \`bench/wine_cli_preview_timing.sh --cache $kept --rounds $largest_rounds ${builds[*]}\`"
  for ((i = 0; i < n; ++i)); do
    echo
    echo "\`wine_keystroke_timing.sh\`'s table for \`${builds[$i]}\`:"
    echo
    grep '^|' "$work/largest-keys-table-$i.txt"
  done
}
kept_value() { sed -n "s/^$1=//p" "$kept/stamp" | head -n 1; }
# Runs a Wine part once for each Windows build that runs here.
each_wine_build() {
  for win_build in "${wine_builds[@]}"; do "$@"; done
}
describe_machine
if want --native-only; then masks_native; fi
if want --wine-only; then each_wine_build masks_wine; fi
if want --native-only || want --wine-only; then heading "Clean"; fi
if want --native-only; then clean_native; fi
if want --wine-only; then each_wine_build clean_wine; fi
if want --native-only || want --wine-only; then heading "Preview refill"; fi
if want --native-only; then preview_native; fi
if want --wine-only; then each_wine_build preview_wine; fi
if want --native-only; then ini_native; fi
if want --wine-only; then
  each_wine_build dialog_wine
  each_wine_build deletes_and_terminal_wine
fi
if want_largest; then
  for run in "${largest_runs[@]}"; do largest_wine "$run"; done
fi
progress "done"
