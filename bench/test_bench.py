"""Checks of the benchmark generators: `python3 bench/bench.py selftest`.

The descriptions are read back with a small reader of their own (one
definition per line, as the generators write them) and checked against the
rules the tool applies, so a generator fault shows here rather than as a
failed or meaningless benchmark run.
"""

import os
import random
import re
import string
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True

import bench  # noqa: E402
import ddfgen  # noqa: E402
import treegen  # noqa: E402
from wildcard import WildcardBits, compile_wildcard, regex_match, wildcard_match  # noqa: E402

SYSFILES = {name: f"/sys/{name}" for name in ("ldr.bin", "bi2.bin", "boot.bin", "zem.bin")}
NAME_CHARS = set(string.ascii_letters + string.digits + "._")


def all_matchers(path, pattern):
    return (wildcard_match(path, pattern), WildcardBits(pattern).matches(path),
            regex_match(compile_wildcard(pattern), path))


class WildcardRules(unittest.TestCase):
    def test_rules_of_the_tool(self):
        # (path, pattern, expected), each worked out from the matching rule:
        # "*" takes one or more characters, or the empty end of the path.
        cases = [
            ("", "*", True), ("ABC", "*", True),
            ("A", "A*", True),            # star met at the end of the path
            ("A", "*A", False),           # the star must take a character
            ("DATA\\A.bin", "*.BIN", True), (".bin", "*.BIN", False),
            ("DATA\\x.bin", "DATA\\?.BIN", True), ("DATA\\xy.bin", "DATA\\?.BIN", False),
            ("", "?", False), ("ABC", "abc", True), ("abc", "ab", False), ("ab", "abc", False),
            ("A", "A*B", True),           # whatever follows a star at the end
            ("AxB", "A*B", True), ("AB", "A*B", False),
            ("d\\e\\f", "d*f", True),      # a star crosses backslashes
        ]
        for path, pattern, expected in cases:
            self.assertEqual(all_matchers(path, pattern), (expected,) * 3, (path, pattern))


class TreeModel(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.normal = treegen.build_model("normal", 7, 5000)
        cls.long = treegen.build_model("long", 7, 3000)

    def test_deterministic_for_a_seed(self):
        again = treegen.build_model("normal", 7, 5000)
        self.assertEqual(again.summary(), self.normal.summary())
        self.assertNotEqual(treegen.build_model("normal", 8, 5000).summary()["sha256"],
                            self.normal.summary()["sha256"])

    def test_shape(self):
        for tree in (self.normal, self.long):
            self.assertEqual(len(tree.files), tree.n_files)
            self.assertTrue(max(depth for _, _, depth in tree.dirs) <= 8)
            # about 50 files per directory over the whole tree
            self.assertTrue(40 <= tree.n_files / len(tree.dirs) <= 60)
        depths = {depth for _, _, depth in self.normal.dirs}
        self.assertEqual(depths, set(range(9)))

    def test_names(self):
        for tree in (self.normal, self.long):
            names = [n for _, n, _ in tree.dirs[1:]] + [n for _, n, _ in tree.files]
            self.assertTrue(all(4 <= len(n) <= 40 for n in names))
            self.assertTrue(all(set(n) <= NAME_CHARS and n[-1] != "." for n in names))
            for c in ".", "_", "0", "a", "Z":
                self.assertTrue(any(c in n for n in names), c)
            # unique in each directory ignoring letter case (the tool refuses twins)
            seen = set()
            for parent, name, _ in tree.dirs[1:]:
                self.assertNotIn((parent, name.upper()), seen)
                seen.add((parent, name.upper()))
            for d, name, _ in tree.files:
                self.assertNotIn((d, name.upper()), seen)
                seen.add((d, name.upper()))

    def test_sizes(self):
        sizes = [s for _, _, s in self.normal.files]
        self.assertIn(0, sizes)
        self.assertTrue(any(s >= 100 * treegen.MIB for s in sizes))
        self.assertTrue(max(sizes) <= 400 * treegen.MIB)
        # mostly small: the median file is below 64 KiB
        self.assertLess(sorted(sizes)[len(sizes) // 2], 64 * treegen.KIB)

    def test_long_paths(self):
        lengths = [len(self.long.file_path(k)) for k in range(len(self.long.files))]
        self.assertTrue(180 <= sum(lengths) / len(lengths) <= 220)
        # what the storm patterns rely on: no path ends in a FRAGMENT_ENDS character
        for d in range(1, len(self.long.dirs)):
            self.assertNotIn(self.long.dir_path(d)[-1], ddfgen.FRAGMENT_ENDS)
        for k in range(len(self.long.files)):
            self.assertNotIn(self.long.file_path(k)[-1], ddfgen.FRAGMENT_ENDS)


class Materialize(unittest.TestCase):
    def test_sparse_files_written_once(self):
        tree = treegen.build_model("normal", 3, 300)
        with tempfile.TemporaryDirectory() as tmp:
            root = treegen.materialize(tree, tmp, log=lambda *_: None)
            for k in range(0, 300, 7):
                st = os.stat(os.path.join(root, tree.file_path(k, "/")))
                self.assertEqual(st.st_size, tree.files[k][2])
                self.assertEqual(st.st_blocks, 0)  # sparse: no data blocks
            listed = sum(len(files) for _, _, files in os.walk(root))
            self.assertEqual(listed, 300)
            marker = os.path.join(root, tree.file_path(0, "/"))
            inode = os.stat(marker).st_ino
            self.assertEqual(treegen.materialize(tree, tmp, log=self.fail), root)  # reused
            self.assertEqual(os.stat(marker).st_ino, inode)
            os.remove(os.path.join(os.path.dirname(root), "manifest.json"))
            treegen.materialize(tree, tmp, log=lambda *_: None)  # incomplete: written again
            self.assertEqual(sum(len(f) for _, _, f in os.walk(root)), 300)


def read_description(text):
    """{section: [line, ...]} of a generated description."""
    sections, current = {}, None
    for line in text.splitlines():
        if not line or line.startswith(";"):
            continue
        m = re.fullmatch(r"\[(\w+)\]", line)
        if m:
            current = m.group(1)
            sections.setdefault(current, [])
        else:
            sections[current].append(line)
    return sections


def keys(section_lines):
    return dict(line.split(" = ", 1) for line in section_lines)


def is_wildcard_entry(path):
    """The tool's test: the base name starts with "*" or the extension with ".*"."""
    last = path.replace("/", "\\").rsplit("\\", 1)[-1]
    dot = last.rfind(".")
    base, ext = (last[:dot], last[dot:]) if dot >= 0 else (last, "")
    return base.startswith("*") or ext.startswith(".*")


REQUIRED = {
    "Input": ["DvdRoot", "LDRFileName", "BI2FileName", "BootFileName", "ZEMSysFileName"],
    "Output": ["LayoutFileName", "SystemFileName", "ConfigFileName"],
    "DiskID": ["GameName", "Company", "DiskNumber", "GameVersion", "DiskInfo", "TotalDisk"],
    "BB2": ["FSTEndAddress", "FSTuserEnd"],
}


class Descriptions(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.tree = treegen.build_model("normal", 5, 6000)  # big enough for the full heavy counts
        cls.heavy_text = ddfgen.heavy("heavy", cls.tree, "/root", SYSFILES, "/out",
                                      os.path.join(cls.tmp.name, "grafts"))
        cls.heavy = read_description(cls.heavy_text)
        cls.long = treegen.build_model("long", 5, 3000)
        cls.storm = read_description(ddfgen.storm("storm", cls.long, "/root", SYSFILES, "/out"))
        cls.plain = read_description(ddfgen.plain("plain", cls.tree, "/root", SYSFILES, "/out"))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_required_keys(self):
        for desc in (self.plain, self.heavy, self.storm):
            for section, names in REQUIRED.items():
                self.assertTrue(set(names) <= set(keys(desc[section])), section)
            self.assertLessEqual(int(keys(desc["BB2"])["FSTuserEnd"], 16), 1 << 34)
        self.assertEqual(set(self.plain), set(REQUIRED))
        self.assertEqual(keys(self.heavy["Output"]).get("FST"), "new")  # mirror and copy need it

    @classmethod
    def on_disc(cls):
        """{upper-cased disc path: size} of the files the heavy description
        leaves on the disc, with [LayoutOff] worked out here on every entry
        (the generator's own shortcut skips nothing but is not trusted)."""
        if hasattr(cls, "_on_disc"):
            return cls._on_disc
        tree = cls.tree
        grafts = ddfgen.make_grafts(random.Random(f"heavy:{tree.key}"), tree,
                                    os.path.join(cls.tmp.name, "grafts"))
        # the many-star matcher is slow in Python; the regex form agrees with it
        # (WildcardRules) and is fast for these few-star patterns
        compiled = [compile_wildcard(l.strip('"')) for l in cls.heavy["LayoutOff"]]
        entries = [(tree.dir_path(d), tree.dir_path(tree.dirs[d][0]), True, None)
                   for d in range(1, len(tree.dirs))]
        entries += [(tree.file_path(k), tree.dir_path(tree.files[k][0]), True, tree.files[k][2])
                    for k in range(len(tree.files))]
        for g in grafts:
            parts = g.fst_dir.split("\\")
            for depth in range(1, len(parts) + 1):  # the top directory is never tested
                entries.append(("\\".join(parts[:depth]), "\\".join(parts[:depth - 1]), depth > 1, None))
            for rel in g.dirs:
                entries.append((g.fst_dir + "\\" + rel, g.fst_dir, True, None))
            for rel, size in g.files:
                path = g.fst_dir + "\\" + rel.replace("/", "\\")
                entries.append((path, path.rsplit("\\", 1)[0], True, size))
        removed, cls._on_disc = set(), {}
        for path, parent, testable, size in entries:
            if parent in removed or (testable and any(regex_match(c, path) for c in compiled)):
                removed.add(path)
            elif size is not None:
                cls._on_disc[path.upper()] = size
        cls.removed_files = sum(1 for p, _, _, size in entries if size is not None and p in removed)
        return cls._on_disc

    def layout_entries(self):
        out = []
        for line in self.heavy["Layout"]:
            m = re.fullmatch(r'-?\d+ = "([^"]+)", -?\d+(?:, (mirror|copy))?', line)
            out.append((m.group(1).replace("/", "\\"), m.group(2)))
        return out

    def test_heavy_counts(self):
        h = self.heavy
        layout = [re.fullmatch(r'(-?\d+) = "([^"]+)", (-?\d+)(?:, (mirror|copy))?', l) for l in h["Layout"]]
        self.assertTrue(all(layout))
        exact = [m for m in layout if not is_wildcard_entry(m.group(2))]
        self.assertEqual((len(exact), len(layout) - len(exact)), (2000, 200))
        self.assertEqual(len(h["LbaAlign"]), 500)
        self.assertEqual(len(h["LayoutOff"]), 100)
        self.assertEqual(len(h["PathList"]), 20)
        origins = [l for l in h["LbaOrigin"] if " = " in l]
        self.assertEqual(len(origins), 200)
        self.assertEqual(len(h["LbaOrigin"]), 600)  # two followers each
        self.assertEqual(sum(l.split(", ")[1] == "+" for l in origins), 100)
        values = {int(m.group(3)) for m in exact}
        self.assertTrue(min(values) < 0 < max(values) and 0 in values)
        self.assertTrue(all(-32768 <= v <= 32767 for v in values))

    def test_heavy_names_only_files_on_the_disc(self):
        on_disc = self.on_disc()
        self.assertTrue(0 < self.removed_files < len(self.tree.files) * 0.15)
        replicas = {}
        for path, replica in self.layout_entries():
            if is_wildcard_entry(path):
                self.assertIsNone(replica, path)  # no replica on a wildcard entry
                continue
            self.assertIn(path.upper(), on_disc, path)
            if replica:
                replicas.setdefault(path.upper(), []).append(replica)
        for path, kinds in replicas.items():
            self.assertTrue(kinds == ["mirror"] or set(kinds) == {"copy"}, (path, kinds))
        self.assertTrue(any(k == ["mirror"] for k in replicas.values()))
        self.assertTrue(any(len(k) == 2 for k in replicas.values()))  # a file copied twice
        chain_files = [l.split('"')[1].replace("/", "\\").upper() for l in self.heavy["LbaOrigin"]]
        self.assertEqual(len(set(chain_files)), len(chain_files))  # nothing fixed twice
        self.assertTrue(set(chain_files) <= set(on_disc))
        self.assertFalse(set(chain_files) & set(replicas))
        for line in self.heavy["LbaAlign"]:
            self.assertEqual(int(line.rsplit(", ", 1)[1], 16) % 4, 0, line)  # ZEM: multiples of 4

    def test_heavy_chains_fit_between_the_free_files(self):
        # Worst case of every placed item: its extent rounded up to 4 plus the
        # largest alignment; chain members also the 32-byte rounding.
        on_disc = self.on_disc()
        worst = lambda size: ddfgen.round_up(ddfgen.extent(size), 32) + ddfgen.MAX_ALIGN
        fixed, chains = set(), []
        for line in self.heavy["LbaOrigin"]:
            lba = int(line.split(" ", 1)[0], 16)
            path = line.split('"')[1].replace("/", "\\").upper()
            if not line.endswith(("mirror", "copy")):
                fixed.add(path)  # otherwise the file itself is still placed freely
            if " = " in line:
                chains.append([lba, line.split(", ")[1], 0])
            chains[-1][2] += worst(on_disc[path])
        free = sum(worst(size) for path, size in on_disc.items() if path not in fixed)
        free += sum(worst(on_disc[p.upper()]) for p, replica in self.layout_entries() if replica)
        names = sum(len(p.rsplit("\\", 1)[-1]) + 1 for p in on_disc)
        names += sum(len(n) + 1 for _, n, _ in self.tree.dirs)
        fst_end = 0x18000 + ddfgen.round_up(ddfgen.BOOT_SIZE, 256) + 12 * (len(on_disc) + len(self.tree.dirs) + 100) + names + 4096
        user_start = ddfgen.round_up(fst_end, 0x8000)
        user_end = int(keys(self.heavy["BB2"])["FSTuserEnd"], 16) - 32 - ddfgen.ZEM_SIZE - 0x40000
        spans = []
        for lba, direction, need in chains:
            self.assertEqual(lba % 0x8000, 0)
            spans.append((lba, lba + need) if direction == "+" else (lba - need, lba))
        spans.sort()
        for (_, a_end), (b_start, _) in zip(spans, spans[1:]):
            self.assertLess(a_end, b_start)  # apart: touching would count as overlap
        self.assertGreater(spans[0][0], user_start + free)       # above the front group
        self.assertLess(spans[-1][1] + free, user_end)           # below the back group

    def test_heavy_grafts(self):
        tops = {n.upper() for n in self.tree.top_level_names()}
        seen = set()
        for line in self.heavy["PathList"]:
            m = re.fullmatch(r'(\w+) = "([^"]+)", "([^"]+)"', line)
            first = m.group(2).split("\\")[0].upper()
            self.assertNotIn(first, tops)
            self.assertNotIn(first, seen)
            seen.add(first)
            self.assertTrue(os.path.isdir(m.group(3)))
        self.assertTrue(any("\\" in l.split('"')[1] for l in self.heavy["PathList"]))  # holders

    def test_storm(self):
        s = self.storm
        align = [l.split('"')[1] for l in s["LbaAlign"]]
        off = [l.strip('"') for l in s["LayoutOff"]]
        self.assertEqual((len(align), len(off)), (100, 100))
        self.assertTrue(all(p.count("*") == 30 for p in align + off))
        files = [self.long.file_path(k) for k in range(len(self.long.files))]
        dirs = [self.long.dir_path(d) for d in range(1, len(self.long.dirs))]
        off_m = [WildcardBits(p) for p in off]
        self.assertFalse(any(m.matches(d) for m in off_m for d in dirs))  # no subtree removed
        sample = random.Random(1).sample(files, 400)  # the Python matcher is slow
        removed = sum(1 for f in sample if any(m.matches(f) for m in off_m))
        self.assertLess(removed, len(sample) // 20)
        align_m = [WildcardBits(p) for p in align]
        self.assertTrue(all(any(m.matches(f) for f in files) for m in align_m[:5]))

    def test_storm_pattern_matches_its_path(self):
        rng = random.Random(3)
        path = self.long.file_path(0)
        for _ in range(20):
            pattern = ddfgen.storm_pattern(rng, path)
            self.assertEqual(pattern.count("*"), 30)
            self.assertTrue(wildcard_match(path, pattern))
            self.assertTrue(all(f[-1] in ddfgen.FRAGMENT_ENDS for f in pattern.strip("*").split("*")))


class Harness(unittest.TestCase):
    def test_spawn_reports_status_and_memory(self):
        with tempfile.TemporaryDirectory() as tmp:
            out, err = os.path.join(tmp, "o"), os.path.join(tmp, "e")
            wall, rss, status = bench.spawn(["sh", "-c", "echo hi; echo no >&2; exit 3"], out, err)
            self.assertEqual(status, 3)
            self.assertGreater(rss, 0)
            self.assertGreater(wall, 0)
            with open(out) as f:
                self.assertEqual(f.read(), "hi\n")
            with open(err) as f:
                self.assertEqual(f.read(), "no\n")
            # a runner of 64 MiB or more: a direct child reports at least that,
            # a child started for memory reports its own few MiB
            ballast = bytearray(64 * 2**20)
            for i in range(0, len(ballast), 4096):
                ballast[i] = 1
            _, direct, _ = bench.spawn(["sh", "-c", "exit 0"], out, err)
            _, own, status = bench.spawn(["sh", "-c", "exit 0"], out, err, for_memory=True)
            self.assertEqual(status, 0)
            self.assertGreaterEqual(direct, 64 * 2**20)
            if bench.SUBREAPER:
                self.assertLess(own, 16 * 2**20)
            del ballast

    def test_differences_are_located(self):
        text = bench.first_text_difference(b"a\nb\nc\n", b"a\nB\nc\n")
        self.assertIn("1 line(s) differ; first at line 2", text)
        binary = bench.first_binary_difference(b"\0\0\1\0", b"\0\0\2\0\0")
        self.assertEqual(binary, "sizes 4 / 5 bytes, 2 byte(s) differ, first at offset 0x2")
        with tempfile.TemporaryDirectory() as tmp:
            a, b = os.path.join(tmp, "a.dlf"), os.path.join(tmp, "b.dlf")
            for path in (a, b):
                with open(path, "wb") as f:
                    f.write(b"same\r\n")
            self.assertIsNone(bench.compare_file(a, b, "a.dlf"))
            self.assertEqual(bench.compare_file(a, os.path.join(tmp, "none"), "a.dlf"),
                             "in the snapshot, not written now")


if __name__ == "__main__":
    unittest.main()
