#!/usr/bin/env bash
# Builds the fuzz targets natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time.
#   bash scripts/fuzz.sh [seconds-per-target] [target...]
# Default: 60 s per target, all targets. The targets test the pure rules
# (settings/IntegerRule.cpp, plugin/FolderRules.cpp), which need no Windows.
# Work files go to $PARCELON_BUILD_DIR/fuzz (default build/fuzz): the
# binaries, a corpus per target that grows from run to run (seeded from
# fuzz/seeds), and any finding as findings/<target>-crash-... .
# Prints one summary line per target; exits non-zero when any target finds
# a fault or fails to build.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
case "$seconds" in '' | *[!0-9]*) echo "fuzz: seconds must be a whole number, got '$seconds'" >&2; exit 2 ;; esac

all_targets=(IntegerRuleFuzz FolderCaptionFuzz ComparePathsFuzz)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

declare -A sources=(
  [IntegerRuleFuzz]=settings/IntegerRule.cpp
  [FolderCaptionFuzz]=plugin/FolderRules.cpp
  [ComparePathsFuzz]=plugin/FolderRules.cpp
)

if ! command -v clang++ >/dev/null; then
  bash scripts/setup.sh
fi

work="${PARCELON_BUILD_DIR:-build}/fuzz"
mkdir -p "$work/findings"
work=$(cd "$work" && pwd)

flags=(-std=c++17 -O1 -g -fno-omit-frame-pointer -I.
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

status=0
for t in "${targets[@]}"; do
  src=${sources[$t]:-}
  if [ -z "$src" ]; then
    echo "fuzz: $t: no such target (have: ${all_targets[*]})"
    status=1
    continue
  fi
  bin="$work/$t"
  # Rebuild when the target or the code under test is newer than the binary.
  if [ ! -x "$bin" ] || [ "fuzz/$t.cpp" -nt "$bin" ] || [ "$src" -nt "$bin" ] ||
     [ "${src%.cpp}.h" -nt "$bin" ] || [ "$0" -nt "$bin" ]; then
    if ! clang++ "${flags[@]}" "fuzz/$t.cpp" "$src" -o "$bin" 2>"$work/$t.build.log"; then
      echo "fuzz: $t: BUILD FAILED (see $work/$t.build.log)"
      status=1
      continue
    fi
  fi
  corpus="$work/corpus/$t"
  mkdir -p "$corpus"
  log="$work/$t.log"
  set +e
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$bin" "$corpus" "fuzz/seeds/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$work/findings/$t-" >"$log" 2>&1
  rc=$?
  set -e
  # Lines that may be missing (a fault in the first input): no failing pipes.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
  cov=$( (grep -o 'cov: [0-9]*' "$log" || true) | tail -1 | cut -d' ' -f2)
  files=$(find "$corpus" -type f | wc -l)
  if [ $rc -eq 0 ]; then
    echo "fuzz: $t: ok, ${runs:-?} runs in ${seconds} s, coverage ${cov:-?}, corpus $files"
  else
    artifact=$( (grep -o "$work/findings/$t-[^ ]*" "$log" || true) | tail -1)
    what=$(grep -m1 -E '^(IntegerRule|FolderCaption|CompareFolderPaths):|ERROR: (AddressSanitizer|libFuzzer)|runtime error' "$log" || true)
    echo "fuzz: $t: FAILED (exit $rc): ${what:-see log} — input ${artifact:-?}, log $log"
    status=1
  fi
done
exit $status
