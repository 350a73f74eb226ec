#!/usr/bin/env bash
# Compiles NoTypes.idl, a valid type library that holds no types, into NoTypes.tlb
# (widl from Debian's mingw-w64 or wine packages). Commit the result with the source.
set -euo pipefail
cd "$(dirname "$0")"
widl -t -o NoTypes.tlb NoTypes.idl
