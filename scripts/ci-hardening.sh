#!/usr/bin/env bash
# The sanitizer suite and short fuzz runs.
# Usage: scripts/ci-hardening.sh [seconds per fuzz target, default 60]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cd "$top"
scripts/fetch-real-libraries.sh
# fontconfig, loaded by the Qt window tests, keeps caches until exit.
export LSAN_OPTIONS="suppressions=$top/scripts/lsan-suppressions.txt"
cmake --preset asan
cmake --build --preset asan -j2
ctest --preset asan --parallel 2 --timeout 900
cmake --preset fuzz
cmake --build --preset fuzz -j2 --target fuzz_open fuzz_chain
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in fuzz_open fuzz_chain; do
  # Run on a copy, so that the committed corpus stays the minimised one.
  mkdir -p "$work/$target"
  cp fuzz/corpus/$target/* "$work/$target/"
  "build/fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$work/$target-" "$work/$target"
done
