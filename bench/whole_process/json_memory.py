#!/usr/bin/env python3
"""Peak resident memory of the JSON export against drawing the same pages to PNG files.

The folder is the one page_vs_plotters.py builds (12 series of 31 days of 5-minute values
and their daily values in a SQLite file), with PAGES pages that each show the 12 series.
Then, in interleaved rounds (the order swapped every round), each of

  export   `tidemark --folder F --export-json OUT`
  render   `tidemark --folder F --render-pages OUT2`

runs as a child process of its own, and its peak resident set (the kernel's ru_maxrss of
that child alone) is taken. Prints each one's median with min and max, the ratio of the
medians and the per-round ratios' min and max.

  json_memory.py [--pages N] [--rounds N] [--tidemark PATH] [--pretty] [--keep DIR]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from page_vs_plotters import NOW, SOURCE, Env, make_folder  # noqa: E402

TARGET = 1.2


def peak_kib(command):
    """Runs the command to its end; its peak resident set in KiB."""
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=Env())
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit("json_memory: %s exited with %d" % (" ".join(command), child.returncode))
    return usage.ru_maxrss


def describe(values):
    return "median %8.1f MiB   min %8.1f   max %8.1f" % (
        statistics.median(values) / 1024, min(values) / 1024, max(values) / 1024)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--pages", type=int, default=100)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--tidemark", default=os.path.join(SOURCE, "build", "src", "app", "tidemark"))
    parser.add_argument("--pretty", action="store_true", help="export indented JSON (--pretty)")
    parser.add_argument("--keep", help="keep the folder and the outputs here")
    args = parser.parse_args()

    base = args.keep or tempfile.mkdtemp(prefix="tidemark-bench-json-memory-")
    folder, out = os.path.join(base, "Tidemark"), os.path.join(base, "out")
    for d in (folder, out):
        os.makedirs(d, exist_ok=True)
    make_folder(folder, args.pages)
    export = [args.tidemark, "--folder", folder, "--export-json", os.path.join(out, "pages.json"), "--now", NOW]
    if args.pretty:
        export.append("--pretty")
    commands = {
        "export": export,
        "render": [args.tidemark, "--folder", folder, "--render-pages", out, "--now", NOW],
    }
    for command in commands.values():  # warm the file cache and check each runs
        peak_kib(command)
    peaks = {name: [] for name in commands}
    ratios = []
    for round_ in range(args.rounds):
        names = list(commands) if round_ % 2 == 0 else list(reversed(commands))
        this_round = {name: peak_kib(commands[name]) for name in names}
        for name, kib in this_round.items():
            peaks[name].append(kib)
        ratios.append(this_round["export"] / this_round["render"])

    print("%d page(s) of 12 graphs, %d interleaved rounds, peak resident memory of the child:"
          % (args.pages, args.rounds))
    for name in commands:
        print("%-7s %s" % (name, describe(peaks[name])))
    ratio = statistics.median(peaks["export"]) / statistics.median(peaks["render"])
    print("export / render: %.2fx (ratio of medians; per-round ratios min %.2fx, max %.2fx; target at most %.1fx: %s)"
          % (ratio, min(ratios), max(ratios), TARGET, "met" if ratio <= TARGET else "NOT met"))
    if not args.keep:
        shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    main()
