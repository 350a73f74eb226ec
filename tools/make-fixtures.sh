#!/usr/bin/env bash
# Regenerates every binary fixture under tests/fixtures/ from the IDL files there:
# type libraries (.tlb) compiled with widl, resource-only PE32 and PE32+ DLLs carrying
# them as TYPELIB resources, the edits widl cannot express (see patch), and the small
# non-library files.
# The results are committed, so ordinary builds and test runs need none of these tools.
# Last, make-sltg-fixtures.sh writes the SLTG twins of the Win32 libraries (it builds
# tools/sltg-writer with the ci preset if needed).
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

# PathImporter imports libraries that only libwine's DLLs carry.
libwine_dir=$(find_first msxml3.dll /usr/lib/x86_64-linux-gnu/wine/x86_64-windows \
    "$repo/.cache/libwine/usr/lib/x86_64-linux-gnu/wine/x86_64-windows")

# widl writes its time stamp in local time; UTC at least keeps it free of the zone.
export TZ=UTC

# compile NAME BITS: tests/fixtures/NAME.idl -> $work/NAME.BITS.tlb (BITS 32 or 64).
# Each result is also copied to $work/libBITS/NAME.tlb, where the libraries that
# importlib it (Importer: Second.tlb) find it.
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

# typelib_resource PE OUTPUT: TYPELIB resource 1 of the PE file, as a plain library file
# (widl's importlib reads no PE files).
typelib_resource() {
    python3 - "$1" "$2" <<'PY'
import struct, sys

data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
magic = struct.unpack_from("<H", data, pe + 24)[0]
rva = struct.unpack_from("<I", data, pe + 24 + (112 if magic == 0x20B else 96) + 2 * 8)[0]

def file_offset(address):
    table = pe + 24 + optional_size
    for i in range(sections):
        size, virtual, _, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if virtual <= address < virtual + max(size, 1):
            return raw + address - virtual
    sys.exit("typelib_resource: address outside the sections")

root = file_offset(rva)

def entries(directory):
    named, ids = struct.unpack_from("<HH", data, directory + 12)
    for i in range(named + ids):
        yield struct.unpack_from("<II", data, directory + 16 + 8 * i)

def name_of(key):
    if not key & 0x80000000:
        return key
    at = root + (key & 0x7FFFFFFF)
    return data[at + 2:at + 2 + 2 * struct.unpack_from("<H", data, at)[0]].decode("utf-16-le")

def child(directory, wanted):
    for key, target in entries(directory):
        if wanted is None or name_of(key) == wanted:
            return root + (target & 0x7FFFFFFF), target
    sys.exit(f"typelib_resource: no resource {wanted} in {sys.argv[1]}")

types, _ = child(root, "TYPELIB")
ids, _ = child(types, 1)
_, leaf = child(ids, None)
address, size = struct.unpack_from("<II", data, root + leaf)
start = file_offset(address)
open(sys.argv[2], "wb").write(data[start:start + size])
PY
}

# patch FILE STEP ARGS...: edits a compiled type library where widl cannot express what
# a fixture needs. The steps (a small reader and writer of the MSFT layout):
#   names OLD=NEW...   replace each OLD byte string, which must occur exactly once, by
#                      NEW of the same length (Python bytes-literal syntax, "\xe9" is one
#                      byte): widl takes only ASCII identifiers. The name table's hash
#                      values stay those of the old names; readers address names by offset.
#   module-constants MODULE FUNCTION
#                      widl drops constants declared in a module, so the IDL declares them
#                      as the parameters of FUNCTION (the module's last function) with
#                      their values as defaults; this replaces FUNCTION by one constant per
#                      parameter (same name, type and value). The module's rewritten member
#                      block is appended to the file, where widl puts member blocks anyway.
#   no-default-interfaces COCLASS
#                      widl marks an interface of every coclass as default; this clears the
#                      default flag of all of COCLASS's interfaces.
patch() {
    python3 - "$@" <<'PY'
import ast, struct, sys

path, step, args = sys.argv[1], sys.argv[2], sys.argv[3:]
data = bytearray(open(path, "rb").read())

def i32(at): return struct.unpack_from("<i", data, at)[0]
def u32(at): return struct.unpack_from("<I", data, at)[0]

def segment(index):  # (offset, length) from the segment directory
    count = i32(0x20)
    directory = (0x58 if u32(0x14) & 0x100 else 0x54) + 4 * count
    return struct.unpack_from("<ii", data, directory + 16 * index)

def name_at(offset):
    entry = segment(7)[0] + offset
    return bytes(data[entry + 12:entry + 12 + data[entry + 8]])

def typeinfo_named(name):  # offset of the 100-byte typeinfo entry, and its hreftype
    table = segment(0)[0]
    for index in range(i32(0x20)):
        entry = table + 100 * index
        if name_at(i32(entry + 0x34)) == name.encode():
            return entry, 100 * index
    sys.exit(f"patch: no type {name} in {path}")

def replace_names(pairs):
    for pair in pairs:
        old, new = (ast.literal_eval('b"' + part + '"') for part in pair.split("=", 1))
        if len(old) != len(new):
            sys.exit(f"patch: {old!r} and {new!r} differ in length")
        if data.count(old) != 1:
            sys.exit(f"patch: {old!r} occurs {data.count(old)} times in {path}")
        at = data.find(old)
        data[at:at + len(old)] = new

def module_constants(module, function):
    entry, hreftype = typeinfo_named(module)
    funcs, variables = u32(entry + 0x18) & 0xFFFF, u32(entry + 0x18) >> 16
    block = i32(entry + 4)
    records_length = i32(block)
    arrays = block + 4 + records_length
    members = funcs + variables
    memids = struct.unpack_from(f"<{members}i", data, arrays)
    names = struct.unpack_from(f"<{members}i", data, arrays + 4 * members)
    offsets = struct.unpack_from(f"<{members}i", data, arrays + 8 * members)
    last = funcs - 1
    if variables or name_at(names[last]) != function.encode():
        sys.exit(f"patch: {function} is not the last member of {module}")
    record = block + 4 + offsets[last]
    size = u32(record) & 0xFFFF
    flags = u32(record + 16)
    params = struct.unpack_from("<h", data, record + 20)[0]
    if not flags & 0x1000:
        sys.exit(f"patch: {function} has no default values")
    param_records = record + size - 12 * params
    defaults = struct.unpack_from(f"<{params}i", data, param_records - 4 * params)
    kept = bytes(data[block + 4:record])
    new_records, new_names, new_offsets = bytearray(kept), list(names[:last]), list(offsets[:last])
    new_memids = list(memids[:last])
    for k in range(params):
        param_type, param_name, _ = struct.unpack_from("<iiI", data, param_records + 12 * k)
        new_offsets.append(len(new_records))
        # Variable record: size and member index, type, VARFLAGS, VAR_CONST, the
        # VARDESC size widl writes for constants, the value slot.
        new_records += struct.pack("<IiIhhi", 20 | (last + k) << 16, param_type, 0, 2, 0x34,
                                   defaults[k])
        new_names.append(param_name)
        new_memids.append(memids[last] + k)
        # The name now belongs to a member of the module.
        struct.pack_into("<i", data, segment(7)[0] + param_name, hreftype)
    count = last + params
    new_block = struct.pack("<i", len(new_records)) + bytes(new_records) + struct.pack(
        f"<{3 * count}i", *new_memids, *new_names, *new_offsets)
    data.extend(b"\0" * (-len(data) % 4))
    struct.pack_into("<i", data, entry + 4, len(data))
    struct.pack_into("<I", data, entry + 0x18, last | params << 16)
    data.extend(new_block)

def no_default_interfaces(coclass):
    entry, _ = typeinfo_named(coclass)
    references = segment(3)[0]
    at = i32(entry + 0x54)
    for _ in range(struct.unpack_from("<h", data, entry + 0x4C)[0]):
        struct.pack_into("<i", data, references + at + 4, i32(references + at + 4) & ~1)
        at = i32(references + at + 12)
        if at < 0:
            break

steps = {"names": lambda: replace_names(args),
         "module-constants": lambda: module_constants(*args),
         "no-default-interfaces": lambda: no_default_interfaces(*args)}
if step not in steps:
    sys.exit(f"patch: unknown step {step}")
steps[step]()
open(path, "wb").write(bytes(data))
PY
}

# Libraries, in dependency order (Importer needs Second.tlb).
for name in Fixture Second Importer Control Wrapper; do
    compile "$name" 32
    compile "$name" 64
done
compile Names 32
compile Escaping 32
# Under the names of the DLLs that carry them, as a real importer records them.
for dll in msxml3.dll wmp.dll; do
    mkdir -p "$work/lib32"
    typelib_resource "$libwine_dir/$dll" "$work/lib32/$dll"
done
compile PathImporter 32

# Standalone type libraries: NAME.tlb is the Win32 build, NAME64.tlb the Win64 build.
for name in Fixture Second Importer Control Wrapper; do
    cp "$work/$name.32.tlb" "$out/$name.tlb"
    cp "$work/$name.64.tlb" "$out/${name}64.tlb"
done
for file in "$out/Fixture.tlb" "$out/Fixture64.tlb"; do
    patch "$file" module-constants FxModule FxConstants
    # widl writes "#" (length 1, padded to 8 bytes) for every entry-point name.
    patch "$file" names '\x01\x00#WWWWW=\x05\x00FxSumW'
    patch "$file" no-default-interfaces FxNoDefault
done
cp "$work/PathImporter.32.tlb" "$out/PathImporter.tlb"
cp "$work/Names.32.tlb" "$out/Names.tlb"
patch "$out/Names.tlb" names 'ICafx=ICaf\xe9' 'Grqqe=Gr\xf6\xdfe' 'Wqhrung=W\xe4hrung' \
    'Badqchar=Bad\x81char' 'Cafx-Hilfe=Caf\xe9-Hilfe'
cp "$work/Escaping.32.tlb" "$out/Escaping.tlb"
patch "$out/Escaping.tlb" names 'Scriptxx=<script>' 'aNb=a&b' 'Pbqx=<b>x' 'Ampqq=&amp;' \
    'Ltgtq=x<>&y' 'Scripttagmemberxxx=<script>x</script>'

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

# Builds of one component for comparing them (vantrel-report diff): Base.tlb without
# definitions, and NAME.tlb with CHANGED_NAME defined, each changing one thing (see
# Component.idl).
diff_builds=(DOCS VERSION HIDDEN ADDED_AT_END OPTIONAL_SCRIPT_PARAM INSERTED REORDERED REMOVED
             PARAM_TYPE PARAM_NAME OPTIONAL_PARAM RETURN_TYPE DISPID IID ENUM_VALUE FIELD_TYPE
             PROPERTY_DISPID DEFAULT_INTERFACE REMOVED_TYPE)
compile_diff_build() {  # compile_diff_build OUTPUT [NAME]
    local output=$1
    shift
    x86_64-w64-mingw32-widl --win32 -t -I "$idl_dir" -L "$stdole_dir" ${1:+-DCHANGED_"$1"} \
        -o "$output" "$out/diff/Component.idl"
}
compile_diff_build "$out/diff/Base.tlb"
for build in "${diff_builds[@]}"; do
    compile_diff_build "$out/diff/$build.tlb" "$build"
done

# The sample component for users.
mkdir -p "$repo/samples"
cp "$out/Control32.dll" "$repo/samples/VantrelSample.dll"

# The SLTG twins of the Win32 libraries (tests/fixtures/sltg), written by our own writer.
"$repo/tools/make-sltg-fixtures.sh"

echo "make-fixtures: regenerated $(ls "$out" | wc -l) entries in $out"
