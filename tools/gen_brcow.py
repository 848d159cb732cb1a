#!/usr/bin/python3
"""Generate data/brcow.an: f' and f'' by the Cromer-Liberman method with Brennan and Cowan's
orbital data, for Z = 3 (Li) to 92 (U), from 1 keV to 100 keV.

Source: gemmi's implementation (Debian gemmi-dev, gemmi/fprime.hpp; called through python3-gemmi as
gemmi.cromer_liberman(z, energy)). Its f' carries the Kissel-Pratt correction. The absorption
edges are the orbital binding energies of that same header (read from its text, keV).

Quadrature poles: gemmi integrates each orbital's contribution to f' with a five-point Gauss rule,
and where a term's denominator vanishes (energies B/x, B/x^2 or B/sqrt(x) for a binding energy B and
an abscissa x) its f' runs off to plus and minus infinity over a few eV: an artefact of the
integration (hundreds of electrons for the lanthanides), not physics. A window of +-0.5 % of the
energy around each such pole is left out, and the table bridges it with a straight line.

Points: a dense candidate grid (energy ratio 1 + 1e-4, plus points crowding towards each edge and
each pole window from both sides), closed in on wherever two neighbours are not joined by a straight
line, values computed at the stored 32-bit energies, then thinned as
tools/anomalous_table_format.py explains. Every edge in range gets a point just below it and one
just above it (adjacent 32-bit energies), and no interpolation bridges an edge. The check at the end
compares the file's interpolation with gemmi at 20000 random energies per element, leaving out the
pole windows and the last 20 eV below each edge (where f' diverges logarithmically), prints the
largest difference and stops when it exceeds 0.01 electron. About two minutes.

Rebuild and compare with the committed file:
    /usr/bin/python3 tools/gen_brcow.py /tmp/brcow.an && cmp /tmp/brcow.an data/brcow.an
"""
import re
import sys

import gemmi
import numpy

from anomalous_table_format import f32, interpolate, record_bytes, refine, simplify

E_MIN, E_MAX = 1000.0, 100000.0  # eV
FPRIME_HEADER = "/usr/include/gemmi/fprime.hpp"
POLE_WINDOW = 5e-3  # relative half-width of the window left out around a quadrature pole


def orbitals():
    """{Z: [(number of parameters, binding energy in eV)] of each orbital} from gemmi's header."""
    text = open(FPRIME_HEADER).read()
    result = {}
    for block in re.split(r"\n// Z=", text)[1:]:
        z = int(block.split(",", 1)[0])
        found = re.findall(r"\n\{(\d+), ([0-9.eE+-]+), \{", block)
        result[z] = [(int(n), float(b) * 1000) for n, b in found]
    return result


# Abscissae of the five-point Gauss-Legendre rule with which gemmi integrates each orbital's f'.
GAUSS_X = (0.04691007703067, 0.23076534494716, 0.5, 0.76923465505284, 0.95308992296933)


def quadrature_poles(z, orbitals):
    """Energies (eV) where one term of gemmi's quadrature divides by zero, so that its f' spikes
    to infinity over a fraction of an eV: an artefact of the numerical integration, not physics
    (the integrand's denominators E x - B, E x^2 - B and E^2 x - B^2 of its sigma functions)."""
    poles = []
    for i, (nparm, b) in enumerate(orbitals):
        for x in GAUSS_X:
            if nparm == 11:
                poles.append(b / x)
            elif z >= 79 and i == 0:
                poles.append(b / x ** 0.5)
            else:
                poles.append(b / x ** 2)
    return sorted(p for p in poles if E_MIN < p < E_MAX)


def evaluate(z, energies):
    fp = numpy.empty(len(energies))
    fpp = numpy.empty(len(energies))
    for k, e in enumerate(energies):
        fp[k], fpp[k] = gemmi.cromer_liberman(z=z, energy=float(e))
    return fp, fpp


def edge_pair(z, edge):
    """The adjacent 32-bit energies between which gemmi's f'' jumps at `edge`."""
    lo = numpy.float32(edge * (1 - 2e-6))
    hi = numpy.float32(edge * (1 + 2e-6))
    below = gemmi.cromer_liberman(z=z, energy=float(lo))[1]
    above = gemmi.cromer_liberman(z=z, energy=float(hi))[1]
    while numpy.nextafter(lo, numpy.float32(numpy.inf)) < hi:
        mid = numpy.float32((float(lo) + float(hi)) / 2)
        if mid <= lo or mid >= hi:
            mid = numpy.nextafter(lo, numpy.float32(numpy.inf))
        value = gemmi.cromer_liberman(z=z, energy=float(mid))[1]
        if abs(value - below) < abs(value - above):
            lo = mid
        else:
            hi = mid
    return float(lo), float(hi)


def pole_window(pole):
    """Half-width (eV) of the window left out around a quadrature pole."""
    return POLE_WINDOW * pole


def gaps(z, edges, poles):
    """The energy ranges no interpolation may cross, as (start, end) in 32-bit energies: each edge
    as its pair of adjacent energies, each quadrature pole as its window."""
    result = [edge_pair(z, edge) for edge in edges if E_MIN < edge < E_MAX]
    result += [(float(f32(p - pole_window(p))), float(f32(p + pole_window(p)))) for p in poles]
    merged = []
    for start, end in sorted(result):
        if merged and start <= merged[-1][1]:
            merged[-1] = (merged[-1][0], max(merged[-1][1], end))
        else:
            merged.append((start, end))
    return merged


def pieces(gap_list):
    """Candidate energies, one array per range between gaps; each starts and ends at the range's
    ends and crowds towards them (f' diverges at edges and poles)."""
    grid = E_MIN * (1 + 1e-4) ** numpy.arange(int(numpy.log(E_MAX / E_MIN) / numpy.log1p(1e-4)) + 2)
    grid = numpy.append(grid[grid < E_MAX], E_MAX)
    offsets = 10.0 ** numpy.arange(-4, 2.5, 0.02)  # eV from a range's end
    ends = [E_MIN] + [x for gap in gap_list for x in gap] + [E_MAX]
    result = []
    for a, b in zip(ends[0::2], ends[1::2]):
        inner = numpy.unique(f32(numpy.concatenate([grid, a + offsets, b - offsets])))
        result.append(numpy.concatenate([[a], inner[(inner > a) & (inner < b)], [b]]))
    return result


def element_record(z, orbitals):
    edges = [b for _, b in orbitals]
    poles = quadrature_poles(z, orbitals)
    gap_list = gaps(z, edges, poles)
    energy, fp, fpp = [], [], []
    for part in pieces(gap_list):
        p, pp = evaluate(z, part)
        p, pp = f32(p), f32(pp)
        part, p, pp = refine(part, p, pp, lambda e: tuple(f32(v) for v in evaluate(z, e)))
        keep = simplify(part, p, pp)
        energy.append(part[keep])
        fp.append(p[keep])
        fpp.append(pp[keep])
    energy, fp, fpp = (numpy.concatenate(x) for x in (energy, fp, fpp))
    check(z, energy, fp, fpp, gap_list, edges)
    return energy, fp, fpp


def check(z, energy, fp, fpp, gap_list, edges):
    rng = numpy.random.default_rng(z)
    at = numpy.sort(rng.uniform(E_MIN, E_MAX, 20000))
    for start, end in gap_list:
        at = at[(at <= start) | (at >= end)]
    for edge in edges:
        at = at[(at <= edge - 20) | (at >= edge)]
    want_p, want_pp = evaluate(z, at)
    got_p, got_pp = interpolate(energy, fp, fpp, at)
    worst = max(numpy.max(numpy.abs(got_p - want_p)), numpy.max(numpy.abs(got_pp - want_pp)))
    print("Z=%2d %4d points, largest difference %.4f" % (z, len(energy), worst), file=sys.stderr)
    if worst > 0.01:
        sys.exit("Z=%d: interpolation differs by %.4f electron" % (z, worst))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "data/brcow.an"
    table = orbitals()
    with open(out, "wb") as f:
        for z in range(3, 93):
            energy, fp, fpp = element_record(z, table[z])
            f.write(record_bytes(gemmi.Element(z).name, energy, fp, fpp))


if __name__ == "__main__":
    main()
