#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [preset]   (default: default; CI uses ci)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-default}
cd "$top"
scripts/install-deps.sh test
scripts/fetch-real-libraries.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --parallel "$(nproc)"
