#!/usr/bin/env bash
# Installs what the build and the tests need when it is missing (Debian packages).
#
#   bash tools/install-deps.sh [--fuzz]
#
# Without an option: the build, the tests and the picture tests (cmake, g++, make,
# GoogleTest, zlib, rsvg-convert). With --fuzz also what the fuzz preset needs (clang, its
# sanitizer runtime and its OpenMP). As root the missing packages are installed with
# apt-get; otherwise the one apt-get line to run is printed and the exit status is 1.
# Nothing is printed when everything is there. Without dpkg (not a Debian system) nothing
# is checked.
set -euo pipefail

packages=(cmake g++ make libgtest-dev zlib1g-dev librsvg2-bin)
case "${1:-}" in
  '') ;;
  --fuzz) packages+=(clang libclang-rt-14-dev libomp-dev) ;;
  *)
    echo "usage: $0 [--fuzz]" >&2
    exit 2
    ;;
esac

command -v dpkg >/dev/null 2>&1 || exit 0
missing=()
for pkg in "${packages[@]}"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "korvane2 needs packages that are not installed; run as root:" >&2
  echo "apt-get install ${missing[*]}"
  exit 1
fi
echo "installing ${missing[*]}" >&2
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
