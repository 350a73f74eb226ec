#!/usr/bin/env python3
"""Writes the TYPELIB resource 1 of a 16-bit NE file to a file of its own, for the
platform's reader, which opens no NE files. Exit status 1 when the file is no NE file
or carries no such resource."""
import struct
import sys


def typelib_resource(data):
    if data[:2] != b"MZ":
        return None
    ne = struct.unpack_from("<I", data, 0x3C)[0]
    if data[ne:ne + 2] != b"NE":
        return None
    table = ne + struct.unpack_from("<H", data, ne + 0x24)[0]
    shift = struct.unpack_from("<H", data, table)[0]
    group = table + 2
    while True:
        type_id, count = struct.unpack_from("<HH", data, group)
        if type_id == 0:
            return None
        name = b""
        if not type_id & 0x8000:
            length = data[table + type_id]
            name = data[table + type_id + 1:table + type_id + 1 + length]
        for k in range(count):
            offset, length, _flags, res_id = struct.unpack_from("<HHHH", data, group + 8 + 12 * k)
            if name.upper() == b"TYPELIB" and res_id == 0x8001:
                return data[offset << shift:(offset + length) << shift]
        group += 8 + 12 * count


def main():
    with open(sys.argv[1], "rb") as f:
        resource = typelib_resource(f.read())
    if resource is None:
        return 1
    with open(sys.argv[2], "wb") as f:
        f.write(resource)
    return 0


if __name__ == "__main__":
    sys.exit(main())
