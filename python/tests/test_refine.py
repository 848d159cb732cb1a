"""kalidos.refine against kalidos-batch --refine on the same diagram, and its refined structures and CIF."""

import os
import sys
import tempfile
import unittest

import numpy as np

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import EXAMPLES, REALDATA, batch_json  # noqa: E402


class RefineLikeTheBatchRunner(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def measured(self, structures, name, **settings):
        """A diagram of `structures` as Poisson counts on a background of 40, written as x-y columns."""
        pattern = kalidos.calculate(structures, step=0.02, **settings).pattern
        counts = np.random.default_rng(3).poisson(40 + 150 * pattern["intensity"])
        path = os.path.join(self.folder, name)
        np.savetxt(path, np.column_stack([pattern["two_theta"], counts]))
        return path

    def test_same_results_as_the_json_of_the_batch_runner(self):
        rutile = kalidos.read_structure(os.path.join(EXAMPLES, "rutile.cif"))
        settings = {"two_theta": (20, 120), "profile": "tch", "zero": 0.02}
        observed = self.measured(rutile, "rutile.xy", **settings)
        start = rutile.copy()
        a, _, c, *angles = start.cell
        start.cell = (a * 1.002, a * 1.002, c * 0.998, *angles)
        start_file = os.path.join(self.folder, "start.cif")
        with open(start_file, "w", encoding="utf-8") as out:
            out.write(kalidos.cif_text(start))
        keywords = {"two_theta": (20, 120), "profile": "tch", "refine": "scale,background;zero,cell;xyz,biso",
                    "cycles": 12}
        mine = kalidos.refine(start_file, observed, **keywords)
        arguments = kalidos.batch_arguments(observed=[observed], **keywords)
        status, document, err = batch_json(arguments + [start_file], self.folder)
        self.assertEqual(status, 0, err)
        theirs = document["refinement"]
        self.assertEqual(mine.parameters, theirs["parameters"])
        self.assertEqual((mine.rwp, mine.chi2, mine.stages), (theirs["rwp"], theirs["chi2"], theirs["stages"]))
        self.assertEqual(mine.phases, theirs["phases"])
        self.assertEqual(mine.rwp, document["agreement"][0]["rwp"])
        value, su = mine.value("0::a")
        self.assertLess(abs(value - a), 3 * su)
        self.assertEqual(mine.structures[0].cell[0], value)
        refined = os.path.join(self.folder, "refined.cif")
        with open(refined, "w", encoding="utf-8") as out:
            out.write(mine.cif())
        self.assertAlmostEqual(kalidos.read_structure(refined).cell[0], value, delta=su)
        np.testing.assert_allclose(mine.curves["difference"], mine.curves["observed"] - mine.curves["calculated"])

    def test_a_mixture_and_refusals(self):
        phases = [os.path.join(EXAMPLES, name) for name in ("fluorite.cif", "zincite.cif")]
        observed = self.measured(phases, "mixture.xy", fractions=(0.6, 0.4), two_theta=(20, 90))
        result = kalidos.refine(phases, observed, refine=[["scale", "background"]], two_theta=(20, 90))
        fractions = [phase["fraction"] for phase in result.phases]
        for fraction, weighed, phase in zip(fractions, (0.6, 0.4), result.phases):
            self.assertLess(abs(fraction - weighed), 3 * phase["fraction_su"] + 1e-4)
        self.assertEqual(len(result.structures), 2)
        self.assertEqual(len(result.curves["phases"]), 2)
        self.assertIsNone(result.quantities)
        # Brindley's fractions and the instrument file, as kalidos-batch gives them.
        instrument = os.path.join(self.folder, "lab.instrument")
        keywords = {"refine": "scale,background", "two_theta": (20, 90), "brindley": 8, "standard": (1, 25)}
        corrected = kalidos.refine(phases, observed, save_instrument=instrument, **keywords)
        status, document, err = batch_json(kalidos.batch_arguments(observed=[observed], structures=2, **keywords) +
                                           phases, self.folder)
        self.assertEqual(status, 0, err)
        self.assertEqual(corrected.quantities["fraction_brindley"],
                         [phase["fraction_brindley"] for phase in document["phases"]])
        self.assertEqual(corrected.quantities["amorphous"], document["quantities"]["amorphous"])
        again = kalidos.refine(phases, observed, instrument=instrument, refine="scale,background", two_theta=(20, 90))
        self.assertEqual(again.rwp, result.rwp)
        with self.assertRaisesRegex(kalidos.KalidosError, "named twice"):
            kalidos.refine(phases[0], observed, refine="scale;scale", two_theta=(20, 90))
        with self.assertRaisesRegex(ValueError, "option --cycles: expected a whole number from 1 to 1000"):
            kalidos.refine(phases[0], observed, cycles=0, two_theta=(20, 90))

    @unittest.skipUnless(REALDATA, "skipped: no real data")
    def test_the_radiation_of_the_observed_file_without_a_wavelength(self):
        lab6 = os.path.join(os.path.dirname(__file__), "..", "..", "tests", "data", "instrument", "lab6.cif")
        raw = os.path.join(REALDATA, "raw", "v3_gsas2tut_LaB6_Jan2018.raw")
        keywords = {"two_theta": (10, 70), "profile": "tch", "refine": "scale,background;zero,cell"}
        stated = kalidos.refine(lab6, raw, **keywords)
        given = kalidos.refine(lab6, raw, wavelength=[(1.5406, 1), (1.54439, 0.5)], **keywords)
        self.assertEqual((stated.rwp, stated.value("0::a")), (given.rwp, given.value("0::a")))
        self.assertTrue(any(m.startswith("The radiation of v3_gsas2tut_LaB6_Jan2018.raw is used") for m in stated.messages))

    def test_le_bail_and_pawley_keywords_as_the_batch_runner_takes_them(self):
        phases = [os.path.join(EXAMPLES, name) for name in ("fluorite.cif", "zincite.cif")]
        observed = self.measured(phases, "mixture.xy", fractions=(0.6, 0.4), two_theta=(20, 90))
        keywords = {"two_theta": (20, 90), "refine": "scale,background;zero,cell", "le_bail": 2, "pawley": [1]}
        mine = kalidos.refine(phases, observed, write_intensities=os.path.join(self.folder, "f.hkl"), **keywords)
        arguments = kalidos.batch_arguments(observed=[observed], structures=2, **keywords)
        self.assertIn("--le-bail", arguments)
        status, document, err = batch_json(arguments + phases, self.folder)
        self.assertEqual(status, 0, err)
        self.assertEqual(mine.rwp, document["refinement"]["rwp"])
        self.assertEqual([p.get("method") for p in mine.phases], ["Pawley", "Le Bail"])
        self.assertTrue(all(r["f2"] >= 0 for p in mine.phases for r in p["reflections"]))
        self.assertTrue(os.path.exists(os.path.join(self.folder, "f_2.hkl")))

        # The zincite known by its cell alone beside the fluorite's structure: the batch runner's fit.
        cell = {"cell_phases": [(3.25, 3.25, 5.2, 90, 90, 120, "P 63 m c")], "two_theta": (20, 90),
                "refine": "scale,background;zero,cell"}
        beside = kalidos.refine(phases[:1], observed, **cell)
        status, document, err = batch_json(kalidos.batch_arguments(observed=[observed], **cell) + phases[:1],
                                           self.folder)
        self.assertEqual(status, 0, err)
        self.assertEqual((beside.rwp, beside.value("1::c")[0]),
                         (document["refinement"]["rwp"], document["refinement"]["phases"][1]["cell"]["c"]))
        self.assertLess(beside.rwp, 1.2 * mine.rwp)

if __name__ == "__main__":
    unittest.main()
