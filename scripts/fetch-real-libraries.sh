#!/usr/bin/env bash
# Unpacks Debian's libwine package into .cache/libwine, for the type libraries it ships
# (about fifty real .tlb files and DLLs with TYPELIB resources). Nothing is installed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target="$top/.cache/libwine"
libs="$target/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"
[[ -f "$libs/mshtml.tlb" ]] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download -q libwine:amd64 >/dev/null 2>&1) || {
  # apt-get download needs fresh package lists.
  as_root=(); [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  "${as_root[@]}" apt-get update -q >/dev/null
  (cd "$work" && apt-get download -q libwine:amd64)
}
mkdir -p "$target"
dpkg-deb -x "$work"/libwine_*.deb "$target"
echo "Real type libraries in $libs"
