#!/usr/bin/env python3
"""Plants each fault of scripts/mutants.txt, one at a time, in a scratch copy
of the working tree, rebuilds, runs the tests and says whether they caught it.

Usage: scripts/mutants.py [--keep] [--list FILE] [--tree DIR] [--matrix FILE] [--tests REGEX] [PATTERN]
  PATTERN   only the faults whose line contains it
  --tests   run only the tests whose name matches REGEX (a quicker first look;
            the whole suite is the judge)
  --list    another list of faults (default scripts/mutants.txt)
  --tree    plant them in a copy of another checkout (default this one)
  --matrix  write which test functions (and data rows) failed for each fault to FILE

Each fault is a line `file: `find` -> `replace`   what it breaks`. The find text
must occur exactly once in the file; \\n in find or replace stands for a line
break. Lines starting with # are comments.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LINE = re.compile(r"^(\S+): `(.*?)` -> `(.*?)`\s*(.*)$")
# The end-to-end tests take half a minute and plant nothing of their own here.
CTEST = ["ctest", "--test-dir", "build", "-j2", "--timeout", "120", "-E", "end_to_end"]


def faults(listing, pattern):
    with open(listing, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            match = LINE.match(line)
            if not match:
                sys.exit(f"{listing}:{number}: not a fault: {line}")
            if pattern and pattern not in line:
                continue
            path, find, replace, what = match.groups()
            yield number, path, find.replace("\\n", "\n"), replace.replace("\\n", "\n"), what


def run(command, cwd, log):
    with open(log, "a", encoding="utf-8") as out:
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT).returncode


def option(name, default, path=True):
    if name in sys.argv:
        at = sys.argv.index(name)
        value = sys.argv[at + 1]
        del sys.argv[at:at + 2]
        return os.path.abspath(value) if path else value
    return default


def main():
    listing = option("--list", os.path.join(ROOT, "scripts", "mutants.txt"))
    tree = option("--tree", ROOT)
    matrix = option("--matrix", None)
    tests = option("--tests", None, path=False)
    keep = "--keep" in sys.argv
    ctest = CTEST + (["-R", tests] if tests else [])
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    pattern = args[0] if args else ""
    scratch = tempfile.mkdtemp(prefix="brisco-mutants-")
    log = os.path.join(scratch, "mutants.log")
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=tree,
                           check=True, capture_output=True, text=True).stdout.split("\n")
    for name in filter(None, files):
        if os.path.isfile(os.path.join(tree, name)):
            os.makedirs(os.path.dirname(os.path.join(scratch, name)), exist_ok=True)
            shutil.copy2(os.path.join(tree, name), os.path.join(scratch, name))
    print(f"mutants: scratch copy in {scratch}, log {log}", flush=True)

    if run(["cmake", "--preset", "default"], scratch, log) or \
            run(["cmake", "--build", "--preset", "default"], scratch, log):
        sys.exit("mutants: the unchanged copy does not build")
    if run(ctest, scratch, log):
        sys.exit("mutants: the tests fail on the unchanged copy")

    caught, total, problems = 0, 0, []
    # Read the whole list first: it may be edited while the faults are planted.
    planted = list(faults(listing, pattern))
    for number, path, find, replace, what in planted:
        total += 1
        target = os.path.join(scratch, path)
        with open(target, encoding="utf-8") as f:
            original = f.read()
        if original.count(find) != 1:
            problems.append(f"line {number}: `{find}` found {original.count(find)} times in {path}")
            print(f"  ?  {path}: {what} (not planted)", flush=True)
            continue
        with open(target, "w", encoding="utf-8") as f:
            f.write(original.replace(find, replace))
        started = time.time()
        with open(log, "a", encoding="utf-8") as out:
            out.write(f"\n===== fault {number}: {path}: {what}\n")
        if run(["cmake", "--build", "--preset", "default"], scratch, log):
            problems.append(f"line {number}: the fault does not build")
            verdict = "?"
        elif run(ctest + ["--output-on-failure"], scratch, log):
            caught += 1
            verdict = "caught"
            if matrix:
                with open(log, encoding="utf-8", errors="replace") as out:
                    section = out.read().rsplit("===== fault", 1)[-1]
                failed = sorted(set(re.findall(r"FAIL!  : (\w+::\w+\(.*?\))", section)) |
                                set(re.findall(r"\d+ - (\w+) \((?:Timeout|SEGFAULT|Subprocess)",
                                               section)))
                with open(matrix, "a", encoding="utf-8") as out:
                    out.write(f"{number} {path}: {what} => {' '.join(failed)}\n")
        else:
            verdict = "MISSED"
        with open(target, "w", encoding="utf-8") as f:
            f.write(original)
        print(f"  {verdict:6} {path}: {what} ({time.time() - started:.0f} s)", flush=True)

    print(f"caught {caught} of {total}")
    for problem in problems:
        print(f"mutants: {problem}")
    if not keep:
        shutil.rmtree(scratch, ignore_errors=True)
    sys.exit(0 if caught == total else 1)


if __name__ == "__main__":
    main()
