#!/usr/bin/python3
"""1,000 corundum diagrams refined independently: one process against a local Dask cluster of two
worker processes, the records compared, and a worker killed while the cluster runs.

Run by hand (not by CI), from the source folder after a build, with Debian's interpreter (it has
python3-distributed):

    /usr/bin/python3 bench/series_dask.py --build build [--count 1000] [--repeat 2] [--work DIR]

The diagrams come from tools/gen_corundum_series.py (300 to 500 K, so that every diagram is
refined from the structure file at 293 K). Each refinement releases scale and background, then
zero and cell (corundum: 2 cell parameters, 8 in all with the background), on 4001 points.

  one process   kalidos.refine_series(mode="independent"), in this interpreter, the calculation's
                threads as the module sets them (one per core)
  two workers   kalidos.dask.refine_series on LocalCluster(n_workers=2, threads_per_worker=1),
                the cluster started before the clock starts (tasks of several diagrams, one
                calculation thread each)
Both write their JSON Lines file; the records are compared after sorting by index (the cluster
writes them as its tasks come back). Then the cluster runs the series again into a third file and
one worker process is killed (SIGKILL) once 30 % of the records are written; the nanny starts a new
worker, the scheduler gives the lost tasks to the workers again, and every record must be there and
the same. The machine's load average is printed before and after each timing, with the CPU time
of the process, or of the workers. Measure on a quiet machine: with the kernel's autogroup
scheduling (/proc/sys/kernel/sched_autogroup_enabled) the processes of one session share one part
of the CPU while other sessions are busy, so that two workers cannot take more than one process.
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
STRUCTURE = os.path.join(REPO, "..", "shared", "realdata", "cif", "amcsd_corundum_Sapphire.cif")
SETTINGS = dict(refine="scale,background;zero,cell", mode="independent", curves=False, wavelength="CuKa1",
                two_theta=(20, 100), profile="tch", gauss=(0.004, -0.002, 0.003, 0), lorentz=(0.02, 0.01))


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def cpu_seconds():
    import resource
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_utime + usage.ru_stime


def records_of(path):
    with open(path, encoding="utf-8") as lines:
        return sorted((json.loads(line) for line in lines), key=lambda r: r["index"])


def fresh(path):
    if os.path.exists(path):
        os.remove(path)
    return path


def one_process(kalidos, work):
    output = fresh(os.path.join(work, "serial.jsonl"))
    before, cpu = load(), cpu_seconds()
    start = time.perf_counter()
    kalidos.refine_series(STRUCTURE, os.path.join(work, "diagrams"), output=output, **SETTINGS)
    return time.perf_counter() - start, before, load(), cpu_seconds() - cpu


def on_cluster(client, work, name, kill_at=None):
    import kalidos.dask
    output = fresh(os.path.join(work, name + ".jsonl"))
    killed = []
    if kill_at:
        pids = client.run(os.getpid)

        def killer():
            while not os.path.exists(output) or sum(1 for _ in open(output, encoding="utf-8")) < kill_at:
                time.sleep(0.05)
            address, pid = sorted(pids.items())[0]
            os.kill(pid, signal.SIGKILL)
            killed.append((address, pid, sum(1 for _ in open(output, encoding="utf-8"))))
        threading.Thread(target=killer, daemon=True).start()
    before, cpu = load(), client.run(cpu_seconds)
    start = time.perf_counter()
    kalidos.dask.refine_series(client, STRUCTURE, os.path.join(work, "diagrams"), output=output, **SETTINGS)
    elapsed = time.perf_counter() - start
    after = client.run(cpu_seconds)
    return elapsed, before, load(), killed, sum(after[w] - cpu.get(w, 0) for w in after)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build"))
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--repeat", type=int, default=2)
    parser.add_argument("--work", default=None)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(os.path.abspath(args.build), "python"))
    os.environ["PYTHONPATH"] = os.path.join(os.path.abspath(args.build), "python")
    import kalidos
    from distributed import Client, LocalCluster
    work = args.work or tempfile.mkdtemp(prefix="corundum_dask_")
    if not os.path.isdir(os.path.join(work, "diagrams")):
        subprocess.run([sys.executable, os.path.join(REPO, "tools", "gen_corundum_series.py"), work, "--count",
                        str(args.count), "--low", "300", "--high", "500", "--structure", STRUCTURE], check=True)
    print("work folder", work)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        client.run(lambda: __import__("kalidos"))  # the workers import the module before the clock starts
        for round_ in range(args.repeat):
            serial, before, after, cpu = one_process(kalidos, work)
            print("round %d: one process %.1f s, %.1f s of CPU (load %s -> %s)" % (round_ + 1, serial, cpu, before,
                                                                                   after))
            spread, before, after, _, cpu = on_cluster(client, work, "cluster")
            print("round %d: two workers %.1f s, %.1f s of the workers' CPU (load %s -> %s): %.2f times faster" % (
                round_ + 1, spread, cpu, before, after, serial / spread))
        same = records_of(os.path.join(work, "serial.jsonl")) == records_of(os.path.join(work, "cluster.jsonl"))
        print("records of the cluster the same as one process's: %s" % same)
        taken, _, _, killed, _ = on_cluster(client, work, "killed", kill_at=int(0.3 * args.count))
        records = records_of(os.path.join(work, "killed.jsonl"))
        kept = records == records_of(os.path.join(work, "serial.jsonl"))
        print("a worker killed (%s, pid %d) with %d records written: %d records in %.1f s, all the same as one "
              "process's: %s" % (killed[0][0], killed[0][1], killed[0][2], len(records), taken, kept)
              if killed else "the worker was not killed: the series ended first")
    return 0 if same and kept else 1


if __name__ == "__main__":
    sys.exit(main())
