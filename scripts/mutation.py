#!/usr/bin/env python3
"""Mutation run over link/ and chip/: seeds one plausible fault at a
time, rebuilds, runs the unit and integration tests, and tells which faults
the tests catch.

Usage: scripts/mutation.sh [--list FILE] [--build-dir DIR] [--keep-going]
                           [FILTER ...]

Each mutant of the list (scripts/mutants.txt unless --list says otherwise)
is found by the exact text it changes. FILTER words pick mutants whose id or
file contains one of them (e.g. "A0" or "PowerSequencer"). The file of each
mutant is restored after its run, also when the run is interrupted.
"""

import argparse
import re
import os
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Test programs that exercise link/ and chip/ directly: run first, so
# most mutants are killed in seconds; the whole unit and integration suite
# runs only for a mutant that survives them.
QUICK_TESTS = [
    "tests/unit/link/link_test",
    "tests/unit/chip/chip_test",
    "tests/unit/chip/chip_integration_test",
]


@dataclass
class Mutant:
    ident: str
    file: str
    what: str
    find: str
    replace: str
    equivalent: str = ""
    line: int = 0
    result: str = ""
    detail: str = ""
    seconds: float = 0.0
    killer: str = field(default="")


def unescape(text):
    """\\n is a line break, \\\\ a backslash of the source."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "\\": "\\"}.get(m.group(1), m.group(0)), text)


def read_mutants(path):
    mutants = []
    current = {}
    line_no = 0

    def flush():
        if not current:
            return
        missing = [k for k in ("id", "file", "what", "find", "replace") if k not in current]
        if missing:
            sys.exit(f"{path}:{current.get('_line', '?')}: mutant without {', '.join(missing)}")
        mutants.append(
            Mutant(
                ident=current["id"],
                file=current["file"],
                what=current["what"],
                find=unescape(current["find"]),
                replace=unescape(current["replace"]),
                equivalent=current.get("equivalent", ""),
                line=current["_line"],
            )
        )
        current.clear()

    with open(path, encoding="utf-8") as handle:
        for raw in handle:
            line_no += 1
            line = raw.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                flush()
                continue
            key, sep, value = line.partition(":")
            if not sep or key.strip() not in ("id", "file", "what", "find", "replace", "equivalent"):
                sys.exit(f"{path}:{line_no}: expected 'key: value', got {line!r}")
            if not current:
                current["_line"] = line_no
            # One blank after the colon belongs to the syntax; the rest of the
            # value is taken as it stands (leading blanks of a snippet count).
            current[key.strip()] = value[1:] if value.startswith(" ") else value
    flush()
    ids = [m.ident for m in mutants]
    duplicates = {i for i in ids if ids.count(i) > 1}
    if duplicates:
        sys.exit(f"{path}: duplicate ids {sorted(duplicates)}")
    return mutants


class Restorer:
    """Keeps the original text of the file under mutation and puts it back
    on every way out: normal end, exception, Ctrl-C, SIGTERM."""

    def __init__(self):
        self.path = None
        self.text = None

    def hold(self, path, text):
        self.path, self.text = path, text

    def restore(self):
        if self.path is not None:
            self.path.write_text(self.text, encoding="utf-8")
            self.path, self.text = None, None


# The command running now, so that an interruption can end it with its
# children (each runs in a process group of its own).
RUNNING = []


def stop_running():
    for process in RUNNING:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def run(cmd, cwd, timeout, log):
    """Runs cmd with its output appended to log; returns (exit status or
    'timeout', the output). A command still running at the timeout is
    ended with its children."""
    process = subprocess.Popen(
        cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True,
        text=True, errors="replace",
    )
    RUNNING.append(process)
    try:
        output, _ = process.communicate(timeout=timeout)
        status = process.returncode
    except subprocess.TimeoutExpired:
        stop_running()
        output, _ = process.communicate()
        status = "timeout"
    finally:
        RUNNING.remove(process)
    log.write(output)
    log.flush()
    return status, output


def failed_cases(output):
    """The test cases a gtest program or ctest reports as failed, the first
    two by name."""
    names = re.findall(r"^\[  FAILED  \] (\S+\.\S+)(?: \(|,|$)", output, re.M)
    names += re.findall(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.+\*{0,3}(?:Failed|Timeout)", output, re.M)
    names = sorted(set(names))
    more = f" and {len(names) - 2} more" if len(names) > 2 else ""
    return ", ".join(names[:2]) + more


def configure(build_dir, log):
    if (build_dir / "build.ninja").exists():
        return
    print(f"configuring {build_dir} (Release, no GUI, no benchmarks)", flush=True)
    status, _ = run(
        [
            "cmake", "-S", str(ROOT), "-B", str(build_dir), "-G", "Ninja",
            "-DCMAKE_BUILD_TYPE=Release", "-DFEROLITH_GUI=OFF", "-DFEROLITH_BENCH=OFF",
        ],
        ROOT, None, log,
    )
    if status != 0:
        sys.exit(f"configuring {build_dir} failed; see {log.name}")


def build(build_dir, jobs, log):
    status, _ = run(["cmake", "--build", str(build_dir), f"-j{jobs}"], ROOT, 1800, log)
    return status == 0


def run_tests(build_dir, jobs, test_timeout, log):
    """True when every test passes; otherwise what failed."""
    for program in QUICK_TESTS:
        binary = build_dir / program
        status, output = run([str(binary), "--gtest_brief=1"], build_dir, 4 * test_timeout, log)
        if status != 0:
            if status == "timeout":
                return Path(program).name + " (timeout)"
            return failed_cases(output) or Path(program).name + f" (exit {status})"
    status, output = run(
        [
            "ctest", "--test-dir", str(build_dir), "-L", "unit|integration", f"-j{jobs}",
            "--stop-on-failure", "--timeout", str(test_timeout), "--output-on-failure",
        ],
        ROOT, None, log,
    )
    if status != 0:
        return failed_cases(output) or "ctest -L 'unit|integration'"
    return True


def print_table(mutants):
    width = max(len(m.file) for m in mutants)
    print()
    print(f"{'id':<5} {'file':<{width}} {'result':<10} description")
    for m in mutants:
        print(f"{m.ident:<5} {m.file:<{width}} {m.result:<10} {m.what}")
        note = m.detail or (f"by {m.killer}" if m.killer else "")
        if note:
            print(f"{'':<5} {'':<{width}} {'':<10}   ({note})")


def print_scores(mutants):
    per_file = {}
    for m in mutants:
        per_file.setdefault(m.file, []).append(m)
    print()
    print(f"{'file':<28} {'killed':>6} {'survived':>8} {'equiv.':>6} {'n.a.':>4} {'score':>7}")
    total_killed = total_counted = 0
    for name in sorted(per_file):
        group = per_file[name]
        killed = sum(m.result == "killed" for m in group)
        survived = sum(m.result == "SURVIVED" for m in group)
        equivalent = sum(m.result == "equivalent" for m in group)
        na = sum(m.result.startswith("n.a.") for m in group)
        counted = killed + survived
        total_killed += killed
        total_counted += counted
        score = f"{100.0 * killed / counted:6.1f}%" if counted else "    -"
        print(f"{name:<28} {killed:>6} {survived:>8} {equivalent:>6} {na:>4} {score:>7}")
    score = f"{100.0 * total_killed / total_counted:.1f}%" if total_counted else "-"
    print(f"{'total':<28} {total_killed:>6} {total_counted - total_killed:>8} {'':>6} {'':>4} {score:>7}")
    return total_killed, total_counted


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("filters", nargs="*", help="mutant ids or file names (substrings) to run")
    parser.add_argument("--list", default=str(ROOT / "scripts" / "mutants.txt"))
    parser.add_argument("--build-dir", default=str(ROOT / "build" / "mutation"))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test case")
    parser.add_argument("--check", action="store_true", help="only check that every snippet is found once")
    args = parser.parse_args()

    mutants = read_mutants(args.list)
    if args.filters:
        mutants = [m for m in mutants if any(f in m.ident or f in m.file for f in args.filters)]
    if not mutants:
        sys.exit("no mutant matches")

    if args.check:
        bad = 0
        for m in mutants:
            path = ROOT / m.file
            count = path.read_text(encoding="utf-8").count(m.find) if path.exists() else 0
            if count != 1:
                bad += 1
                print(f"{m.ident} {m.file}: snippet found {count} times")
        print(f"{len(mutants)} mutants, {bad} not applicable")
        return 1 if bad else 0

    build_dir = Path(args.build_dir).resolve()
    build_dir.mkdir(parents=True, exist_ok=True)
    log_path = build_dir / "mutation.log"
    restorer = Restorer()

    def on_signal(signum, _frame):
        stop_running()
        restorer.restore()
        print(f"\ninterrupted (signal {signum}); the mutated file is restored", flush=True)
        sys.exit(130)

    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGTERM, on_signal)

    started = time.monotonic()
    with open(log_path, "w", encoding="utf-8") as log:
        configure(build_dir, log)
        print("building the unmutated code and running its tests once", flush=True)
        if not build(build_dir, args.jobs, log):
            sys.exit(f"the unmutated code does not build; see {log_path}")
        baseline = run_tests(build_dir, args.jobs, args.timeout, log)
        if baseline is not True:
            sys.exit(f"the tests fail without a mutant ({baseline}); see {log_path}")
        print(f"baseline done in {time.monotonic() - started:.0f} s", flush=True)

        try:
            for number, m in enumerate(mutants, 1):
                mutant_started = time.monotonic()
                path = ROOT / m.file
                prefix = f"[{number}/{len(mutants)}] {m.ident} {m.file}:"
                if m.equivalent:
                    m.result, m.detail = "equivalent", m.equivalent
                    print(f"{prefix} equivalent", flush=True)
                    continue
                if not path.exists():
                    m.result, m.detail = "n.a.", "file not found"
                    print(f"{prefix} n.a. (file not found)", flush=True)
                    continue
                original = path.read_text(encoding="utf-8")
                count = original.count(m.find)
                if count != 1:
                    m.result = "n.a."
                    m.detail = "snippet not found" if count == 0 else f"snippet found {count} times (ambiguous)"
                    print(f"{prefix} n.a. ({m.detail})", flush=True)
                    continue
                log.write(f"\n===== {m.ident} {m.file}: {m.what}\n")
                log.flush()
                restorer.hold(path, original)
                path.write_text(original.replace(m.find, m.replace), encoding="utf-8")
                try:
                    if not build(build_dir, args.jobs, log):
                        m.result, m.detail = "n.a.", "does not compile"
                    else:
                        outcome = run_tests(build_dir, args.jobs, args.timeout, log)
                        if outcome is True:
                            m.result = "SURVIVED"
                        else:
                            m.result, m.killer = "killed", outcome
                finally:
                    restorer.restore()
                m.seconds = time.monotonic() - mutant_started
                shown = m.result + (f" by {m.killer}" if m.killer else "") + (f" ({m.detail})" if m.detail else "")
                print(f"{prefix} {shown} [{m.seconds:.0f} s]", flush=True)
        finally:
            restorer.restore()
        # Leave the build folder matching the sources again.
        build(build_dir, args.jobs, log)

    print_table(mutants)
    killed, counted = print_scores(mutants)
    print(f"\n{len(mutants)} mutants in {time.monotonic() - started:.0f} s; log: {log_path}")
    return 0 if killed == counted else 1


if __name__ == "__main__":
    sys.exit(main())
