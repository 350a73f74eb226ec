#!/usr/bin/env python3
"""vantrel-report --json and diff over every library the tests know: our fixtures,
libwine's libraries and the shared corpus, read where they lie.

LibraryDocuments: each document validates against library.schema.json and names the
same types, GUIDs, functions, variables and member ids, in the same order, as the
conformance dump (vantrel-dump) of the same file.
BuildComparison: each build of the diff fixture compared with Base.tlb gives the expected
exit status and classification; every library compared with itself reports nothing."""
import argparse
import json
import pathlib
import re
import subprocess
import sys
import unittest

import jsonschema

ARGS = None

INVOKE_KINDS = {"method": 1, "propertyGet": 2, "propertyPut": 4, "propertyPutRef": 8}


def run(*arguments):
    return subprocess.run([str(a) for a in arguments], capture_output=True, timeout=600)


def libraries():
    """Every file of the test corpus: our fixtures, libwine's files that hold a library
    (they carry the "MSFT" signature), and all component files of the shared corpus."""
    fixtures = pathlib.Path(ARGS.fixtures)
    files = sorted(fixtures.glob("*.tlb")) + sorted(fixtures.glob("*.dll"))
    files += sorted(fixtures.glob("diff/*.tlb")) + sorted(fixtures.glob("sltg/*.tlb"))
    real = pathlib.Path(ARGS.real)
    if real.is_dir():
        files += [f for f in sorted(real.iterdir()) if f.is_file() and b"MSFT" in f.read_bytes()]
    corpus = pathlib.Path(ARGS.corpus)
    if corpus.is_dir():
        files += [f for f in sorted(corpus.iterdir()) if f.is_file() and f.suffix.lower() != ".md"]
    return files


def unquote(text):
    """A quoted text of the dump, its escapes undone."""
    raw = bytearray()
    i = 0
    while i < len(text):
        if text[i] == "\\" and text[i + 1] == "x":
            raw.append(int(text[i + 2:i + 4], 16))
            i += 4
        elif text[i] == "\\":
            raw += text[i + 1].encode()
            i += 2
        else:
            raw += text[i].encode()
            i += 1
    return raw.decode("utf-8", "replace")


FIELD = re.compile(r'(\w+)=("(?:[^"\\]|\\.)*"|\S+)')


def fields(line):
    return {key: unquote(value[1:-1]) if value.startswith('"') else value
            for key, value in FIELD.findall(line)}


def dumped_types(text):
    """Per type of the dump: its fields, and its stored functions and variables (for a
    dual those of its vtable view, which are the ones the library stores)."""
    types = []
    for line in text.splitlines():
        depth = (len(line) - len(line.lstrip(" "))) // 2
        item = line.strip().split(" ", 1)[0]
        if item == "type":
            types.append({"type": fields(line), "funcs": [], "vars": [], "vtable": None})
        elif item == "view":
            types[-1]["vtable"] = {"funcs": [], "vars": []}
        elif item in ("func", "var"):
            target = types[-1]["vtable"] if depth == 2 else types[-1]
            target[item + "s"].append(fields(line))
    for entry in types:
        if entry["vtable"] is not None:
            entry["funcs"], entry["vars"] = entry["vtable"]["funcs"], entry["vtable"]["vars"]
    return types


class LibraryDocuments(unittest.TestCase):
    def test_documents_validate_and_agree_with_the_dump(self):
        schema = json.loads((pathlib.Path(ARGS.schemas) / "library.schema.json").read_text())
        validator = jsonschema.Draft202012Validator(schema)
        opened = 0
        for path in libraries():
            with self.subTest(library=str(path)):
                result = run(ARGS.tool, "--json", path)
                dump = run(ARGS.dump, path)
                if result.returncode != 0:
                    # A file that doesn't open fails cleanly, as it does for the dump.
                    self.assertEqual(result.returncode, 1, result.stderr)
                    self.assertEqual(dump.stdout.strip(), b"load error")
                    continue
                opened += 1
                document = json.loads(result.stdout)
                errors = [f"{e.json_path}: {e.message[:200]}" for e in validator.iter_errors(document)]
                self.assertEqual(errors[:5], [])
                self.assertEqual(document["library"]["libid"],
                                 fields(dump.stdout.decode("utf-8", "replace").splitlines()[0])["libid"])
                self.compare_types(document["types"], dumped_types(dump.stdout.decode("utf-8", "replace")))
        self.assertGreater(opened, 40)

    def compare_types(self, types, dumped):
        self.assertEqual([t["name"] for t in types], [d["type"]["name"] for d in dumped])
        for made, expected in zip(types, dumped):
            where = made["name"]
            self.assertEqual(made["guid"], expected["type"]["guid"], where)
            if "error" in expected["type"]:
                continue  # the dump's view of the type failed; its attributes still agree
            self.assertNotIn("error", made, where)
            if "wrappedInterface" in made:
                # It stores no functions; the dump lists the wrapped interface's.
                self.assertEqual(made["functions"], [], where)
            else:
                self.assertEqual([(f["name"], f["memberId"], INVOKE_KINDS.get(f["invokeKind"]))
                                  for f in made["functions"]],
                                 [(f["name"], int(f["memid"]), int(f["invkind"]))
                                  for f in expected["funcs"]], where)
            self.assertEqual([(v["name"], v["memberId"]) for v in made["variables"]],
                             [(v["name"], int(v["memid"])) for v in expected["vars"]], where)


# Each build of tests/fixtures/diff compared with Base.tlb: the exit status, whom its
# changes break (one entry per change), and one change it must list.
DIFF_BUILDS = [
    # build                  status  breaks                                    change, path, aspect
    ("DOCS",                  1, {()},                                          ("changed", "IDfDual", "doc string")),
    ("VERSION",               1, {()},                                          ("changed", "VantrelDiff", "version")),
    ("HIDDEN",                1, {()},                                          ("changed", "IDfDual", "flags")),
    ("ADDED_AT_END",          1, {()},                                          ("added", "IDfExtra", None)),
    ("OPTIONAL_SCRIPT_PARAM", 1, {()},                                          ("added", "DDfScript.Run(delay)", None)),
    ("INSERTED",              2, {(), ("early",)},                              ("changed", "IDfDual.Stop", "vtable slot")),
    ("REORDERED",             2, {("early",)},                                  ("changed", "IDfDual.Start", "vtable slot")),
    ("REMOVED",               2, {("early", "late"), ("early",)},               ("removed", "IDfDual.Stop", None)),
    ("PARAM_TYPE",            2, {("early", "late")},                           ("changed", "IDfDual.Start(speed)", "type")),
    ("PARAM_NAME",            2, {("late",)},                                   ("changed", "IDfDual.Start(velocity)", "name")),
    ("OPTIONAL_PARAM",        2, {("early",)},                                  ("added", "IDfDual.Start(ramp)", None)),
    ("RETURN_TYPE",           2, {("early",)},                                  ("changed", "IDfPlain.Pong(result)", "type")),
    ("DISPID",                2, {("late",)},                                   ("changed", "IDfDual.Stop", "member id")),
    ("IID",                   2, {("early",)},                                  ("changed", "IDfPlain", "GUID")),
    ("ENUM_VALUE",            2, {("early",)},                                  ("changed", "DfMode.dfOn", "value")),
    ("FIELD_TYPE",            2, {("early",)},                                  ("changed", "DfPoint", "size")),
    ("PROPERTY_DISPID",       2, {("late",)},                                   ("changed", "DDfScript.Count", "member id")),
    ("DEFAULT_INTERFACE",     2, {("early", "late")},                           ("changed", "DfMachine.IDfDual", "flags")),
    ("REMOVED_TYPE",          2, {("late",)},                                   ("removed", "DDfScript", None)),
]


class BuildComparison(unittest.TestCase):
    def test_each_kind_of_change_is_classified(self):
        schema = json.loads((pathlib.Path(ARGS.schemas) / "diff.schema.json").read_text())
        folder = pathlib.Path(ARGS.fixtures) / "diff"
        verdicts = {0: "same", 1: "compatible", 2: "breaking"}
        for build, status, whom, (change, path, aspect) in DIFF_BUILDS:
            with self.subTest(build=build):
                result = run(ARGS.tool, "diff", "--json", folder / "Base.tlb", folder / f"{build}.tlb")
                self.assertEqual(result.returncode, status, result.stderr)
                document = json.loads(result.stdout)
                jsonschema.validate(document, schema)
                self.assertEqual(document["verdict"], verdicts[status])
                changes = document["changes"]
                self.assertEqual({tuple(c["breaks"]) for c in changes}, whom, changes)
                self.assertIn((change, path, aspect),
                              [(c["change"], c["path"], c.get("aspect")) for c in changes])
                text = run(ARGS.tool, "diff", folder / "Base.tlb", folder / f"{build}.tlb")
                self.assertEqual(text.returncode, status)
                self.assertIn(path, text.stdout.decode())

    def test_every_library_equals_itself(self):
        for path in libraries():
            with self.subTest(library=str(path)):
                result = run(ARGS.tool, "diff", path, path)
                if result.returncode == 3 and run(ARGS.tool, path).returncode == 1:
                    continue  # doesn't open: an error, with its own status
                self.assertEqual((result.returncode, result.stdout), (0, b""), result.stderr)

    def test_errors_have_a_status_of_their_own(self):
        fixtures = pathlib.Path(ARGS.fixtures)
        for arguments in (["diff", fixtures / "NotALibrary.txt", fixtures / "Fixture.tlb"],
                          ["diff", fixtures / "Fixture.tlb"],
                          ["diff", "--unknown", fixtures / "Fixture.tlb", fixtures / "Fixture.tlb"]):
            with self.subTest(arguments=arguments[1:]):
                result = run(ARGS.tool, *arguments)
                self.assertEqual(result.returncode, 3)
                self.assertTrue(result.stderr.startswith(b"vantrel-report: "), result.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ("tool", "dump", "schemas", "fixtures", "real", "corpus"):
        parser.add_argument("--" + option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
