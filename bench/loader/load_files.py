#!/usr/bin/env python3
"""tidemark-load filling an empty SQLite database, whole process against whole process.

Two files of realistic 5-minute river stage (a daily cycle, flood waves of a few days,
millimetres of noise):

  year   one series, one year in CSV long form (105,120 rows)
  ten    ten series, one year each, in CSV wide form (1,051,200 rows)

In interleaved rounds, each into a fresh copy of an empty database made from
db/schema.sql:

  tidemark-load  `tidemark-load --folder F --tz UTC FILE`: start, read and check the file,
                 find or add the catalogue rows, compare with what is stored, write the
                 unit values, compute and write the hourly, daily, daily maximum and
                 minimum tables, stamp the update time, commit
  sqlite3        `sqlite3 DB ".import --csv FILE runit"` of the same rows already in the
                 table's own column form: the simplest way to put a CSV into the table,
                 with no checks, no time conversion and no hourly or daily tables

Prints each one's median wall-clock time with min and max, tidemark-load's rows a second
(median, min, max) and the ratio of the medians. Exits non-zero when the median rate
of the ten-series file is under 500,000 rows a second.

  load_files.py [--rounds N] [--load PATH] [--keep DIR]
"""
import argparse
import math
import os
import random
import shutil
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
STEP_MINUTES = 5
ROWS = 365 * 24 * 60 // STEP_MINUTES
TARGET = 500_000


def stage_series(seed):
    rnd = random.Random(seed)
    floods = [(rnd.uniform(0, ROWS), rnd.uniform(0.5, 3.0), rnd.uniform(300, 1500)) for _ in range(12)]
    values = []
    for k in range(ROWS):
        v = 2.0 + 0.05 * math.sin(2 * math.pi * k / 288)
        for at, height, width in floods:
            if abs(k - at) < 4 * width:
                v += height * math.exp(-((k - at) / width) ** 2)
        values.append(round(v + rnd.gauss(0, 0.002), 3))
    return values


def time_text(k):
    t = time.gmtime(1704067200 + k * STEP_MINUTES * 60)  # from 2024-01-01 00:00
    return time.strftime("%Y-%m-%d %H:%M:%S", t)


def write_files(folder):
    times = [time_text(k) for k in range(ROWS)]
    series = [stage_series(s) for s in range(10)]
    with open(os.path.join(folder, "year.csv"), "w") as f:
        f.write("site,date_time,value,parameter,unit\n")
        for k in range(ROWS):
            f.write("Mill Falls,%s,%s,Stage,ft\n" % (times[k], series[0][k]))
    with open(os.path.join(folder, "ten.csv"), "w") as f:
        f.write("date_time," + ",".join("Gauge %d|Stage|ft" % (s + 1) for s in range(10)) + "\n")
        for k in range(ROWS):
            f.write(times[k] + "," + ",".join(str(series[s][k]) for s in range(10)) + "\n")
    # The same rows in runit's own column form, for the import.
    with open(os.path.join(folder, "year_import.csv"), "w") as f:
        for k in range(ROWS):
            f.write("1,%s,%s\n" % (times[k], series[0][k]))
    with open(os.path.join(folder, "ten_import.csv"), "w") as f:
        for s in range(10):
            for k in range(ROWS):
                f.write("%d,%s,%s\n" % (s + 1, times[k], series[s][k]))


def make_empty(path):
    db = sqlite3.connect(path)
    with open(os.path.join(SOURCE, "db", "schema.sql")) as schema:
        db.executescript(schema.read())
    db.commit()
    db.close()


def setup_text():
    lines = ["Days = 7 ; End Day +0", "Plot Unit Values = False", "Include Daily Max/Min = False",
             "Big Current Value = False", "Auto Paging = False, 5", "Font Names & Pen Widths = Arial, Arial, 1, 1",
             "Database Connection String= Provider=SQLite;Data Source=tidemark.db", "", "Start Up= 0,0,800,600,0",
             "Metric Units=False", "", "END"]
    return "\r\n".join(lines) + "\r\n"


def run(argv):
    start = time.perf_counter()
    r = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    elapsed = time.perf_counter() - start
    if r.returncode != 0:
        sys.exit("load_files: %s failed (%d):\n%s" % (argv[0], r.returncode, r.stdout))
    return elapsed


def summary(name, times, rows):
    med, lo, hi = statistics.median(times), min(times), max(times)
    print("  %-14s median %.3f s (min %.3f, max %.3f)   %9.0f rows/s (min %.0f, max %.0f)"
          % (name, med, lo, hi, rows / med, rows / hi, rows / lo))
    return med


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--rounds", type=int, default=7)
    ap.add_argument("--load", default=os.path.join(SOURCE, "build", "tools", "load", "tidemark-load"))
    ap.add_argument("--keep")
    args = ap.parse_args()
    if not shutil.which("sqlite3"):
        sys.exit("load_files: the sqlite3 program is missing (Debian package sqlite3)")
    work = args.keep or tempfile.mkdtemp(prefix="tm_bench_loader_")
    os.makedirs(work, exist_ok=True)
    folder = os.path.join(work, "Tidemark")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "Tidemark_setup.txt"), "w", newline="") as f:
        f.write(setup_text())
    print("load_files: writing the files (%d rows a series) ..." % ROWS)
    write_files(work)
    empty = os.path.join(work, "empty.db")
    make_empty(empty)
    db = os.path.join(folder, "tidemark.db")
    failed = False
    for name, series in (("year", 1), ("ten", 10)):
        rows = ROWS * series
        loads, imports = [], []
        for _ in range(args.rounds):
            shutil.copyfile(empty, db)
            loads.append(run([args.load, "--folder", folder, "--tz", "UTC", os.path.join(work, name + ".csv")]))
            shutil.copyfile(empty, db)
            imports.append(run(["sqlite3", db, ".import --csv %s runit" % os.path.join(work, name + "_import.csv")]))
        print("%s.csv: %d series, %d rows, %d rounds" % (name, series, rows, args.rounds))
        a = summary("tidemark-load", loads, rows)
        b = summary("sqlite3 import", imports, rows)
        print("  ratio of medians tidemark-load / sqlite3 import: %.2f" % (a / b))
        if name == "ten" and rows / a < TARGET:
            print("load_files: under %d rows a second" % TARGET, file=sys.stderr)
            failed = True
    if not args.keep:
        shutil.rmtree(work)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
