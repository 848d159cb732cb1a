#!/usr/bin/python3
"""A 200-diagram temperature series of corundum refined sequentially by kalidos-batch --series: the
refined cells against the imposed a(T), c(T), and a run killed half way then finished.

Run by hand (not by CI), from the source folder after a build:

    /usr/bin/python3 bench/series_corundum.py --build build [--count 200] [--work DIR] [--picture]

1. tools/gen_corundum_series.py writes the diagrams (powder CIF, one per temperature from 300 to
   1300 K, Poisson counts, 20-100 deg 2theta, CuKa1) and the imposed cells.
2. kalidos-batch --series sequential refines them (scale, background; zero, cell) from the
   structure file at 293 K, with the generator's profile; the run is timed.
3. The same run again into another file, killed (SIGKILL) once half its records are written, then
   started again: it must refine the other half only, and give the same records and table.
4. Each refined a and c is compared with the imposed value: how many lie within 2 and 3 su.
With --picture, the Series window's test grabs the window over the records into
docs/series_window.png (KALIDOS_SERIES_RECORDS, offscreen).
"""
import argparse
import csv
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
STRUCTURE = os.path.join(REPO, "..", "shared", "realdata", "cif", "amcsd_corundum_Sapphire.cif")
SETTINGS = ["--anode", "CuKa1", "--range", "20", "100", "--profile", "tch", "--gauss", "0.004", "-0.002", "0.003",
            "0", "--lorentz", "0.02", "0.01", "--series", "sequential", "--refine", "scale,background;zero,cell"]


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def series_command(batch, name):
    return [batch] + SETTINGS + ["--observed", "diagrams", "--json", name + ".jsonl", "--csv", name + ".csv",
                                 STRUCTURE]


def lines(path):
    if not os.path.exists(path):
        return 0
    with open(path, "rb") as f:
        return f.read().count(b"\n")


def killed_half_way(batch, work, count):
    """The series started, killed once half its records are written, started again."""
    for ext in (".jsonl", ".csv"):
        if os.path.exists(os.path.join(work, "cut" + ext)):
            os.remove(os.path.join(work, "cut" + ext))
    process = subprocess.Popen(series_command(batch, "cut"), cwd=work, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    while process.poll() is None and lines(os.path.join(work, "cut.jsonl")) < count // 2:
        time.sleep(0.02)
    process.send_signal(signal.SIGKILL)
    process.wait()
    written = lines(os.path.join(work, "cut.jsonl"))
    start = time.perf_counter()
    rest = subprocess.run(series_command(batch, "cut"), cwd=work, capture_output=True, text=True, check=False)
    return written, time.perf_counter() - start, rest


def compare(work):
    truth = list(csv.DictReader(open(os.path.join(work, "truth.csv"), encoding="ascii")))
    rows = list(csv.DictReader(open(os.path.join(work, "full.csv"), encoding="ascii")))
    within = {("a", 2): 0, ("a", 3): 0, ("c", 2): 0, ("c", 3): 0}
    worst = {"a": 0.0, "c": 0.0}
    deviations = {"a": [], "c": []}  # (refined - imposed) / su, signed
    for t, r in zip(truth, rows):
        if r["ok"] != "1":
            continue
        for name in ("a", "c"):
            deviations[name].append((float(r["0::" + name]) - float(t[name])) / float(r["0::%s_su" % name]))
            deviation = abs(deviations[name][-1])
            worst[name] = max(worst[name], deviation)
            for limit in (2, 3):
                within[(name, limit)] += deviation <= limit
    print("%d diagrams refined (%d failed; outcomes %s)" % (len(rows), sum(r["ok"] != "1" for r in rows),
                                                             sorted({r["outcome"] for r in rows if r["ok"] == "1"})))
    for name in ("a", "c"):
        print("  %s: within 2 su %d, within 3 su %d, largest |refined - imposed| / su %.2f; (refined - imposed) / su "
              "mean %.3f, standard deviation %.3f" % (name, within[(name, 2)], within[(name, 3)], worst[name],
                                                      statistics.mean(deviations[name]),
                                                      statistics.pstdev(deviations[name])))
    print("  T/K      a imposed    a refined(su)          c imposed     c refined(su)")
    for k in range(0, len(rows), max(1, len(rows) // 10)):
        t, r = truth[k], rows[k]
        print("  %7.2f  %.6f  %.6f(%2.0f)  %10.5f  %.5f(%2.0f)" % (
            float(t["temperature_K"]), float(t["a"]), float(r["0::a"]), 1e6 * float(r["0::a_su"]), float(t["c"]),
            float(r["0::c"]), 1e5 * float(r["0::c_su"])))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build"))
    parser.add_argument("--count", type=int, default=200)
    parser.add_argument("--work", default=None)
    parser.add_argument("--picture", action="store_true")
    args = parser.parse_args()
    batch = os.path.join(os.path.abspath(args.build), "cli", "kalidos-batch")
    work = args.work or tempfile.mkdtemp(prefix="corundum_series_")
    env = dict(os.environ, PYTHONPATH=os.path.join(os.path.abspath(args.build), "python"))
    if not os.path.isdir(os.path.join(work, "diagrams")):
        subprocess.run([sys.executable, os.path.join(REPO, "tools", "gen_corundum_series.py"), work, "--count",
                        str(args.count), "--structure", STRUCTURE], env=env, check=True)
    print("work folder", work, "; load before", load())
    for ext in (".jsonl", ".csv"):
        if os.path.exists(os.path.join(work, "full" + ext)):
            os.remove(os.path.join(work, "full" + ext))
    start = time.perf_counter()
    full = subprocess.run(series_command(batch, "full"), cwd=work, capture_output=True, text=True, check=False)
    elapsed = time.perf_counter() - start
    print("whole series: %.1f s wall (load after %s), exit %d: %s" % (elapsed, load(), full.returncode,
                                                                        full.stdout.strip()))
    compare(work)
    written, rest_time, rest = killed_half_way(batch, work, args.count)
    same = all(open(os.path.join(work, "cut" + e), "rb").read() == open(os.path.join(work, "full" + e), "rb").read()
               for e in (".jsonl", ".csv"))
    print("killed with %d records written; the rerun (%.1f s): %s; records and table the same as the whole "
          "run's: %s" % (written, rest_time, rest.stdout.strip(), same))
    if args.picture:
        test = os.path.join(os.path.abspath(args.build), "tests", "diagram_window", "test_diagram_window")
        subprocess.run([test, "--gtest_filter=*SeriesWindowPictureOfTheCorundumSeries"], check=True,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C",
                                KALIDOS_SERIES_RECORDS=os.path.join(work, "full.jsonl")))
        shutil.copy(os.path.join(os.path.abspath(args.build), "tests", "diagram_window", "pictures",
                                 "readme_series_window.png"), os.path.join(REPO, "docs", "series_window.png"))
        print("docs/series_window.png renewed")
    return 0 if full.returncode == 0 and same else 1


if __name__ == "__main__":
    sys.exit(main())
