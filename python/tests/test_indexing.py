"""kalidos.find_cell gives the cells kalidos-batch --find-cell writes, from a diagram or a list."""

import math
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import REALDATA, batch_json  # noqa: E402


class Indexing(unittest.TestCase):
    def test_the_zincite_diagram_as_the_batch_runner(self):
        zincite = os.path.join(REALDATA, "rd", "qarr_ZINCITE.RD") if REALDATA else ""
        if not os.path.isfile(zincite):
            self.skipTest("skipped: no real data")
        found = kalidos.find_cell(observed=zincite)
        with tempfile.TemporaryDirectory() as folder:
            status, written, _ = batch_json(["--find-cell", "--observed", zincite], folder)
        self.assertEqual(status, 0)
        # The searches' seconds differ from run to run; the peaks and the cells do not.
        self.assertEqual(found["peaks"], written["peaks"])
        self.assertEqual(found["cells"], written["cells"])
        best = found["cells"][0]
        self.assertEqual(best["system"], "hexagonal")
        self.assertAlmostEqual(best["a"], 3.25, delta=0.01)
        self.assertAlmostEqual(best["c"], 5.21, delta=0.01)
        self.assertLess(best["rwp"], 0.15)  # the short Le Bail fit of the cell to the diagram (0.10)

    def test_a_list_of_angles_as_a_peak_file(self):
        # The first lines of a cubic F cell of 5.4309 Å at 1.5406 Å, computed here.
        hkl = [(1, 1, 1), (2, 2, 0), (3, 1, 1), (4, 0, 0), (3, 3, 1), (4, 2, 2), (5, 1, 1), (4, 4, 0),
               (5, 3, 1), (6, 2, 0), (5, 3, 3), (4, 4, 4)]
        angles = [2 * math.degrees(math.asin(1.5406 * math.sqrt(h * h + k * k + l * l) / (2 * 5.4309)))
                  for h, k, l in hkl]
        found = kalidos.find_cell(peaks=angles, wavelength=1.5406, systems=["cubic"])
        with tempfile.TemporaryDirectory() as folder:
            listing = os.path.join(folder, "lines.txt")
            with open(listing, "w") as out:
                out.write("".join(repr(float(t)) + "\n" for t in angles))
            status, written, _ = batch_json(["--find-cell", "--peaks", listing, "--lambda", "1.5406",
                                             "--systems", "cubic"], folder)
        self.assertEqual(status, 0)
        self.assertEqual(found["cells"], written["cells"])
        self.assertEqual((found["cells"][0]["system"], found["cells"][0]["centring"]), ("cubic", "F"))
        self.assertAlmostEqual(found["cells"][0]["a"], 5.4309, delta=0.0005)
        with self.assertRaises(ValueError):
            kalidos.find_cell()

    def test_a_diagram_that_states_no_wavelength_takes_the_one_given(self):
        # Gaussian lines of the same cell (FWHM 0.1°) on a flat background, as bare x y columns.
        angles = [2 * math.degrees(math.asin(1.5406 * math.sqrt(h * h + k * k + l * l) / (2 * 5.4309)))
                  for h, k, l in [(1, 1, 1), (2, 2, 0), (3, 1, 1), (4, 0, 0), (3, 3, 1), (4, 2, 2), (5, 1, 1)]]
        with tempfile.TemporaryDirectory() as folder:
            diagram = os.path.join(folder, "bare.xy")
            with open(diagram, "w") as out:
                for i in range(3501):
                    x = 20 + 0.02 * i
                    y = 50 + sum(1000 * math.exp(-4 * math.log(2) * ((x - t) / 0.1) ** 2) for t in angles)
                    out.write("%.2f %.3f\n" % (x, y))
            with self.assertRaises(kalidos.KalidosError) as refused:
                kalidos.find_cell(observed=diagram, systems=["cubic"])
            self.assertIn("states no wavelength", str(refused.exception))
            found = kalidos.find_cell(observed=diagram, wavelength=1.5406, systems=["cubic"])
        self.assertEqual((found["cells"][0]["system"], found["cells"][0]["centring"]), ("cubic", "F"))
        self.assertAlmostEqual(found["cells"][0]["a"], 5.4309, delta=0.002)


if __name__ == "__main__":
    unittest.main()
