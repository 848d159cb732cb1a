#!/usr/bin/python3
"""The 99 coordinates of a 33-atom P -1 structure refined to convergence: kalidos.refine against
ObjCryst's least squares (Debian python3-pyobjcryst), in one process, alternating.

Run by hand (not by CI), from the source folder after a build:

    /usr/bin/python3 bench/refine_objcryst.py --build build [--rounds 3]

The structure is zq2107.cif of the real files (a cadmium iodide complex, P -1, 848 A^3, 33 atoms
with their hydrogens), every atom isotropic. Each program calculates the structure's pattern with
its own peak shape (CuKa1, 5 to 70 deg 2theta in steps of 0.01, 6501 points), turned into Poisson
counts on a flat background of 50 (the strongest peak 20 000 counts, the same random numbers for
both). Every atom is then moved by the same random shift (0.05 A rms along each axis) and each
program refines the scale and all 99 coordinates from there, to its own convergence:
kalidos.refine with the stages "scale,background;xyz" (a Chebyshev background of order 1 refined
as well), ObjCryst's LSQ with Levenberg-Marquardt, the background fixed at its true value, cycles
until chi2 changes by less than --min-change of itself. Each side is timed from the starting
structure to the refined one (CPU time of the process and wall time); the rms distance of the
refined atoms from the true ones and the final Rwp tell whether both reached the minimum.
"""
import argparse
import math
import os
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
STRUCTURE = os.path.join(REPO, "..", "shared", "realdata", "cif", "zq2107.cif")
RANGE, STEP, WAVELENGTH = (5.0, 70.0), 0.01, 1.54056
BACKGROUND, STRONGEST, SHIFT = 50.0, 20000.0, 0.05


def cartesian(cell, fractional):
    """Cartesian coordinates (A) of fractional ones, a along x, b in the xy plane."""
    a, b, c, alpha, beta, gamma = cell[0], cell[1], cell[2], *map(math.radians, cell[3:])
    cy = (math.cos(alpha) - math.cos(beta) * math.cos(gamma)) / math.sin(gamma)
    cz = math.sqrt(1 - math.cos(beta) ** 2 - cy ** 2)
    x, y, z = fractional
    return (a * x + b * math.cos(gamma) * y + c * math.cos(beta) * z,
            b * math.sin(gamma) * y + c * cy * z, c * cz * z)


def rms_distance(cell, found, true):
    total = 0.0
    for one, other in zip(found, true):
        d = [u - v - round(u - v) for u, v in zip(one, other)]
        total += sum(v * v for v in cartesian(cell, d))
    return math.sqrt(total / len(true))


def shifts(cell, count, rng):
    """Fractional shifts of `count` atoms, SHIFT A rms along each axis."""
    return [(rng.normal(0, SHIFT) / cell[0], rng.normal(0, SHIFT) / cell[1], rng.normal(0, SHIFT) / cell[2])
            for _ in range(count)]


def counts_of(intensity, rng):
    scaled = BACKGROUND + STRONGEST * intensity / intensity.max()
    return rng.poisson(scaled).astype(float)


class Ours:
    def __init__(self, kalidos, numpy, folder):
        self.kalidos, self.numpy = kalidos, numpy
        self.structure = kalidos.read_structure(STRUCTURE)
        self.settings = dict(wavelength="CuKa1", two_theta=RANGE, isotropic=True)
        self.true = [(a["x"], a["y"], a["z"]) for a in self.structure.atoms]
        self.folder = folder

    def observe(self, seed):
        # calculated beyond the range, so that the peaks just outside it send their tails in, as they
        # do in the refinement's model
        wider = dict(self.settings, two_theta=(RANGE[0] - 2, RANGE[1] + 2))
        pattern = self.kalidos.calculate(self.structure, step=STEP, **wider).pattern
        two_theta, intensity = (self.numpy.asarray(pattern[key]) for key in ("two_theta", "intensity"))
        inside = (two_theta > RANGE[0] - STEP / 2) & (two_theta < RANGE[1] + STEP / 2)
        counts = counts_of(intensity[inside], self.numpy.random.default_rng(seed))
        self.observed = os.path.join(self.folder, "observed.xy")
        self.numpy.savetxt(self.observed, self.numpy.column_stack([two_theta[inside], counts]))
        return len(counts)

    def refine(self, moves):
        start = self.structure.copy()
        atoms = [dict(a) for a in start.atoms]
        for atom, move in zip(atoms, moves):
            atom["x"], atom["y"], atom["z"] = atom["x"] + move[0], atom["y"] + move[1], atom["z"] + move[2]
        start.atoms = atoms
        result = self.kalidos.refine(start, self.observed, refine="scale,background;xyz", background=1,
                                     **self.settings)
        refined = result.structures[0]
        found = [(a["x"], a["y"], a["z"]) for a in refined.atoms]
        cycles = sum(stage.get("cycles", 0) for stage in result.stages)
        return dict(rwp=result.rwp, rms=rms_distance(self.structure.cell, found, self.true), cycles=cycles,
                    outcome=result.outcome, parameters=result.refined)


class Theirs:
    def __init__(self, numpy, min_change):
        from pyobjcryst.crystal import create_crystal_from_cif
        from pyobjcryst.powderpattern import PowderPattern, ReflectionProfileType
        self.numpy, self.min_change = numpy, min_change
        self.crystal = create_crystal_from_cif(STRUCTURE)
        self.scatterers = [self.crystal.GetScatterer(k) for k in range(self.crystal.GetNbScatterer())]
        self.true = [(s.GetX(), s.GetY(), s.GetZ()) for s in self.scatterers]
        self.cell = (self.crystal.a, self.crystal.b, self.crystal.c, *(math.degrees(v) for v in (
            self.crystal.alpha, self.crystal.beta, self.crystal.gamma)))
        self.pattern = PowderPattern()
        self.pattern.SetWavelength(WAVELENGTH)
        points = int(round((RANGE[1] - RANGE[0]) / STEP)) + 1
        self.two_theta = numpy.linspace(RANGE[0], RANGE[1], points)
        self.pattern.SetPowderPatternX(numpy.deg2rad(self.two_theta))
        self.pattern.SetPowderPatternObs(numpy.ones(points))
        diffraction = self.pattern.AddPowderPatternDiffraction(self.crystal)
        degree2 = math.radians(1) ** 2
        diffraction.SetReflectionProfilePar(ReflectionProfileType.PROFILE_PSEUDO_VOIGT, 0.005 * degree2,
                                            0.001 * degree2, 0.0, 0.5, 0.0)

    def observe(self, seed):
        intensity = self.numpy.array(self.pattern.GetPowderPatternCalc())
        counts = counts_of(intensity, self.numpy.random.default_rng(seed))
        self.pattern.SetPowderPatternObs(counts)
        background = self.pattern.AddPowderPatternBackground()
        ends = self.numpy.deg2rad(self.numpy.array(RANGE))
        background.SetInterpPoints(ends, self.numpy.full(2, BACKGROUND))
        # the calculation was scaled to unit height; the scale refined from a start a factor off
        self.pattern.SetScaleFactor(0, self.pattern.GetScaleFactor(0) * STRONGEST / intensity.max() * 0.7)
        return len(counts)

    def refine(self, moves):
        from pyobjcryst.lsq import LSQ
        from pyobjcryst.refinableobj import (refpartype_objcryst, refpartype_scatt_transl,
                                             refpartype_scattdata_scale)
        for scatterer, true, move in zip(self.scatterers, self.true, moves):
            scatterer.SetX(true[0] + move[0])
            scatterer.SetY(true[1] + move[1])
            scatterer.SetZ(true[2] + move[2])
        lsq = LSQ()
        lsq.SetRefinedObj(self.pattern, 0, True, True)
        lsq.PrepareRefParList(True)
        lsq.SetParIsFixed(refpartype_objcryst, True)
        lsq.SetParIsFixed(refpartype_scatt_transl, False)
        lsq.SetParIsFixed(refpartype_scattdata_scale, False)
        lsq.Refine(-100, True, True, True, self.min_change)
        found = [(s.GetX(), s.GetY(), s.GetZ()) for s in self.scatterers]
        return dict(rwp=self.pattern.GetRw(), rms=rms_distance(self.cell, found, self.true), cycles="-",
                    outcome="", parameters=lsq.GetCompiledRefinedObj().GetNbParNotFixed())


def timed(side, moves):
    wall, cpu = time.perf_counter(), time.process_time()
    found = side.refine(moves)
    found.update(wall=time.perf_counter() - wall, cpu=time.process_time() - cpu)
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--min-change", type=float, default=0.001,
                        help="ObjCryst stops when chi2 changes by less than this fraction of itself")
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(os.path.abspath(args.build), "python"))
    import numpy
    import kalidos

    with tempfile.TemporaryDirectory() as folder:
        ours, theirs = Ours(kalidos, numpy, folder), Theirs(numpy, args.min_change)
        points = ours.observe(7), theirs.observe(7)
        print("load %.2f %.2f %.2f; points: kalidos %d, ObjCryst %d" % (os.getloadavg() + points))
        rng = numpy.random.default_rng(11)
        for round_ in range(args.rounds + 1):
            # round 0 starts from the true structure: the Rwp of the minimum and the cost of confirming it
            moves = shifts(ours.structure.cell, len(ours.true), rng) if round_ else [(0, 0, 0)] * len(ours.true)
            start = rms_distance(ours.structure.cell, [(0, 0, 0)] * len(moves), moves)
            for name, side in (("kalidos", ours), ("ObjCryst", theirs)):
                found = timed(side, moves)
                print("round %d %-8s start rms %.4f A: cpu %.3f s, wall %.3f s, %s parameters, rwp %.5f, "
                      "rms %.4f A, cycles %s %s" % (round_, name, start, found["cpu"], found["wall"],
                                                    found["parameters"], found["rwp"], found["rms"],
                                                    found["cycles"], found["outcome"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
