#!/usr/bin/env python3
"""Whole-program benchmark: 20 games against the computer in test mode, the human typing "auto"
every turn, output to /dev/null. Compares the program with the floor of its own output: a
minimal program that makes the same number of write(2) calls with the same sizes.

Usage: bench/whole_program.py BUILD-DIR   (make bench runs it on build-bench/)
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

GAMES = 20
RUNS = 21
STARTS = 20
PROMPT = " モードを選んで下さい -> ".encode("cp932")


def session_input():
    lines = ["3"]
    for _ in range(GAMES):
        lines.append("2")
        # More "auto" than any game needs; the menu silently refuses the spare ones.
        lines.extend(["auto"] * 34)
    lines += ["4", "-1"]
    return ("\n".join(lines) + "\n").encode()


def timed(measure, argv, stdin_path):
    """Runs argv under the measure tool with stdout on /dev/null; returns its figures."""
    with open(stdin_path, "rb") as stdin, open(os.devnull, "wb") as null:
        done = subprocess.run([measure] + argv, stdin=stdin, stdout=null, stderr=subprocess.PIPE,
                              check=False)
    figures = dict(item.split("=") for item in done.stderr.decode().split())
    figures = {key: int(value) for key, value in figures.items()}
    if figures["status"] != 0:
        sys.exit(f"{argv[0]} failed with status {figures['status']}")
    return figures


def write_sizes(program, stdin_path, sizes_path):
    """Records the size of every write on standard output with strace."""
    trace = sizes_path + ".trace"
    with open(stdin_path, "rb") as stdin, open(os.devnull, "wb") as null:
        subprocess.run(["strace", "-f", "-qq", "-s", "0", "-e", "trace=write", "-e", "signal=none",
                        "-o", trace, program], stdin=stdin, stdout=null, check=True)
    sizes = []
    pattern = re.compile(r"write\(1, .*\)\s+= (\d+)$")
    with open(trace) as lines:
        for line in lines:
            match = pattern.search(line.strip())
            if match:
                sizes.append(int(match.group(1)))
    with open(sizes_path, "wb") as out:
        out.write(b"".join(n.to_bytes(4, sys.byteorder) for n in sizes))
    return sizes


def time_to_prompt(program):
    """Seconds from starting the program until its first menu prompt has been written."""
    start = time.perf_counter()
    process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    seen = b""
    while PROMPT not in seen:
        chunk = os.read(process.stdout.fileno(), 4096)
        if not chunk:
            sys.exit("the program ended before its menu prompt")
        seen += chunk
    elapsed = time.perf_counter() - start
    process.stdin.close()
    process.wait()
    return elapsed


def median(values):
    return statistics.median(values)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-bench"
    program = os.path.join(build, "orvanta")
    floor = os.path.join(build, "write_floor")
    measure = os.path.join(build, "measure")
    if shutil.which("strace") is None:
        sys.exit("strace is missing: apt-get install strace")
    with tempfile.TemporaryDirectory() as work:
        stdin_path = os.path.join(work, "session.in")
        with open(stdin_path, "wb") as out:
            out.write(session_input())
        sizes_path = os.path.join(work, "sizes")
        sizes = write_sizes(program, stdin_path, sizes_path)

        # Interleaved, so that both see the same machine; the fastest run of each is the one
        # least disturbed by everything else the machine does.
        runs, floors = [], []
        for _ in range(RUNS):
            runs.append(timed(measure, [program], stdin_path))
            floors.append(timed(measure, [floor, sizes_path], os.devnull))
        starts = [time_to_prompt(program) for _ in range(STARTS)]

    def per_write(run):
        return run["wall_ns"] / run["writes"]

    def mid(group, key, scale=1.0):
        return median(run[key] for run in group) * scale

    print(f"session: {GAMES} games against the computer in test mode, \"auto\" every turn, "
          f"output to /dev/null; {RUNS} runs each, medians (ns/write: fastest run)")
    print(f"traced run: {len(sizes)} write calls, {sum(sizes)} bytes")
    print(f"{'':10} {'wall ms':>9} {'user ms':>9} {'sys ms':>9} {'writes':>9} {'bytes':>9} "
          f"{'ns/write':>9}")
    for name, group in (("program", runs), ("floor", floors)):
        print(f"{name:10} {mid(group, 'wall_ns', 1e-6):9.1f} {mid(group, 'user_us', 1e-3):9.1f} "
              f"{mid(group, 'sys_us', 1e-3):9.1f} {mid(group, 'writes'):9.0f} "
              f"{mid(group, 'bytes'):9.0f} {min(per_write(r) for r in group):9.0f}")
    ratio = min(per_write(r) for r in runs) / min(per_write(r) for r in floors)
    print(f"ratio program/floor (wall time per write call): {ratio:.2f}  (goal: at most 1.5)")
    peak = max(run["maxrss_kib"] for run in runs)
    print(f"peak resident memory: {peak} KiB = {peak / 1024:.2f} MiB  (goal: at most 4 MiB)")
    print(f"start to menu prompt: {median(starts) * 1e3:.2f} ms (median of {STARTS})")


if __name__ == "__main__":
    main()
