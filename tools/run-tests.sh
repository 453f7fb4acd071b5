#!/usr/bin/env bash
# Installs what is missing (tools/install-deps.sh), then builds korvane2 optimised and
# runs every test (the workflow preset "release").
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --workflow --preset release
