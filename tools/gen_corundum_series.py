#!/usr/bin/python3
"""A synthetic temperature series of corundum: diagrams calculated by KALIDOS itself with an imposed
thermal expansion a(T), c(T), counted with Poisson noise, written as powder CIF files that state the
sample's temperature (_diffrn_ambient_temperature, K) and when the scan began
(_pd_meas_datetime_initiated), one file per diagram or every diagram a data block of one file.

    PYTHONPATH=build/python /usr/bin/python3 tools/gen_corundum_series.py OUT_DIR --count 200

writes OUT_DIR/diagrams/corundum_001.cif ... and OUT_DIR/truth.csv (file, block, T, a, c: the
imposed values). The expansion, a smooth quadratic near corundum's own (a grows by about 0.7 %, c by
0.8 % from 300 K to 1300 K), is what a refined series should follow:

    a(T) = a0 (1 + 6.0e-6 (T - T0) + 2.0e-9 (T - T0)^2),  c(T) = c0 (1 + 6.8e-6 (T - T0) + 2.4e-9 (T - T0)^2)

with a0, c0 the cell of the structure file at T0 = 293 K. The start structure of a refinement is
the file itself, at 293 K.
"""

import argparse
import datetime
import os
import sys

import numpy

import kalidos

T0 = 293.0
EXPANSION_A = (6.0e-6, 2.0e-9)
EXPANSION_C = (6.8e-6, 2.4e-9)
RANGE = (20, 100)  # degrees 2theta written
# The pattern is calculated 5 degrees beyond the range on each side: a measurement holds the tails
# of the peaks just outside it, which a refinement over the range includes.
SETTINGS = dict(wavelength="CuKa1", two_theta=(RANGE[0] - 5, RANGE[1] + 5), step=0.02, profile="tch",
                gauss=(0.004, -0.002, 0.003, 0), lorentz=(0.02, 0.01), zero=0.01)


def cell_at(a0, c0, temperature):
    d = temperature - T0
    return (a0 * (1 + EXPANSION_A[0] * d + EXPANSION_A[1] * d * d),
            c0 * (1 + EXPANSION_C[0] * d + EXPANSION_C[1] * d * d))


def counts(structure, a, c, peak, background, rng):
    """The calculated diagram at cell (a, c) as expected counts, then counted (Poisson)."""
    moved = structure.copy()
    cell = list(moved.cell)
    cell[0], cell[1], cell[2] = a, a, c
    moved.cell = tuple(cell)
    pattern = kalidos.calculate(moved, **SETTINGS).pattern
    inside = (pattern["two_theta"] > RANGE[0] - 1e-6) & (pattern["two_theta"] < RANGE[1] + 1e-6)
    expected = background + peak * pattern["intensity"][inside] / 100
    return pattern["two_theta"][inside], rng.poisson(expected)


def cif_block(name, temperature, started, two_theta, y):
    lines = ["data_%s" % name,
             "_diffrn_ambient_temperature %.2f" % temperature,
             "_pd_meas_datetime_initiated %s" % started.isoformat(),
             "_diffrn_radiation_wavelength 1.540598",
             "loop_", "_pd_meas_2theta_scan", "_pd_meas_counts_total"]
    lines += ["%.4f %d" % (x, n) for x, n in zip(two_theta, y)]
    return "\n".join(lines) + "\n"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out", help="the folder written")
    parser.add_argument("--structure", default=None,
                        help="the corundum structure (default: the real one in ../shared/realdata)")
    parser.add_argument("--count", type=int, default=200)
    parser.add_argument("--low", type=float, default=300.0, help="first temperature, K")
    parser.add_argument("--high", type=float, default=1300.0, help="last temperature, K")
    parser.add_argument("--peak", type=float, default=20000.0, help="counts at the strongest peak")
    parser.add_argument("--background", type=float, default=200.0, help="background counts")
    parser.add_argument("--seed", type=int, default=35)
    parser.add_argument("--one-file", action="store_true", help="every diagram a block of OUT/diagrams/series.cif")
    args = parser.parse_args(argv)
    here = os.path.dirname(os.path.abspath(__file__))
    structure_file = args.structure or os.path.join(here, "..", "..", "shared", "realdata", "cif",
                                                    "amcsd_corundum_Sapphire.cif")
    structure = kalidos.read_structure(structure_file)
    a0, _, c0 = structure.cell[:3]
    rng = numpy.random.default_rng(args.seed)
    diagrams = os.path.join(args.out, "diagrams")
    os.makedirs(diagrams, exist_ok=True)
    start = datetime.datetime(2024, 3, 1, 8, 0, 0, tzinfo=datetime.timezone.utc)
    truth = ["file,block,temperature_K,a,c"]
    blocks = []
    for k in range(args.count):
        temperature = args.low + (args.high - args.low) * k / max(args.count - 1, 1)
        a, c = cell_at(a0, c0, temperature)
        two_theta, y = counts(structure, a, c, args.peak, args.background, rng)
        name = "corundum_%03d" % (k + 1)
        text = cif_block(name, temperature, start + datetime.timedelta(minutes=10 * k), two_theta, y)
        if args.one_file:
            blocks.append(text)
            truth.append("series.cif,%d,%.2f,%.9f,%.9f" % (k + 1, temperature, a, c))
        else:
            with open(os.path.join(diagrams, name + ".cif"), "w", encoding="ascii") as out:
                out.write(text)
            truth.append("%s.cif,1,%.2f,%.9f,%.9f" % (name, temperature, a, c))
    if args.one_file:
        with open(os.path.join(diagrams, "series.cif"), "w", encoding="ascii") as out:
            out.write("".join(blocks))
    with open(os.path.join(args.out, "truth.csv"), "w", encoding="ascii") as out:
        out.write("\n".join(truth) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
