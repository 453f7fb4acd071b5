#!/usr/bin/env bash
# Builds korvane2 and runs it on the example parameter file in a scratch directory,
# leaving the repository clean; prints where the output files are.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target korvane2 >/dev/null)
scratch="$(mktemp -d "${TMPDIR:-/tmp}/korvane2-example.XXXXXX")"
cp "$here"/Korvane2.dat "$scratch"/
[ -f "$here"/rngtbinp.dat ] && cp "$here"/rngtbinp.dat "$scratch"/
status=0
(cd "$scratch" && "$root"/build/release/src/korvane2) || status=$?
echo "korvane2 exited with status $status; its files are in $scratch:"
ls -l "$scratch"
exit "$status"
