"""The benchmark cases: which tree and which description each one uses, and
how to prepare them under the scratch folder.

Layout of the scratch folder (BENCH_DIR, /tmp/qorv-bench by default):
  trees/<shape>-s<seed>-n<files>-v<version>/root    the source tree (sparse files)
  sys/                                              loader, boot, BI2, ZEM system file
  cases/<case>-s<seed>/description.ddf              the description file
  cases/<case>-s<seed>/grafts/                      [PathList] host directories (heavy, pathlist)
  cases/<case>-s<seed>/out/                         DLF, system file, config file, logs
"""

import os

import ddfgen
import treegen

DEFAULT_CASES = [("plain", 10000), ("plain", 50000), ("plain", 200000),
                 ("heavy", 50000), ("storm", 50000), ("pathlist", 160000), ("origins", 160000)]
SHAPE = {"plain": "normal", "heavy": "normal", "storm": "long", "pathlist": "normal", "origins": "normal"}
# The number in a case's name is the number of files of its tree, except for
# "pathlist", where it is the number of [PathList] lines (grafts), on the tree
# of plain-10000; "origins" has one [LbaOrigin] line per file.
TREE_FILES = {"pathlist": 10000}


class Case:
    def __init__(self, kind, files, seed, bench_dir):
        if kind not in SHAPE:
            raise ValueError(f"unknown case kind {kind}")
        self.kind, self.files, self.seed = kind, files, seed
        self.name = f"{kind}-{files}"
        self.home = os.path.join(bench_dir, "cases", f"{self.name}-s{seed}")
        self.description = os.path.join(self.home, "description.ddf")
        self.out_dir = os.path.join(self.home, "out")
        self.root = None

    def outputs(self):
        """The tool's three output files, by their snapshot names."""
        return {name: os.path.join(self.out_dir, name)
                for name in ("disc.dlf", "system.bin", "config.bin")}


def parse_case_list(text):
    """"plain:10000,heavy:50000" -> [("plain", 10000), ("heavy", 50000)]."""
    cases = []
    for item in filter(None, (part.strip() for part in text.split(","))):
        kind, _, files = item.partition(":")
        if kind not in SHAPE or not files.isdigit() or int(files) < 1:
            raise ValueError(f"bad case {item!r}: expected KIND:FILES with KIND in {sorted(SHAPE)}")
        cases.append((kind, int(files)))
    return cases


_models = {}


def _model(shape, seed, files):
    key = (shape, seed, files)
    if key not in _models:
        _models[key] = treegen.build_model(shape, seed, files)
    return _models[key]


def prepare(case, bench_dir, log=print):
    """Creates (or reuses) the case's tree and writes its description."""
    tree = _model(SHAPE[case.kind], case.seed, TREE_FILES.get(case.kind, case.files))
    case.root = treegen.materialize(tree, os.path.join(bench_dir, "trees"), log)
    sysfiles = ddfgen.write_system_inputs(os.path.join(bench_dir, "sys"))
    os.makedirs(case.out_dir, exist_ok=True)
    if case.kind == "plain":
        text = ddfgen.plain(case.name, tree, case.root, sysfiles, case.out_dir)
    elif case.kind == "heavy":
        text = ddfgen.heavy(case.name, tree, case.root, sysfiles, case.out_dir,
                            os.path.join(case.home, "grafts"))
    elif case.kind == "pathlist":
        text = ddfgen.pathlist(case.name, tree, case.root, sysfiles, case.out_dir,
                               os.path.join(case.home, "grafts", "empty"), case.files)
    elif case.kind == "origins":
        text = ddfgen.origins(case.name, tree, case.root, sysfiles, case.out_dir)
    else:
        text = ddfgen.storm(case.name, tree, case.root, sysfiles, case.out_dir)
    try:
        with open(case.description) as f:
            if f.read() == text:
                return case
    except OSError:
        pass
    with open(case.description, "w") as f:
        f.write(text)
    return case
