"""Times whole processes side by side: each case's command from its start to
its end, the cases in turns (a, b, a, b, ...), so that a change in the
machine's load falls on all of them.

    processes.py GROUP COUNT REPEATS [--setup CMD] CASE CMD [CASE CMD ...]

CMD is split like a shell line (no shell runs it); its output is thrown
away. --setup runs before each run of each case, untimed (for instance to
put back the data file that an import wrote). Prints per case, in the
benchmark's format:
    GROUP|CASE|COUNT|<median processor ms>|<median wall ms>|<processor ms of each run>
    memory|CASE: peak resident|COUNT|<MB>|<MB>|<MB>
Processor time is the process's user and system time, from the kernel.
"""
import os
import shlex
import statistics
import subprocess
import sys
import time


def run(argv):
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(argv, stdout=null)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
    wall = (time.perf_counter() - start) * 1e3
    if child.returncode != 0:
        sys.exit(f"processes.py: {' '.join(argv)} failed ({child.returncode})")
    return (usage.ru_utime + usage.ru_stime) * 1e3, wall, usage.ru_maxrss / 1024.0


def main():
    group, count, repeats = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rest = sys.argv[4:]
    setup = None
    if rest[:1] == ["--setup"]:
        setup, rest = shlex.split(rest[1]), rest[2:]
    cases = [(rest[i], shlex.split(rest[i + 1])) for i in range(0, len(rest), 2)]
    cpu = {name: [] for name, _ in cases}
    wall = {name: [] for name, _ in cases}
    peak = {name: 0.0 for name, _ in cases}
    for _ in range(repeats):
        for name, argv in cases:
            if setup:
                subprocess.run(setup, check=True, stdout=subprocess.DEVNULL)
            c, w, p = run(argv)
            cpu[name].append(c)
            wall[name].append(w)
            peak[name] = max(peak[name], p)
    for name, _ in cases:
        runs = " ".join(f"{x:.1f}" for x in cpu[name])
        print(f"{group}|{name}|{count}|{statistics.median(cpu[name]):.2f}|{statistics.median(wall[name]):.2f}|{runs}")
        p = peak[name]
        print(f"memory|{name}: peak resident|{count}|{p:.1f}|{p:.1f}|{p:.1f}", flush=True)


main()
