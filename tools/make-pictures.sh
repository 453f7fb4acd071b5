#!/usr/bin/env bash
# Makes the pictures of the README and the guide from real runs. Every picture folder
# (examples/ and each folder of docs/pictures/) holds the inputs of one run, Korvane2.dat
# and, when it has one, the ring table rngtbinp.dat; korvane2 runs on them in a scratch
# directory and korvane2-inspect draws the result (with the ring summary, so every ring
# has its colour) as structure.svg of the folder.
#
#   bash tools/make-pictures.sh                       rewrite the pictures in place
#   bash tools/make-pictures.sh OUT KORVANE2 INSPECT  write OUT/<folder>/structure.svg
#                                                     with these programs, for a check
#
# The first form builds the programs of the release preset first. Runs that end with
# status 4 (a ring not closed, bodies at the same place) are pictures too: some folders
# show just that. Any other status stops the script with status 1.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -eq 0 ]; then
  out="$root"
  bash "$root/tools/install-deps.sh"
  (cd "$root" && cmake --preset release >/dev/null &&
    cmake --build --preset release --target korvane2 korvane2-inspect >/dev/null)
  korvane2="$root/build/release/src/korvane2"
  inspect="$root/build/release/src/examine/korvane2-inspect"
elif [ $# -eq 3 ]; then
  out="$(mkdir -p "$1" && cd "$1" && pwd)"
  korvane2="$2"
  inspect="$3"
else
  echo "usage: $0 [OUT KORVANE2 KORVANE2-INSPECT]" >&2
  exit 2
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/korvane2-pictures.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
cd "$root"
for folder in examples docs/pictures/*/; do
  folder="${folder%/}"
  rm -rf "${scratch:?}"/*
  cp "$folder/Korvane2.dat" "$scratch"/
  [ -f "$folder/rngtbinp.dat" ] && cp "$folder/rngtbinp.dat" "$scratch"/
  status=0
  (cd "$scratch" && "$korvane2" </dev/null >/dev/null 2>&1) || status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 4 ]; then
    echo "$folder: korvane2 exited with status $status" >&2
    exit 1
  fi
  mkdir -p "$out/$folder"
  (cd "$scratch" && "$inspect" --rings rngtbout.dat --svg "$out/$folder/structure.svg" ring.ini >/dev/null) ||
    [ $? -eq 1 ] || { echo "$folder: korvane2-inspect could not draw the run" >&2; exit 1; }
  echo "$folder/structure.svg (korvane2 status $status)"
done
