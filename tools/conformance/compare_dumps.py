#!/usr/bin/env python3
"""Compares the platform's dumps with ours, file by file.

Each block of differing lines is excused when one known quirk of the platform reader
accounts for all of it (known-quirks.txt); every other block is printed as a unified
diff and makes the exit status 1. With --imports-gap, what differs only because our
reader doesn't resolve imported types yet is left out first: functions that a dual's
dispatch view inherits from another library, and the names of imported types.
"""
import argparse
import difflib
import re
import sys
from pathlib import Path

EXT_NAME = re.compile(r"ext:[^)\s]*")
FUNC_INDEX = re.compile(r"^(\s*func index=)\d+")
FUNCS_COUNT = re.compile(r" funcs=(\d+)")


class Quirk:
    def __init__(self, name):
        self.name = name
        self.platform = None  # every platform line of the block matches
        self.ours = None      # every line of ours in the block matches
        self.requires = None  # some line of the block matches
        self.files = None     # the file's path matches
        self.count = 0

    def excuses(self, file_name, platform_lines, our_lines):
        if self.files is not None and not self.files.search(file_name):
            return False
        def all_match(pattern, lines):
            return not lines or (pattern is not None and all(pattern.search(l) for l in lines))
        if not all_match(self.platform, platform_lines) or not all_match(self.ours, our_lines):
            return False
        return self.requires is None or any(self.requires.search(l)
                                            for l in platform_lines + our_lines)


def read_quirks(path):
    quirks = []
    for raw in Path(path).read_text(encoding="utf-8").splitlines():
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        key, _, value = line.partition(" ")
        if key == "quirk":
            quirks.append(Quirk(value.strip()))
        elif key in ("platform", "ours", "requires", "files") and quirks:
            setattr(quirks[-1], key, re.compile(value.strip()))
        else:
            sys.exit(f"{path}: cannot read line: {raw}")
    return quirks


def indent_of(line):
    return len(line) - len(line.lstrip(" "))


def drop_external_inherited(lines):
    """Removes the functions marked inherited=ext with their parameters, renumbers the
    remaining functions of each view and lowers the view's function count."""
    out, head_at, dropped, skipping_below, next_index = [], None, 0, None, 0

    def close_view():
        if head_at is not None and dropped:
            out[head_at] = FUNCS_COUNT.sub(
                lambda m: f" funcs={int(m.group(1)) - dropped}", out[head_at], count=1)

    for line in lines:
        depth = indent_of(line)
        if skipping_below is not None and depth > skipping_below:
            continue
        skipping_below = None
        stripped = line.lstrip(" ")
        if stripped.startswith("type ") or stripped.startswith("view "):
            close_view()
            head_at, dropped, next_index = len(out), 0, 0
        if stripped.startswith("func "):
            if " inherited=ext" in line:
                dropped += 1
                skipping_below = depth
                continue
            line = FUNC_INDEX.sub(lambda m: f"{m.group(1)}{next_index}", line)
            next_index += 1
        out.append(line)
    close_view()
    return out


def normalise(lines, imports_gap):
    if not imports_gap:
        return lines
    return [EXT_NAME.sub("ext:?", l) for l in drop_external_inherited(lines)]


def unresolved_import(platform_lines, our_lines):
    """A block where ours names an imported type it couldn't resolve ("ext:?") and the
    platform names a type, of this library or another, line for line."""
    if len(platform_lines) != len(our_lines):
        return False
    for theirs, ours in zip(platform_lines, our_lines):
        if "ext:?" not in ours:
            return False
        pattern = "^" + r"(ext:)?[^)\s]*".join(re.escape(p) for p in ours.split("ext:?")) + "$"
        if not re.match(pattern, theirs):
            return False
    return True


def print_block(name, a, b, tag):
    i1, i2, j1, j2 = tag
    print(f"--- platform {name}\n+++ ours {name}\n@@ -{i1 + 1},{i2 - i1} +{j1 + 1},{j2 - j1} @@")
    for line in a[max(0, i1 - 2):i1]:
        print(" " + line)
    for line in a[i1:i2]:
        print("-" + line)
    for line in b[j1:j2]:
        print("+" + line)
    for line in a[i2:i2 + 2]:
        print(" " + line)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", required=True)
    parser.add_argument("--platform", required=True)
    parser.add_argument("--ours", required=True)
    parser.add_argument("--quirks", required=True)
    parser.add_argument("--imports-gap", action="store_true")
    args = parser.parse_args()

    quirks = read_quirks(args.quirks)
    files = Path(args.files).read_text(encoding="utf-8").splitlines()
    libraries = types = members = failures = unexplained = gap_blocks = 0
    for i, name in enumerate(files):
        platform_file, our_file = Path(args.platform, f"{i}.txt"), Path(args.ours, f"{i}.txt")
        if not platform_file.exists() or not our_file.exists():
            print(f"{name}: a dump is missing")
            failures += 1
            continue
        a = normalise(platform_file.read_text(encoding="utf-8").splitlines(), args.imports_gap)
        b = normalise(our_file.read_text(encoding="utf-8").splitlines(), args.imports_gap)
        if a and a[0] != "load error":
            libraries += 1
            types += sum(1 for l in a if l.startswith("type "))
            members += sum(1 for l in a if l.lstrip().startswith(("func ", "var ")))
        bad_blocks = 0
        for tag, i1, i2, j1, j2 in difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes():
            if tag == "equal":
                continue
            if args.imports_gap and unresolved_import(a[i1:i2], b[j1:j2]):
                gap_blocks += 1
                continue
            quirk = next((q for q in quirks if q.excuses(name, a[i1:i2], b[j1:j2])), None)
            if quirk:
                quirk.count += 1
                continue
            if bad_blocks == 0:
                print(f"==== {name}")
            bad_blocks += 1
            print_block(name, a, b, (i1, i2, j1, j2))
        if bad_blocks:
            failures += 1
            unexplained += bad_blocks

    print(f"compared {len(files)} files: {libraries} libraries the platform opened, "
          f"{types} types, {members} functions and variables (both views of duals)")
    if args.imports_gap:
        print(f"known gap, imports not resolved: {gap_blocks} difference blocks"
              " (besides the inherited functions and imported names left out)")
    for q in quirks:
        print(f"known quirk {q.name}: {q.count} difference blocks")
    print(f"{failures} files with {unexplained} unexplained difference blocks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
