"""Description files for the benchmark cases, generated from a tree model.

Every description is valid for the tool: all required keys, ZEM mode, an
FSTuserEnd that leaves room for every file with its worst-case alignment, and
layout sections that name only files that exist and stay on the disc.

  plain: no layout sections.
  heavy: 2,000 exact [Layout] entries (mixed values and priorities, a few
         mirrors and copies), 200 wildcard [Layout] entries, 500 [LbaAlign]
         patterns, 200 [LbaOrigin] chains (origin + two followers, "+" and
         "-"), 100 [LayoutOff] patterns and 20 [PathList] grafts; FST = new.
  storm: [LbaAlign] and [LayoutOff] patterns of 30 stars each, for a tree of
         long paths.
  pathlist: one [PathList] line per file of the tree, each grafting one
         empty host folder under a top-level disc folder of its own.
  origins: every file of the tree fixed by [LbaOrigin], in chains of an
         origin and one follower: one line per file.
"""

import os
import random
import shutil
import string

from treegen import EXTENSIONS, MIB, RARE_EXTENSIONS, _name
from wildcard import compile_wildcard, regex_match

MAX_ALIGN = 0x8000          # largest alignment any generated [LbaAlign] asks for
ALIGNMENTS = [4, 32, 0x800, 0x1800, 0x8000]
DISC_LIMIT = 1 << 34        # ZEM positions are stored divided by 4 in 32 bits
CHAIN_GAP = 0x10000
MARGIN = 64 * MIB

LDR_SIZE, BOOT_SIZE, BI2_SIZE, ZEM_SIZE = 0x1A40, 0x5123, 8192, 0x2000


def round_up(v, a):
    return (v + a - 1) // a * a


def extent(size):
    return size if size else 4


# ---------------------------------------------------------------- system files

def write_system_inputs(sys_dir):
    """Loader, boot, BI2 template and ZEM system file: small, fixed contents."""
    os.makedirs(sys_dir, exist_ok=True)
    rng = random.Random("system-inputs")
    files = {}
    for name, size in (("ldr.bin", LDR_SIZE), ("boot.bin", BOOT_SIZE),
                       ("bi2.bin", BI2_SIZE), ("zem.bin", ZEM_SIZE)):
        path = os.path.join(sys_dir, name)
        data = bytes(rng.getrandbits(8) for _ in range(size))
        try:
            with open(path, "rb") as f:
                if f.read() == data:
                    files[name] = path
                    continue
        except OSError:
            pass
        with open(path, "wb") as f:
            f.write(data)
        files[name] = path
    return files


def _header(case, seed, n_files, root, sysfiles, out_dir, fst_user_end, fst_new):
    out = lambda name: os.path.join(out_dir, name)
    lines = [
        f"; {case} benchmark description, seed {seed}, {n_files} files (generated)",
        "[Input]",
        f'DvdRoot = "{root}"',
        f'LDRFileName = "{sysfiles["ldr.bin"]}"',
        f'BI2FileName = "{sysfiles["bi2.bin"]}"',
        f'BootFileName = "{sysfiles["boot.bin"]}"',
        f'ZEMSysFileName = "{sysfiles["zem.bin"]}"',
        "",
        "[Output]",
        f'LayoutFileName = "{out("disc.dlf")}"',
        f'SystemFileName = "{out("system.bin")}"',
        f'ConfigFileName = "{out("config.bin")}"',
    ]
    if fst_new:
        lines.append("FST = new")
    lines += [
        "",
        "[DiskID]",
        'GameName = "QBEN"',
        'Company = "QB"',
        "DiskNumber = 0",
        "GameVersion = 1",
        'DiskInfo = "benchmark disc"',
        "TotalDisk = 1",
        "",
        "[BB2]",
        "FSTEndAddress = 0x81700000",
        f"FSTuserEnd = 0x{fst_user_end:X}",
    ]
    return lines


# ------------------------------------------------------------ space estimates

def _user_area_start_estimate(n_entries, name_bytes):
    """Upper bound of the user area start: boot file at 0x18000, FST behind it."""
    fst = (n_entries + 1) * 12 + name_bytes + 64 * 1024
    return round_up(0x18000 + round_up(BOOT_SIZE, 256) + fst, 0x8000) + MIB


def _tree_names(tree):
    return sum(len(n) + 1 for _, n, _ in tree.dirs[1:]) + sum(len(n) + 1 for _, n, _ in tree.files)


def _fst_user_end(top):
    end = round_up(top + MARGIN + ZEM_SIZE + 0x40000 + 32, MIB)
    if end > DISC_LIMIT:
        raise ValueError(f"tree too large for one disc: FSTuserEnd 0x{end:X} above 0x{DISC_LIMIT:X}")
    return end


def _check_name(text, what):
    if any(c in text for c in '";$\n'):
        raise ValueError(f"{what} cannot be written in a description file: {text!r}")


# --------------------------------------------------------------------- plain

def plain(case, tree, root, sysfiles, out_dir):
    _check_name(root, "DvdRoot")
    files = sum(round_up(extent(s), 4) for _, _, s in tree.files)
    start = _user_area_start_estimate(len(tree.dirs) + len(tree.files), _tree_names(tree))
    lines = _header(case, tree.seed, tree.n_files, root, sysfiles, out_dir,
                    _fst_user_end(start + files), False)
    return "\n".join(lines) + "\n"


# --------------------------------------------------------------------- heavy

class Graft:
    def __init__(self, name, fst_dir, host_dir):
        self.name, self.fst_dir, self.host_dir = name, fst_dir, host_dir
        self.dirs = []    # paths relative to host_dir, "/"-separated
        self.files = []   # (relative path, size)


def make_grafts(rng, tree, graft_home, count=20):
    """Small host directories grafted by [PathList]; every fourth one under a
    three-component disc path (holder directories). First components never
    equal a top-level name of the tree, in any letter case."""
    top = {n.upper() for n in tree.top_level_names()}
    grafts = []
    for g in range(count):
        first = f"Extra{g:02d}"
        while first.upper() in top:
            first += "x"
        fst_dir = first + ("\\Patch\\Data" if g % 4 == 3 else "")
        graft = Graft(f"Graft{g:02d}", fst_dir, os.path.join(graft_home, f"g{g:02d}"))
        taken = {"": set()}
        if rng.random() < 0.5:
            sub = _name(rng, rng.randint(4, 12), False, taken[""])
            graft.dirs.append(sub)
            taken[sub] = set()
        for _ in range(rng.randint(3, 25)):
            d = rng.choice(list(taken))
            name = _name(rng, rng.randint(4, 24), True, taken[d])
            graft.files.append((f"{d}/{name}" if d else name, int(2 ** rng.uniform(0, 16))))
        grafts.append(graft)
    return grafts


def write_grafts(grafts):
    for graft in grafts:
        if os.path.isdir(graft.host_dir):
            shutil.rmtree(graft.host_dir)
        os.makedirs(graft.host_dir)
        for d in graft.dirs:
            os.mkdir(os.path.join(graft.host_dir, d))
        for rel, size in graft.files:
            with open(os.path.join(graft.host_dir, rel), "wb") as f:
                f.truncate(size)


def _disc(graft, rel):
    return graft.fst_dir + "\\" + rel.replace("/", "\\")


def _heavy_layout_off(rng, tree, dir_paths, file_paths):
    """100 patterns: rare extensions, extensions that never occur, exact files,
    small directories, extensions inside one directory, name prefixes."""
    patterns = ["*.tmp", "*.bak"]
    for ext in ["orig", "swp", "old", "psd", "log", "db", "xcf", "blend", "max", "orig2",
                "tmp2", "sav", "lock", "part", "crdownload", "rej", "pyc", "obj"]:
        patterns.append("*." + ext)
    patterns += rng.sample(file_paths, 30)
    subtree = [0] * len(tree.dirs)
    for d, _, _ in tree.files:
        while d > 0:
            subtree[d] += 1
            d = tree.dirs[d][0]
    small = [d for d in range(1, len(tree.dirs)) if subtree[d] <= 60]
    patterns += [dir_paths[d] for d in rng.sample(small, min(10, len(small)))]
    while len(patterns) < 90:
        d = rng.randrange(1, len(tree.dirs))
        patterns.append(dir_paths[d] + "\\*" + rng.choice(EXTENSIONS))
    while len(patterns) < 100:
        name = tree.files[rng.randrange(len(tree.files))][1]
        patterns.append("*\\" + name[:4] + "*")
    return patterns


def _removed(patterns, entries):
    """Indices of `entries` (disc paths, each directory before its contents,
    with parent index) that [LayoutOff] takes off the disc."""
    exact = {p.upper() for p in patterns if "*" not in p and "?" not in p}
    compiled = [compile_wildcard(p) for p in patterns if "*" in p or "?" in p]
    removed = set()
    for i, (path, parent, testable) in enumerate(entries):
        if parent in removed:
            removed.add(i)
        elif testable and (path.upper() in exact or any(regex_match(c, path) for c in compiled)):
            removed.add(i)
    return removed


def _layout_value(rng):
    r = rng.random()
    if r < 0.2:
        return rng.choice([-1000, -5, 0, 7, 100, 2000])   # runs of equal values
    if r < 0.5:
        return rng.randint(-32768, -1)
    if r < 0.7:
        return 0
    return rng.randint(1, 32767)


def _wildcard_layout(rng, tree, dir_paths, stems):
    kind = rng.randrange(4)
    if kind == 0:
        return dir_paths[rng.randrange(1, len(tree.dirs))] + "\\*"
    if kind == 1:
        return "*" + rng.choice(EXTENSIONS)
    if kind == 2:
        return dir_paths[rng.randrange(1, len(tree.dirs))] + "\\*" + rng.choice(EXTENSIONS)
    d, stem = rng.choice(stems)
    return (dir_paths[d] + "\\" if d else "") + stem + ".*"


def _align_pattern(rng, tree, dir_paths):
    kind = rng.randrange(4)
    if kind == 0:
        return "*" + rng.choice(EXTENSIONS)
    if kind == 1:
        return dir_paths[rng.randrange(1, len(tree.dirs))] + "\\*"
    if kind == 2:
        return dir_paths[rng.randrange(1, len(tree.dirs))] + "\\*" + rng.choice(EXTENSIONS)
    return "*\\" + rng.choice(string.ascii_letters) + "*" + rng.choice(EXTENSIONS)


def _quoted_path(rng, path):
    # the parser turns "/" into "\", so some entries are written with slashes
    return path.replace("\\", "/") if rng.random() < 0.1 else path


def heavy(case, tree, root, sysfiles, out_dir, graft_home, write=True):
    _check_name(root, "DvdRoot")
    rng = random.Random(f"heavy:{tree.key}")
    grafts = make_grafts(rng, tree, graft_home)
    for g in grafts:
        _check_name(g.host_dir, "[PathList] host directory")
    if write:
        write_grafts(grafts)

    dir_paths = [tree.dir_path(d) for d in range(len(tree.dirs))]
    file_paths = [tree.file_path(k) for k in range(len(tree.files))]

    # every entry the tool will test against [LayoutOff]: (path, parent index, testable)
    entries, dir_entry = [], {0: -1}
    for d in range(1, len(tree.dirs)):
        dir_entry[d] = len(entries)
        entries.append((dir_paths[d], dir_entry[tree.dirs[d][0]], True))
    for k, (d, _, _) in enumerate(tree.files):
        entries.append((file_paths[k], dir_entry[d], True))
    graft_files = []  # (entry index, disc path, size)
    for g in grafts:
        parts = g.fst_dir.split("\\")
        parent = -1
        for depth in range(1, len(parts) + 1):
            entries.append(("\\".join(parts[:depth]), parent, depth > 1))  # the top is never tested
            parent = len(entries) - 1
        mapped, sub = parent, {}
        for rel in g.dirs:
            sub[rel] = len(entries)
            entries.append((_disc(g, rel), mapped, True))
        for rel, size in g.files:
            d = rel.rsplit("/", 1)[0] if "/" in rel else ""
            graft_files.append((len(entries), _disc(g, rel), size))
            entries.append((_disc(g, rel), sub.get(d, mapped), True))

    layout_off = _heavy_layout_off(rng, tree, dir_paths, file_paths)
    removed = _removed(layout_off, entries)
    first_file = len(tree.dirs) - 1
    kept_tree = [k for k in range(len(tree.files)) if first_file + k not in removed]
    kept_graft = [(p, s) for i, p, s in graft_files if i not in removed]

    # disjoint picks: chains, replicated [Layout] files, plain [Layout] files;
    # scaled down for small trees (quick checks), never for the real cases
    want = {"chains": 200, "replicas": 20, "exact": 1970, "align_exact": 200}
    scale = min(1.0, len(kept_tree) / (1.5 * (3 * want["chains"] + want["replicas"] + want["exact"])))
    n = {k: max(1, int(v * scale)) for k, v in want.items()}
    n_chains, n_rep = max(8, n["chains"]), max(4, n["replicas"] // 2 * 2)
    graft_exact = rng.sample(kept_graft, min(20, len(kept_graft), n["exact"] // 2))
    picks = rng.sample(kept_tree, 3 * n_chains + n_rep + n["exact"] - len(graft_exact))
    chain_files = picks[:3 * n_chains]
    replica_files = picks[3 * n_chains:3 * n_chains + n_rep]
    layout_files = [(file_paths[k], tree.files[k][2]) for k in picks[3 * n_chains + n_rep:]]
    layout_files += graft_exact
    size_of = {file_paths[k]: tree.files[k][2] for k in kept_tree}
    size_of.update(dict(kept_graft))

    # [Layout]: exact entries (half of the replicas mirrored, half copied, a
    # quarter copied twice, 5 files named twice) and wildcard entries
    half, quarter = n_rep // 2, max(1, n_rep // 4)
    mirrored, copied = replica_files[:half], replica_files[half:]
    exact = [(file_paths[k], "mirror") for k in mirrored]
    exact += [(file_paths[k], "copy") for k in copied]
    exact += [(p, "") for p, _ in layout_files]
    exact += [(file_paths[k], "copy") for k in copied[:quarter]]
    exact += [(p, "") for p, _ in rng.sample(layout_files, min(5, len(layout_files)))]
    rng.shuffle(exact)
    stems = [(d, nm.rsplit(".", 1)[0]) for d, nm, _ in tree.files if "." in nm[1:]]
    layout_lines = [f'{rng.randint(-1000, 1000)} = "{_quoted_path(rng, p)}", {_layout_value(rng)}'
                    + (f", {rep}" if rep else "") for p, rep in exact]
    layout_lines += [f'{rng.randint(-1000, 1000)} = "{_wildcard_layout(rng, tree, dir_paths, stems)}", '
                     f'{_layout_value(rng)}' for _ in range(200)]
    rng.shuffle(layout_lines)

    # [LbaAlign]: 200 exact files, 300 patterns
    align_lines = [f'{rng.randint(-100, 100)} = "{_quoted_path(rng, file_paths[k])}", '
                   f'0x{rng.choice(ALIGNMENTS):X}' for k in rng.sample(kept_tree, n["align_exact"])]
    align_lines += [f'{rng.randint(-100, 100)} = "{_align_pattern(rng, tree, dir_paths)}", '
                    f'0x{rng.choice(ALIGNMENTS):X}' for _ in range(300)]
    rng.shuffle(align_lines)

    # space: every file that is placed freely, with its worst alignment
    def need(size):
        return round_up(extent(size), 32) + MAX_ALIGN
    free = sum(need(size_of[p]) for p in size_of)             # chain files' own places included
    free += sum(need(size_of[file_paths[k]]) for k in replica_files)  # twins and first copies
    free += sum(need(size_of[file_paths[k]]) for k in copied[:quarter])
    n_entries = len(entries) + n_rep
    names = sum(len(p.rsplit("\\", 1)[-1]) + 1 for p, _, _ in entries)
    start = _user_area_start_estimate(n_entries, names)
    cursor = round_up(start + free + MARGIN, MIB)

    # [LbaOrigin]: chains above the free files, below the back group; the
    # first four copy their origin, the next four mirror their first follower
    origin_lines = []
    for c in range(n_chains):
        members = chain_files[3 * c:3 * c + 3]
        span = sum(need(size_of[file_paths[k]]) for k in members) + 64
        forward = c % 2 == 0
        if forward:
            lba = round_up(cursor, 0x8000)
            cursor = lba + span + CHAIN_GAP
        else:
            lba = round_up(cursor + span, 0x8000)
            cursor = lba + CHAIN_GAP
        origin_rep = ", copy" if c < 4 else ""
        first_rep = ", mirror" if 4 <= c < 8 else ""
        p0, p1, p2 = (_quoted_path(rng, file_paths[k]) for k in members)
        origin_lines.append(f'0x{lba:X} = "{p0}", {"+" if forward else "-"}{origin_rep}')
        origin_lines.append(f'0x{lba:X} :: "{p1}"{first_rep}')
        origin_lines.append(f'0x{lba:X} :: "{p2}"')
    fst_user_end = _fst_user_end(cursor + free)

    lines = _header(case, tree.seed, tree.n_files, root, sysfiles, out_dir, fst_user_end, True)
    lines += ["", "[PathList]"]
    lines += [f'{g.name} = "{g.fst_dir}", "{g.host_dir}"' for g in grafts]
    lines += ["", "[LayoutOff]"] + [f'"{p}"' for p in layout_off]
    lines += ["", "[LbaAlign]"] + align_lines
    lines += ["", "[Layout]"] + layout_lines
    lines += ["", "[LbaOrigin]"] + origin_lines
    return "\n".join(lines) + "\n"


# --------------------------------------------------------------------- storm

# Characters that end no path of a "long" tree: directory names end in a
# digit, file names in the last letter of an extension. A "*" met at the end
# of the path matches whatever follows it, so a pattern matches every path
# that ends where one of its fragments ends; fragments that end in these
# characters keep the storm from matching (and removing) almost everything.
_PATH_ENDS = {e[-1].lower() for e in EXTENSIONS + RARE_EXTENSIONS} | set(string.digits)
FRAGMENT_ENDS = {c for c in string.ascii_letters + "._\\" if c.lower() not in _PATH_ENDS}


def storm_pattern(rng, path, stars=30):
    """A pattern of `stars` stars around stars - 1 fragments of (mostly) 2 or
    3 characters taken in order from `path`, each with at least one character
    before it and ending in a FRAGMENT_ENDS character; the last one ends at the
    dot of the file's extension, which no directory of a "long" tree holds.
    The pattern matches `path` (the last star takes the extension)."""
    n = stars - 1
    last = path.rfind(".")
    if last < 0 or "\\" in path[last:]:
        raise ValueError(f"no extension: {path}")
    candidates = [i for i in range(1, last - 1) if path[i] in FRAGMENT_ENDS]
    rng.shuffle(candidates)
    chosen = {last}
    for i in candidates:
        if len(chosen) == n:
            break
        if i - 1 not in chosen and i + 1 not in chosen:
            chosen.add(i)
    if len(chosen) < n:
        raise ValueError(f"path too short for {stars} stars: {path}")
    out, prev = [], -1
    for end in sorted(chosen):
        length = min(rng.randint(2, 3), end - prev - 1)
        out.append(path[end - length + 1:end + 1])
        prev = end
    return "*" + "*".join(out) + "*"


def storm(case, tree, root, sysfiles, out_dir, patterns=100, stars=30):
    """[LbaAlign] and [LayoutOff], `patterns` lines each. Every pattern is cut
    from a path of the tree; nine in ten [LayoutOff] patterns take their last
    fragments from another file's name, so they follow a real path almost to
    its end and then fail."""
    _check_name(root, "DvdRoot")
    rng = random.Random(f"storm:{tree.key}:{patterns}:{stars}")
    paths = [tree.file_path(k) for k in range(len(tree.files))]
    longish = [p for p in paths if len(p) >= 4 * stars] or paths

    def pattern(near_miss):
        for _ in range(100):
            path = rng.choice(longish)
            if near_miss:
                other = rng.choice(longish)
                path = path.rsplit("\\", 1)[0] + "\\" + other.rsplit("\\", 1)[-1]
            try:
                return storm_pattern(rng, path, stars)
            except ValueError:
                continue
        raise ValueError("no path of the tree is long enough for the storm patterns")

    align = [f'{rng.randint(-100, 100)} = "{pattern(False)}", 0x{rng.choice([32, 0x800, 0x8000]):X}'
             for _ in range(patterns)]
    off = [f'"{pattern(i % 10 != 0)}"' for i in range(patterns)]

    free = sum(round_up(extent(s), 32) + MAX_ALIGN for _, _, s in tree.files)
    start = _user_area_start_estimate(len(tree.dirs) + len(tree.files), _tree_names(tree))
    lines = _header(case, tree.seed, tree.n_files, root, sysfiles, out_dir,
                    _fst_user_end(start + free), False)
    lines += ["", "[LbaAlign]"] + align
    lines += ["", "[LayoutOff]"] + off
    return "\n".join(lines) + "\n"


# ------------------------------------------------------- pathlist and origins

# Every 1000th [PathList] line gives the name of the line 500 before it again
# (warning 1024): its folder takes that line's place.
REDEFINE_EVERY, REDEFINE_BACK = 1000, 500


def pathlist(case, tree, root, sysfiles, out_dir, graft_dir, lines=None):
    """[PathList] of `lines` lines (one per file of the tree by default): each
    grafts the empty host folder `graft_dir` under the top-level disc folder
    graft-NNNNNN; "-" never occurs in a tree's names, so none clashes."""
    _check_name(root, "DvdRoot")
    _check_name(graft_dir, "[PathList] host directory")
    os.makedirs(graft_dir, exist_ok=True)
    lines = tree.n_files if lines is None else lines
    entries = []
    for i in range(lines):
        name = i - REDEFINE_BACK if i % REDEFINE_EVERY == REDEFINE_EVERY - 1 else i
        entries.append(f'Graft{name:06d} = "graft-{i:06d}", "{graft_dir}"')
    files = sum(round_up(extent(s), 4) for _, _, s in tree.files)
    names = _tree_names(tree) + sum(len(f"graft-{i:06d}") + 1 for i in range(lines))
    start = _user_area_start_estimate(len(tree.dirs) + len(tree.files) + lines, names)
    lines_out = _header(case, tree.seed, tree.n_files, root, sysfiles, out_dir,
                        _fst_user_end(start + files), False)
    lines_out += ["", "[PathList]"] + entries
    return "\n".join(lines_out) + "\n"


def origins(case, tree, root, sysfiles, out_dir, gap=0x800):
    """[LbaOrigin] fixing every file of the tree, in tree order, two files per
    chain ("+" and "-" in turn), at rising LBAs on multiples of `gap` with at
    least `gap` bytes between chains."""
    _check_name(root, "DvdRoot")
    start = _user_area_start_estimate(len(tree.dirs) + len(tree.files), _tree_names(tree))
    cursor, entries = start, []
    for c in range(0, len(tree.files), 2):
        members = range(c, min(c + 2, len(tree.files)))
        span = sum(round_up(extent(tree.files[k][2]), 4) for k in members)
        forward = c % 4 == 0
        if forward:
            lba = round_up(cursor, gap)
            cursor = lba + span + gap
        else:
            lba = round_up(cursor + span, gap)
            cursor = lba + gap
        paths = [tree.file_path(k) for k in members]
        entries.append(f'0x{lba:X} = "{paths[0]}", {"+" if forward else "-"}')
        entries += [f'0x{lba:X} :: "{p}"' for p in paths[1:]]
    lines = _header(case, tree.seed, tree.n_files, root, sysfiles, out_dir, _fst_user_end(cursor), False)
    lines += ["", "[LbaOrigin]"] + entries
    return "\n".join(lines) + "\n"
