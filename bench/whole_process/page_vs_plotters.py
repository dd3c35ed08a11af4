#!/usr/bin/env python3
"""Pages of 12 graphs drawn to 1920 x 1080 PNG files, whole process against whole process.

A program folder is made with one SQLite file holding 12 series of 31 days of 5-minute
values (8,928 rows each, 107,136 in all) and their daily values, and a setup of PAGES
pages that each show the 12 series. The series are smooth, as a river's stage is: a
daily cycle, a flood wave of a few days and millimetres of noise (--series smooth, the
default); --series jitter draws independent random jitter at every point instead, which
costs a plotter that strokes every point far more than it costs the program. Then, in interleaved rounds (one of each per round,
so a busy machine weighs on all alike):

  tidemark     `tidemark --folder F --render-pages OUT`: start, read the setup, fetch every
               series from the database, draw every page and write its PNG file
  gnuplot      one gnuplot process (pngcairo) drawing the same pages from the points the
               program drew (taken from its JSON export), 4 x 3 lines per page
  matplotlib   one Python process (Agg) drawing the same pages from the same points

The other two read the points from text files prepared beforehand and query no database:
the comparison favours them. Prints each one's median wall-clock time with min and max,
(user + system) / wall, peak resident memory, and the ratios of the medians against the
targets (one page: 4x gnuplot, 10x matplotlib; many pages: 10x gnuplot with
(user + system) / wall of 1.5 or more).

  page_vs_plotters.py [--pages N] [--rounds N] [--series smooth|jitter] [--tidemark PATH]
                      [--keep DIR] [--no-matplotlib]
  page_vs_plotters.py --memory 1,10,100 [--series ...]   peak resident memory of the
                      program alone on folders of that many pages
"""
import argparse
import json
import math
import os
import random
import resource
import shutil
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
GRAPHS = 12
DAYS = 31
ROWS_PER_DAY = 288
NOW = "2020-03-31 23:00"


def value_of(k, g, kind):
    """Row k (5-minute steps from the window's start) of graph g."""
    if kind == "jitter":
        return 10 + g + 3 * ((k * 7919 % 997) / 997.0) + (k % 288) / 96.0
    days = k / 288.0
    # A stage: a base flow, a daily cycle of a few centimetres, a flood wave that rises in
    # a day and falls over three, at a time of its own per gauge, and millimetres of noise.
    base = 4 + 0.3 * g
    daily = 0.08 * math.sin(2 * math.pi * days)
    crest = 8 + 1.7 * g
    wave = 0.0
    if days >= crest - 1:
        rise = (days - (crest - 1)) if days < crest else 1.0
        fall = math.exp(-(days - crest) / 1.2) if days >= crest else 1.0
        wave = (2.5 + 0.4 * g) * (0.5 - 0.5 * math.cos(math.pi * min(rise, 1.0))) * fall
    noise = 0.003 * random.Random(k * 131 + g).uniform(-1, 1)
    return base + daily + wave + noise


def make_folder(folder, pages, kind="smooth"):
    db = sqlite3.connect(os.path.join(folder, "tidemark.db"))
    with open(os.path.join(SOURCE, "db", "schema.sql")) as schema:
        db.executescript(schema.read())
    db.execute("insert into rupdate values (0, 'bench', '2020-03-31 22:55:00')")
    for g in range(1, GRAPHS + 1):
        dsid = 100 + g
        db.execute("insert into rsite values (?, ?, 1, 'Stage', 'ft', ?)", (dsid, "Station %d" % g, g))
        rows = []
        for k in range(DAYS * ROWS_PER_DAY):
            minutes = k * 5
            day, rest = divmod(minutes, 1440)
            stamp = "2020-03-%02d %02d:%02d:00" % (day + 1, rest // 60, rest % 60)
            rows.append((dsid, stamp, round(value_of(k, g, kind), 3)))
        db.executemany("insert into runit values (?, ?, ?)", rows)
        db.executemany("insert into rday values (?, ?, ?)",
                       [(dsid, "2020-03-%02d 00:00:00" % (d + 1), 12 + g + d * 0.1) for d in range(DAYS)])
    db.commit()
    db.close()
    header = ("Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; "
              "logyscale; backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; "
              "rank-1/cumulative2; freq type -1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3")
    lines = ["Days = %d ; End Day +0" % DAYS, "Plot Unit Values = True", "Include Daily Max/Min = False",
             "Big Current Value = False", "Auto Paging = False, 5", "Font Names & Pen Widths = Arial, Arial",
             "Database Connection String= Provider=SQLite;Data Source=tidemark.db", "",
             "Start Up= 0,0,1920,1080,0", "Metric Units=False", "", header]
    for p in range(1, pages + 1):
        lines.append(" %d ;Page %d; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON" % (p, p))
        for g in range(1, GRAPHS + 1):
            lines.append(" %d ; %d ;Stage;Station %d; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 "
                         % (g, 100 + g, g))
    lines.append("END")
    with open(os.path.join(folder, "Tidemark_setup.txt"), "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


def export_points(tidemark, folder, data):
    """The points the program draws, per page and graph, as gnuplot/numpy text files."""
    out = os.path.join(data, "pages.json")
    subprocess.run([tidemark, "--folder", folder, "--export-json", out, "--now", NOW], check=True,
                   stdout=subprocess.DEVNULL, env=Env())
    with open(out) as f:
        root = json.load(f)
    files = []
    for page in root["pages"]:
        graphs = []
        for graph in page["graphs"]:
            path = os.path.join(data, "p%d_g%d.dat" % (page["page"], graph["slot"]))
            count = 0
            with open(path, "w") as f:
                for series in graph["series"]:
                    for x, y in zip(series["x"], series["y"]):
                        if x is not None and y is not None:
                            f.write("%.6f %.4f\n" % (x, y))
                            count += 1
                    f.write("\n\n")
            graphs.append((path, graph["title"].splitlines()[0] if graph["title"] else ""))
        files.append(graphs)
    return files


def gnuplot_script(files, data, out):
    path = os.path.join(data, "pages.gp")
    with open(path, "w") as f:
        f.write("set terminal pngcairo size 1920,1080 font 'Liberation Sans,9'\nunset key\n")
        for p, graphs in enumerate(files, 1):
            f.write("set output '%s'\nset multiplot layout 3,4\n" % os.path.join(out, "gnuplot%d.png" % p))
            for dat, title in graphs:
                f.write("set title \"%s\"\nplot '%s' index 0 with lines lw 1 lc rgb '#0000ff', '' index 1 with "
                        "linespoints pt 7 ps 0.5 lc rgb '#ff0000'\n" % (title.replace('"', "'"), dat))
            f.write("unset multiplot\n")
    return path


def matplotlib_script(files, data, out):
    path = os.path.join(data, "pages.py")
    with open(path, "w") as f:
        f.write("import matplotlib\nmatplotlib.use('Agg')\nimport matplotlib.pyplot as plt\nimport numpy as np\n")
        f.write("pages = %r\nout = %r\n" % (files, out))
        f.write(
            "def series(path):\n"
            "    blocks = open(path).read().split('\\n\\n\\n')\n"
            "    return [np.loadtxt(b.splitlines()) if b.strip() else np.empty((0, 2)) for b in blocks]\n"
            "for p, graphs in enumerate(pages, 1):\n"
            "    fig, axes = plt.subplots(3, 4, figsize=(19.2, 10.8), dpi=100)\n"
            "    for ax, (dat, title) in zip(axes.flat, graphs):\n"
            "        s = series(dat)\n"
            "        if len(s) > 0 and len(s[0]): ax.plot(s[0][:, 0], s[0][:, 1], color='blue', linewidth=1)\n"
            "        if len(s) > 1 and len(s[1]): ax.plot(s[1][:, 0], s[1][:, 1], 'o-', color='red', markersize=2)\n"
            "        ax.set_title(title, fontsize=9)\n"
            "    fig.savefig('%s/matplotlib%d.png' % (out, p))\n"
            "    plt.close(fig)\n")
    return path


def Env():
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    return env


# The commands are started by a small process of their own. A child's peak resident memory
# starts from what its parent had when it forked (the kernel keeps the larger of the two
# across exec), and this script holds every point of the exported pages: started from
# here, each child would report this script's size as its own.
SPAWNER = r"""
import json, os, subprocess, sys, time
for line in sys.stdin:
    command, env = json.loads(line)
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    print(json.dumps([status, wall * 1000, (usage.ru_utime + usage.ru_stime) * 1000, usage.ru_maxrss]), flush=True)
"""
_spawner = None


def start_spawner():
    """Starts the process that runs the timed commands, while this one is still small."""
    global _spawner
    _spawner = subprocess.Popen([sys.executable, "-c", SPAWNER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                text=True)


def timed(command):
    """Wall and processor milliseconds and peak resident KiB of one run of the command."""
    _spawner.stdin.write(json.dumps([command, Env()]) + "\n")
    _spawner.stdin.flush()
    reply = _spawner.stdout.readline()
    if not reply:
        sys.exit("page_vs_plotters: the process that starts the commands ended")
    status, wall, cpu, peak = json.loads(reply)
    if status != 0:
        sys.exit("page_vs_plotters: %s failed (status %d)" % (command[0], status))
    return wall, cpu, peak


def memory(args):
    """Peak resident memory of the program alone, rendering folders of that many pages."""
    base = tempfile.mkdtemp(prefix="tidemark-bench-memory-")
    try:
        for pages in (int(n) for n in args.memory.split(",")):
            folder, out = os.path.join(base, "p%d" % pages), os.path.join(base, "out%d" % pages)
            os.makedirs(folder)
            os.makedirs(out)
            make_folder(folder, pages, args.series)
            command = [args.tidemark, "--folder", folder, "--render-pages", out, "--now", NOW]
            runs = [timed(command) for _ in range(max(3, args.rounds // 3))]
            peaks = sorted(r[2] / 1024.0 for r in runs)
            walls = sorted(r[0] for r in runs)
            print("%3d page(s): peak resident %6.1f MB (min %.1f, max %.1f), %7.1f ms%s"
                  % (pages, statistics.median(peaks), peaks[0], peaks[-1], statistics.median(walls),
                     ("; target at most 50 MB: %s" % ("met" if statistics.median(peaks) <= 50 else "NOT met"))
                     if pages == 1 else ""))
    finally:
        shutil.rmtree(base, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--pages", type=int, default=1)
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--tidemark", default=os.path.join(SOURCE, "build", "src", "app", "tidemark"))
    parser.add_argument("--keep", help="keep the folder, the scripts and the images here")
    parser.add_argument("--series", choices=("smooth", "jitter"), default="smooth")
    parser.add_argument("--no-matplotlib", action="store_true", help="leave matplotlib out (it is slow on many pages)")
    parser.add_argument("--memory", help="only the program's peak memory, on folders of these page counts")
    args = parser.parse_args()
    start_spawner()
    if args.memory:
        memory(args)
        return
    for tool in ("gnuplot",):
        if not shutil.which(tool):
            sys.exit("page_vs_plotters: %s is not installed (scripts/install-deps.sh)" % tool)

    base = args.keep or tempfile.mkdtemp(prefix="tidemark-bench-page-")
    folder, data, out = (os.path.join(base, d) for d in ("Tidemark", "data", "out"))
    for d in (folder, data, out):
        os.makedirs(d, exist_ok=True)
    make_folder(folder, args.pages, args.series)
    files = export_points(args.tidemark, folder, data)
    commands = {
        "tidemark": [args.tidemark, "--folder", folder, "--render-pages", out, "--now", NOW],
        "gnuplot": ["gnuplot", gnuplot_script(files, data, out)],
    }
    if not args.no_matplotlib:
        # Debian's matplotlib belongs to the system's Python.
        commands["matplotlib"] = ["/usr/bin/python3", matplotlib_script(files, data, out)]
    for command in commands.values():  # warm the file cache and check each runs
        timed(command)
    walls = {name: [] for name in commands}
    cpus = {name: [] for name in commands}
    peaks = {name: [] for name in commands}
    for _ in range(args.rounds):
        for name, command in commands.items():
            wall, cpu, peak = timed(command)
            walls[name].append(wall)
            cpus[name].append(cpu)
            peaks[name].append(peak / 1024.0)

    rows = GRAPHS * (DAYS * ROWS_PER_DAY + DAYS)
    print("%d page(s) of 12 graphs, %d rows, %s series, %d interleaved rounds"
          % (args.pages, rows, args.series, args.rounds))
    for name in commands:
        w = walls[name]
        print("%-11s median %9.1f ms   min %9.1f   max %9.1f   (user+sys)/wall %.2f   peak resident %.1f MB"
              % (name, statistics.median(w), min(w), max(w), statistics.median(cpus[name]) / statistics.median(w),
                 statistics.median(peaks[name])))
    ours = statistics.median(walls["tidemark"])
    targets = {"gnuplot": 4 if args.pages == 1 else 10, "matplotlib": 10}
    for other in commands:
        if other == "tidemark":
            continue
        ratio = statistics.median(walls[other]) / ours
        print("tidemark is %.2fx faster than %s (min/min %.2fx, max/max %.2fx); target at least %dx: %s"
              % (ratio, other, min(walls[other]) / min(walls["tidemark"]), max(walls[other]) / max(walls["tidemark"]),
                 targets[other], "met" if ratio >= targets[other] else "NOT met"))
    if args.pages > 1:
        cores = statistics.median(cpus["tidemark"]) / ours
        print("tidemark used %.2f cores; target at least 1.5: %s" % (cores, "met" if cores >= 1.5 else "NOT met"))
    if not args.keep:
        shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    main()
