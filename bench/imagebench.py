"""Image cases of the benchmark: `QorvImage build` against `cat` of the same
files, in DLF order, into one file on the same file system.

  data-2000     2,000 files holding 1 GiB of real (non-zero) data, made once
  plain-200000  the plain case's tree of 200,000 sparse files

and the map case (`bench.py map`): `QorvImage map` of a disc whose every file
lies in a top-level folder of its own, as text and as SVG.

  folders-200000  200,000 top-level folders of one empty file each

Each case is laid out by QorvMakeDlf once (out/disc.dlf). Then, alternately,
the tool writes out/image.img and `xargs -0 cat` writes out/cat.bin from the
DLF's item list; `sync out/cat.bin` is timed on its own after each cat, since
the tool syncs its image before it renames it. Outputs are removed between
runs, outside the timings.
"""

import json
import os
import random
import shutil
import statistics
import time

import cases as cases_mod
import ddfgen
import treegen

GIB = 1 << 30
MIB = 1 << 20
IMAGE_CASES = [("data", 2000), ("plain", 200000)]
TARGETS_TEXT = ("Targets: data-2000 tool <= 1.0 x cat; plain-200000 tool <= 1.5 x cat; "
                "peak RSS <= 32 MiB; allocated <= data bytes + 1 %.")


def data_tree(seed, n_files):
    """The normal tree shape with sizes that add up to exactly 1 GiB."""
    tree = treegen.build_model("normal", seed, n_files)
    rng = random.Random(f"data:{seed}:{n_files}")
    weights = [rng.uniform(0.2, 1.8) for _ in tree.files]
    sizes = [int(GIB * w / sum(weights)) for w in weights]
    sizes[len(sizes) // 2] = MIB  # the file that the update cases rewrite
    sizes[-1] += GIB - sum(sizes)
    tree.files = [(d, name, size) for (d, name, _), size in zip(tree.files, sizes)]
    return tree


def materialize_data(tree, trees_dir, log=print):
    """Writes the tree with real bytes under trees_dir/data-.../root once."""
    home = os.path.join(trees_dir, f"data-s{tree.seed}-n{tree.n_files}-1g-v1")
    root = os.path.join(home, "root")
    summary = {"files": [list(f) for f in tree.files], "dirs": [list(d) for d in tree.dirs]}
    try:
        with open(os.path.join(home, "manifest.json")) as f:
            if json.load(f) == summary and os.path.isdir(root):
                return root
    except (OSError, ValueError):
        pass
    log(f"  generating {tree.n_files} files of real data (1 GiB) in {home}")
    staging = home + ".partial"
    for path in (home, staging):
        if os.path.exists(path):
            shutil.rmtree(path)
    block = random.Random(f"bytes:{tree.seed}").randbytes(8 * MIB)
    os.makedirs(os.path.join(staging, "root"))
    for d in range(1, len(tree.dirs)):
        os.mkdir(os.path.join(staging, "root", tree.dir_path(d, "/")))
    for k, (_, _, size) in enumerate(tree.files):
        start = (k * 4099) % len(block)
        with open(os.path.join(staging, "root", tree.file_path(k, "/")), "wb") as f:
            left = size
            while left:
                piece = block[start:start + left]
                f.write(piece)
                left -= len(piece)
                start = 0
    with open(os.path.join(staging, "manifest.json"), "w") as f:
        json.dump(summary, f)
    os.rename(staging, home)
    return root


def prepare(kind, files, seed, bench_dir, make_dlf, spawn):
    """The case with its DLF (made by QorvMakeDlf when missing or stale)."""
    case = cases_mod.Case("plain", files, seed, bench_dir)
    if kind == "data":
        case.name = f"data-{files}"
        case.home = os.path.join(bench_dir, "cases", f"{case.name}-s{seed}")
        case.description = os.path.join(case.home, "description.ddf")
        case.out_dir = os.path.join(case.home, "out")
        tree = data_tree(seed, files)
        case.root = materialize_data(tree, os.path.join(bench_dir, "trees"))
        sysfiles = ddfgen.write_system_inputs(os.path.join(bench_dir, "sys"))
        os.makedirs(case.out_dir, exist_ok=True)
        text = ddfgen.plain(case.name, tree, case.root, sysfiles, case.out_dir)
        old = open(case.description).read() if os.path.exists(case.description) else None
        if old != text:
            with open(case.description, "w") as f:
                f.write(text)
    else:
        cases_mod.prepare(case, bench_dir)
    dlf = os.path.join(case.out_dir, "disc.dlf")
    if not os.path.exists(dlf) or os.path.getmtime(dlf) < os.path.getmtime(case.description):
        _, _, status = spawn([make_dlf, case.description], os.path.join(case.out_dir, "stdout.txt"),
                             os.path.join(case.out_dir, "stderr.txt"))
        if status != 0:
            raise RuntimeError(f"{case.name}: QorvMakeDlf failed with status {status}")
    return case, dlf


def dlf_items(dlf):
    """(offset, host path as bytes) of each item, in DLF order."""
    items = []
    with open(dlf, "rb") as f:
        for line in f.read().split(b"\r\n"):
            if line.startswith(b"0x"):
                name = line[line.index(b",") + 2:line.rindex(b'"')]
                if name:
                    items.append((int(line[2:line.index(b",")], 16), name))
    return items


def item_list(dlf, out_dir):
    """The DLF's host paths in order, NUL-separated, for xargs; and their total size."""
    paths = [name for _, name in dlf_items(dlf)]
    listing = os.path.join(out_dir, "items.lst")
    with open(listing, "wb") as f:
        f.write(b"\0".join(paths))
    return listing, len(paths), sum(os.path.getsize(p) for p in paths)


def remove(*paths):
    for path in paths:
        if os.path.exists(path):
            os.remove(path)


def run_image_cases(image_tool, make_dlf, bench_dir, seed, repeat, spawn, selected=None):
    rows = []
    for kind, files in selected or IMAGE_CASES:
        case, dlf = prepare(kind, files, seed, bench_dir, make_dlf, spawn)
        listing, items, data_bytes = item_list(dlf, case.out_dir)
        image, cat_out = os.path.join(case.out_dir, "image.img"), os.path.join(case.out_dir, "cat.bin")
        err = os.path.join(case.out_dir, "image.err")
        build = [image_tool, "build", "-q", "-o", image, dlf]
        cat = ["sh", "-c", 'xargs -0 cat < "$1" > "$2"', "cat", listing, cat_out]
        tool_t, cat_t, sync_t, peaks, allocated = [], [], [], [], 0
        print(f"running {case.name}: {items} items, {data_bytes / GIB:.2f} GiB", flush=True)
        for i in range(repeat + 1):  # the first round warms the cache and is not counted
            remove(image, cat_out)
            wall, _, status = spawn(build, os.devnull, err)
            if status != 0:
                raise RuntimeError(f"{case.name}: QorvImage failed with status {status}; see {err}")
            allocated = os.stat(image).st_blocks * 512
            remove(image)
            cat_wall, _, _ = spawn(cat, os.devnull, os.devnull)
            start = time.perf_counter()
            os.system(f"sync '{cat_out}'")
            sync_wall = time.perf_counter() - start
            remove(cat_out)
            _, rss, _ = spawn(build, os.devnull, err, for_memory=True)
            remove(image)
            if i == 0:
                continue
            tool_t.append(wall), cat_t.append(cat_wall), sync_t.append(sync_wall), peaks.append(rss)
            print(f"  {i}/{repeat}: tool {wall:.3f} s, cat {cat_wall:.3f} s + sync {sync_wall:.3f} s, "
                  f"peak {rss / MIB:.1f} MiB", flush=True)
        tool_s, cat_s = statistics.median(tool_t), statistics.median(cat_t)
        cat_sync_s = statistics.median(c + s for c, s in zip(cat_t, sync_t))
        rows.append({"case": case.name, "items": items, "data_bytes": data_bytes, "tool_s": tool_s,
                     "cat_s": cat_s, "cat_sync_s": cat_sync_s, "rss": max(peaks), "allocated": allocated,
                     "tool_times": tool_t, "cat_times": cat_t, "sync_times": sync_t})
    return rows


def folders_tree(seed, n_files):
    """n top-level folders of one empty file each: as many map groups as items."""
    tree = treegen.Tree("folders", seed, n_files)
    for k in range(n_files):
        tree.dirs.append((0, f"d{k:06d}", 1))
        tree.files.append((k + 1, "f.bin", 0))
    return tree


def run_map_case(image_tool, make_dlf, bench_dir, seed, repeat, spawn, files=200000):
    """`QorvImage map` (text, then --svg) of the folders case, `repeat` times each."""
    name = f"folders-{files}"
    case = cases_mod.Case("plain", files, seed, bench_dir)
    case.name = name
    case.home = os.path.join(bench_dir, "cases", f"{name}-s{seed}")
    case.description = os.path.join(case.home, "description.ddf")
    case.out_dir = os.path.join(case.home, "out")
    tree = folders_tree(seed, files)
    root = treegen.materialize(tree, os.path.join(bench_dir, "trees"))
    sysfiles = ddfgen.write_system_inputs(os.path.join(bench_dir, "sys"))
    os.makedirs(case.out_dir, exist_ok=True)
    text = ddfgen.plain(name, tree, root, sysfiles, case.out_dir)
    dlf = os.path.join(case.out_dir, "disc.dlf")
    old = open(case.description).read() if os.path.exists(case.description) else None
    if old != text or not os.path.exists(dlf):
        with open(case.description, "w") as f:
            f.write(text)
        _, _, status = spawn([make_dlf, case.description], os.path.join(case.out_dir, "stdout.txt"),
                             os.path.join(case.out_dir, "stderr.txt"))
        if status != 0:
            raise RuntimeError(f"{name}: QorvMakeDlf failed with status {status}")
    svg, err = os.path.join(case.out_dir, "map.svg"), os.path.join(case.out_dir, "map.err")
    runs = {"text": [image_tool, "map", dlf], "svg": [image_tool, "map", "--svg", svg, dlf]}
    row = {"case": name, "items": files}
    print(f"running {name}: {files} items in {files} top-level folders", flush=True)
    for form, command in runs.items():
        times, peaks = [], []
        for i in range(repeat + 1):  # the first run warms the cache and is not counted
            wall, _, status = spawn(command, os.devnull, err)
            if status != 0:
                raise RuntimeError(f"{name}: QorvImage map failed with status {status}; see {err}")
            _, rss, _ = spawn(command, os.devnull, err, for_memory=True)
            if i:
                times.append(wall), peaks.append(rss)
        row[form + "_s"], row[form + "_rss"], row[form + "_times"] = statistics.median(times), max(peaks), times
        print(f"  {form}: median {row[form + '_s']:.3f} s, peak {max(peaks) / MIB:.1f} MiB", flush=True)
    remove(svg)
    return row


def format_map_row(row):
    return ("| case | items | top-level folders | map (s) | map --svg (s) | peak RSS (MiB) |\n"
            "|---|---:|---:|---:|---:|---:|\n"
            f"| {row['case']} | {row['items']:,} | {row['items']:,} | {row['text_s']:.3f} | {row['svg_s']:.3f} | "
            f"{max(row['text_rss'], row['svg_rss']) / MIB:.1f} |\n"
            f"- map of {row['items']:,} items under 1 s: {'PASS' if max(row['text_s'], row['svg_s']) < 1 else 'FAIL'}\n")


def check_targets(rows):
    checks = []
    for r in rows:
        limit = 1.0 if r["case"].startswith("data") else 1.5
        checks.append((f"{r['case']} tool/cat <= {limit}", f"{r['tool_s'] / r['cat_s']:.2f}",
                       r["tool_s"] / r["cat_s"] <= limit))
        checks.append((f"{r['case']} peak RSS <= 32 MiB", f"{r['rss'] / MIB:.1f} MiB", r["rss"] <= 32 * MIB))
        checks.append((f"{r['case']} allocated <= data + 1 %", f"{r['allocated'] / max(1, r['data_bytes']):.4f} x data",
                       r["allocated"] <= r["data_bytes"] * 1.01))
    return checks


def format_table(rows):
    head = ("| case | items | data (GiB) | tool (s) | cat (s) | cat + sync (s) | tool/cat | tool/(cat + sync) "
            "| peak RSS (MiB) | allocated / data |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n")
    body = ""
    for r in rows:
        body += (f"| {r['case']} | {r['items']:,} | {r['data_bytes'] / GIB:.2f} | {r['tool_s']:.3f} | "
                 f"{r['cat_s']:.3f} | {r['cat_sync_s']:.3f} | {r['tool_s'] / r['cat_s']:.2f} | "
                 f"{r['tool_s'] / r['cat_sync_s']:.2f} | {r['rss'] / MIB:.1f} | "
                 f"{r['allocated'] / max(1, r['data_bytes']):.4f} |\n")
    return head + body


# ------------------------------------------------------------------ updates

UPDATE_TARGETS_TEXT = ("Targets: no change <= 20 ms + one status call per item; one 1 MiB same-size edit "
                       "<= 50 ms and <= 3 % of the full build; a grown file <= the full build; "
                       "peak RSS <= 32 MiB + 200 bytes per item.")


def status_seconds(paths):
    """One status call per path, timed (the floor of any run that looks at every item)."""
    start = time.perf_counter()
    for p in paths:
        os.stat(p)
    return time.perf_counter() - start


def run_update_cases(image_tool, make_dlf, bench_dir, seed, repeat, spawn, selected=None):
    """Per case and round: a full build, a build with nothing changed, one
    1 MiB same-size edit, and one early file grown so that every later item
    moves; then one more round of the same with the peak memory of each."""
    rows = []
    for kind, files in selected or IMAGE_CASES:
        case, dlf = prepare(kind, files, seed, bench_dir, make_dlf, spawn)
        items = dlf_items(dlf)
        paths = [os.fsdecode(p) for _, p in items]
        image = os.path.join(case.out_dir, "update.img")
        err = os.path.join(case.out_dir, "update.err")
        build = [image_tool, "build", "-q", "-o", image, dlf]
        # The 1 MiB file to rewrite, and the first file after the system file, to grow.
        edited = next(p for p in paths[1:] if os.path.getsize(p) >= MIB)
        grown = paths[1]
        grown_size = os.path.getsize(grown)
        with open(edited, "rb") as f:
            original = f.read(MIB)
        sparse = os.stat(edited).st_blocks == 0
        edited_size = os.path.getsize(edited)
        rng = random.Random(f"edit:{seed}")

        def lay_out():
            _, _, status = spawn([make_dlf, case.description], os.devnull, os.devnull)
            if status != 0:
                raise RuntimeError(f"{case.name}: QorvMakeDlf failed with status {status}")

        def timed(label, memory):
            time.sleep(0.1)  # the sources' changes lie behind the file clock's granularity
            wall, rss, status = spawn(build, os.devnull, err, for_memory=memory)
            if status != 0:
                raise RuntimeError(f"{case.name}: QorvImage failed with status {status}; see {err}")
            with open(err) as f:
                summary = f.readline().strip()
            return wall, rss, summary

        steps = {"full": [], "unchanged": [], "edit": [], "grown": []}
        peaks = {name: 0 for name in steps}
        summaries = {}
        print(f"running {case.name} updates: {len(items)} items", flush=True)
        for i in range(repeat + 1):
            memory = i == repeat  # the last round measures memory only
            for path in (image, image + ".build-record"):
                if os.path.exists(path):
                    os.remove(path)
            results = {"full": timed("full", memory), "unchanged": timed("unchanged", memory)}
            with open(edited, "r+b") as f:
                f.write(rng.randbytes(MIB))
            results["edit"] = timed("edit", memory)
            with open(grown, "ab") as f:
                f.write(rng.randbytes(64 * 1024))
            lay_out()
            results["grown"] = timed("grown", memory)
            # Back to the tree as it was (a sparse file to its holes).
            if sparse:
                os.truncate(edited, 0)
                os.truncate(edited, edited_size)
            else:
                with open(edited, "r+b") as f:
                    f.write(original)
            os.truncate(grown, grown_size)
            lay_out()
            for name, (wall, rss, summary) in results.items():
                summaries[name] = summary
                if memory:
                    peaks[name] = rss
                else:
                    steps[name].append(wall)
            if not memory:
                print(f"  {i + 1}/{repeat}: " + ", ".join(f"{n} {steps[n][-1]:.3f} s" for n in steps), flush=True)
        remove(image, image + ".build-record")
        rows.append({"case": case.name, "items": len(items), "status_s": status_seconds(paths),
                     **{n + "_s": statistics.median(t) for n, t in steps.items()},
                     **{n + "_times": t for n, t in steps.items()},
                     "rss": max(peaks.values()), "peaks": peaks, "summaries": summaries})
    return rows


def check_update_targets(rows):
    checks = []
    for r in rows:
        limit = 0.020 + r["status_s"]
        checks.append((f"{r['case']} no change <= 20 ms + {r['items']:,} status calls ({limit * 1000:.0f} ms)",
                       f"{r['unchanged_s'] * 1000:.1f} ms", r["unchanged_s"] <= limit))
        checks.append((f"{r['case']} 1 MiB edit <= 50 ms", f"{r['edit_s'] * 1000:.1f} ms", r["edit_s"] <= 0.050))
        checks.append((f"{r['case']} 1 MiB edit <= 3 % of the full build", f"{100 * r['edit_s'] / r['full_s']:.1f} %",
                       r["edit_s"] <= 0.03 * r["full_s"]))
        checks.append((f"{r['case']} grown <= full build", f"{r['grown_s']:.3f} s", r["grown_s"] <= r["full_s"]))
        limit = 32 * MIB + 200 * r["items"]
        checks.append((f"{r['case']} peak RSS <= 32 MiB + 200 B/item ({limit / MIB:.1f} MiB)",
                       f"{r['rss'] / MIB:.1f} MiB", r["rss"] <= limit))
    return checks


def format_update_table(rows):
    head = ("| case | items | full (s) | no change (s) | 1 MiB edit (s) | grown (s) | status calls (s) "
            "| peak RSS (MiB) |\n|---|---:|---:|---:|---:|---:|---:|---:|\n")
    return head + "".join(
        f"| {r['case']} | {r['items']:,} | {r['full_s']:.3f} | {r['unchanged_s']:.3f} | {r['edit_s']:.3f} | "
        f"{r['grown_s']:.3f} | {r['status_s']:.3f} | {r['rss'] / MIB:.1f} |\n" for r in rows)
