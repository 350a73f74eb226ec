#!/usr/bin/env bash
# Checks the SLTG fixtures against the platform's reader (oleaut32 under wine): the
# platform's dump of each tests/fixtures/sltg/NAME.tlb must equal its dump of the MSFT
# twin tests/fixtures/NAME.tlb, apart from the platform's SLTG quirks
# (tools/conformance/known-quirks.txt) and what SLTG cannot hold (format-gaps.txt).
#
# Usage: check-platform.sh PLATFORM_DUMP_EXE WORK_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
[[ $# -eq 2 ]] || { sed -n 2,8p "$0" >&2; exit 2; }
exec "$repo/tools/conformance/compare.sh" --platform "$1" --work "$2" \
  --register "$repo/tests/fixtures/Second.tlb" --twins "$repo/tests/fixtures" \
  --quirks "$here/format-gaps.txt" "$repo"/tests/fixtures/sltg/*.tlb
