#!/usr/bin/python3
"""The powder pattern of corundum calculated again after one atom moved: kalidos.calculate against
ObjCryst's PowderPattern (Debian python3-pyobjcryst), in one process, alternating.

Run by hand (not by CI), from the source folder after a build:

    /usr/bin/python3 bench/recalculate_objcryst.py --build build [--repeat 200]

Both read amcsd_corundum_Sapphire.cif and calculate CuKa1 (1.54056 A, one line) from 10 to 100 deg
2theta in steps of 0.02 (4501 points), each with its own default peak shape. Each round moves the O
atom's x by +-0.001 and asks each program for the whole pattern; ObjCryst keeps its reflection
list and peak shapes between the calls, kalidos.calculate starts from the structure. The first call
of each (reflections generated) is timed apart. Medians of wall time.
"""
import argparse
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
STRUCTURE = os.path.join(REPO, "..", "shared", "realdata", "cif", "amcsd_corundum_Sapphire.cif")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build"))
    parser.add_argument("--repeat", type=int, default=200)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(os.path.abspath(args.build), "python"))
    import numpy
    import kalidos
    from pyobjcryst.crystal import create_crystal_from_cif
    from pyobjcryst.powderpattern import PowderPattern

    structure = kalidos.read_structure(STRUCTURE)
    settings = dict(wavelength="CuKa1", two_theta=(10, 100), step=0.02)
    start = time.perf_counter()
    ours = kalidos.calculate(structure, **settings)
    our_first = time.perf_counter() - start

    crystal = create_crystal_from_cif(STRUCTURE)
    pattern = PowderPattern()
    pattern.SetWavelength(1.54056)
    pattern.SetPowderPatternX(numpy.deg2rad(numpy.linspace(10, 100, len(ours.pattern["two_theta"]))))
    pattern.SetPowderPatternObs(numpy.ones(len(ours.pattern["two_theta"])))
    pattern.AddPowderPatternDiffraction(crystal)
    start = time.perf_counter()
    pattern.GetPowderPatternCalc()
    their_first = time.perf_counter() - start
    oxygen = next(k for k in range(crystal.GetNbScatterer()) if crystal.GetScatterer(k).GetName().startswith("O"))
    scatterer = crystal.GetScatterer(oxygen)
    atom = next(k for k, a in enumerate(structure.atoms) if a["symbol"] == "O")

    our_times, their_times = [], []
    for k in range(args.repeat):
        shift = 0.001 if k % 2 == 0 else -0.001
        atoms = [dict(a) for a in structure.atoms]
        atoms[atom]["x"] += shift
        structure.atoms = atoms
        start = time.perf_counter()
        kalidos.calculate(structure, **settings)
        our_times.append(time.perf_counter() - start)
        scatterer.SetX(scatterer.GetX() + shift)
        start = time.perf_counter()
        pattern.GetPowderPatternCalc()
        their_times.append(time.perf_counter() - start)
    ours_ms, theirs_ms = 1e3 * statistics.median(our_times), 1e3 * statistics.median(their_times)
    print("load %.2f %.2f %.2f; %d points, %d reflections (ours)" % (os.getloadavg() + (
        len(ours.pattern["two_theta"]), len(ours.reflections["h"]))))
    print("first calculation: kalidos %.3f ms, ObjCryst %.3f ms" % (1e3 * our_first, 1e3 * their_first))
    print("after one atom moved (median of %d): kalidos %.3f ms, ObjCryst %.3f ms: ObjCryst %.2f times faster" % (
        args.repeat, ours_ms, theirs_ms, ours_ms / theirs_ms))
    return 0


if __name__ == "__main__":
    sys.exit(main())
