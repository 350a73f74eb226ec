#!/usr/bin/env python3
"""Checks compare_dumps.py's rules: which blocks a quirk excuses, and what the imports gap
leaves out."""
import re
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import compare_dumps  # noqa: E402


def quirk(platform=None, ours=None, requires=None, files=None):
    q = compare_dumps.Quirk("test")
    for key, value in (("platform", platform), ("ours", ours), ("requires", requires),
                       ("files", files)):
        if value is not None:
            setattr(q, key, re.compile(value))
    return q


class QuirkTest(unittest.TestCase):
    def test_excuses(self):
        default_slot = quirk(platform=r"^\s*func index=\d+ error=", ours=r"^\s*(func|param) ",
                             requires="default=missing")
        cases = [
            ("all lines match and the required one is there", default_slot,
             ["  func index=4 error=0x80020008"],
             ["  func index=4 memid=1", "    param index=0 flags=0x31 type=3 default=missing"], True),
            ("the required line is missing", default_slot,
             ["  func index=4 error=0x80020008"], ["  func index=4 memid=1"], False),
            ("one of our lines is something else", default_slot,
             ["  func index=4 error=0x80020008"],
             ["  func index=4 memid=1 default=missing", "  var index=0"], False),
            ("a quirk with no pattern for a side excuses only an empty side", quirk(platform="x"),
             ["x"], ["y"], False),
        ]
        for name, q, platform, ours, expected in cases:
            with self.subTest(name):
                self.assertEqual(q.excuses("/lib/a.dll", platform, ours), expected)

    def test_files_restrict_a_quirk(self):
        q = quirk(platform="^load error$", ours=".", files=r"/LowestId\.dll$")
        self.assertTrue(q.excuses("/f/LowestId.dll", ["load error"], ["library x"]))
        self.assertFalse(q.excuses("/f/Other.dll", ["load error"], ["library x"]))


class ImportsGapTest(unittest.TestCase):
    def test_inherited_functions_are_left_out_and_the_rest_renumbered(self):
        dump = [
            "type index=0 name=\"IA\" kind=4 flags=0x1040 funcs=3 vars=0 impls=1",
            "  impl index=0 flags=0x0 type=ext:IDispatch",
            "  func index=0 memid=1 name=\"QueryInterface\" return=24 inherited=ext",
            "    param index=0 name=\"riid\" flags=0x1 type=ptr(udt(ext:GUID))",
            "  func index=1 memid=2 name=\"AddRef\" return=19 inherited=ext",
            "  func index=2 memid=3 name=\"Own\" return=24",
            "    param index=0 name=\"x\" flags=0x1 type=3",
            "  view vtable kind=3 flags=0x1140 funcs=1 vars=0 impls=1",
            "    func index=0 memid=3 name=\"Own\" return=25",
        ]
        self.assertEqual(compare_dumps.normalise(dump, True), [
            "type index=0 name=\"IA\" kind=4 flags=0x1040 funcs=1 vars=0 impls=1",
            "  impl index=0 flags=0x0 type=ext:?",
            "  func index=0 memid=3 name=\"Own\" return=24",
            "    param index=0 name=\"x\" flags=0x1 type=3",
            "  view vtable kind=3 flags=0x1140 funcs=1 vars=0 impls=1",
            "    func index=0 memid=3 name=\"Own\" return=25",
        ])
        self.assertEqual(compare_dumps.normalise(dump, False), dump)

    def test_an_unresolved_import_matches_any_name_line_for_line(self):
        ours = ["  impl index=0 flags=0x0 type=ext:?"]
        self.assertTrue(compare_dumps.unresolved_import(["  impl index=0 flags=0x0 type=IDispatch"], ours))
        self.assertTrue(compare_dumps.unresolved_import(["  impl index=0 flags=0x0 type=ext:IDispatch"], ours))
        self.assertFalse(compare_dumps.unresolved_import(["  impl index=0 flags=0x1 type=IDispatch"], ours))
        self.assertFalse(compare_dumps.unresolved_import(["  impl index=0 flags=0x0 type=IDispatch"],
                                                         ["  impl index=0 flags=0x0 type=IFoo"]))


if __name__ == "__main__":
    unittest.main()
