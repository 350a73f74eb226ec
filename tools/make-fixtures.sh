#!/usr/bin/env bash
# Regenerates every binary fixture under tests/fixtures/ from the IDL files there:
# type libraries (.tlb) compiled with widl, resource-only PE32 and PE32+ DLLs carrying
# them as TYPELIB resources, the name-patched libraries, and the small non-library files.
# The results are committed, so ordinary builds and test runs need none of these tools.
#
# Needs (Debian: scripts/install-deps.sh fixtures): x86_64-w64-mingw32-widl
# (mingw-w64-tools), i686/x86_64-w64-mingw32-windres and -ld (binutils-mingw-w64-*),
# the standard IDL files of libwine-dev, stdole2.tlb (libwine, or the copy that
# scripts/fetch-real-libraries.sh unpacks into .cache/libwine), python3.
#
# Determinism: everything is byte-for-byte reproducible except one thing widl does: it
# stores "Created by WIDL version 7.0 at <local time>" as custom data of each library,
# and it has no option to leave the time out. The readers' results never depend on it.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
out="$repo/tests/fixtures"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

find_first() {  # find_first NAME DIR...: the first DIR that holds NAME
    local name=$1 dir
    shift
    for dir in "$@"; do
        [[ -f "$dir/$name" ]] && { echo "$dir"; return 0; }
    done
    echo "make-fixtures: $name not found in: $*" >&2
    return 1
}

idl_dir=$(find_first oaidl.idl /usr/include/wine/wine/windows /usr/include/wine/windows)
stdole_dir=$(find_first stdole2.tlb /usr/lib/x86_64-linux-gnu/wine/x86_64-windows \
    "$repo/.cache/libwine/usr/lib/x86_64-linux-gnu/wine/x86_64-windows")

# widl writes its time stamp in local time; UTC at least keeps it free of the zone.
export TZ=UTC

# compile NAME BITS: tests/fixtures/NAME.idl -> $work/NAME.BITS.tlb (BITS 32 or 64).
# Second.tlb is found through -L "$work" by the libraries that importlib it.
compile() {
    local name=$1 bits=$2
    x86_64-w64-mingw32-widl --win"$bits" -t -I "$idl_dir" -I "$out" \
        -L "$stdole_dir" -L "$work/lib$bits" -o "$work/$name.$bits.tlb" "$out/$name.idl"
    mkdir -p "$work/lib$bits"
    cp "$work/$name.$bits.tlb" "$work/lib$bits/$name.tlb"
}

# resource_dll OUTPUT BITS ID=FILE...: a DLL with no code, only the given TYPELIB
# resources. -e 0: no entry point; --no-insert-timestamp: reproducible header.
resource_dll() {
    local output=$1 bits=$2 arch=i686 rc="$work/resources.rc"
    shift 2
    [[ $bits == 64 ]] && arch=x86_64
    : > "$rc"
    local item
    for item in "$@"; do
        printf '%s TYPELIB "%s"\n' "${item%%=*}" "${item#*=}" >> "$rc"
    done
    link_resources "$output" "$arch" "$rc"
}

# link_resources OUTPUT ARCH RCFILE: compile the resource script (no C preprocessor
# needed) and link it into a resource-only DLL.
link_resources() {
    local output=$1 arch=$2 rc=$3
    "$arch"-w64-mingw32-windres --preprocessor=cat -i "$rc" -o "$work/resources.o"
    "$arch"-w64-mingw32-ld --dll -e 0 --no-insert-timestamp -o "$output" "$work/resources.o"
    chmod 644 "$output"
}

# patch_names FILE OLD=NEW...: replaces each OLD byte string, which must occur exactly
# once in FILE, by NEW of the same length (written as a Python bytes literal body, so
# "\xe9" is one byte). widl takes only ASCII identifiers; this is how the fixtures get
# Windows-1252 and markup characters into names. The name table's hash values are left
# as computed for the old names: readers look names up by offset, not by hash.
patch_names() {
    python3 - "$@" <<'PY'
import ast, sys
path, pairs = sys.argv[1], sys.argv[2:]
data = bytearray(open(path, "rb").read())
for pair in pairs:
    old, new = (ast.literal_eval('b"' + part + '"') for part in pair.split("=", 1))
    if len(old) != len(new):
        sys.exit(f"patch_names: {old!r} and {new!r} differ in length")
    if data.count(old) != 1:
        sys.exit(f"patch_names: {old!r} occurs {data.count(old)} times in {path}")
    at = data.find(old)
    data[at:at + len(old)] = new
open(path, "wb").write(bytes(data))
PY
}

# Libraries, in dependency order (Importer needs Second.tlb).
for name in Fixture Second Importer Control Names Escaping; do
    compile "$name" 32
    compile "$name" 64
done

# Standalone type libraries: NAME.tlb is the Win32 build, NAME64.tlb the Win64 build.
for name in Fixture Second Importer Control; do
    cp "$work/$name.32.tlb" "$out/$name.tlb"
    cp "$work/$name.64.tlb" "$out/${name}64.tlb"
done
cp "$work/Names.32.tlb" "$out/Names.tlb"
patch_names "$out/Names.tlb" 'ICafx=ICaf\xe9' 'Grqqe=Gr\xf6\xdfe' 'Wqhrung=W\xe4hrung' \
    'Badqchar=Bad\x81char' 'Cafx-Hilfe=Caf\xe9-Hilfe'
cp "$work/Escaping.32.tlb" "$out/Escaping.tlb"
patch_names "$out/Escaping.tlb" 'Scriptxx=<script>' 'aNb=a&b' 'Pbqx=<b>x' 'Ampqq=&amp;' \
    'Ltgtq=x<>&y'

# Importer beside Second (both above) and alone, without the library it imports.
mkdir -p "$out/imports-missing"
cp "$out/Importer.tlb" "$out/imports-missing/Importer.tlb"

# DLLs: the main libraries as resource 1 of a PE32 (Win32 build) and a PE32+ (Win64).
for name in Fixture Control Second; do
    resource_dll "$out/${name}32.dll" 32 "1=$out/$name.tlb"
    resource_dll "$out/${name}64.dll" 64 "1=$out/${name}64.tlb"
done
# Two libraries in one file (resource 1 is the one to open) and a file without a
# resource 1 (the lowest id, 3, is the one to open).
resource_dll "$out/TwoLibraries.dll" 32 "1=$out/Fixture.tlb" "2=$out/Second.tlb"
resource_dll "$out/LowestId.dll" 32 "5=$out/Fixture.tlb" "3=$out/Second.tlb"

# A PE file with resources but no TYPELIB among them.
printf 'STRINGTABLE\nBEGIN\n  1, "Vantrel fixture without a type library"\nEND\n' > "$work/strings.rc"
link_resources "$out/NoTypeLib.dll" i686 "$work/strings.rc"

# Files that are no type library at all.
printf 'This is a plain text file, not a type library.\r\n' > "$out/NotALibrary.txt"
: > "$out/Empty.tlb"

# The sample component for users.
mkdir -p "$repo/samples"
cp "$out/Control32.dll" "$repo/samples/VantrelSample.dll"

echo "make-fixtures: regenerated $(ls "$out" | wc -l) entries in $out"
