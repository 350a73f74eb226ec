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
cmake --build --preset fuzz -j2 --target fuzz_open fuzz_chain fuzz_parts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Memory in proportion to the input (typelib/file/Limits.h: 32 MiB + 8 x the size):
# no single allocation above that for the largest input, and a process size of that
# on top of what AddressSanitizer and libFuzzer take themselves (quarantine kept small).
max_len=$((1024 * 1024))
allowed_mb=$((32 + 8 * max_len / 1048576))
export ASAN_OPTIONS="quarantine_size_mb=16:${ASAN_OPTIONS:-}"
for target in fuzz_open fuzz_chain fuzz_parts; do
  # Run on a copy, so that the committed corpus stays the minimised one.
  mkdir -p "$work/$target"
  cp fuzz/corpus/$target/* "$work/$target/"
  "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=$max_len -timeout=10 \
    -malloc_limit_mb=$allowed_mb -rss_limit_mb=$((256 + 2 * allowed_mb)) \
    -artifact_prefix="$work/$target-" "$work/$target"
done
