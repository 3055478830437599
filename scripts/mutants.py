#!/usr/bin/env python3
"""Seeds single faults into the sources and reports which ones the test suite catches.

Each mutant changes one line (a flipped comparison or logical operator, a swapped boolean, an
integer off by one, a negated condition or a dropped statement), rebuilds the build tree and runs
CTest. A mutant is "caught" when a test fails, "timeout" when tests only ran out of time,
"survived" when every test passed and "nocompile" when the build failed. The source file is
always restored. The same seed picks the same mutants, so two versions of the suite can be
compared on the same faults.

  scripts/mutants.py --count 40 --seed 7 --out /tmp/mutants.jsonl
  scripts/mutants.py --paths src/codec --tests '^codec_' --count 10
  scripts/mutants.py --list --count 40 --seed 7
"""
import argparse
import json
import os
import random
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

SWAPS = [(" == ", " != "), (" != ", " == "), (" <= ", " > "), (" >= ", " < "),
         (" < ", " >= "), (" > ", " <= "), (" < ", " <= "), (" > ", " >= "), (" <= ", " < "),
         (" >= ", " > "), (" && ", " || "), (" || ", " && "),
         ("true", "false"), ("false", "true")]
SKIP = re.compile(r"^\s*(#|//|\*|/\*)")
INT = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
IF = re.compile(r"^(\s*(?:\} else )?if \()(.*)(\) \{?\s*)$")
STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:.\->\[\]()]*(\(|\s*[-+*/|&]?=\s).*;\s*$")


def candidates(paths):
    """Every possible mutant as (file, line number, description, new line)."""
    found = []
    for base in paths:
        for path in sorted(Path(ROOT, base).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            lines = path.read_text().split("\n")
            for n, line in enumerate(lines):
                if SKIP.match(line) or not line.strip() or '"' in line and "#include" in line:
                    continue
                rel = str(path.relative_to(ROOT))
                # Literals are masked so that no mutant lands inside a string or a character.
                code = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'',
                              lambda m: "\x01" * len(m.group(0)), line.split("//")[0])
                for old, new in SWAPS:
                    start = 0
                    while (i := code.find(old, start)) >= 0:
                        if old in ("true", "false") and not re.match(
                                r"\W", (code[i + len(old):] + " ")[0]):
                            break
                        found.append((rel, n, f"{old.strip()} -> {new.strip()}",
                                      line[:i] + new + line[i + len(old):]))
                        start = i + len(old)
                for m in INT.finditer(code):
                    v = int(m.group(1))
                    for w in (v + 1,):
                        found.append((rel, n, f"{v} -> {w}",
                                      line[:m.start()] + str(w) + line[m.end():]))
                if (m := IF.match(line)) and m.group(2).count("(") == m.group(2).count(")"):
                    found.append((rel, n, "negated condition",
                                  f"{m.group(1)}!({m.group(2)}){m.group(3)}"))
                prev = lines[n - 1].rstrip() if n else ""
                if STATEMENT.match(code) and prev.endswith((";", "{", "}")) and \
                        not code.lstrip().startswith("return"):
                    found.append((rel, n, "dropped statement", ""))
    return found


def run(cmd, timeout):
    try:
        p = subprocess.run(cmd, cwd=ROOT, capture_output=True, text=True, timeout=timeout)
        return p.returncode, p.stdout + p.stderr
    except subprocess.TimeoutExpired:
        return -1, "timeout"


def test(mutant, args):
    path = ROOT / mutant[0]
    original = path.read_text()
    lines = original.split("\n")
    lines[mutant[1]] = mutant[3]
    try:
        path.write_text("\n".join(lines))
        code, _ = run(["cmake", "--build", args.build, f"-j{args.jobs}"], 1200)
        if code != 0:
            return "nocompile", []
        env_cmd = ["env", "QT_QPA_PLATFORM=offscreen", "ctest", "--test-dir", args.build,
                   f"-j{args.jobs}", "--timeout", str(args.timeout)]
        if args.tests:
            env_cmd += ["-R", args.tests]
        _, out = run(env_cmd, 3600)
        failed = re.findall(r"^\s*\d+ - (\S+) \((.+)\)$", out, re.M)
        if any("Timeout" not in why for _, why in failed):
            return "caught", failed
        return ("timeout" if failed else "survived"), failed
    finally:
        path.write_text(original)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=40)
    ap.add_argument("--paths", nargs="+", default=["src"])
    ap.add_argument("--build", default="build")
    ap.add_argument("--tests", help="CTest -R regex (default: every test)")
    ap.add_argument("--timeout", type=int, default=60, help="per test, seconds")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--out", help="JSON lines; mutants already in it are skipped")
    ap.add_argument("--ids", type=int, nargs="+", help="only these of the chosen mutants")
    ap.add_argument("--list", action="store_true", help="only print the chosen mutants")
    args = ap.parse_args()

    chosen = random.Random(args.seed).sample(candidates(args.paths), args.count)
    done = set()
    if args.out and os.path.exists(args.out):
        done = {json.loads(l)["id"] for l in open(args.out) if l.strip()}
    tally = {}
    for i, m in enumerate(chosen):
        label = f"{m[0]}:{m[1] + 1} {m[2]}"
        if args.list:
            print(f"{i:3} {label}\n      {m[3].strip() or '(line removed)'}")
            continue
        if i in done or args.ids and i not in args.ids:
            continue
        t0 = time.time()
        status, failed = test(m, args)
        tally[status] = tally.get(status, 0) + 1
        print(f"{i:3} {status:9} {time.time() - t0:5.0f}s {label} "
              f"{' '.join(n for n, _ in failed[:4])}", flush=True)
        if args.out:
            with open(args.out, "a") as f:
                f.write(json.dumps({"id": i, "mutant": label, "line": m[3], "status": status,
                                    "failed": failed}) + "\n")
    if not args.list:
        print(json.dumps(tally))
        subprocess.run(["cmake", "--build", args.build, f"-j{args.jobs}"], cwd=ROOT,
                       capture_output=True)


if __name__ == "__main__":
    sys.exit(main())
