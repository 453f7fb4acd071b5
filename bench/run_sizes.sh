#!/usr/bin/env bash
# Builds korvane2 optimised and runs it on generated one-ring parameter files of growing
# size, printing wall time (median of several runs), peak memory and, where the kernel
# benchmark measures it, the speed-up over the literal step-by-step algorithm.
#
#   bash bench/run_sizes.sh [runs-per-size]   (needs /usr/bin/time: apt-get install time)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
(cd "$root" && cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null)
exe="$root/build/bench/src/korvane2"
bench="$root/build/bench/bench/korvane2_bench"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/korvane2-sizes.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

parameter_file() {  # N30
  local rows=(
    "NRing|1|12" "N30|$1|12" "Mstr|2.0D30|11" "Fcen|0.999|11" "R1au|1.0|11" "Ecc|0.1|11"
    "dRr|0.5|11" "FN3|1.0|11" "okf0|0.9|11" "Ctilt|0.3|11" "EPS|1.0D-10|11" "Irot|0|12"
    "Itab|0|12" "Incl|0.1|11" "Rho|2000.0|11" "Phead|0.0|11" "fnIni|ring.ini|-12" "Ntail|0|12")
  local row label value width
  for row in "${rows[@]}"; do
    IFS='|' read -r label value width <<<"$row"
    if [ "$width" -lt 0 ]; then printf '%-59s%-12s\r\n' "$label" "$value"
    else printf "%-59s%${width}s\r\n" "$label" "$value"; fi
  done
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

declare -A speedup
while read -r n s; do speedup[$n]=$s; done < <(
  "$bench" --benchmark_filter='RingFastVersusLiteral' --benchmark_format=csv 2>/dev/null | tr -d '"' |
    awk -F, '/RingFastVersusLiteral/ {split($1, a, "/"); for (i = 1; i <= NF; i++) if (h[i] == "speedup") print a[2], $i}
             /^name/ {for (i = 1; i <= NF; i++) h[i] = $i}')

printf '%8s %12s %14s %10s\n' "N3" "wall (s)" "peak (MiB)" "speed-up"
for n in 1000 3000 10000 30000 100000; do
  dir="$scratch/$n"
  mkdir -p "$dir"
  parameter_file "$n" >"$dir/Korvane2.dat"
  times=()
  peak=0
  for _ in $(seq "$runs"); do
    out=$(cd "$dir" && /usr/bin/time -f '%e %M' "$exe" 2>&1 >/dev/null | tail -1)
    times+=("${out% *}")
    kb="${out#* }"
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
  wall=$(printf '%s\n' "${times[@]}" | median)
  printf '%8s %12s %14.1f %10s\n' "$n" "$wall" "$(awk -v k="$peak" 'BEGIN {print k / 1024}')" "${speedup[$n]:--}"
done
