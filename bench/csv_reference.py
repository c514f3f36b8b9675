"""What a user would script instead: Python's csv module reading and writing
the same delimited file as Quillcard's import and export.

    csv_reference.py read|dicts|write FILE comma|tab REPEATS COUNT

read:  the whole file into a list of rows (open, csv.reader, list).
dicts: the same with csv.reader, each line after the header made a
       dictionary keyed by the header's names, as a script that imports
       contacts would hold them.
write: the file's rows, read beforehand, written back with csv.writer to
       FILE + ".py" and flushed to the disk, as the export does.
Run with REPEATS 1 as a whole process, it is the reference for qcard's
whole process (its start, the reading and, for write, the writing).
Prints one line per case in the benchmark's format:
    reference|<case>|<count>|<median processor ms>|<median wall ms>|<processor ms of each run>
The times cover the reading or writing alone, not Python's start.
"""
import csv
import os
import statistics
import sys
import time


def dialect(kind):
    return {"delimiter": "," if kind == "comma" else "\t", "lineterminator": "\r\n"}


def read(path, kind):
    with open(path, newline="", encoding="latin-1") as f:
        return list(csv.reader(f, **dialect(kind)))


def dicts(path, kind):
    with open(path, newline="", encoding="latin-1") as f:
        lines = csv.reader(f, **dialect(kind))
        header = next(lines)
        return [header] + [dict(zip(header, row)) for row in lines]


def write(path, kind, rows):
    with open(path, "w", newline="", encoding="latin-1") as f:
        csv.writer(f, **dialect(kind)).writerows(rows)
        f.flush()
        os.fsync(f.fileno())


def main():
    action, path, kind, repeats, count = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])
    rows = read(path, kind) if action == "write" else None
    if rows is not None and len(rows) != count + 1:
        sys.exit(f"csv_reference: {path} holds {len(rows)} rows, expected {count + 1}")
    cpu, wall = [], []
    for _ in range(repeats):
        c, w = time.process_time(), time.perf_counter()
        if action == "read":
            got = read(path, kind)
        elif action == "dicts":
            got = dicts(path, kind)
        else:
            write(path + ".py", kind, rows)
        cpu.append((time.process_time() - c) * 1e3)
        wall.append((time.perf_counter() - w) * 1e3)
        if action != "write" and len(got) != count + 1:
            sys.exit(f"csv_reference: read {len(got)} rows, expected {count + 1}")
        got = None
    if action == "write":
        os.remove(path + ".py")
    name = f"python csv {'read dicts' if action == 'dicts' else action} {kind}"
    runs = " ".join(f"{x:.1f}" for x in cpu)
    print(f"reference|{name}|{count}|{statistics.median(cpu):.2f}|{statistics.median(wall):.2f}|{runs}", flush=True)


main()
