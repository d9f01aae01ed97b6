"""Deterministic source trees of sparse files.

A tree is first built as a model (directories, files, sizes) from a seed, then
written to disk once: every file is made with ftruncate, so it costs an inode
and no data blocks. The model is cheap to rebuild, so the description
generators work from the model and never list the tree.

Shapes:
  "normal": about 50 files per directory, directories up to depth 8, names of
            4 to 40 characters;
  "long":   the same, but files lie 6 to 8 directories deep under names of
            20 to 30 characters, so disc paths are about 200 characters long.
            Directory names hold no dot and end in "_" and two digits, and
            every file has an extension, so the storm patterns can avoid
            matching directories (see ddfgen.storm_pattern).
"""

import hashlib
import json
import os
import random
import shutil
import string

GENERATOR_VERSION = 3  # bump when the model changes: trees on disk are keyed by it

FILES_PER_DIR = 50
MAX_DEPTH = 8

STEM_FIRST = string.ascii_letters + string.digits + "_"
STEM_REST = STEM_FIRST * 12 + "."  # dots inside names, rarely
EXTENSIONS = [".bin", ".dat", ".arc", ".szs", ".thp", ".adp", ".txt", ".bmp",
              ".map", ".DAT", ".Bin", ".ogg", ".tpl", ".pak", ".cfg", ".H3d",
              ".msg", ".rel", ".str", ".Snd"]
RARE_EXTENSIONS = [".tmp", ".bak"]  # what the heavy [LayoutOff] section removes

KIB, MIB = 1024, 1024 * 1024


class Tree:
    """dirs[i] = (parent index or -1, name, depth); files[k] = (dir index, name, size).
    Directory 0 is the root (empty name)."""

    def __init__(self, shape, seed, n_files):
        self.shape, self.seed, self.n_files = shape, seed, n_files
        self.dirs = [(-1, "", 0)]
        self.files = []
        self._dir_paths = None

    @property
    def key(self):
        return f"{self.shape}-s{self.seed}-n{self.n_files}-v{GENERATOR_VERSION}"

    def dir_parts(self, d):
        parts = []
        while d > 0:
            parent, name, _ = self.dirs[d]
            parts.append(name)
            d = parent
        return parts[::-1]

    def dir_path(self, d, sep="\\"):
        if self._dir_paths is None:
            self._dir_paths = {}
        key = (d, sep)
        if key not in self._dir_paths:
            self._dir_paths[key] = sep.join(self.dir_parts(d))
        return self._dir_paths[key]

    def file_path(self, k, sep="\\"):
        d, name, _ = self.files[k]
        base = self.dir_path(d, sep)
        return base + sep + name if base else name

    def top_level_names(self):
        names = [name for parent, name, _ in self.dirs[1:] if parent == 0]
        names += [name for d, name, _ in self.files if d == 0]
        return names

    def total_size(self):
        return sum(size for _, _, size in self.files)

    def summary(self):
        """What the manifest of a written tree records; a tree on disk is
        reused only when its summary equals the model's."""
        digest = hashlib.sha256()
        for d in range(1, len(self.dirs)):
            digest.update(self.dir_path(d).encode() + b"\0")
        for k, (_, _, size) in enumerate(self.files):
            digest.update(f"{self.file_path(k)}\0{size}\0".encode())
        return {"key": self.key, "dirs": len(self.dirs), "files": len(self.files),
                "bytes": self.total_size(), "sha256": digest.hexdigest()}


def _name(rng, length, with_extension, taken, numbered=False):
    """A name of exactly `length` characters, unique in `taken` ignoring case;
    `numbered` ends it in "_" and two digits instead of an extension."""
    while True:
        ext = ""
        if numbered:
            ext = f"_{rng.randrange(100):02d}"
        elif with_extension:
            ext = rng.choice(RARE_EXTENSIONS) if rng.random() < 0.01 else rng.choice(EXTENSIONS)
            if length - len(ext) < 1:
                ext = ""
        stem_len = length - len(ext)
        stem = rng.choice(STEM_FIRST)
        if stem_len > 1:
            inner = STEM_FIRST if numbered else STEM_REST  # numbered names hold no dot
            middle = "".join(rng.choice(inner) for _ in range(stem_len - 2))
            stem += middle + rng.choice(STEM_FIRST)
        name = stem + ext
        if name.upper() not in taken:
            taken.add(name.upper())
            return name


def _name_length(rng, shape, is_dir):
    if shape == "long":
        return rng.randint(20, 28) if is_dir else rng.randint(15, 35)
    # mostly short names, a long tail up to 40
    return rng.randint(4, 20) if rng.random() < 0.7 else rng.randint(21, 40)


def _file_size(rng):
    """Mostly small files, some of a few hundred KiB, a few MiB-sized ones."""
    r = rng.random()
    if r < 0.03:
        return 0
    if r < 0.93:
        return int(round(2 ** rng.uniform(0, 16)))          # 1 B .. 64 KiB
    if r < 0.998:
        return int(round(2 ** rng.uniform(16, 20)))         # 64 KiB .. 1 MiB
    return int(round(2 ** rng.uniform(20, 24)))             # 1 MiB .. 16 MiB


def build_model(shape, seed, n_files):
    if shape not in ("normal", "long"):
        raise ValueError(f"unknown tree shape {shape}")
    rng = random.Random(f"tree:{shape}:{seed}:{n_files}")
    tree = Tree(shape, seed, n_files)
    taken = [set()]  # per directory: upper-cased names in use
    by_depth = {0: [0]}

    n_dirs = max(1, round(n_files / FILES_PER_DIR))
    depth_weights = [3, 4, 4, 4, 3, 3, 2, 2] if shape == "normal" else [1, 1, 1, 1, 1, 4, 6, 6]
    for _ in range(n_dirs - 1):
        want = rng.choices(range(1, MAX_DEPTH + 1), weights=depth_weights)[0]
        depth = want
        while depth - 1 not in by_depth:
            depth -= 1
        parent = rng.choice(by_depth[depth - 1])
        if shape == "long":
            name = _name(rng, _name_length(rng, shape, True), False, taken[parent], numbered=True)
        else:
            name = _name(rng, _name_length(rng, shape, True), rng.random() < 0.1, taken[parent])
        tree.dirs.append((parent, name, depth))
        taken.append(set())
        by_depth.setdefault(depth, []).append(len(tree.dirs) - 1)

    if shape == "long":
        holders = [d for d, (_, _, depth) in enumerate(tree.dirs) if depth >= 6] or [0]
    else:
        holders = list(range(len(tree.dirs)))
    for _ in range(n_files):
        d = rng.choice(holders)
        with_extension = shape == "long" or rng.random() < 0.85
        name = _name(rng, _name_length(rng, shape, False), with_extension, taken[d])
        tree.files.append([d, name, _file_size(rng)])

    # a few files of hundreds of MiB, as a disc image has (movies, archives)
    for k in rng.sample(range(n_files), min(n_files, max(1, n_files // 25000))):
        tree.files[k][2] = rng.randint(100 * MIB, 400 * MIB)
    tree.files = [tuple(f) for f in tree.files]
    return tree


def _write_tree(tree, root):
    os.makedirs(root)
    for d in range(1, len(tree.dirs)):
        os.mkdir(os.path.join(root, tree.dir_path(d, "/")))
    flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL
    for k, (_, _, size) in enumerate(tree.files):
        fd = os.open(os.path.join(root, tree.file_path(k, "/")), flags, 0o644)
        try:
            os.ftruncate(fd, size)
        finally:
            os.close(fd)


def materialize(tree, trees_dir, log=print):
    """Writes the tree under trees_dir/<key>/root once; reuses it when its
    manifest says it is complete and matches the model. Returns the root."""
    home = os.path.join(trees_dir, tree.key)
    root = os.path.join(home, "root")
    manifest = os.path.join(home, "manifest.json")
    summary = tree.summary()
    try:
        with open(manifest) as f:
            if json.load(f) == summary and os.path.isdir(root):
                return root
    except (OSError, ValueError):
        pass
    if os.path.exists(home):
        shutil.rmtree(home)
    log(f"  generating tree {tree.key} ({len(tree.files)} files, {len(tree.dirs)} directories)")
    staging = home + ".partial"
    if os.path.exists(staging):
        shutil.rmtree(staging)
    _write_tree(tree, os.path.join(staging, "root"))
    with open(os.path.join(staging, "manifest.json"), "w") as f:
        json.dump(summary, f)
    os.rename(staging, home)
    return root
