#!/usr/bin/env bash
# Regenerates the SLTG fixtures tests/fixtures/sltg/NAME.tlb from the MSFT fixtures
# tests/fixtures/NAME.tlb (the Win32 builds) with make-sltg (tools/sltg-writer). The
# output depends only on the input bytes, so regenerating gives the same files.
# make-fixtures.sh calls this after it has rebuilt the MSFT fixtures.
#
# Usage: make-sltg-fixtures.sh [MAKE_SLTG]  (default: build/ci/tools/sltg-writer/make-sltg,
#        built with the ci preset when missing)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
make_sltg=${1:-$repo/build/ci/tools/sltg-writer/make-sltg}
if [[ $# -eq 0 && ! -x $make_sltg ]]; then
    (cd "$repo" && cmake --preset ci > /dev/null && cmake --build --preset ci --target make-sltg)
fi

out="$repo/tests/fixtures/sltg"
mkdir -p "$out"
# Importer imports Second, which the writer finds beside it in tests/fixtures.
for name in Fixture Second Importer Control Names Escaping; do
    "$make_sltg" "$repo/tests/fixtures/$name.tlb" "$out/$name.tlb"
done
echo "make-sltg-fixtures: wrote $(ls "$out" | wc -l) SLTG fixtures in $out"
