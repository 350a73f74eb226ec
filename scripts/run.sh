#!/usr/bin/env bash
# Installs what is missing, builds the window and the command-line tool, and starts the window.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh build
cmake --preset default -DBUILD_TESTING=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset default --target vantrel vantrel-report
exec build/default/app/vantrel "$@"
