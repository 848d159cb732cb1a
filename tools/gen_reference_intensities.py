#!/usr/bin/python3
"""Generate tests/data/reference/*.ref: powder intensities computed by an independent program.

The references come from cctbx (Debian python3-cctbx): it1992 form factors for X-rays, the
program's own Fermi lengths for neutrons, isotropic B, f' = f'' = 0, structure factors by direct
summation over the whole group. Each reflection's intensity is multiplicity x |F|^2 x LP with the
program's LP (X-ray tube: (1 + cos^2 2θ)/2 / (sin^2 θ cos θ); neutrons: 1 / (sin^2 θ cos θ)).
Reflections of equal d are summed, and the strongest peak is scaled to 100.

The structures are test cases, not refined structures: any consistent description serves, and
they cover the seven crystal systems, the largest structure (400 atoms of F m -3 m, each at least
0.3 Å from any special position), the Laue classes m-3, 4/m, 6/m, -3, -3m (in rhombohedral and
hexagonal axes), 2/m and -1, special positions and partial occupancies.

Rebuild and compare with the committed fixtures:
    /usr/bin/python3 tools/gen_reference_intensities.py /tmp/ref && diff -r /tmp/ref tests/data/reference
"""
import math
import os
import sys

from cctbx import crystal, miller, xray
from cctbx.array_family import flex
from cctbx.eltbx import xray_scattering

WAVELENGTH = 1.54056
TWO_THETA_MIN, TWO_THETA_MAX = 10.0, 80.0

# name: (system code, group symbol as gemmi reads it, cell, atoms (symbol, x, y, z, B, occupancy))
STRUCTURES = {
    "nacl": ("CUBI", "F m -3 m", (5.6402, 5.6402, 5.6402, 90, 90, 90),
             [("Na", 0, 0, 0, 1.2, 1), ("Cl", 0.5, 0.5, 0.5, 1.0, 1)]),
    "pyrite": ("CUBI", "P a -3", (5.4166, 5.4166, 5.4166, 90, 90, 90),
               [("Fe", 0, 0, 0, 0.3, 1), ("S", 0.3851, 0.3851, 0.3851, 0.4, 1)]),
    "scheelite": ("TETR", "I 41/a:2", (5.2429, 5.2429, 11.3737, 90, 90, 90),
                  [("Ca", 0, 0.25, 0.625, 0.6, 1), ("W", 0, 0.25, 0.125, 0.3, 1),
                   ("O", 0.2415, 0.1504, 0.0861, 0.8, 1)]),
    "rutile": ("TETR", "P 42/m n m", (4.5937, 4.5937, 2.9587, 90, 90, 90),
               [("Ti", 0, 0, 0, 0.4, 1), ("O", 0.3048, 0.3048, 0, 0.6, 1)]),
    "forsterite": ("ORTH", "P n m a", (10.19, 5.978, 4.753, 90, 90, 90),
                   [("Mg", 0, 0, 0, 0.5, 1), ("Mg", 0.2774, 0.25, 0.9915, 0.5, 0.9),
                    ("Fe", 0.2774, 0.25, 0.9915, 0.5, 0.1), ("Si", 0.094, 0.25, 0.4262, 0.3, 1),
                    ("O", 0.0913, 0.25, 0.7657, 0.5, 1), ("O", 0.4474, 0.25, 0.2215, 0.5, 1),
                    ("O", 0.1628, 0.0331, 0.2777, 0.5, 1)]),
    "apatite": ("HEXA", "P 63/m", (9.3973, 9.3973, 6.8782, 90, 90, 120),
                [("Ca", 1 / 3, 2 / 3, 0.001, 0.7, 1), ("Ca", 0.2415, 0.9928, 0.25, 0.7, 1),
                 ("P", 0.3981, 0.3688, 0.25, 0.5, 1), ("O", 0.3262, 0.485, 0.25, 1.0, 1),
                 ("O", 0.588, 0.4668, 0.25, 1.0, 1), ("O", 0.3416, 0.2568, 0.0704, 1.0, 1),
                 ("F", 0, 0, 0.25, 1.5, 1)]),
    "quartz": ("HEXA", "P 32 2 1", (4.9134, 4.9134, 5.4052, 90, 90, 120),
               [("Si", 0.4697, 0, 2 / 3, 0.5, 1), ("O", 0.4135, 0.2669, 0.7857, 0.9, 1)]),
    "ilmenite": ("HEXA", "R -3:H", (5.0884, 5.0884, 14.0855, 90, 90, 120),
                 [("Fe", 0, 0, 0.3554, 0.5, 1), ("Ti", 0, 0, 0.1464, 0.4, 1),
                  ("O", 0.317, 0.02, 0.245, 0.6, 1)]),
    "corundum_hex": ("HEXA", "R -3 c:H", (4.7589, 4.7589, 12.991, 90, 90, 120),
                     [("Al", 0, 0, 0.35216, 0.3, 1), ("O", 0.30624, 0, 0.25, 0.4, 1)]),
    "corundum_rho": ("RHOM", "R -3 c:R", (5.1284, 5.1284, 5.1284, 55.28, 55.28, 55.28),
                     [("Al", 0.35217, 0.35217, 0.35217, 0.3, 1), ("O", 0.5563, -0.0563, 0.25, 0.4, 1)]),
    "monoclinic": ("MONO", "P 1 21/c 1", (7.1, 9.3, 5.6, 90, 104.5, 90),
                   [("Fe", 0.1, 0.2, 0.3, 0.5, 1), ("O", 0.25, 0.05, 0.4, 0.9, 0.5),
                    ("S", 0, 0, 0, 0.6, 1), ("Cu", 0.62, 0.41, 0.83, 0.7, 0.75)]),
    "triclinic": ("TRIC", "P -1", (5.1, 6.2, 7.3, 81, 97, 103),
                  [("Zn", 0.13, 0.27, 0.61, 0.6, 1), ("O", 0.71, 0.18, 0.33, 0.9, 1),
                   ("Ba", 0.5, 0.5, 0.5, 0.5, 0.8)]),
}

# Fermi lengths (10^-12 cm) of the program's nucleus table for the elements used above.
FERMI = {"Na": 0.363, "Cl": 0.958, "Fe": 0.954, "S": 0.285, "Ca": 0.49, "W": 0.477, "O": 0.58,
         "Ti": -0.337, "Mg": 0.538, "Si": 0.415, "P": 0.513, "F": 0.566, "Al": 0.345, "Cu": 0.769,
         "Zn": 0.57, "Ba": 0.528}


def crowded_cubic_atoms(count=400, cell=12.0, clearance=0.3):
    """`count` atoms of F m -3 m placed at random, each at least `clearance` Å from every special
    position (no image of it under the group closer than twice that): the worst case in size, with
    every atom on the general position."""
    from cctbx import sgtbx, uctbx
    import random
    generator = random.Random(400)
    group = sgtbx.space_group_info("F m -3 m").group()
    unit_cell = uctbx.unit_cell((cell, cell, cell, 90, 90, 90))
    symbols = sorted(FERMI)
    atoms = []
    while len(atoms) < count:
        site = tuple(round(generator.random(), 4) for _ in range(3))
        if sgtbx.site_symmetry(unit_cell, group, site, 2 * clearance).is_point_group_1():
            atoms.append((symbols[len(atoms) % len(symbols)], *site, round(generator.uniform(0.2, 1.5), 2),
                          round(generator.uniform(0.3, 1.0), 2)))
    return atoms


STRUCTURES["crowded_cubic"] = ("CUBI", "F m -3 m", (12, 12, 12, 90, 90, 90), crowded_cubic_atoms())


def build_structure(group, cell, atoms):
    symmetry = crystal.symmetry(unit_cell=cell, space_group_symbol=group.replace(":", " :"))
    # Sites are taken as given: no snapping of atoms near a special position onto it (the default
    # 0.5 Å would move apatite's Ca1 at z = 0.001), only exact special positions are special.
    symmetry = symmetry.special_position_settings(min_distance_sym_equiv=0.01)
    scatterers = []
    for number, (symbol, x, y, z, b, occupancy) in enumerate(atoms, start=1):
        scatterers.append(xray.scatterer(label=f"{symbol}{number}", site=(x, y, z),
                                         u=b / (8 * math.pi ** 2), occupancy=occupancy,
                                         scattering_type=symbol))
    structure = xray.structure(crystal_symmetry=symmetry, scatterers=flex.xray_scatterer(scatterers))
    return structure


def reflection_intensities(structure, radiation):
    d_min = WAVELENGTH / (2 * math.sin(math.radians(TWO_THETA_MAX / 2)))
    if radiation == "neutron":
        structure.scattering_type_registry(
            custom_dict={s: xray_scattering.gaussian(FERMI[s]) for s in FERMI})
    else:
        structure.scattering_type_registry(table="it1992")
    indices = miller.build_set(structure.crystal_symmetry(), anomalous_flag=False, d_min=d_min * 0.999)
    amplitudes = indices.structure_factors_from_scatterers(structure, algorithm="direct").f_calc()
    result = []
    for hkl, f, m, d in zip(amplitudes.indices(), amplitudes.data(), indices.multiplicities().data(),
                            amplitudes.d_spacings().data()):
        theta = math.asin(WAVELENGTH / (2 * d))
        two_theta = math.degrees(2 * theta)
        if not TWO_THETA_MIN <= two_theta <= TWO_THETA_MAX:
            continue
        d_factor = math.sin(theta) ** 2 * math.cos(theta)
        lp = (1 + math.cos(2 * theta) ** 2) * 0.5 / d_factor if radiation == "xray" else 1 / d_factor
        result.append((d, m * abs(f) ** 2 * lp))
    return result


def summed_peaks(reflections):
    peaks = []
    for d, intensity in sorted(reflections, reverse=True):
        if peaks and abs(peaks[-1][0] - d) < 1e-9 * d:  # equal spacings only: forms 6e-6 apart stay apart
            peaks[-1][1] += intensity
        else:
            peaks.append([d, intensity])
    strongest = max(i for _, i in peaks)
    return [(d, 100 * i / strongest) for d, i in peaks]


def write_fixture(path, name, radiation, system, group, cell, atoms):
    structure = build_structure(group, cell, atoms)
    peaks = summed_peaks(reflection_intensities(structure, radiation))
    with open(path, "w") as out:
        out.write(f"# {name}: cctbx direct summation, generated by tools/gen_reference_intensities.py\n")
        out.write(f"radiation {radiation}\nsystem {system}\ngroup {group}\n")
        out.write("cell " + " ".join(f"{v:.6g}" for v in cell) + "\n")
        out.write(f"lambda {WAVELENGTH}\nrange {TWO_THETA_MIN:g} {TWO_THETA_MAX:g}\n")
        for symbol, x, y, z, b, occupancy in atoms:
            out.write(f"atom {symbol} {x:.10g} {y:.10g} {z:.10g} {b:g} {occupancy:g}\n")
        for d, intensity in peaks:
            out.write(f"peak {d:.7f} {intensity:.6f}\n")


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else "tests/data/reference"
    os.makedirs(out_dir, exist_ok=True)
    for name, (system, group, cell, atoms) in STRUCTURES.items():
        for radiation in ("xray", "neutron"):
            write_fixture(os.path.join(out_dir, f"{name}_{radiation}.ref"), name, radiation,
                          system, group, cell, atoms)


if __name__ == "__main__":
    main()
