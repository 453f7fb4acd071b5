#!/usr/bin/env bash
# Builds the "fuzz" preset and runs every libFuzzer target of tests/fuzz for a bounded
# time, each on a copy of its seed corpus in a temporary directory (the repository is
# never written to: new corpus entries, logs and crash files all stay there).
#
#   bash tests/fuzz/run_fuzzers.sh [SECONDS_PER_TARGET]     (default 60)
#
# Environment:
#   KORVANE2_FUZZ_BUILD  use the fuzz targets already built in this binary directory
#                        instead of configuring and building the preset
#   KORVANE2_FUZZ_ONLY   space-separated names of the targets to run (default: all)
#   KORVANE2_FUZZ_SEED   the random seed of every target (default 1, so that a run repeats
#                        the mutations of an earlier run of the same length; 0 draws one)
#
# Exit status 0 when no target found anything, 1 when at least one did (its log and
# reproducers are kept and their paths printed), 2 when the build failed. The last line
# is "fuzz: P passed, F failed".
set -u

seconds=${1:-60}
seed=${KORVANE2_FUZZ_SEED:-1}
case $seconds in
  '' | *[!0-9]*)
    echo "usage: $0 [SECONDS_PER_TARGET]" >&2
    exit 2
    ;;
esac

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)

build=${KORVANE2_FUZZ_BUILD:-}
if [ -z "$build" ]; then
  if ! (cd "$repo" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz); then
    echo "fuzz: build failed"
    exit 2
  fi
  build=$repo/build/fuzz
fi

targets=()
if [ -n "${KORVANE2_FUZZ_ONLY:-}" ]; then
  read -r -a targets <<<"$KORVANE2_FUZZ_ONLY"
else
  for source in "$here"/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane2-fuzz-run-XXXXXX")
passed=0
failed=0
summary=()

for target in "${targets[@]}"; do
  binary=$build/tests/fuzz/$target
  dir=$work/$target
  mkdir -p "$dir/corpus" "$dir/artifacts"
  if [ -d "$here/corpus/$target" ]; then
    cp -R "$here/corpus/$target/." "$dir/corpus/"
  fi
  if [ ! -x "$binary" ]; then
    echo "$target: no binary at $binary"
    failed=$((failed + 1))
    summary+=("$target: FAILED (not built)")
    continue
  fi
  # The readers' sources refill a 4096-byte buffer: longer inputs cross its boundary.
  extra=()
  case $target in
    fixed_column_reader_fuzz | free_format_reader_fuzz) extra+=(-max_len=10000) ;;
  esac
  echo "== $target: ${seconds} s"
  (cd "$dir" && "$binary" -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/" "${extra[@]}" "$dir/corpus" >"$dir/log" 2>&1)
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -n 1)
  entries=$(find "$dir/corpus" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    summary+=("$target: passed, ${runs:-?} runs, ${rate:-?} exec/s, corpus ${entries} entries")
  else
    failed=$((failed + 1))
    summary+=("$target: FAILED (exit status $status), log $dir/log")
    echo "-- $target failed (exit status $status); end of its log:"
    tail -n 60 "$dir/log"
    for artifact in "$dir"/artifacts/*; do
      [ -e "$artifact" ] && echo "-- reproducer: $artifact"
    done
  fi
done

echo
for line in "${summary[@]}"; do
  echo "$line"
done
if [ "$failed" -eq 0 ]; then
  rm -rf "$work"
else
  echo "logs and reproducers kept in $work"
fi
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
