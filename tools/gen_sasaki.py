#!/usr/bin/python3
"""Generate data/Sasaki.an: Sasaki's f' and f'' tables (S. Sasaki, KEK Report 88-14, 1989:
Cromer-Liberman values for 82 elements, Li to Bi and U) as held by Debian's python3-cctbx
(cctbx.eltbx.sasaki: a wide table every 0.01 Å from 0.10 to 2.89 Å and fine tables every
0.0001 Å around the K, L1, L2 and L3 edges), which interpolates linearly in wavelength.

Points: cctbx's own interpolation is sampled, not its raw table (which it does not expose): on a
grid every 0.00001 Å from 0.10 to 2.89 Å, ten times finer than its finest table, then thinned as
tools/anomalous_table_format.py explains (after closing in on the small jumps where cctbx
changes from an edge table to the wide table), with linear interpolation in energy as the program does.
Each point's energy is written as 12400/λ, the program's own conversion, and its values are
cctbx's at the wavelength that the stored 32-bit energy stands for, so that the program looking up
a wavelength λ finds Sasaki's value at λ itself. The check at the end compares the file with cctbx
at 60000 random wavelengths per element and halfway between the grid's
wavelengths, and stops when any differs by more than 0.01 electron.

Rebuild and compare with the committed file:
    /usr/bin/python3 tools/gen_sasaki.py /tmp/Sasaki.an && cmp /tmp/Sasaki.an data/Sasaki.an
"""
import sys

import numpy
from cctbx.eltbx import sasaki

from anomalous_table_format import f32, interpolate, record_bytes, refine, simplify

ENERGY_TIMES_WAVELENGTH = 12400.0  # eV·Å, as the program converts
LAMBDA_MIN, LAMBDA_MAX, STEP = 0.10, 2.89, 0.00001  # Å
MISSING = -9999.0  # what cctbx returns outside its table


def values_at(table, wavelengths):
    fp = numpy.empty(len(wavelengths))
    fpp = numpy.empty(len(wavelengths))
    for k, lam in enumerate(wavelengths):
        v = table.at_angstrom(float(lam))
        fp[k], fpp[k] = v.fp(), v.fdp()
    return fp, fpp


def element_record(table):
    steps = int(round((LAMBDA_MAX - LAMBDA_MIN) / STEP))
    wavelengths = LAMBDA_MIN + STEP * numpy.arange(steps + 1)
    energy = numpy.unique(f32(ENERGY_TIMES_WAVELENGTH / wavelengths))  # increasing
    fp, fpp = values_at(table, ENERGY_TIMES_WAVELENGTH / energy)
    inside = (fp != MISSING) & (fpp != MISSING)
    energy, fp, fpp = energy[inside], f32(fp[inside]), f32(fpp[inside])

    def evaluate(energies):
        p, pp = values_at(table, ENERGY_TIMES_WAVELENGTH / energies)
        return f32(p), f32(pp)

    energy, fp, fpp = refine(energy, fp, fpp, evaluate)
    keep = simplify(energy, fp, fpp)
    energy, fp, fpp = energy[keep], fp[keep], fpp[keep]
    check(table, energy, fp, fpp)
    return energy, fp, fpp


def check(table, energy, fp, fpp):
    rng = numpy.random.default_rng(table.atomic_number())
    lo, hi = ENERGY_TIMES_WAVELENGTH / energy[-1], ENERGY_TIMES_WAVELENGTH / energy[0]
    midpoints = LAMBDA_MIN + STEP * (numpy.arange(int((LAMBDA_MAX - LAMBDA_MIN) / STEP)) + 0.5)
    wavelengths = numpy.concatenate([rng.uniform(lo, hi, 60000), midpoints[(midpoints > lo) & (midpoints < hi)]])
    want_p, want_pp = values_at(table, wavelengths)
    got_p, got_pp = interpolate(energy, fp, fpp, ENERGY_TIMES_WAVELENGTH / wavelengths)
    worst = max(numpy.max(numpy.abs(got_p - want_p)), numpy.max(numpy.abs(got_pp - want_pp)))
    print("%-2s %4d points, largest difference %.4f" % (table.label(), len(energy), worst), file=sys.stderr)
    if worst > 0.01:
        sys.exit("%s: interpolation differs by %.4f electron" % (table.label(), worst))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "data/Sasaki.an"
    with open(out, "wb") as f:
        for table in sasaki.table_iterator():
            energy, fp, fpp = element_record(table)
            f.write(record_bytes(table.label(), energy, fp, fpp))


if __name__ == "__main__":
    main()
