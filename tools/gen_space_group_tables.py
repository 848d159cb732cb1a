#!/usr/bin/python3
"""Writes the space-group data files of data/:

  spgr2.dat   the catalogue: one setting per line, fixed line ranges per crystal system,
              columns 6-17 Hermann-Mauguin symbol, 27-46 Hall symbol, 47-49 group number;
  C.pos H.pos M.pos O.pos R.pos T.pos Q.POS
              the standard settings, one block per group: empty line, symbol, inversion
              flag, operator count, operators "x,y,z", count of comment lines, comments;
  csp.lst     group number and standard symbol of the 230 groups, one line each.

Source: gemmi's table of space-group settings (gemmi.spacegroup_table(), the settings of the
International Tables vol. A and B with their Hall symbols). Every catalogue row and every
standard block is checked here against cctbx.sgtbx, an independent implementation.

Rebuild:  /usr/bin/python3 tools/gen_space_group_tables.py data
Diff:     /usr/bin/python3 tools/gen_space_group_tables.py /tmp/sg && \
          for f in spgr2.dat C.pos H.pos M.pos O.pos R.pos T.pos Q.POS csp.lst; do diff data/$f /tmp/sg/$f; done
(/usr/bin/python3 is the interpreter that has gemmi and cctbx.)
"""

import os
import sys
from fractions import Fraction

import gemmi
from cctbx import sgtbx

DEN = 24  # gemmi's operators are integers in 24ths

# Catalogue line ranges (1-based, inclusive) and the group numbers of each system.
CATALOGUE = [
    ("TRIC", 1, 18, range(1, 3)),
    ("MONO", 19, 178, range(3, 16)),
    ("ORTH", 179, 370, range(16, 75)),
    ("TETR", 371, 480, range(75, 143)),
    ("HEXA", 481, 547, range(143, 195)),
    ("RHOM", 548, 556, range(143, 168)),
    ("CUBI", 558, 637, range(195, 231)),
]
CATALOGUE_LINES = 637

# Standard-setting files: name, group numbers, axes wanted for the R groups.
STANDARD_FILES = [
    ("T.pos", range(1, 3), None),
    ("M.pos", range(3, 16), None),
    ("O.pos", range(16, 75), None),
    ("Q.POS", range(75, 143), None),
    ("H.pos", range(143, 195), "H"),
    ("R.pos", range(143, 168), "R"),
    ("C.pos", range(195, 231), None),
]

# Orthorhombic has more distinct settings than its 192 lines. Left out: the non-standard
# axis permutations of the groups without mirror or glide planes (16-24), and the odd
# permutations ba-c, -cba, a-cb of the centrosymmetric groups 47-74 (their even
# permutations and both origin choices stay).
ODD_PERMUTATIONS = ("ba-c", "-cba", "a-cb")


def is_rhombohedral(sg):
    return sg.hm[0] == "R"


def in_system(sg, code, numbers):
    if sg.number not in numbers:
        return False
    if code == "HEXA" and is_rhombohedral(sg):
        return sg.ext == "H"
    if code == "RHOM":
        return is_rhombohedral(sg) and sg.ext == "R"
    return True


def left_out(sg):
    qualifier = sg.qualifier.lstrip("12")
    if 16 <= sg.number <= 24 and not sg.is_reference_setting():
        return True
    return 47 <= sg.number <= 74 and qualifier in ODD_PERMUTATIONS


def full_group(hall):
    """The operators of a Hall symbol as a set of (rotation, translation mod 1) in 24ths."""
    return frozenset((tuple(map(tuple, op.rot)), tuple(t % DEN for t in op.tran))
                     for op in gemmi.symops_from_hall(hall))


def cctbx_group(symbol):
    ops = set()
    for op in sgtbx.space_group_info(symbol=symbol).group().all_ops():
        r, rden = op.r().num(), op.r().den()
        rot = tuple(tuple(r[3 * i + j] * DEN // rden for j in range(3)) for i in range(3))
        tran = tuple(t * DEN // op.t().den() % DEN for t in op.t().num())
        ops.add((rot, tran))
    return frozenset(ops)


def catalogue_settings(code, numbers):
    table = list(gemmi.spacegroup_table())
    chosen = sorted((sg for sg in table if in_system(sg, code, numbers)),
                    key=lambda sg: (sg.number, not sg.is_reference_setting(), table.index(sg)))
    settings, seen = [], set()
    for sg in chosen:
        ops = full_group(sg.hall)
        if ops in seen:  # another name of a setting met before, kept or left out
            continue
        seen.add(ops)
        if not (code == "ORTH" and left_out(sg)):
            settings.append(sg)
    return settings


UNNAMED_IN_CCTBX = []


def check_catalogue_row(sg, symbols):
    hm = sg.xhm()
    key = hm.replace(" ", "").upper()
    assert len(hm) <= 12 and len(sg.hall) <= 20, hm
    assert key not in symbols, "H-M not unique without blanks: " + hm
    symbols.add(key)
    found = gemmi.find_spacegroup_by_name(hm.upper())
    assert found is not None and found.hall == sg.hall, hm
    assert full_group(sg.hall) == cctbx_group("Hall: " + sg.hall), hm
    try:  # cctbx does not know every setting's name (the centred triclinic ones, for example)
        by_name = cctbx_group(hm.replace(":", " :"))
    except RuntimeError:
        UNNAMED_IN_CCTBX.append(hm)
        return
    assert full_group(sg.hall) == by_name, hm


def catalogue_lines():
    lines = [""] * CATALOGUE_LINES
    symbols = set()
    for code, first, last, numbers in CATALOGUE:
        settings = catalogue_settings(code, numbers)
        assert len(settings) <= last - first + 1, (code, len(settings))
        for k, sg in enumerate(settings):
            check_catalogue_row(sg, symbols)
            lines[first - 1 + k] = "%-12s%9s%-20s%3d" % (sg.xhm(), "", sg.hall.strip(), sg.number)
    return ["%4d %s" % (n + 1, text) if text else "%4d" % (n + 1) for n, text in enumerate(lines)]


def standard_setting(number, axes):
    """The setting of the standard blocks: origin choice 2, R groups in the axes asked for."""
    candidates = [sg for sg in gemmi.spacegroup_table() if sg.number == number]
    if any(is_rhombohedral(sg) for sg in candidates):
        return next(sg for sg in candidates if sg.ext == (axes or "H"))
    two = [sg for sg in candidates if sg.ext == "2"]
    return two[0] if two else gemmi.get_spacegroup_reference_setting(number)


def standard_label(sg):
    """The short symbol without blanks ("P21/c", "Fd-3m:2"); R groups bare in both axes."""
    label = sg.short_name()
    if is_rhombohedral(sg):
        label = "R" + label[1:]
    if sg.ext == "2":
        label += ":2"
    return label


ROWS = {(DEN, 0, 0): "x", (0, DEN, 0): "y", (0, 0, DEN): "z", (-DEN, 0, 0): "-x", (0, -DEN, 0): "-y",
        (0, 0, -DEN): "-z", (DEN, -DEN, 0): "x-y", (-DEN, DEN, 0): "y-x"}
TRANSLATIONS = {0: "", 12: "+1/2", 8: "+1/3", 16: "+2/3", 6: "+1/4", 18: "+3/4", 4: "+1/6", 20: "+5/6"}


def operator_text(op):
    return ",".join(ROWS[tuple(op.rot[i])] + TRANSLATIONS[op.tran[i] % DEN] for i in range(3))


def determinant(rot):
    (a, b, c), (d, e, f), (g, h, i) = rot
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g)


def has_inversion(ops):
    return any(op.rot == [[-DEN, 0, 0], [0, -DEN, 0], [0, 0, -DEN]] and all(t % DEN == 0 for t in op.tran)
               for op in ops)


def centring_vectors(letter, axes):
    third, two = Fraction(1, 3), Fraction(2, 3)
    half = Fraction(1, 2)
    return {"R": [(third, two, two), (two, third, third)] if axes == "H" else [],
            "F": [(0, half, half), (half, 0, half), (half, half, 0)], "I": [(half, half, half)],
            "A": [(0, half, half)], "B": [(half, 0, half)], "C": [(half, half, 0)]}.get(letter, [])


def expanded_block(listed, inversion, letter, axes):
    """What the program makes of a block: inversion images, then centred copies (24ths)."""
    ops = [(tuple(map(tuple, op.rot)), tuple(op.tran)) for op in listed]
    if inversion:
        ops += [(tuple(tuple(-r for r in row) for row in rot), tran) for rot, tran in ops]
    result = set((rot, tuple(t % DEN for t in tran)) for rot, tran in ops)
    for vector in centring_vectors(letter, axes):
        shift = [int(v * DEN) for v in vector]
        result |= set((rot, tuple((t + s) % DEN for t, s in zip(tran, shift))) for rot, tran in ops)
    return frozenset(result)


def standard_block(number, axes):
    sg = standard_setting(number, axes)
    ops = sg.operations()
    inversion = has_inversion(ops)
    listed = list(ops.sym_ops)
    if inversion:
        listed = [op for op in listed if determinant(op.rot) > 0]
    assert expanded_block(listed, inversion, sg.hm[0], axes) == full_group(sg.hall), sg.xhm()
    cctbx_symbol = sg.xhm().replace(":", " :")
    assert full_group(sg.hall) == cctbx_group(cctbx_symbol), sg.xhm()
    label = standard_label(sg)
    found = gemmi.find_spacegroup_by_name(label + (":R" if axes == "R" else ""))
    assert found is not None and found.hall == sg.hall, label
    lines = ["", label, str(int(inversion)), str(len(listed))] + [operator_text(op) for op in listed]
    lines += ["2", "Hall " + sg.hall.strip(), "Number %d" % number]
    return label, lines


def write(directory, name, lines):
    with open(os.path.join(directory, name), "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "data"
    os.makedirs(directory, exist_ok=True)
    write(directory, "spgr2.dat", catalogue_lines())
    labels = {}
    for name, numbers, axes in STANDARD_FILES:
        lines, file_labels = [], set()
        for number in numbers:
            if axes == "R" and not is_rhombohedral(standard_setting(number, axes)):
                continue
            label, block = standard_block(number, axes)
            assert label not in file_labels, label
            file_labels.add(label)
            lines += block
            labels.setdefault(number, label)
        write(directory, name, lines)
    assert sorted(labels) == list(range(1, 231))
    print("catalogue symbols cctbx does not name (checked by Hall only):", " | ".join(UNNAMED_IN_CCTBX),
          file=sys.stderr)
    write(directory, "csp.lst", ["%d %s" % (number, labels[number]) for number in range(1, 231)])


if __name__ == "__main__":
    main()
