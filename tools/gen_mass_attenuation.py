#!/usr/bin/python3
"""Generate data/mass_attenuation.dat: the mass attenuation coefficients mu/rho (cm^2/g) of the
elements H to Cf (Z 1-98) from 3 to 200 keV, for the linear absorption of a phase (the Brindley
correction of a mixture's fractions), and tests/data/instrument/mass_attenuation_check.txt, the
values at the anode lines the tests compare the program's interpolation with.

Source: xraylib (T. Schoonjans et al., Spectrochim. Acta B 66 (2011) 776-784), Debian package
python3-xraylib, whose CS_Total(Z, E) is the sum of the photoionisation, Rayleigh and Compton cross
sections per unit mass. Its values agree with the International Tables' (vol. C, table 4.2.4.3) to a
few per cent at the usual anode lines.

Points: 40 per decade of energy, evenly in log E, and at every absorption edge (K, L1-L3, M1-M5)
within the range two points of the edge's energy, the value just below it then just above it, and
six more from 0.4 to 8 % above it, where the cross section is no power law.
The program interpolates linearly in log E and log mu/rho between consecutive points; the check at
the end compares that interpolation with CS_Total at 20000 random energies per element away from
the edges (and at the anode lines) and stops when any differs by more than 1 %.

Rebuild and compare with the committed files:
    /usr/bin/python3 tools/gen_mass_attenuation.py /tmp/m.dat /tmp/c.txt && \
        cmp /tmp/m.dat data/mass_attenuation.dat && cmp /tmp/c.txt tests/data/instrument/mass_attenuation_check.txt
"""
import math
import random
import sys

import xraylib

Z_LAST = 98
E_LOW, E_HIGH, PER_DECADE = 3.0, 200.0, 40  # keV: 4.1 to 0.062 Å
SHELLS = ("K", "L1", "L2", "L3", "M1", "M2", "M3", "M4", "M5")
ABOVE_EDGE = (0.004, 0.01, 0.02, 0.035, 0.055, 0.08)  # relative
EDGE_SIDE = 1e-9  # relative: how close the points below and above an edge lie
HC = 12.398419843320026  # keV·Å, E = HC / lambda
# The anode lines of the program's lists (Å): Cr, Fe, Co, Cu, Mo, Ag K alpha 1 and Cu K beta.
LINES = (2.2897, 1.93604, 1.78897, 1.54056, 1.39222, 0.7093, 0.559421)


def grid():
    count = math.ceil(PER_DECADE * math.log10(E_HIGH / E_LOW))
    return [E_LOW * 10 ** (k / PER_DECADE) for k in range(count)] + [E_HIGH]


def edges(z):
    found = []
    for shell in SHELLS:
        try:
            energy = xraylib.EdgeEnergy(z, getattr(xraylib, shell + "_SHELL"))
        except ValueError:
            continue
        if E_LOW * 0.98 < energy < E_HIGH:  # a jump may lie up to 0.2 % off the edge energy
            found.append(energy)
    return sorted(found)


def jump(z, edge):
    """Where CS_Total jumps near the tabulated edge energy (its cross sections put some edges up to
    0.2 % away from EdgeEnergy's): bisection on log mu/rho crossing the middle of the jump."""
    low, high = edge * 0.99, edge * 1.01
    middle = (math.log(xraylib.CS_Total(z, low)) + math.log(xraylib.CS_Total(z, high))) / 2
    while high / low - 1 > EDGE_SIDE:
        e = math.sqrt(low * high)
        if math.log(xraylib.CS_Total(z, e)) > middle:
            high = e
        else:
            low = e
    return low, high


def points(z):
    """(E, mu/rho) increasing in E; an edge as two points of the same energy."""
    jumps = [(low, high) for low, high in (jump(z, edge) for edge in edges(z)) if low > E_LOW]
    table = [(e, xraylib.CS_Total(z, e)) for e in grid() if all(abs(e / high - 1) > 1e-6 for _, high in jumps)]
    for low, high in jumps:
        table.append((high, xraylib.CS_Total(z, low)))
        table.append((high, xraylib.CS_Total(z, high)))
        # The rise and fall just above an edge are not a power law: closer points there.
        table += [(high * (1 + d), xraylib.CS_Total(z, high * (1 + d))) for d in ABOVE_EDGE if high * (1 + d) < E_HIGH]
    table.sort(key=lambda p: p[0])  # stable: below before above at an edge
    return table


def interpolate(table, energy):
    for (e0, m0), (e1, m1) in zip(table, table[1:]):
        if e0 <= energy < e1:
            t = math.log(energy / e0) / math.log(e1 / e0)
            return math.exp(math.log(m0) + t * math.log(m1 / m0))
    raise ValueError("energy outside the table")


def check(z, table):
    edge_list = [high for _, high in (jump(z, edge) for edge in edges(z))] + [E_LOW]
    rng = random.Random(z)
    energies = [HC / lam for lam in LINES]
    energies += [math.exp(rng.uniform(math.log(E_LOW), math.log(E_HIGH * 0.999))) for _ in range(20000)]
    for energy in energies:
        if any(abs(energy / edge - 1) < 2e-3 for edge in edge_list):
            continue  # the fine structure right at an edge is no line's business
        exact = xraylib.CS_Total(z, energy)
        if abs(interpolate(table, energy) / exact - 1) > 0.01:
            sys.exit("Z %d at %.5f keV: %g interpolated, %g exact" % (z, energy, interpolate(table, energy), exact))


def main(table_path, check_path):
    with open(table_path, "w", encoding="ascii") as out:
        out.write(__doc__.split("\n\n")[0].replace('"""', "").replace("\n", "\n# ").join(("# ", "\n")))
        out.write("# Source: xraylib %s CS_Total (photoionisation + Rayleigh + Compton), Debian python3-xraylib.\n"
                  % xraylib.__version__)
        out.write("# Made by tools/gen_mass_attenuation.py, which explains the points and how to rebuild the file.\n")
        out.write("# Per element: a line 'Z symbol n', then n lines 'E_keV mu_rho' (cm^2/g), E increasing; an\n"
                  "# absorption edge is two lines of its energy, the value below then above it.\n")
        for z in range(1, Z_LAST + 1):
            table = points(z)
            check(z, table)
            out.write("%d %s %d\n" % (z, xraylib.AtomicNumberToSymbol(z), len(table)))
            for energy, mu in table:
                out.write("%.6f %.6g\n" % (energy, mu))
    with open(check_path, "w", encoding="ascii") as out:
        out.write("# mu/rho (cm^2/g) from xraylib CS_Total at the anode lines (lambda in A, E = %.9f/lambda keV),\n"
                  "# written by tools/gen_mass_attenuation.py beside data/mass_attenuation.dat.\n" % HC)
        out.write("# Z lambda mu_rho\n")
        for z in (1, 5, 6, 8, 9, 13, 14, 20, 26, 29, 30, 40, 57, 74, 82, 92):
            for lam in LINES:
                out.write("%d %.6f %.6g\n" % (z, lam, xraylib.CS_Total(z, HC / lam)))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: gen_mass_attenuation.py TABLE CHECK")
    main(sys.argv[1], sys.argv[2])
