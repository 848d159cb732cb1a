#!/usr/bin/python3
"""Time kalidos-batch against cctbx's direct structure-factor summation and pymatgen's XRDCalculator.

Run by hand (not by CI), with the interpreter that has cctbx and pymatgen (Debian python3-cctbx,
python3-pymatgen):

    /usr/bin/python3 bench/compare_programs.py --batch build/cli/kalidos-batch > /tmp/ratios.md

For each case the script writes one CIF (random atoms on general positions, seeded, so every run
uses the same structures) and lets the three programs compute the same powder intensities from it:
CuKa1 (1.54056 Å), the same 2θ range, X-ray tube LP factor, isotropic B, f' = f'' = 0. Each program
runs as its own process and is timed from start to exit (reading the CIF, expanding the symmetry,
generating the reflections, the structure factors, the intensities, writing the results), one
after the other on the same machine: the ratios are side by side in one run. The Python programs
also report the time spent inside their calculation call, without start-up and reading.

The cases go from a small cell to the worst case the program's tables allow: 400 atoms on general
positions of F m -3 m (192 operators with the centring) in a 60 Å cell, 2θ from 10 to 140 degrees:
9581 reflections, just under the 9998 the reflection list holds (up to 145 degrees it would be 10002).
pymatgen enumerates every reciprocal-lattice point of the conventional cell against every atom of
the cell, so its largest cases take hours; it runs under a time limit, and a case that reaches it
is reported as "> limit" with a lower bound for the ratio.
"""
import argparse
import json
import math
import os
import random
import subprocess
import sys
import tempfile
import time

WAVELENGTH = 1.54056
ELEMENTS = ["O", "Si", "Al", "Fe", "Ca", "Mg", "Na", "K", "Ti", "Mn"]

# name, group (H-M as written in the CIF), cell, atom count, 2θ range
CASES = [
    ("NaCl, 2 atoms", "F m -3 m", (5.6402,) * 3 + (90, 90, 90), 2, (10, 150)),
    ("P 21/c, 20 atoms", "P 1 21/c 1", (9.1, 11.3, 7.4, 90, 101.5, 90), 20, (10, 90)),
    ("F m -3 m, 25 atoms", "F m -3 m", (24.0,) * 3 + (90, 90, 90), 25, (10, 120)),
    ("F m -3 m, 100 atoms", "F m -3 m", (40.0,) * 3 + (90, 90, 90), 100, (10, 120)),
    ("F m -3 m, 400 atoms", "F m -3 m", (60.0,) * 3 + (90, 90, 90), 400, (10, 140)),
]

CCTBX_SCRIPT = r'''
import math, sys, time, json
start = time.perf_counter()
import iotbx.cif
from cctbx import miller
path, wavelength, t1, t2 = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
structure = list(iotbx.cif.reader(file_path=path).build_crystal_structures().values())[0]
structure.scattering_type_registry(table="it1992")
ready = time.perf_counter()
d_min = wavelength / (2 * math.sin(math.radians(t2 / 2)))
d_max = wavelength / (2 * math.sin(math.radians(t1 / 2)))
indices = miller.build_set(structure.crystal_symmetry(), anomalous_flag=False, d_min=d_min)
indices = indices.resolution_filter(d_max=d_max, d_min=d_min)
f_calc = indices.structure_factors_from_scatterers(structure, algorithm="direct").f_calc()
result = []
for f, m, d in zip(f_calc.data(), indices.multiplicities().data(), f_calc.d_spacings().data()):
    theta = math.asin(wavelength / (2 * d))
    lp = (1 + math.cos(2 * theta) ** 2) * 0.5 / (math.sin(theta) ** 2 * math.cos(theta))
    result.append((d, m * abs(f) ** 2 * lp))
done = time.perf_counter()
print(json.dumps({"reflections": len(result), "calculation": done - ready, "inside": done - start}))
'''

PYMATGEN_SCRIPT = r'''
import sys, time, json
start = time.perf_counter()
from pymatgen.io.cif import CifParser
from pymatgen.analysis.diffraction.xrd import XRDCalculator
path, wavelength, t1, t2 = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
structure = CifParser(path).get_structures(primitive=False)[0]
ready = time.perf_counter()
pattern = XRDCalculator(wavelength=wavelength).get_pattern(structure, scaled=True, two_theta_range=(t1, t2))
done = time.perf_counter()
print(json.dumps({"reflections": len(pattern.x), "calculation": done - ready, "inside": done - start}))
'''


def group_operators(group):
    from cctbx import sgtbx
    space_group = sgtbx.space_group_info(symbol=group).group()
    return [op.as_xyz() for op in space_group.all_ops()]


def write_cif(path, group, cell, atom_count, seed):
    rng = random.Random(seed)
    lines = ["data_bench", f"_chemical_formula_sum 'bench {atom_count} atoms'"]
    for tag, value in zip(("length_a", "length_b", "length_c", "angle_alpha", "angle_beta", "angle_gamma"), cell):
        lines.append(f"_cell_{tag} {value}")
    lines += [f"_symmetry_space_group_name_H-M '{group}'", "loop_", "_symmetry_equiv_pos_as_xyz"]
    lines += [f"'{op}'" for op in group_operators(group)]
    lines += ["loop_", "_atom_site_label", "_atom_site_type_symbol", "_atom_site_fract_x", "_atom_site_fract_y",
              "_atom_site_fract_z", "_atom_site_U_iso_or_equiv", "_atom_site_occupancy"]
    for n in range(atom_count):
        element = ELEMENTS[n % len(ELEMENTS)]
        x, y, z = (round(rng.uniform(0.02, 0.98), 5) for _ in range(3))
        u = round(rng.uniform(0.004, 0.02), 5)
        lines.append(f"{element}{n % 100} {element} {x} {y} {z} {u} 1")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def timed(command, limit, cwd):
    start = time.perf_counter()
    try:
        done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=limit)
    except subprocess.TimeoutExpired:
        return None, None, "timeout"
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        return elapsed, None, f"exit {done.returncode}: {done.stderr.strip()[-300:]}"
    return elapsed, done.stdout, ""


def run_kalidos(batch, cif, t_range, work):
    out = os.path.join(work, "result.json")
    elapsed, _, error = timed([batch, "--lambda", str(WAVELENGTH), "--range", str(t_range[0]), str(t_range[1]),
                               "--listings", work, "--json", out, cif], None, work)
    if error:
        return {"error": error}
    with open(out) as f:
        result = json.load(f)
    return {"wall": elapsed, "reflections": len(result["reflections"])}


def run_python(script, cif, t_range, limit, work):
    elapsed, stdout, error = timed([sys.executable, "-c", script, cif, str(WAVELENGTH), str(t_range[0]),
                                    str(t_range[1])], limit, work)
    if error:
        return {"error": error, "limit": limit}
    report = json.loads(stdout.strip().splitlines()[-1])
    report["wall"] = elapsed
    return report


def ratio_text(other, ours):
    if "wall" not in ours:
        return "n/a"
    if other.get("error") == "timeout":
        return f"> {other['limit'] / ours['wall']:.0f}×"
    if "wall" not in other:
        return "n/a"
    return f"{other['wall'] / ours['wall']:.1f}×"


def time_text(result):
    if result.get("error") == "timeout":
        return f"> {result['limit']:.0f} s"
    if "wall" not in result:
        return "failed"
    inside = f" ({result['calculation']:.2f} s)" if "calculation" in result else ""
    return f"{result['wall']:.2f} s{inside}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--batch", default="build/cli/kalidos-batch", help="the kalidos-batch executable")
    parser.add_argument("--pymatgen-limit", type=float, default=1800, help="seconds allowed to pymatgen per case")
    parser.add_argument("--cases", type=int, default=len(CASES), help="run only the first N cases")
    args = parser.parse_args()
    batch = os.path.abspath(args.batch)
    print("| case | reflections (kalidos / cctbx / pymatgen peaks) | kalidos-batch | cctbx direct | pymatgen "
          "| cctbx / kalidos | pymatgen / kalidos |")
    print("|---|---|---|---|---|---|---|")
    for number, (name, group, cell, atoms, t_range) in enumerate(CASES[:args.cases]):
        with tempfile.TemporaryDirectory() as work:
            cif = os.path.join(work, "bench.cif")
            write_cif(cif, group, cell, atoms, seed=number + 1)
            ours = run_kalidos(batch, cif, t_range, work)
            cctbx = run_python(CCTBX_SCRIPT, cif, t_range, None, work)
            pymatgen = run_python(PYMATGEN_SCRIPT, cif, t_range, args.pymatgen_limit, work)
        counts = " / ".join(str(r.get("reflections", "-")) for r in (ours, cctbx, pymatgen))
        print(f"| {name} | {counts} | {time_text(ours)} | {time_text(cctbx)} | {time_text(pymatgen)} "
              f"| {ratio_text(cctbx, ours)} | {ratio_text(pymatgen, ours)} |", flush=True)
        for label, result in (("kalidos-batch", ours), ("cctbx", cctbx), ("pymatgen", pymatgen)):
            if result.get("error") and result["error"] != "timeout":
                print(f"  {name}: {label} failed: {result['error']}", file=sys.stderr)


if __name__ == "__main__":
    main()
