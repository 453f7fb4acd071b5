#!/usr/bin/env bash
# Builds korvane2 (installing what the build needs when it is missing) and runs it in a
# scratch directory on the parameter file Korvane2.dat of a folder of inputs, with the
# ring table rngtbinp.dat of the same folder when there is one; the folder is left
# clean. Says which inputs it used and where the output files are.
#
#   bash examples/run.sh [FOLDER]      (default: the folder of this script)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
inputs="$(cd "${1:-$here}" && pwd)"
if [ ! -f "$inputs/Korvane2.dat" ]; then
  echo "no parameter file Korvane2.dat in $inputs" >&2
  exit 2
fi

bash "$root/tools/install-deps.sh"
korvane2="$root/build/release/src/korvane2"
[ -x "$korvane2" ] || echo "building korvane2 (first run only)"
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target korvane2 >/dev/null)

scratch="$(mktemp -d "${TMPDIR:-/tmp}/korvane2-example.XXXXXX")"
cp "$inputs/Korvane2.dat" "$scratch"/
echo "parameter file: $inputs/Korvane2.dat"
if [ -f "$inputs/rngtbinp.dat" ]; then
  cp "$inputs/rngtbinp.dat" "$scratch"/
  echo "ring table:     $inputs/rngtbinp.dat"
else
  echo "ring table:     none (no rngtbinp.dat in $inputs): every ring from the parameter file"
fi
status=0
(cd "$scratch" && "$korvane2") || status=$?
echo "korvane2 exited with status $status; its files are in $scratch:"
ls -l "$scratch"
exit "$status"
