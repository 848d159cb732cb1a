"""Shared by tools/gen_brcow.py and tools/gen_sasaki.py: the record layout of the program's
anomalous-dispersion tables (data/brcow.an, data/Sasaki.an), the choice of tabulated points and
the check of the result.

Layout, little-endian, one record per element up to the end of the file:
    2 bytes  element symbol, ASCII, padded with a blank ("Fe", "O ")
    int32    N, the number of points (at most 4100: the reader refuses more)
    N x 12   energy (eV), f', f'' as IEEE 32-bit floats, energies increasing

The program interpolates linearly in energy between the point before and the first point at or
above the energy it looks up, so the points are chosen for that: from a dense list of candidate
points, greedy splitting (Douglas-Peucker) keeps the fewest points with which linear interpolation
in energy reproduces every candidate within TOLERANCE electrons, in f' and in f''.
"""
import struct

import numpy

MAX_POINTS = 4100
TOLERANCE = 0.004  # electrons; the tables promise 0.01, the rest is margin between candidates


def f32(values):
    """Rounds to 32-bit floats, as stored, and back to float64 for the arithmetic."""
    return numpy.asarray(values, dtype=numpy.float32).astype(numpy.float64)


def simplify(energy, fp, fpp, tolerance=TOLERANCE):
    """Indices of the candidates to keep (first and last always), energies increasing."""
    n = len(energy)
    keep = {0, n - 1}
    stack = [(0, n - 1)]
    while stack:
        i, j = stack.pop()
        if j - i < 2:
            continue
        t = (energy[i + 1:j] - energy[i]) / (energy[j] - energy[i])
        err_p = numpy.abs(fp[i] + t * (fp[j] - fp[i]) - fp[i + 1:j])
        err_pp = numpy.abs(fpp[i] + t * (fpp[j] - fpp[i]) - fpp[i + 1:j])
        err = numpy.maximum(err_p, err_pp)
        k = int(numpy.argmax(err))
        if err[k] > tolerance:
            m = i + 1 + k
            keep.add(m)
            stack.append((i, m))
            stack.append((m, j))
    return sorted(keep)


def interpolate(energy, fp, fpp, at):
    """The program's look-up: linear between the point before and the first point >= at; the
    first point's values at or below the first energy; NaN beyond the last energy."""
    i = numpy.searchsorted(energy, at, side="left")
    out_p = numpy.full(len(at), numpy.nan)
    out_pp = numpy.full(len(at), numpy.nan)
    first = i == 0
    out_p[first], out_pp[first] = fp[0], fpp[0]
    inside = (i > 0) & (i < len(energy))
    j = i[inside]
    t = (at[inside] - energy[j - 1]) / (energy[j] - energy[j - 1])
    out_p[inside] = fp[j - 1] + t * (fp[j] - fp[j - 1])
    out_pp[inside] = fpp[j - 1] + t * (fpp[j] - fpp[j - 1])
    return out_p, out_pp


def record_bytes(symbol, energy, fp, fpp):
    if len(symbol) > 2 or not symbol.isascii():
        raise ValueError("bad symbol %r" % symbol)
    n = len(energy)
    if n > MAX_POINTS:
        raise ValueError("%s: %d points, at most %d" % (symbol, n, MAX_POINTS))
    if numpy.any(numpy.diff(energy) <= 0):
        raise ValueError("%s: energies not increasing" % symbol)
    points = numpy.empty((n, 3), dtype="<f4")
    points[:, 0], points[:, 1], points[:, 2] = energy, fp, fpp
    return symbol.ljust(2).encode("ascii") + struct.pack("<i", n) + points.tobytes()


def _midpoint(a, b):
    """A 32-bit energy strictly between a and b, or None when they are adjacent floats."""
    m = numpy.float32((a + b) / 2)
    return float(m) if a < float(m) < b else None


def refine(energy, fp, fpp, evaluate, tolerance=TOLERANCE):
    """Adds candidates where the function between two neighbours is not a straight line, down to
    adjacent 32-bit energies: a jump (cctbx changing from an edge table to the wide table) then
    lies between two stored points instead of spoiling a whole interval. `evaluate(energies)`
    gives (f', f'') rounded to 32 bits."""
    points = {float(e): (float(p), float(pp)) for e, p, pp in zip(energy, fp, fpp)}
    todo = list(zip(energy[:-1], energy[1:]))
    while todo:
        mids = [(a, b, _midpoint(a, b)) for a, b in todo]
        mids = [(a, b, m) for a, b, m in mids if m is not None]
        todo = []
        if not mids:
            break
        mp, mpp = evaluate(numpy.array([m for _, _, m in mids]))
        for (a, b, m), p, pp in zip(mids, mp, mpp):
            t = (m - a) / (b - a)
            (pa, ppa), (pb, ppb) = points[a], points[b]
            if max(abs(pa + t * (pb - pa) - p), abs(ppa + t * (ppb - ppa) - pp)) > tolerance:
                points[m] = (float(p), float(pp))
                todo += [(a, m), (m, b)]
    e = numpy.array(sorted(points))
    return e, numpy.array([points[x][0] for x in e]), numpy.array([points[x][1] for x in e])
