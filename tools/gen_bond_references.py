#!/usr/bin/python3
"""Generate tests/data/bonds/*.bonds: the bonds of the real CIFs as gemmi reads them.

For each CIF of the folder the first block with atom sites is read with gemmi (Debian
python3-gemmi): cell, sites (element from _atom_site_type_symbol or the label, as gemmi decides)
and the symmetry operators of the file (_space_group_symop_operation_xyz or
_symmetry_equiv_pos_as_xyz; gemmi's operators of the H-M or Hall name when it lists none).
The positions of the cell are each site's images under the operators, brought into [0, 1);
images closer than 0.002 along every axis (modulo whole cells) are one position. A bond is each
image of a cell position, over all cell translations, with 0.01 <= d < r1 + r2 + T (gemmi's
covalent radii, T = 0.45 A) from a site of the asymmetric unit, d by gemmi's metric. The element
of a site is read as the program's CIF import reads it (the type symbol, else the label: two
letters when they name an element, else the first, so "Wat1" is W where gemmi would say X).

gemmi's NeighborSearch reports one image per pair of sites (the nearest), so it cannot list the
several images of a short axis; it is used as a check: every pair it finds within the distance
must be in the list, at the same distance (for the files whose elements gemmi reads alike). A file whose group gemmi cannot tell gets no reference.

Each reference holds the tolerance, the number of sites, then one line per bond:
from to distance (1-based site numbers in the order of the file, distance in A to 1e-5).

Rebuild and compare with the committed references:
    /usr/bin/python3 tools/gen_bond_references.py ../shared/realdata/cif /tmp/bonds
    diff -r /tmp/bonds tests/data/bonds
"""
import glob
import math
import os
import re
import sys

import gemmi

TOLERANCE = 0.45   # A
SAME_PLACE = 0.01  # A
SAME_SITE = 0.002  # fractional


def element_of(text):
    """The element at the start of a label or type symbol, as the program's CIF import decodes it:
    two letters when they name an element, else the first ("Wat1" is W, "OW" is O)."""
    match = re.match(r"[A-Za-z]{1,2}", text)
    if not match:
        return gemmi.Element("X")
    letters = match.group(0)
    two = gemmi.Element(letters[:1].upper() + letters[1:].lower())
    return two if len(letters) == 2 and two.name != "X" else gemmi.Element(letters[:1].upper())


def site_elements(small, block):
    """Each site's element: from _atom_site_type_symbol when given, else from its label."""
    types = list(block.find_values("_atom_site_type_symbol"))
    if len(types) != len(small.sites):
        types = [None] * len(small.sites)
    return [element_of(gemmi.cif.as_string(t) if t not in (None, "?", ".") else site.label)
            for site, t in zip(small.sites, types)]


def first_structure_block(path):
    try:
        document = gemmi.cif.read(path)
    except RuntimeError as error:  # e.g. two blocks of one name
        print("gemmi cannot read %s: %s" % (os.path.basename(path), error))
        return None
    for block in document:
        if block.find_value("_atom_site_fract_x") is not None or block.find_loop("_atom_site_fract_x"):
            return block
    return None


def operators(small, block):
    texts = []
    for tag in ("_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz"):
        texts = texts or [gemmi.cif.as_string(v) for v in block.find_values(tag)]
    if texts:
        return [gemmi.Op(t) for t in texts]
    group = small.find_spacegroup()
    if group is None:
        hall = block.find_value("_symmetry_space_group_name_Hall") or block.find_value("_space_group_name_Hall")
        group = gemmi.find_spacegroup_by_ops(gemmi.symops_from_hall(gemmi.cif.as_string(hall))) if hall else None
    return list(group.operations()) if group else None


def cell_positions(site, ops):
    positions = []
    for op in ops:
        image = [v - math.floor(v) for v in op.apply_to_xyz(site.fract.tolist())]
        image = [0.0 if v >= 1 - 1e-9 else v for v in image]
        if not any(all(abs(d - round(d)) <= SAME_SITE for d in (a - b for a, b in zip(image, p))) for p in positions):
            positions.append(image)
    return positions


def bonds_of(small, ops, elements):
    cell = small.cell
    stars = [cell.reciprocal().a, cell.reciprocal().b, cell.reciprocal().c]
    radii = [element.covalent_r for element in elements]
    images = [(j, p) for j, site in enumerate(small.sites) for p in cell_positions(site, ops)]
    bonds = []
    for i, site in enumerate(small.sites):
        own = []
        origin = site.fract.tolist()
        for j, p in images:
            cutoff = radii[i] + radii[j] + TOLERANCE
            d = [a - b for a, b in zip(p, origin)]
            ranges = [range(math.ceil(-d[k] - cutoff * stars[k]), math.floor(-d[k] + cutoff * stars[k]) + 1)
                      for k in range(3)]
            for na in ranges[0]:
                for nb in ranges[1]:
                    for nc in ranges[2]:
                        distance = cell.orthogonalize(gemmi.Fractional(d[0] + na, d[1] + nb, d[2] + nc)).length()
                        if SAME_PLACE <= distance < cutoff:
                            own.append((i + 1, j + 1, distance))
        bonds += sorted(own, key=lambda b: (b[2], b[1]))
    return bonds


def check_with_neighbour_search(small, bonds, path):
    """Every pair gemmi's NeighborSearch finds within the distance is among the bonds."""
    small.setup_cell_images()
    longest = 2 * max(site.element.covalent_r for site in small.sites) + TOLERANCE
    search = gemmi.NeighborSearch(small, longest).populate(include_h=True)
    labels = {site.label: n + 1 for n, site in enumerate(small.sites)}
    for i, site in enumerate(small.sites):
        for mark in search.find_site_neighbors(site, min_dist=SAME_PLACE, max_dist=longest):
            j = labels[mark.to_site(small).label]
            distance = search.dist(site.orth(small.cell), mark.pos())
            if distance < site.element.covalent_r + small.sites[j - 1].element.covalent_r + TOLERANCE:
                if not any(b[0] == i + 1 and b[1] == j and abs(b[2] - distance) < 1e-4 for b in bonds):
                    sys.exit("%s: gemmi's pair %s-%s at %.5f is missing" % (path, site.label, mark.to_site(small).label, distance))


def main(folder, output):
    os.makedirs(output, exist_ok=True)
    for path in sorted(glob.glob(os.path.join(folder, "*.cif"))):
        block = first_structure_block(path)
        if block is None:
            continue
        small = gemmi.make_small_structure_from_block(block)
        ops = operators(small, block)
        cell = small.cell
        if not ops or not small.sites or any(math.isnan(v) for v in (cell.alpha, cell.beta, cell.gamma)):
            print("no reference for", os.path.basename(path))
            continue
        elements = site_elements(small, block)
        bonds = bonds_of(small, ops, elements)
        if (small.find_spacegroup() is not None and len(set(s.label for s in small.sites)) == len(small.sites)
                and all(e.name == s.element.name for e, s in zip(elements, small.sites))):
            check_with_neighbour_search(small, bonds, path)
        name = os.path.splitext(os.path.basename(path))[0]
        with open(os.path.join(output, name + ".bonds"), "w", encoding="ascii") as out:
            out.write("# bonds of %s (gemmi %s): from to distance\n" % (os.path.basename(path), gemmi.__version__))
            out.write("tolerance %.2f\nsites %d\n" % (TOLERANCE, len(small.sites)))
            for b in bonds:
                out.write("%d %d %.5f\n" % b)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
