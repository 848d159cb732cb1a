#!/usr/bin/python3
"""Generate tests/data/readers/cif_*.ref: powder intensities of real CIFs as cctbx reads them.

Each CIF of realdata/cif listed below is read with iotbx.cif (Debian python3-cctbx); its space group
and cell come from cctbx's own reading of the file's symmetry items. The sites are taken with the
conventions the program's CIF import follows, so that both sides describe the same structure:
  - the element or ion: _atom_site_type_symbol when present (an ion when the program's X-ray
    table lists it, also with a trailing "." as O2-. for O2-, whose coefficients are then the
    program's on this side too; its element otherwise), else the element at the start of the label;
  - isotropic B = 8 pi^2 U_iso_or_equiv (or _atom_site_B_iso_or_equiv; when neither is given, B_eq of
    the site's aniso U_ij or B_ij, else 1), even for atoms refined anisotropically;
  - occupancy from _atom_site_occupancy, 1 when absent.
Form factors it1992, f' = f'' = 0, structure factors by direct summation over the whole group.
Intensity = multiplicity x |F|^2 x LP with the program's tube LP (1 + cos^2 2θ)/2 / (sin^2 θ cos θ),
CuKa1 1.54056 Å, 2θ from 10 to 80 degrees. Reflections of equal d are summed and the strongest
peak is scaled to 100.

Rebuild and compare with the committed fixtures:
    /usr/bin/python3 tools/gen_cif_references.py ../shared/realdata/cif /tmp/ref
    diff /tmp/ref/cif_cod_2240189.ref tests/data/readers/cif_cod_2240189.ref   (and so on)

With --all, every CIF of the folder gets a reference (the batch runner's comparison with cctbx,
tests/data/batch/cif_references), with the neutron peaks too ("neutron_peak" lines: the same
structure with the program's Fermi lengths as constant form factors, LP 1 / (sin^2 θ cos θ), at
the same wavelength); a file cctbx cannot read gets a reference holding only the line
"unavailable" and cctbx's reason. A block whose symmetry items cctbx cannot interpret (an H-M name
without operators that it does not know as written) takes its group from the H-M name through
sgtbx, a centred triclinic name such as "A -1" through its Hall symbol "-A 1":
    /usr/bin/python3 tools/gen_cif_references.py --all ../shared/realdata/cif /tmp/all
    diff -r /tmp/all tests/data/batch/cif_references

With --absolute, the files of ABSOLUTE_FILES (one or more of each lattice centring: P, A, C, I, F,
R on hexagonal and on rhombohedral axes; operators listed in the file or only a symbol; sites with
and without tensors) get their intensities per cell, not scaled: m |F|^2 LP summed over the
reflections of one spacing, each site with its tensor when the aniso loop names it
(tools/gen_aniso_references.py). A file listed with a
symbol is also calculated with that symbol instead of its operators ("space_group" line). A data item
given twice keeps its first value, as the program reads it (iotbx refuses the repetition):
    /usr/bin/python3 tools/gen_cif_references.py --absolute ../shared/realdata/cif /tmp/abs
    diff -r /tmp/abs tests/data/batch/cif_absolute_references
"""
import math
import os
import re
import sys

import iotbx.cif
from cctbx import adptbx, crystal, eltbx, miller, xray
import cctbx.eltbx.xray_scattering  # noqa: F401  (eltbx.xray_scattering.gaussian)
from cctbx.array_family import flex
from iotbx.cif import builders

WAVELENGTH = 1.54056
TWO_THETA_MIN, TWO_THETA_MAX = 10.0, 80.0
FILES = ["cod_1000054.cif", "cod_1010879.cif", "cod_1011031.cif", "cod_2013551.cif", "cod_2240189.cif",
         "cod_4003024.cif", "cod_9000195.cif", "cod_9012705.cif"]

# Ions of the program's X-ray table (those among its 213 symbols), in the table's own spelling.
PROGRAM_IONS = set("""H1- Li1+ Be2+ O1- F1- Na1+ Mg2+ Al3+ Si4+ Cl1- K1+ Ca2+ Sc3+ Ti2+ Ti3+ Ti4+ V2+ V3+
V5+ Cr2+ Cr3+ Mn2+ Mn3+ Mn4+ Fe2+ Fe3+ Co2+ Co3+ Ni2+ Ni3+ Cu1+ Cu2+ Zn2+ Ga3+ Ge4+ Br1- Rb1+ Sr2+ Y3+
Zr4+ Nb3+ Nb5+ Mo3+ Mo5+ Mo6+ Ru3+ Ru+4 Rh3+ Rh4+ Pd2+ Pd4+ Ag1+ Ag2+ Cd2+ In3+ Sn2+ Sn4+ Sb3+ Sb5+ I1-
Cs1+ Ba2+ La3+ Ce3+ Ce4+ Pr3+ Pr4+ Nd3+ Pm3+ Sm3+ Eu2+ Eu3+ Gd3+ Tb3+ Dy3+ Ho3+ Er3+ Tm3+ Yb2+ Yb3+ Lu3+
Hf4+ Ta5+ W6+ Os4+ Ir3+ Ir4+ Pt2+ Pt4+ Au1+ Au3+ Hg1+ Hg2+ Tl1+ Tl3+ Pb2+ Pb4+ Bi3+ Bi5+ Ra2+ Ac3+ Th4+
U3+ U4+ U6+ Np3+ Np4+ Np6+ Pu3+ Pu4+ Pu6+""".split())
# Ions the program finds through its rows written with a trailing ".": O2- is the row O2-.
# (the older two-Gaussian fit). cctbx's own O2- differs, so both sides use the program's row.
PROGRAM_DOT_ROWS = {"O2-": ((4.758, 7.831), (3.637, 30.05), (0, 0), (0, 0), 1.594)}
# cctbx's it1992 labels where they differ from the program's.
CCTBX_LABEL = {"Ru+4": "Ru4+"}
ELEMENTS = set("""H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu Zn Ga Ge
As Se Br Kr Rb Sr Y Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te I Xe Cs Ba La Ce Pr Nd Pm Sm Eu Gd Tb Dy Ho
Er Tm Yb Lu Hf Ta W Re Os Ir Pt Au Hg Tl Pb Bi Po At Rn Fr Ra Ac Th Pa U Np Pu Am Cm Bk Cf D""".split())


def element_of(text):
    letters = re.match(r"[A-Za-z]{1,2}", text).group(0)
    two = letters[:1].upper() + letters[1:].lower()
    return two if two in ELEMENTS else two[0]


def scattering_type(type_symbol, label):
    if type_symbol in (None, "?", "."):
        return element_of(label)
    match = re.match(r"([A-Za-z]{1,2})(\d*)([+-]?)", type_symbol)
    element = element_of(match.group(1))
    charge, sign = match.group(2), match.group(3)
    if not sign or charge == "0":
        return element
    charge = charge or "1"
    for ion in (element + charge + sign, element + sign + charge):
        if ion in PROGRAM_IONS or ion in PROGRAM_DOT_ROWS:
            return CCTBX_LABEL.get(ion, ion)
    return element


def program_dot_rows(structure):
    """The program's own rows for the ions it finds with a trailing ".", for the types present."""
    used = set(structure.scatterers().extract_scattering_types())
    rows = {}
    for ion, (*pairs, c) in PROGRAM_DOT_ROWS.items():
        if ion in used:
            rows[ion] = eltbx.xray_scattering.gaussian([a for a, _ in pairs], [b for _, b in pairs], c)
    return rows


def number(text, default):
    if text is None or text in ("?", "."):
        return default
    return float(re.sub(r"\(.*?\)", "", text))


def column(block, tag, count):
    values = block.get(tag)
    return list(values) if values is not None else [None] * count


def aniso_tensors(block, unit_cell):
    """U* of every site named in the aniso loop (U_ij, B_ij or beta_ij), by label."""
    labels = block.get("_atom_site_aniso_label")
    if labels is None or unit_cell is None:
        return {}
    for form, factor in (("U", 1.0), ("B", 1 / (8 * math.pi ** 2)), ("beta", None)):
        columns = [block.get(f"_atom_site_aniso_{form}_{s}") for s in ("11", "22", "33", "12", "13", "23")]
        if all(c is not None for c in columns):
            break
    else:
        return {}
    result = {}
    for i, label in enumerate(labels):
        values = [number(c[i], None) for c in columns]
        if None in values:
            continue
        if factor is None:
            result[label] = adptbx.beta_as_u_star(tuple(values))
        else:
            result[label] = adptbx.u_cif_as_u_star(unit_cell, tuple(v * factor for v in values))
    return result


def equivalent_b(block, unit_cell):
    """B_eq = 8 pi^2 U_eq of the sites in the aniso loop, by label."""
    return {label: 8 * math.pi ** 2 * adptbx.u_star_as_u_iso(unit_cell, u_star)
            for label, u_star in aniso_tensors(block, unit_cell).items()}


def sites(block, unit_cell=None):
    labels = list(block.get("_atom_site_label"))
    n = len(labels)
    types = column(block, "_atom_site_type_symbol", n)
    us = column(block, "_atom_site_U_iso_or_equiv", n)
    bs = column(block, "_atom_site_B_iso_or_equiv", n)
    occupancies = column(block, "_atom_site_occupancy", n)
    xyz = [column(block, "_atom_site_fract_" + axis, n) for axis in "xyz"]
    result = []
    for i, label in enumerate(labels):
        u = number(us[i], None)
        b = 8 * math.pi ** 2 * u if u is not None else number(bs[i], None)
        if b is None:  # no isotropic value: B_eq of the tensor, else 1
            b = equivalent_b(block, unit_cell).get(label, 1.0)
        result.append((label, scattering_type(types[i], label), [number(c[i], 0) for c in xyz], b,
                       number(occupancies[i], 1.0)))
    return result


def program_fermi_lengths():
    """The program's nucleus table, read from its source: {"FE": 0.954, ...}."""
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "core", "computation",
                          "neutron_scattering_table.cpp")
    with open(source) as text:
        return {name: float(value) for name, value in re.findall(r'\{"([A-Z.]+)", (-?[\d.]+)\}', text.read())}


def nucleus_lengths(structure):
    """Constant form factors holding the program's Fermi length of each type's element; the
    first element the program does not know, or None."""
    table = program_fermi_lengths()
    lengths = {}
    for kind in set(structure.scatterers().extract_scattering_types()):
        element = element_of(kind).upper()
        if element not in table:
            return None, element
        lengths[kind] = eltbx.xray_scattering.gaussian(table[element])
    return lengths, None


def absolute_intensities(structure, radiation="xray"):
    """(d, m |F|^2 LP per cell) of every spacing in the range, equal spacings summed, d descending."""
    d_min = WAVELENGTH / (2 * math.sin(math.radians(TWO_THETA_MAX / 2)))
    if radiation == "neutron":
        structure.scattering_type_registry(custom_dict=nucleus_lengths(structure)[0])
    else:
        structure.scattering_type_registry(table="it1992", custom_dict=program_dot_rows(structure))
    indices = miller.build_set(structure.crystal_symmetry(), anomalous_flag=False, d_min=d_min * 0.999)
    f_calc = indices.structure_factors_from_scatterers(structure, algorithm="direct").f_calc()
    peaks = []
    for f, m, d in zip(f_calc.data(), indices.multiplicities().data(), f_calc.d_spacings().data()):
        theta = math.asin(WAVELENGTH / (2 * d))
        if not TWO_THETA_MIN <= math.degrees(2 * theta) <= TWO_THETA_MAX:
            continue
        lp = 1 / (math.sin(theta) ** 2 * math.cos(theta))
        if radiation == "xray":
            lp *= (1 + math.cos(2 * theta) ** 2) * 0.5
        intensity = m * abs(f) ** 2 * lp
        if peaks and abs(peaks[-1][0] - d) < 1e-5:
            peaks[-1][1] += intensity
        else:
            peaks.append([d, intensity])
    peaks.sort(key=lambda p: -p[0])
    merged = []
    for d, i in peaks:
        if merged and abs(merged[-1][0] - d) < 1e-5:
            merged[-1][1] += i
        else:
            merged.append([d, i])
    return merged


def intensities(structure, radiation="xray"):
    merged = absolute_intensities(structure, radiation)
    strongest = max(i for _, i in merged)
    return [(d, 100 * i / strongest) for d, i in merged]


def block_symmetry(block):
    try:
        symmetry = builders.crystal_symmetry_builder(block).crystal_symmetry
        if symmetry.space_group() is not None:
            return symmetry
    except builders.CifBuilderError:
        pass
    name = block.get("_symmetry_space_group_name_H-M") or block.get("_space_group_name_H-M_alt")
    if name is None:
        raise builders.CifBuilderError("no symmetry items cctbx can interpret")
    cell = [number(block.get("_cell_" + tag), 90.0) for tag in
            ("length_a", "length_b", "length_c", "angle_alpha", "angle_beta", "angle_gamma")]
    # sgtbx knows centred triclinic groups only by their Hall symbols: "A -1" is "-A 1".
    triclinic = re.fullmatch(r"([ABCFI])\s*(-?)1", str(name).strip())
    symbol = f"Hall: {triclinic.group(2)}{triclinic.group(1)} 1" if triclinic else str(name)
    return crystal.symmetry(unit_cell=cell, space_group_symbol=symbol)


def distinct_block_names(text):
    """The CIF text with repeated block names numbered (data_global, data_global_2, ...): iotbx
    keeps only the last of blocks of one name, the program reads the first structure."""
    seen = {}

    def rename(match):
        name = match.group(1).lower()
        seen[name] = seen.get(name, 0) + 1
        return match.group(0) if seen[name] == 1 else f"{match.group(0)}_{seen[name]}"
    return re.sub(r"(?im)^data_(\S+)", rename, text)


def write_reference(cif_path, out_dir, neutrons=False):
    with open(cif_path, encoding="latin-1") as cif:
        text = distinct_block_names(cif.read())
    model = iotbx.cif.reader(input_string=text, strict=False).model()
    name, block = next((k, b) for k, b in model.items() if b.get("_atom_site_label") is not None)
    symmetry = block_symmetry(block)
    atoms = sites(block, symmetry.unit_cell())
    scatterers = flex.xray_scatterer([
        xray.scatterer(label=label, site=site, u=b / (8 * math.pi ** 2), occupancy=occupancy,
                       scattering_type=kind) for label, kind, site, b, occupancy in atoms])
    structure = xray.structure(crystal_symmetry=symmetry, scatterers=scatterers)
    out_name = "cif_" + os.path.splitext(os.path.basename(cif_path))[0] + ".ref"
    with open(os.path.join(out_dir, out_name), "w") as out:
        out.write(f"# {os.path.basename(cif_path)} block {name}: cctbx direct summation, "
                  "generated by tools/gen_cif_references.py\n")
        out.write(f"file {os.path.basename(cif_path)}\ngroup {symmetry.space_group_info()}\n")
        out.write(f"lambda {WAVELENGTH}\nrange {TWO_THETA_MIN:g} {TWO_THETA_MAX:g}\n")
        for label, kind, site, b, occupancy in atoms:
            out.write(f"atom {label} {kind} {site[0]:.6g} {site[1]:.6g} {site[2]:.6g} {b:.6g} {occupancy:g}\n")
        for d, intensity in intensities(structure):
            out.write(f"peak {d:.6f} {intensity:.6f}\n")
        if neutrons:
            lengths, unknown = nucleus_lengths(structure)
            if lengths is None:
                out.write(f"neutron_unavailable the program has no Fermi length for {unknown}\n")
                return
            for d, intensity in intensities(structure, "neutron"):
                out.write(f"neutron_peak {d:.6f} {intensity:.6f}\n")


def structure_with_tensors(block, symmetry):
    """The sites of `block`, each named in the aniso loop with its tensor (U*), the others with B."""
    anisotropic = aniso_tensors(block, symmetry.unit_cell())
    scatterers = flex.xray_scatterer()
    for label, kind, site, b, occupancy in sites(block, symmetry.unit_cell()):
        u = anisotropic.get(label, b / (8 * math.pi ** 2))
        scatterers.append(xray.scatterer(label=label, site=site, u=u, occupancy=occupancy, scattering_type=kind))
    return xray.structure(crystal_symmetry=symmetry, scatterers=scatterers), len(anisotropic)


# File: the symbol it is also calculated with instead of its listed operators, or None.
ABSOLUTE_FILES = {
    "cod_1000054.cif": "P -3 m 1",       # P, operators listed, isotropic
    "cod_2013551.cif": None,             # P, tensors
    "cod_2000583.cif": None,             # P, symbol only
    "cod_2000507.cif": None,             # A -1, symbol only
    "cod_1000035.cif": None,             # C, operators listed
    "cod_2010787.cif": None,             # C, tensors
    "cod_1518798.cif": None,             # I, operators listed
    "cod_9009872.cif": None,             # I, tensors
    "cod_1011031.cif": "F -4 3 m",       # F, operators listed
    "cod_9011732.cif": None,             # F, tensors
    "amcsd_corundum_Sapphire.cif": "R-3c",  # R hexagonal axes, operators listed, tensors only
    "cod_9000251.cif": None,             # R hexagonal axes, operators listed
    "se0086.cif": None,                  # R hexagonal axes, symbol only
    "cod_9008098.cif": None,             # R rhombohedral axes
    "cod_9012705.cif": None,             # R rhombohedral axes, one site
}


def first_values_only(text):
    """The CIF text without the later repetitions of a data item given on one line with its value."""
    seen = set()
    kept = []
    for line in text.splitlines(keepends=True):
        match = re.match(r"\s*(_\S+)\s+\S", line)
        if re.match(r"(?i)data_", line):
            seen = set()
        elif match:
            tag = match.group(1).lower()
            if tag in seen:
                continue
            seen.add(tag)
        kept.append(line)
    return "".join(kept)


def write_absolute_reference(cif_path, symbol, out_dir):
    with open(cif_path, encoding="latin-1") as cif:
        text = first_values_only(distinct_block_names(cif.read()))
    model = iotbx.cif.reader(input_string=text, strict=False).model()
    name, block = next((k, b) for k, b in model.items() if b.get("_atom_site_label") is not None)
    symmetry = block_symmetry(block)
    structure, tensors = structure_with_tensors(block, symmetry)
    peaks = absolute_intensities(structure)
    with open(os.path.join(out_dir, "cif_" + os.path.splitext(os.path.basename(cif_path))[0] + ".ref"), "w") as out:
        out.write(f"# {os.path.basename(cif_path)} block {name}: m |F|^2 LP per cell by cctbx's direct summation, "
                  "generated by tools/gen_cif_references.py --absolute\n")
        out.write(f"file {os.path.basename(cif_path)}\ngroup {symmetry.space_group_info()}\n")
        out.write(f"lambda {WAVELENGTH}\nrange {TWO_THETA_MIN:g} {TWO_THETA_MAX:g}\nanisotropic {tensors}\n")
        if symbol:
            out.write(f"space_group {symbol}\n")
        for d, intensity in peaks:
            out.write(f"peak {d:.6f} {intensity:.7g}\n")


def write_all_references(cif_dir, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name in sorted(f for f in os.listdir(cif_dir) if f.endswith(".cif")):
        try:
            write_reference(os.path.join(cif_dir, name), out_dir, neutrons=True)
        except Exception as error:  # cctbx refuses the file: say why instead of a reference
            reason = " ".join(str(error).split())
            with open(os.path.join(out_dir, "cif_" + os.path.splitext(name)[0] + ".ref"), "w") as out:
                out.write(f"# {name}: no reference, generated by tools/gen_cif_references.py --all\n")
                out.write(f"file {name}\nunavailable {type(error).__name__}: {reason}\n")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--absolute":
        cif_dir = sys.argv[2] if len(sys.argv) > 2 else "../shared/realdata/cif"
        out_dir = sys.argv[3] if len(sys.argv) > 3 else "tests/data/batch/cif_absolute_references"
        os.makedirs(out_dir, exist_ok=True)
        for name, symbol in ABSOLUTE_FILES.items():
            write_absolute_reference(os.path.join(cif_dir, name), symbol, out_dir)
        return
    if len(sys.argv) > 1 and sys.argv[1] == "--all":
        write_all_references(sys.argv[2] if len(sys.argv) > 2 else "../shared/realdata/cif",
                             sys.argv[3] if len(sys.argv) > 3 else "tests/data/batch/cif_references")
        return
    cif_dir = sys.argv[1] if len(sys.argv) > 1 else "../shared/realdata/cif"
    out_dir = sys.argv[2] if len(sys.argv) > 2 else "tests/data/readers"
    os.makedirs(out_dir, exist_ok=True)
    for name in FILES:
        write_reference(os.path.join(cif_dir, name), out_dir)


if __name__ == "__main__":
    main()
