#!/usr/bin/env python3
"""Benchmark harness of QorvMakeDlf.

  bench.py run       time the tool against `find ROOT -printf '%s %p\\n'` per case
  bench.py snapshot  save every case's outputs (DLF, system file, config file, logs)
  bench.py compare   rerun every snapshot case and compare the outputs byte for byte
  bench.py prepare   only generate the trees and descriptions
  bench.py selftest  unit checks of the generators
  bench.py image     time QorvImage build against `cat` of the same files (imagebench.py)
  bench.py update    time QorvImage build updating an image: no change, one edit, one grown file
  bench.py map       time QorvImage map of 200,000 items in as many top-level folders

Settings come from options or the environment: BENCH_DIR (scratch folder,
/tmp/qorv-bench), BENCH_SEED (1), BENCH_REPEAT (5), BENCH_CASES
("plain:10000,heavy:50000", default the seven standard cases), BENCH_FILES
(one file count for every case, for quick checks), BENCH_SNAPSHOT
($BENCH_DIR/snapshot), BENCH_STRICT (1: exit 1 when a target is missed).
"""

import argparse
import ctypes
import hashlib
import json
import os
import shutil
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ in the repository

import cases as cases_mod  # noqa: E402

TOOL_ENV = dict(os.environ, LC_ALL="C", LANG="C", LC_MESSAGES="")
LOG_FILES = ("stdout.txt", "stderr.txt")


# ------------------------------------------------------------------ running

def _enable_subreaper():
    """Makes orphaned descendants our children (Linux), so that a process
    started through `setsid -f` can be waited for, with its rusage."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        return libc.prctl(36, 1, 0, 0, 0) == 0  # PR_SET_CHILD_SUBREAPER
    except (OSError, AttributeError):
        return False


SUBREAPER = _enable_subreaper() and shutil.which("setsid") is not None


def spawn(argv, stdout, stderr, for_memory=False):
    """Runs argv with stdout and stderr sent to files; returns (wall seconds,
    peak resident bytes, exit status), the peak from wait4.

    A process's peak RSS counts the memory of the process it was forked from
    (the kernel keeps the high-water mark across exec), so a child of this
    runner would report at least the runner's own size. With `for_memory` the
    program is started by `setsid -f`, a small process that forks it and
    exits; the program is then adopted by this runner (subreaper) and its
    peak is its own, give or take a megabyte. That launch costs a few
    milliseconds, so wall times come from direct runs."""
    actions = [(os.POSIX_SPAWN_OPEN, 1, stdout, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644),
               (os.POSIX_SPAWN_OPEN, 2, stderr, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)]
    start = time.perf_counter()
    if for_memory and SUBREAPER:
        launcher = os.posix_spawnp("setsid", ["setsid", "-f", *argv], TOOL_ENV, file_actions=actions)
        os.waitpid(launcher, 0)
        _, status, usage = os.wait4(-1, 0)  # the adopted program: the runner has no other child
    else:
        pid = os.posix_spawnp(argv[0], argv, TOOL_ENV, file_actions=actions)
        _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    return wall, usage.ru_maxrss * 1024, os.waitstatus_to_exitcode(status)


def run_tool(binary, case, for_memory=False):
    return spawn([binary, case.description], os.path.join(case.out_dir, "stdout.txt"),
                 os.path.join(case.out_dir, "stderr.txt"), for_memory)


def run_baseline(case):
    return spawn(["find", case.root, "-printf", "%s %p\\n"], os.path.join(case.out_dir, "find.txt"),
                 os.path.join(case.out_dir, "find.err"))


def tail(path, lines=15):
    try:
        with open(path, errors="replace") as f:
            return "".join(f.readlines()[-lines:])
    except OSError:
        return ""


def tool_failure(case, status):
    return (f"{case.name}: the tool exited with status {status}\n"
            f"--- {os.path.join(case.out_dir, 'stderr.txt')} (tail)\n"
            f"{tail(os.path.join(case.out_dir, 'stderr.txt'))}")


# ------------------------------------------------------------------ settings

def settings(args):
    bench_dir = os.path.abspath(args.bench_dir or os.environ.get("BENCH_DIR") or "/tmp/qorv-bench")
    repo = os.path.dirname(HERE)
    if os.path.commonpath([bench_dir, repo]) == repo:
        sys.exit(f"BENCH_DIR {bench_dir} lies inside the repository; choose a scratch folder outside it")
    seed = int(args.seed if args.seed is not None else os.environ.get("BENCH_SEED", "1"))
    text = args.cases or os.environ.get("BENCH_CASES", "")
    selected = cases_mod.parse_case_list(text) if text else list(cases_mod.DEFAULT_CASES)
    files = args.files or os.environ.get("BENCH_FILES")
    if files:
        selected = list(dict.fromkeys((kind, int(files)) for kind, _ in selected))
    return bench_dir, seed, selected


def binary_path(args):
    binary = os.path.abspath(args.binary)
    if not os.access(binary, os.X_OK):
        sys.exit(f"no tool binary at {binary}; build it first (make bench builds it)")
    return binary


def prepared(bench_dir, seed, selected):
    out = []
    for kind, files in selected:
        case = cases_mod.Case(kind, files, seed, bench_dir)
        print(f"preparing {case.name}", flush=True)
        cases_mod.prepare(case, bench_dir)
        out.append(case)
    return out


# ------------------------------------------------------------------ run

TARGETS_TEXT = """\
Targets: plain 200,000 ratio <= 1.3 and <= 512 bytes/file; time per file at 200,000 <= 1.3 x at 10,000;
heavy 50,000 ratio <= 2; storm 50,000 ratio <= 3; pathlist and origins 160,000 (as many description
lines as files) <= 2 s."""


def check_targets(rows):
    by = {r["case"]: r for r in rows if r.get("tool_s")}
    checks = []

    def add(label, case, ok_fn, shown):
        if case in by:
            checks.append((label, shown(by[case]), ok_fn(by[case])))

    add("plain-200000 ratio <= 1.3", "plain-200000", lambda r: r["ratio"] <= 1.3, lambda r: f"{r['ratio']:.2f}")
    add("plain-200000 <= 512 bytes/file", "plain-200000", lambda r: r["bytes_per_file"] <= 512,
        lambda r: f"{r['bytes_per_file']:.0f}")
    if "plain-200000" in by and "plain-10000" in by:
        growth = by["plain-200000"]["us_per_file"] / by["plain-10000"]["us_per_file"]
        checks.append(("time/file 200,000 <= 1.3 x 10,000", f"{growth:.2f} x", growth <= 1.3))
    add("heavy-50000 ratio <= 2", "heavy-50000", lambda r: r["ratio"] <= 2, lambda r: f"{r['ratio']:.2f}")
    add("storm-50000 ratio <= 3", "storm-50000", lambda r: r["ratio"] <= 3, lambda r: f"{r['ratio']:.2f}")
    for case in ("pathlist-160000", "origins-160000"):
        add(f"{case} <= 2 s", case, lambda r: r["tool_s"] <= 2, lambda r: f"{r['tool_s']:.2f} s")
    return checks


def format_table(rows):
    head = ("| case | files | tool median (s) | find median (s) | tool/find | peak RSS (MiB) "
            "| bytes/file | µs/file |\n|---|---:|---:|---:|---:|---:|---:|---:|\n")
    body = ""
    for r in rows:
        if not r.get("tool_s"):
            body += f"| {r['case']} | {r['files']} | failed | | | | | |\n"
            continue
        body += (f"| {r['case']} | {r['files']:,} | {r['tool_s']:.3f} | {r['find_s']:.3f} | "
                 f"{r['ratio']:.2f} | {r['rss'] / 2**20:.1f} | {r['bytes_per_file']:.0f} | "
                 f"{r['us_per_file']:.2f} |\n")
    return head + body


def command_run(args):
    bench_dir, seed, selected = settings(args)
    binary = binary_path(args)
    repeat = int(args.repeat or os.environ.get("BENCH_REPEAT", "5"))
    if repeat < 1:
        sys.exit("repeat must be at least 1")
    todo = prepared(bench_dir, seed, selected)
    rows, failures = [], []
    for case in todo:
        print(f"running {case.name}: warm-up", flush=True)
        run_baseline(case)
        _, _, status = run_tool(binary, case)
        if status != 0:
            failures.append(tool_failure(case, status))
            rows.append({"case": case.name, "files": case.files})
            continue
        tool_times, find_times, peaks = [], [], []
        for i in range(repeat):  # alternate, so drift hits both alike
            wall, _, status = run_tool(binary, case)
            if status != 0:
                failures.append(tool_failure(case, status))
                break
            tool_times.append(wall)
            wall, _, status = run_baseline(case)
            find_times.append(wall)
            _, rss, status = run_tool(binary, case, for_memory=True)
            if status != 0:
                failures.append(tool_failure(case, status))
                break
            peaks.append(rss)
            print(f"  {i + 1}/{repeat}: tool {tool_times[-1]:.3f} s, find {wall:.3f} s, "
                  f"peak {rss / 2**20:.1f} MiB", flush=True)
        if len(tool_times) < repeat:
            rows.append({"case": case.name, "files": case.files})
            continue
        tool_s, find_s = statistics.median(tool_times), statistics.median(find_times)
        rss = max(peaks)
        rows.append({"case": case.name, "files": case.files, "tool_s": tool_s, "find_s": find_s,
                     "ratio": tool_s / find_s, "rss": rss, "bytes_per_file": rss / case.files,
                     "us_per_file": tool_s / case.files * 1e6, "tool_times": tool_times,
                     "find_times": find_times})

    table = format_table(rows)
    checks = check_targets(rows)
    report = with_targets(table, checks)
    print()
    print(f"{repeat} runs each, alternating; medians of wall time; peak RSS is the largest of "
          f"{repeat} further runs of the tool{'' if SUBREAPER else ' (includes the runner: no subreaper)'}.")
    print(report)
    for f in failures:
        print(f, file=sys.stderr)
    with open(os.path.join(bench_dir, "results.md"), "w") as f:
        f.write(report)
    with open(os.path.join(bench_dir, "results.json"), "w") as f:
        json.dump({"seed": seed, "repeat": repeat, "binary": binary, "rows": rows}, f, indent=1)
    print(f"(saved to {os.path.join(bench_dir, 'results.md')})")
    if failures:
        return 1
    if os.environ.get("BENCH_STRICT") == "1" and not all(ok for _, _, ok in checks):
        return 1
    return 0


# ------------------------------------------------------------------ snapshot / compare

def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def snapshot_dir(args, bench_dir):
    return os.path.abspath(args.snapshot or os.environ.get("BENCH_SNAPSHOT")
                           or os.path.join(bench_dir, "snapshot"))


def saved_files(case):
    files = dict(case.outputs())
    files.update({name: os.path.join(case.out_dir, name) for name in LOG_FILES})
    return files


def command_snapshot(args):
    bench_dir, seed, selected = settings(args)
    binary = binary_path(args)
    dest = snapshot_dir(args, bench_dir)
    manifest = {"binary": binary, "seed": seed, "bench_dir": bench_dir, "cases": []}
    if os.path.isdir(dest):
        shutil.rmtree(dest)
    os.makedirs(dest)
    failed = 0
    for case in prepared(bench_dir, seed, selected):
        for path in case.outputs().values():
            if os.path.exists(path):
                os.remove(path)
        _, _, status = run_tool(binary, case)
        if status != 0:
            print(tool_failure(case, status), file=sys.stderr)
            failed += 1
        folder = os.path.join(dest, case.name)
        os.makedirs(folder)
        present = []
        for name, path in saved_files(case).items():
            if os.path.exists(path):
                shutil.copyfile(path, os.path.join(folder, name))
                present.append(name)
        manifest["cases"].append({"kind": case.kind, "files": case.files, "name": case.name,
                                  "status": status, "saved": present,
                                  "description_sha256": sha256(case.description)})
        print(f"  {case.name}: status {status}, saved {', '.join(present)}")
    with open(os.path.join(dest, "manifest.json"), "w") as f:
        json.dump(manifest, f, indent=1)
    print(f"snapshot in {dest}")
    return 1 if failed else 0


def shown(line):
    return repr(line.rstrip(b"\r")[:200])


def first_text_difference(a, b):
    la, lb = a.split(b"\n"), b.split(b"\n")
    differing = sum(1 for x, y in zip(la, lb) if x != y) + abs(len(la) - len(lb))
    for i, (x, y) in enumerate(zip(la, lb)):
        if x != y:
            return (f"{differing} line(s) differ; first at line {i + 1}:\n"
                    f"      before: {shown(x)}\n      after:  {shown(y)}")
    return f"{len(la)} lines before, {len(lb)} after (one is a prefix of the other)"


def first_binary_difference(a, b):
    n = min(len(a), len(b))
    first = next((i for i in range(n) if a[i] != b[i]), None)
    differing = sum(1 for i in range(n) if a[i] != b[i]) + abs(len(a) - len(b))
    where = f"first at offset 0x{first:X}" if first is not None else "the common part is equal"
    return f"sizes {len(a)} / {len(b)} bytes, {differing} byte(s) differ, {where}"


def compare_file(saved, fresh, name):
    """None when both are equal (or both absent), else a description."""
    if not os.path.exists(saved) and not os.path.exists(fresh):
        return None
    if not os.path.exists(saved):
        return "not in the snapshot, written now"
    if not os.path.exists(fresh):
        return "in the snapshot, not written now"
    with open(saved, "rb") as f:
        a = f.read()
    with open(fresh, "rb") as f:
        b = f.read()
    if a == b:
        return None
    if name.endswith((".dlf", ".txt")):
        return first_text_difference(a, b)
    return first_binary_difference(a, b)


def command_compare(args):
    bench_dir, _, _ = settings(args)
    binary = binary_path(args)
    source = snapshot_dir(args, bench_dir)
    try:
        with open(os.path.join(source, "manifest.json")) as f:
            manifest = json.load(f)
    except OSError:
        sys.exit(f"no snapshot in {source}; run `make bench-snapshot` first")
    if manifest["bench_dir"] != bench_dir:
        sys.exit(f"the snapshot was taken with BENCH_DIR={manifest['bench_dir']}; the outputs name "
                 "host paths, so compare with the same BENCH_DIR")
    differences = 0
    for entry in manifest["cases"]:
        case = cases_mod.Case(entry["kind"], entry["files"], manifest["seed"], bench_dir)
        print(f"preparing {case.name}", flush=True)
        cases_mod.prepare(case, bench_dir)
        problems = []
        if sha256(case.description) != entry["description_sha256"]:
            problems.append(("description.ddf", "the generated description changed since the "
                             "snapshot (generator changed?); outputs are not comparable"))
        for path in case.outputs().values():
            if os.path.exists(path):
                os.remove(path)
        _, _, status = run_tool(binary, case)
        if status != entry["status"]:
            problems.append(("exit status", f"{entry['status']} before, {status} now"))
        for name, path in saved_files(case).items():
            problem = compare_file(os.path.join(source, case.name, name), path, name)
            if problem:
                problems.append((name, problem))
        if problems:
            differences += 1
            print(f"  {case.name}: DIFFERENT")
            for name, problem in problems:
                print(f"    {name}: {problem}")
        else:
            print(f"  {case.name}: identical (status {status}; "
                  f"{', '.join(n for n in saved_files(case) if os.path.exists(os.path.join(source, case.name, n)))})")
    print(f"{differences} of {len(manifest['cases'])} case(s) differ from the snapshot in {source}")
    return 1 if differences else 0


# ------------------------------------------------------------------ image

def image_setup(args, target):
    """Scratch folder, seed, QorvMakeDlf, QorvImage beside it, and the runs per case."""
    bench_dir, seed, _ = settings(args)
    binary = binary_path(args)
    image_tool = os.path.join(os.path.dirname(binary), "QorvImage")
    if not os.access(image_tool, os.X_OK):
        sys.exit(f"no QorvImage beside {binary}; build it first (make {target} builds it)")
    return bench_dir, seed, binary, image_tool, int(args.repeat or os.environ.get("BENCH_REPEAT", "3"))


def with_targets(table, checks):
    """The table, then one line per target with PASS or FAIL."""
    lines = "".join(f"- {label}: {shown} {'PASS' if ok else 'FAIL'}\n" for label, shown, ok in checks)
    return table + "\n" + lines


def save_report(bench_dir, name, heading, report, data):
    print()
    print(heading)
    print(report)
    with open(os.path.join(bench_dir, f"{name}-results.md"), "w") as f:
        f.write(report)
    with open(os.path.join(bench_dir, f"{name}-results.json"), "w") as f:
        json.dump(data, f, indent=1)


def command_image(args):
    import imagebench
    bench_dir, seed, binary, image_tool, repeat = image_setup(args, "bench-image")
    rows = imagebench.run_image_cases(image_tool, binary, bench_dir, seed, repeat, spawn)
    report = with_targets(imagebench.format_table(rows), imagebench.check_targets(rows))
    save_report(bench_dir, "image",
                f"{repeat} runs each, alternating; medians of wall time; peak RSS is the largest of {repeat} further runs.",
                report, {"seed": seed, "repeat": repeat, "rows": rows})
    return 0


def command_update(args):
    import imagebench
    bench_dir, seed, binary, image_tool, repeat = image_setup(args, "bench-update")
    rows = imagebench.run_update_cases(image_tool, binary, bench_dir, seed, repeat, spawn)
    report = with_targets(imagebench.format_update_table(rows), imagebench.check_update_targets(rows))
    save_report(bench_dir, "update",
                f"{repeat} rounds; medians of wall time; peak RSS from one further round.",
                report, {"seed": seed, "repeat": repeat, "rows": rows})
    return 0


def command_map(args):
    import imagebench
    bench_dir, seed, binary, image_tool, repeat = image_setup(args, "bench-map")
    files = int(args.files or os.environ.get("BENCH_FILES") or 200000)
    row = imagebench.run_map_case(image_tool, binary, bench_dir, seed, repeat, spawn, files)
    save_report(bench_dir, "map",
                f"{repeat} runs each; medians of wall time; peak RSS is the largest of {repeat} further runs.",
                imagebench.format_map_row(row), {"seed": seed, "repeat": repeat, "row": row})
    return 0


# ------------------------------------------------------------------ prepare / selftest

def command_prepare(args):
    bench_dir, seed, selected = settings(args)
    for case in prepared(bench_dir, seed, selected):
        print(f"  {case.name}: {case.description}")
    return 0


def command_selftest(_args):
    import unittest
    suite = unittest.defaultTestLoader.discover(HERE, pattern="test_*.py")
    return 0 if unittest.TextTestRunner(verbosity=1).run(suite).wasSuccessful() else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["run", "snapshot", "compare", "prepare", "selftest", "image", "update", "map"])
    parser.add_argument("--binary", default="build-release/QorvMakeDlf")
    parser.add_argument("--bench-dir")
    parser.add_argument("--seed", type=int)
    parser.add_argument("--repeat", type=int)
    parser.add_argument("--cases", help="KIND:FILES list, e.g. plain:10000,storm:50000")
    parser.add_argument("--files", type=int, help="one file count for every case")
    parser.add_argument("--snapshot", help="snapshot folder")
    args = parser.parse_args()
    command = {"run": command_run, "snapshot": command_snapshot, "compare": command_compare,
               "prepare": command_prepare, "selftest": command_selftest, "image": command_image,
               "update": command_update, "map": command_map}[args.command]
    return command(args)


if __name__ == "__main__":
    sys.exit(main())
