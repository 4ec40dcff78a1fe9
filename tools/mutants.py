#!/usr/bin/env python3
"""Mutation run: plant each small fault of tools/mutants.txt in turn, rebuild,
run the tests, put the file back, and count which faults the tests catch.

The list is a plain text file of blocks separated by blank lines:

    file: src/store/Baseline.cpp
    find: if (stored != loaded)
    replace: if (false)
    why: the conflict check never sees a change by another workstation
    tests: test_concurrent tst_pgsaves
    survives: (only for an edit that cannot change behaviour) why not

`find` must occur exactly once in `file` (\\n in it stands for a line break);
`tests` names the tests to try first, so a caught fault is found early; the
rest of the suite runs after them. Lines starting with # are comments.

Usage: tools/mutants.py [--list FILE] [--only N[,N...]] [--check]
"""
import argparse
import os
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "mutants"
# Checks of the source text itself: they would flag every edit, not a fault.
FORM_TESTS = "^(format|layering|function_length|function_length_sees_long_ones)$"
FIELDS = ("file", "find", "replace", "why", "tests", "survives")


def parse(path):
    edits, block = [], {}
    for lineno, line in enumerate(path.read_text(encoding="utf-8").splitlines() + [""], 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            if block:
                edits.append(block)
                block = {}
            continue
        key, sep, value = line.partition(":")
        if not sep or key.strip() not in FIELDS:
            sys.exit(f"{path}:{lineno}: expected one of {', '.join(FIELDS)}: {line}")
        block.setdefault("line", lineno)
        block[key.strip()] = value.strip().replace("\\n", "\n")
    for e in edits:
        for need in ("file", "find", "replace", "why"):
            if need not in e:
                sys.exit(f"{path}:{e['line']}: the edit lacks '{need}'")
    return edits


def stale(edit):
    """Why an edit no longer applies to the code, or None."""
    path = ROOT / edit["file"]
    if not path.exists():
        return f"{edit['file']} does not exist"
    count = path.read_text(encoding="utf-8").count(edit["find"])
    return None if count == 1 else f"the text occurs {count} times in {edit['file']}"


def run(cmd, timeout=None):
    return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, timeout=timeout)


def configure():
    if not (BUILD / "build.ninja").exists() and not (BUILD / "Makefile").exists():
        gen = ["-G", "Ninja"] if run(["sh", "-c", "command -v ninja"]).returncode == 0 else []
        # No optimisation and no debug information: each edit recompiles fast.
        r = run(["cmake", "-S", ".", "-B", str(BUILD), *gen, "-DCMAKE_BUILD_TYPE=",
                 "-DBUILD_SHARED_LIBS=ON"])
        if r.returncode:
            sys.exit(r.stdout)


def build():
    return run(["cmake", "--build", str(BUILD), "-j", str(os.cpu_count() or 2)])


def ctest(*args):
    env_args = ["ctest", "--test-dir", str(BUILD), "--timeout", "180", "-j2", "-E", FORM_TESTS]
    return run(env_args + list(args)).returncode == 0


def judge(edit):
    """'caught', 'survived' or 'no build' for the edit now in place."""
    if build().returncode:
        return "no build"
    hinted = edit.get("tests", "").split()
    if hinted and not ctest("-R", "^(" + "|".join(map(re.escape, hinted)) + ")$"):
        return "caught"
    return "survived" if ctest("--stop-on-failure") else "caught"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--list", default=str(ROOT / "tools" / "mutants.txt"))
    ap.add_argument("--only", help="comma-separated edit numbers (1-based)")
    ap.add_argument("--check", action="store_true", help="only check that every edit applies")
    args = ap.parse_args()
    edits = parse(Path(args.list))
    bad = [(i, why) for i, e in enumerate(edits, 1) if (why := stale(e))]
    for i, why in bad:
        print(f"edit {i} ({edits[i - 1]['file']}): {why}")
    if bad or args.check:
        print(f"{len(edits)} edits, {len(bad)} do not apply")
        return 1 if bad else 0
    chosen = [int(n) for n in args.only.split(",")] if args.only else range(1, len(edits) + 1)
    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    configure()
    start = time.time()
    if build().returncode or not ctest():
        sys.exit("the unchanged code does not build or its tests fail; fix that first")
    print(f"baseline built and green in {time.time() - start:.0f} s", flush=True)
    results = {}
    for i in chosen:
        e = edits[i - 1]
        path = ROOT / e["file"]
        original = path.read_text(encoding="utf-8")
        t0 = time.time()
        try:
            path.write_text(original.replace(e["find"], e["replace"], 1), encoding="utf-8")
            verdict = judge(e)
        finally:
            path.write_text(original, encoding="utf-8")
        results[i] = verdict
        note = f"  ({e['survives']})" if verdict == "survived" and "survives" in e else ""
        print(f"{i:3} {verdict:8} {time.time() - t0:5.0f} s  {e['file']}: {e['why']}{note}",
              flush=True)
    build()
    counted = [v for v in results.values() if v != "no build"]
    caught = counted.count("caught")
    survivors = [i for i, v in results.items() if v == "survived"]
    print(f"\n{len(results)} edits, {caught} caught, {len(survivors)} survived, "
          f"{len(results) - len(counted)} did not build; "
          f"score {100.0 * caught / max(1, len(counted)):.0f}%; {time.time() - start:.0f} s in all")
    for i in survivors:
        print(f"  survived {i}: {edits[i - 1]['why']}; {edits[i - 1].get('survives', 'no reason given')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
