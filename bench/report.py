"""Prints the benchmark's results: every measured case, then each goal with
its figure, its reference, the ratio and PASS or MISS.

    report.py RESULTS

RESULTS holds lines "<group>|<case>|<count>|<median processor ms>|<median
wall ms>|<runs>" from core_bench, csv_reference.py and startup_bench.
"""
import sys

LOAD_SAVE_LIMIT = 2.0       # at most this many times the raw reading or writing
PYTHON_SPEEDUP = 5.0        # at least this many times faster than Python's csv module
LINEAR_LIMIT = 1.5          # cost per line at the largest size over the smallest
STARTUP_LIMIT_MS = 1000.0   # start-up with 100,000 contacts
STARTUP_COUNT = 100000
ACTION_LIMIT_MS = 50.0      # choosing, saving, renaming, deleting a contact
ACTION_GROWTH = 2.0         # ... at most this many times their time with the smallest book
MERGE_LIMIT_MS = 1000.0     # Add All then Clear All on the Mail Merge page
ACTIONS = ["choosing a name until it is shown", "saving a new contact until the window answers",
           "renaming a contact until the window answers", "deleting a contact until the window answers"]

IMPORT_CASES = [
    ("import mode 0, list holds every name", "mode 0 (a known name replaces its contact)"),
    ("import mode 1, list holds every name", "mode 1 (a known name gets a number)"),
    ("import mode 2, replaces the list", "mode 2 (replaces the whole list)"),
]


def load(path):
    rows = {}
    order = []
    with open(path) as f:
        for line in f:
            parts = line.rstrip("\n").split("|")
            if len(parts) != 6:
                continue
            group, case, count, cpu, wall, runs = parts
            key = (case, int(count))
            if key not in rows:
                order.append(key)
            rows[key] = {"group": group, "cpu": float(cpu), "wall": float(wall), "runs": runs}
    return rows, order


def ms(x):
    return f"{x:,.1f} ms" if x < 10000 else f"{x / 1000:,.2f} s"


def main():
    rows, order = load(sys.argv[1])
    print("Measured (median of the runs; processor time of the measuring process, wall-clock time beside it;")
    print("start-up figures are wall-clock time under Wine)")
    print(f"  {'case':<44} {'count':>9} {'processor':>12} {'wall':>12}   runs")
    for case, count in order:
        r = rows[(case, count)]
        cpu = "" if r["group"] == "startup" else ms(r["cpu"])
        unit = "ms, wall" if r["group"] == "startup" else "ms, processor"
        print(f"  {case:<44} {count:>9,} {cpu:>12} {ms(r['wall']):>12}   {r['runs']} ({unit})")

    goals = []  # (goal, figure, reference, ratio text, verdict)

    def get(case, count):
        return rows.get((case, count))

    counts = sorted({c for (_, c) in rows})
    for count in counts:
        for what, raw in (("load", "raw read"), ("save", "raw write")):
            a, b = get(what, count), get(raw, count)
            if a and b:
                ratio = a["cpu"] / b["cpu"]
                goals.append((f"{what} {count:,} contacts within {LOAD_SAVE_LIMIT:g}x of {raw}",
                              ms(a["cpu"]), f"{raw} {ms(b['cpu'])}", f"{ratio:.1f}x",
                              ratio <= LOAD_SAVE_LIMIT))
    # Against Python at the largest size measured (1,000,000 lines in the full run).
    export_counts = sorted({c for (case, c) in rows if case.startswith("export ")})
    for count in export_counts[-1:]:
        for kind in ("comma", "tab"):
            a, b = get(f"export {kind}", count), get(f"python csv write {kind}", count)
            if a and b:
                ratio = b["cpu"] / a["cpu"]
                goals.append((f"export {kind} {count:,} contacts {PYTHON_SPEEDUP:g}x faster than Python",
                              ms(a["cpu"]), f"csv.writer {ms(b['cpu'])}", f"{ratio:.1f}x faster",
                              ratio >= PYTHON_SPEEDUP))
    import_counts = sorted({c for (case, c) in rows if case.startswith("import mode")})
    for count in import_counts[-1:]:
        ref = get("python csv read comma", count)
        for case, label in IMPORT_CASES:
            a = get(case, count)
            if a and ref:
                ratio = ref["cpu"] / a["cpu"]
                goals.append((f"import {label.split(' (')[0]} {count:,} lines {PYTHON_SPEEDUP:g}x faster than Python",
                              ms(a["cpu"]), f"csv.reader {ms(ref['cpu'])}", f"{ratio:.1f}x faster",
                              ratio >= PYTHON_SPEEDUP))
    if len(import_counts) >= 2:
        small, large = import_counts[0], import_counts[-1]
        for case in [c for (c, n) in order if c.startswith("import mode") and n == small]:
            a, b = get(case, small), get(case, large)
            if a and b:
                per = (b["cpu"] / large) / (a["cpu"] / small)
                goals.append((f"{case}: linear, {small:,} to {large:,} lines",
                              f"x{b['cpu'] / a['cpu']:.1f} time", f"x{large / small:g} lines",
                              f"{per:.2f}x per line", per <= LINEAR_LIMIT))
    startup_counts = sorted({c for (case, c) in rows if case == "start until the names are shown"})
    a = get("start until the names are shown", STARTUP_COUNT)
    if a:
        goals.append((f"start-up with {STARTUP_COUNT:,} contacts under Wine within {STARTUP_LIMIT_MS / 1000:g} s",
                      ms(a["wall"]), f"limit {ms(STARTUP_LIMIT_MS)}", f"{a['wall'] / STARTUP_LIMIT_MS:.1f}x the limit",
                      a["wall"] <= STARTUP_LIMIT_MS))
    if len(startup_counts) >= 2:
        small, large = startup_counts[0], startup_counts[-1]
        for case in ACTIONS:
            a, b = get(case, small), get(case, large)
            if a and b:
                growth = b["wall"] / a["wall"]
                goals.append((f"{case.split(' until')[0]} among {large:,} within {ACTION_LIMIT_MS:g} ms "
                              f"and {ACTION_GROWTH:g}x of {small:,}",
                              ms(b["wall"]), f"{small:,}: {ms(a['wall'])}", f"{growth:.1f}x",
                              b["wall"] <= ACTION_LIMIT_MS and growth <= ACTION_GROWTH))
        m = get("Add All then Clear All on the Mail Merge page", large)
        if m:
            goals.append((f"Add All then Clear All with {large:,} names within {MERGE_LIMIT_MS / 1000:g} s",
                          ms(m["wall"]), f"limit {ms(MERGE_LIMIT_MS)}", f"{m['wall'] / MERGE_LIMIT_MS:.1f}x the limit",
                          m["wall"] <= MERGE_LIMIT_MS))

    print()
    print("Goals (ratios of figures measured in this run)")
    width = max([len(g[0]) for g in goals] + [4])
    print(f"  {'goal':<{width}}  {'figure':>12}  {'reference':>24}  {'ratio':>20}  verdict")
    for goal, figure, reference, ratio, ok in goals:
        print(f"  {goal:<{width}}  {figure:>12}  {reference:>24}  {ratio:>20}  {'PASS' if ok else 'MISS'}")
    passed = sum(1 for g in goals if g[4])
    print(f"\n  {passed} of {len(goals)} goals met")


main()
