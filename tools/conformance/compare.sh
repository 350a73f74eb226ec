#!/usr/bin/env bash
# Compares our reader with the platform's (oleaut32 under wine) on type libraries: dumps
# each file both ways and shows every difference as a unified diff, apart from the known
# quirks of the platform reader (known-quirks.txt). Exit status 1 when any other
# difference remains.
#
# Usage: compare.sh --platform platform_dump.exe --ours vantrel-dump --work DIR
#                   [--imports-gap] [--quirks FILE] [--fixtures DIR] [--real DIR] [FILE...]
#   --quirks FILE   excuses the quirks of FILE too, besides those of known-quirks.txt
#   --fixtures DIR  adds DIR/*.tlb and DIR/*.dll
#   --real DIR      adds every file in DIR that holds an MSFT or SLTG type library
#   --register FILE registers FILE with the platform first, so that it can resolve
#                   imports from it (the platform looks imported libraries up in the registry)
#   --imports-gap   ignores what differs only because our reader doesn't resolve imports yet
#   --twins DIR     compares the platform's dump of each file with the platform's dump of
#                   DIR's file of the same name, in place of ours (an SLTG fixture with its
#                   MSFT twin); --ours is then not needed
# The platform's reader opens no 16-bit NE files: it is given their TYPELIB resource.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
platform="" ours="" work="" quirks=("$here/known-quirks.txt") gap=() twins=""
files=() registered=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --platform) platform=$2; shift 2 ;;
    --ours) ours=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --quirks) quirks+=("$2"); shift 2 ;;
    --imports-gap) gap=(--imports-gap); shift ;;
    --twins) twins=$2; shift 2 ;;
    --register) registered+=("$(realpath "$2")"); shift 2 ;;
    --fixtures)
      shopt -s nullglob
      files+=("$2"/*.tlb "$2"/*.dll)
      shopt -u nullglob
      shift 2 ;;
    --real)
      # Files that carry a type library hold its "MSFT" or "SLTG" signature somewhere.
      while IFS= read -r file; do files+=("$file"); done \
        < <(grep -l -a -E 'MSFT|SLTG' "$2"/* 2>/dev/null | sort)
      shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) files+=("$1"); shift ;;
  esac
done
[[ -n "$platform" && ( -n "$ours" || -n "$twins" ) && -n "$work" ]] || { sed -n 2,15p "$0" >&2; exit 2; }
[[ ${#files[@]} -gt 0 ]] || { echo "no files to compare" >&2; exit 2; }

rm -rf "$work/platform" "$work/ours"
mkdir -p "$work/platform" "$work/ours"
: > "$work/files.txt"
for file in "${files[@]}"; do
  realpath "$file" >> "$work/files.txt"
done

# A throwaway wine prefix, initialised once; no Mono or Gecko installers.
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "Initialising the wine prefix $WINEPREFIX"
  timeout 120 "$wine" wineboot -i > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log" >&2; exit 1; }
fi

mapfile -t paths < "$work/files.txt"
compared=${#paths[@]}
if [[ -n "$twins" ]]; then
  for i in $(seq 0 $((compared - 1))); do paths+=("$(realpath "$twins/$(basename "${paths[$i]}")")"); done
fi
# What the platform opens: each file, or the TYPELIB resource of an NE file.
mkdir -p "$work/ne"
platform_paths=()
for i in "${!paths[@]}"; do
  if python3 "$here/ne_typelib.py" "${paths[$i]}" "$work/ne/$i.tlb"; then
    platform_paths+=("$work/ne/$i.tlb")
  else
    platform_paths+=("${paths[$i]}")
  fi
done
if [[ ${#registered[@]} -gt 0 ]]; then
  "$wine" "$platform" --register "${registered[@]}"
fi
# The dumps are written in order; when the platform's reader crashes on a file, that
# file gets the line "platform crash" and the batch goes on after it.
: > "$work/platform-errors.log"
first=0
while [[ $first -lt ${#paths[@]} ]]; do
  "$wine" "$platform" --batch "$work/platform" "$first" "${platform_paths[@]:$first}" \
    >> "$work/platform-errors.log" 2>&1 || true
  while [[ $first -lt ${#paths[@]} && -f "$work/platform/$first.txt" ]]; do first=$((first + 1)); done
  if [[ $first -lt ${#paths[@]} ]]; then
    echo "platform crash" > "$work/platform/$first.txt"
    echo "platform_dump crashed on ${paths[$first]}" >> "$work/platform-errors.log"
    first=$((first + 1))
  fi
done
"$wineserver" -k 2>/dev/null || true
for i in $(seq 0 $((compared - 1))); do
  if [[ -n "$twins" ]]; then
    cp "$work/platform/$((compared + i)).txt" "$work/ours/$i.txt"
  else
    "$ours" "${paths[$i]}" > "$work/ours/$i.txt" 2>> "$work/ours-errors.log" || true
  fi
done

cat "${quirks[@]}" > "$work/quirks.txt"
exec python3 "$here/compare_dumps.py" --files "$work/files.txt" --platform "$work/platform" \
  --ours "$work/ours" --quirks "$work/quirks.txt" "${gap[@]}"
