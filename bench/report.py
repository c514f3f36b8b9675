"""Prints the benchmark's results: every measured case, then each goal with
its figure, its reference, the ratio and PASS or MISS.

    report.py RESULTS

RESULTS holds lines "<group>|<case>|<count>|<median processor ms>|<median
wall ms>|<runs>" from core_bench, csv_reference.py and startup_bench.
"""
import sys

LOAD_LIMIT = 3.0            # load: at most this many times the minimal read and walk of the file
SAVE_LIMIT = 2.0            # save: at most this many times the raw writing of the same bytes
MEMORY_LIMIT = 2.0          # resident memory after loading: at most this many times the file
IMPORT_LIMIT = 0.5          # import: at most this many times Python's csv.reader making a dictionary per line
EXPORT_LIMIT = 0.3          # export: at most this many times Python's csv.writer
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


def mb(x):
    return f"{x:,.1f} MB"


def ms(x):
    return f"{x:,.1f} ms" if x < 10000 else f"{x / 1000:,.2f} s"


def main():
    rows, order = load(sys.argv[1])
    print("Measured (median of the runs; processor time of the measuring process, wall-clock time beside it;")
    print("start-up figures are wall-clock time under Wine)")
    print(f"  {'case':<44} {'count':>9} {'processor':>12} {'wall':>12}   runs")
    for case, count in order:
        r = rows[(case, count)]
        if r["group"] == "memory":
            print(f"  {case:<44} {count:>9,} {mb(r['cpu']):>12} {'':>12}   (resident memory)")
            continue
        cpu = "" if r["group"] == "startup" else ms(r["cpu"])
        unit = "ms, wall" if r["group"] == "startup" else "ms, processor"
        print(f"  {case:<44} {count:>9,} {cpu:>12} {ms(r['wall']):>12}   {r['runs']} ({unit})")

    goals = []  # (goal, figure, reference, ratio text, verdict)

    def get(case, count):
        return rows.get((case, count))

    counts = sorted({c for (_, c) in rows})

    def at_most(goal, figure, reference, ref_name, limit, unit=ms):
        """A goal that a figure be at most `limit` times its reference."""
        if figure and reference:
            ratio = figure["cpu"] / reference["cpu"]
            goals.append((f"{goal} (at most {limit:g}x)", unit(figure["cpu"]),
                          f"{ref_name} {unit(reference['cpu'])}", f"{ratio:.2f}x", ratio <= limit))

    for count in counts:
        at_most(f"resident memory after loading {count:,} contacts", get("resident after loading", count),
                get("data file size", count), "file", MEMORY_LIMIT, mb)
        at_most(f"load {count:,} contacts", get("load", count), get("read and walk", count),
                "read and walk", LOAD_LIMIT)
        at_most(f"load {count:,} contacts, whole process", get("load, whole process", count),
                get("read and walk, whole process", count), "read and walk", LOAD_LIMIT)
        at_most(f"save {count:,} contacts", get("save", count), get("raw write", count), "raw write", SAVE_LIMIT)
    # Against Python at the largest size measured (1,000,000 lines in the full run).
    export_counts = sorted({c for (case, c) in rows if case.startswith("export ") or case.startswith("qcard export")})
    for count in export_counts[-1:]:
        for kind in ("comma", "tab"):
            at_most(f"export {kind} {count:,} contacts", get(f"export {kind}", count),
                    get(f"python csv write {kind}", count), "csv.writer", EXPORT_LIMIT)
            at_most(f"export {kind} {count:,} contacts, whole process", get(f"qcard export {kind}, whole process", count),
                    get(f"python csv write {kind}, whole process", count), "csv.writer", EXPORT_LIMIT)
    import_counts = sorted({c for (case, c) in rows if case.startswith("import mode") or case.startswith("qcard import")})
    for count in import_counts[-1:]:
        for case, label in IMPORT_CASES:
            mode = label.split(" (")[0]
            at_most(f"import {mode} {count:,} lines", get(case, count),
                    get("python csv read dicts comma", count), "csv.reader, dicts", IMPORT_LIMIT)
            at_most(f"qcard import {mode} {count:,} lines, whole process", get(f"qcard import {mode}, whole process", count),
                    get("python csv read dicts comma, whole process", count), "csv.reader, dicts", IMPORT_LIMIT)
    import_counts = sorted({c for (case, c) in rows if case.startswith("import mode")})
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
