#!/usr/bin/python3
"""Structures per second over the real CIFs: kalidos-batch -j 2 against pymatgen's XRDCalculator.

Run by hand (not by CI), with Debian's interpreter that has pymatgen (python3-pymatgen):

    /usr/bin/python3 bench/throughput.py --batch build/cli/kalidos-batch --cifs ../shared/realdata/cif

Both compute CuKa1 (1.54056 Å) intensities from 10 to 50 degrees 2θ for every CIF of the folder,
one after the other in the same run. kalidos-batch is one process over all the files (-j 2,
JSON Lines written to a scratch file), timed from start to exit. pymatgen reads each CIF with
CifParser and runs XRDCalculator.get_pattern in one Python process, timed from the first read
to the last pattern (its import is not counted); a file it cannot read or calculate counts as
done, as the batch runner's refused files do. Each side is repeated --repeat times and the best
time kept. With --module build/python a third row times the Python module in this interpreter,
--jobs structures at once in threads, from the first structure to the last as pymatgen is timed.
"""
import argparse
import glob
import os
import resource
import subprocess
import sys
import tempfile
import time
import warnings


def time_batch(batch, cifs, jobs):
    out = os.path.join(tempfile.mkdtemp(), "all.jsonl")
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([batch, "-j", str(jobs), "--anode", "CuKa1", "--range", "10", "50", "--json", out] + cifs,
                   check=False, capture_output=True)
    elapsed = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    with open(out, encoding="utf-8") as lines:
        calculated = sum('"ok": true' in line or '"ok":true' in line for line in lines)
    return elapsed, calculated, cpu


def time_module(cifs, jobs):
    """The module in this process, `jobs` structures at once in threads (the calculation releases
    the GIL), timed as pymatgen is: from the first record to the last, the import not counted."""
    import concurrent.futures
    import kalidos
    start, start_cpu = time.perf_counter(), time.process_time()
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        records = list(pool.map(lambda cif: kalidos.record(cif, wavelength="CuKa1", two_theta=(10, 50)), cifs))
    calculated = sum('"ok": true' in r for r in records)
    return time.perf_counter() - start, calculated, time.process_time() - start_cpu


def time_pymatgen(cifs):
    from pymatgen.analysis.diffraction.xrd import XRDCalculator
    from pymatgen.io.cif import CifParser
    calculator = XRDCalculator(wavelength="CuKa1")
    calculated = 0
    start, start_cpu = time.perf_counter(), time.process_time()
    for cif in cifs:
        try:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                structure = CifParser(cif).get_structures(primitive=False)[0]
            calculator.get_pattern(structure, two_theta_range=(10, 50))
            calculated += 1
        except Exception:  # counted as done, as a refused file is on the other side
            pass
    return time.perf_counter() - start, calculated, time.process_time() - start_cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--batch", required=True)
    parser.add_argument("--cifs", required=True, help="folder of the CIFs")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--module", help="folder holding the kalidos package (build/python): adds its row")
    args = parser.parse_args()
    cifs = sorted(glob.glob(os.path.join(args.cifs, "*.cif")))
    load_before = os.getloadavg()[0]
    batch = min(time_batch(args.batch, cifs, args.jobs) for _ in range(args.repeat))
    pymatgen = min(time_pymatgen(cifs) for _ in range(args.repeat))
    module = None
    if args.module:
        sys.path.insert(0, args.module)
        module = min(time_module(cifs, args.jobs) for _ in range(args.repeat))
    batch_rate, pymatgen_rate = len(cifs) / batch[0], len(cifs) / pymatgen[0]
    print("| program | files | calculated | wall | CPU | structures per second (wall) |")
    print("|---|---|---|---|---|---|")
    print("| kalidos-batch -j %d | %d | %d | %.3f s | %.3f s | %.1f |"
          % (args.jobs, len(cifs), batch[1], batch[0], batch[2], batch_rate))
    print("| pymatgen XRDCalculator | %d | %d | %.3f s | %.3f s | %.1f |"
          % (len(cifs), pymatgen[1], pymatgen[0], pymatgen[2], pymatgen_rate))
    if module:
        print("| kalidos module, %d threads | %d | %d | %.3f s | %.3f s | %.1f |"
              % (args.jobs, len(cifs), module[1], module[0], module[2], len(cifs) / module[0]))
    print("\nratio of the wall rates: %.0f; of the CPU times: %.0f; load average %.1f before, %.1f after"
          % (batch_rate / pymatgen_rate, pymatgen[2] / batch[2], load_before, os.getloadavg()[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
