"""The written CIF read back by this program and by gemmi: values, su, group, sites and tensors."""

import math
import os
import re
import sys
import tempfile
import unittest

import numpy as np

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import EXAMPLES, real_cifs  # noqa: E402

try:
    import gemmi
except ImportError:  # another interpreter than Debian's
    gemmi = None

NUMBER = re.compile(r"^(-?\d+)(?:\.(\d+))?(?:\((\d+)\))?$")


def parse(text):
    """(value, su, unit of the last digit) of "1.2345(12)"; su None without parentheses."""
    match = NUMBER.match(text)
    decimals = len(match.group(2) or "")
    unit = 10.0 ** -decimals
    su = int(match.group(3)) * unit if match.group(3) else None
    return float(text.split("(")[0]), su, unit


def made_up_su(structure):
    """su of every size and shape the writer must round: two digits, one digit, whole numbers."""
    a, b, c = structure.cell[:3]
    atoms = [(1.3e-4, 2.7e-3, 0.0195, 0.12 + 0.01 * i, 0.0) for i in range(len(structure.atoms))]
    return {"cell": (a * 1.4e-5, b * 3.3e-5, 0.0, 0.0123, 0.0, 2.5), "volume": 0.37, "atoms": atoms,
            "anisotropic": [(1.1e-4, 2.2e-4, 9.99e-4, 0.0, 5e-5, 1.0e-4)] * len(structure.atoms)}


def first_structure_block(path):
    """gemmi's reading of the block this program reads; None when gemmi refuses the file."""
    try:
        return next(b for b in gemmi.cif.read(path) if b.find_value("_atom_site_fract_x") or b.find_loop(
            "_atom_site_fract_x"))
    except (RuntimeError, StopIteration):
        return None


class RefinedCifReadsBack(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def check_number(self, text, value, su):
        written, read_su, unit = parse(text)
        self.assertLessEqual(abs(written - value), unit / 2 + 1e-12 * abs(value), text)
        if su:
            digits = round(read_su / unit)
            self.assertTrue(digits <= 19 and (digits >= 10 or unit == 1 or su >= 0.95 * unit), text)
            self.assertLessEqual(abs(read_su - su), unit / 2 + 1e-15, text)
        else:
            self.assertIsNone(read_su, text)

    def round_trip(self, path):
        structure = kalidos.read_structure(path)
        su = made_up_su(structure)
        figures = {"points": 3000, "parameters": 21, "rp": 0.0812, "rwp": 0.1043, "rexp": 0.0521, "chi2": 4.0076,
                   "r_bragg": 0.0377}
        written = os.path.join(self.folder, "refined.cif")
        with open(written, "w", encoding="utf-8") as out:
            out.write(kalidos.cif_text(structure, "refined", su, figures))
        again = kalidos.read_structure(written)  # each value within its su, which set its last digit
        for mine, theirs, value_su in zip(again.cell, structure.cell, su["cell"]):
            self.assertAlmostEqual(mine, theirs, delta=max(value_su, 1e-6 * theirs))
        self.assertEqual(len(again.operators), len(structure.operators))
        for mine, theirs, atom_su in zip(again.atoms, structure.atoms, su["atoms"]):
            self.assertEqual(mine["symbol"], theirs["symbol"])
            for k, key in enumerate(("x", "y", "z", "b", "population")):
                self.assertAlmostEqual(mine[key], theirs[key], delta=max(atom_su[k], 5e-5), msg=key)
        plain = os.path.join(self.folder, "plain.cif")  # without su every value keeps its digits
        with open(plain, "w", encoding="utf-8") as out:
            out.write(kalidos.cif_text(structure))
        first = kalidos.calculate(structure, wavelength="CuKa1", two_theta=(10, 90))
        second = kalidos.calculate(plain, wavelength="CuKa1", two_theta=(10, 90))
        self.assertEqual(len(first.reflections["d"]), len(second.reflections["d"]))
        np.testing.assert_allclose(second.reflections["d"], first.reflections["d"], rtol=1e-6)
        strongest = first.reflections["intensity"].max()  # B written to 1e-4: a few 1e-5 of it
        np.testing.assert_allclose(second.reflections["intensity"], first.reflections["intensity"], atol=5e-5 * strongest)
        return self.check_with_gemmi(written, path, structure, su, figures) if gemmi is not None else 0

    def check_with_gemmi(self, written, original, structure, su, figures):
        block = gemmi.cif.read(written).sole_block()
        tags = ("_cell_length_a", "_cell_length_b", "_cell_length_c", "_cell_angle_alpha", "_cell_angle_beta",
                "_cell_angle_gamma")
        for tag, value, value_su in zip(tags, structure.cell, su["cell"]):
            self.check_number(block.find_value(tag), value, value_su)
        self.assertAlmostEqual(math.sqrt(figures["chi2"]), float(block.find_value("_refine_ls_goodness_of_fit_all")),
                               delta=5e-6)
        self.assertEqual(float(block.find_value("_refine_ls_R_I_factor")), figures["r_bragg"])
        ops = [gemmi.Op(gemmi.cif.as_string(o)) for o in block.find_values("_space_group_symop_operation_xyz")]
        self.assertEqual(len(ops), len(structure.operators))
        small = gemmi.make_small_structure_from_block(block)
        sites = block.find("_atom_site_", ["fract_x", "fract_y", "fract_z", "B_iso_or_equiv", "occupancy"])
        self.assertEqual(len(small.sites), len(structure.atoms))
        for row, site, atom, atom_su in zip(sites, small.sites, structure.atoms, su["atoms"]):
            for k, key in enumerate(("x", "y", "z", "b", "population")):
                self.check_number(row[k], atom[key], atom_su[k])
            self.assertAlmostEqual(site.u_iso * 8 * math.pi ** 2, atom["b"], delta=atom_su[3])
            self.assertAlmostEqual(site.occ, atom["population"], delta=5e-5)
        return self.check_against_the_original(block, small, ops, first_structure_block(original))

    def check_against_the_original(self, block, small, ops, original):
        """The group and the tensors as gemmi reads them from the original file; the tensors met."""
        if original is None:
            return 0
        theirs = gemmi.make_small_structure_from_block(original).find_spacegroup()
        if theirs is not None:
            found = gemmi.find_spacegroup_by_ops(gemmi.GroupOps(ops)) or gemmi.find_spacegroup_by_ops(
                gemmi.split_centering_vectors(ops))
            self.assertEqual(found.xhm() if found else None, theirs.xhm())
        labels = [site.label for site in small.sites]
        before = gemmi.make_small_structure_from_block(original).sites
        tensors = 0
        for row in block.find("_atom_site_aniso_", ["label", "U_11", "U_33", "U_13"]):
            index = labels.index(row[0])
            if len(before) != len(labels) or not before[index].aniso.nonzero():
                continue  # the file gives B_ij or beta_ij, which gemmi does not read
            tensors += 1
            old = before[index].aniso
            for k, value, value_su in ((1, old.u11, 1.1e-4), (2, old.u33, 9.99e-4), (3, old.u13, 5e-5)):
                self.check_number(row[k], value, value_su)
        return tensors

    def test_the_examples_and_every_real_cif(self):
        paths = [os.path.join(EXAMPLES, name) for name in ("quartz.cif", "rutile.cif", "zincite.cif")]
        tensors = 0
        for path in paths + real_cifs():
            with self.subTest(file=os.path.basename(path)):
                try:
                    kalidos.read_structure(path)
                except kalidos.KalidosError:
                    continue  # refused files are the readers' tests
                tensors += self.round_trip(path)
        if real_cifs() and gemmi is not None:
            self.assertGreater(tensors, 10)  # the aniso loop was met and checked


if __name__ == "__main__":
    unittest.main()
