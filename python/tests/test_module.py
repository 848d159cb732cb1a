"""The module against kalidos-batch on the real CIFs, edits, threads, errors and the example."""

import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile
import unittest

import numpy as np

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import EXAMPLES, batch_json, real_cifs, run_batch  # noqa: E402

# Several settings, each given as calculate's keywords.
SETTINGS = [
    {"wavelength": "CuKa1"},
    {"wavelength": [(1.5406, 1.0), (1.5444, 0.5)], "two_theta": (20, 90), "uvw": (0.002, -0.001, 0.004)},
    {"wavelength": 1.5, "radiation": "neutron", "two_theta": (5, 120), "step": 0.02},
    {"wavelength": 0.7093, "synchrotron": 0.9, "two_theta": (5, 40), "preferred": (0, 0, 1, 0.8)},
]

REFLECTION_KEYS = {"h": "h", "k": "k", "l": "l", "multiplicity": "multiplicity", "wavelength": "lambda",
                   "d": "d", "two_theta": "two_theta", "intensity": "intensity", "po_factor": "po_factor",
                   "position": "position", "fwhm": "fwhm", "eta": "eta"}


class AgainstTheBatchRunner(unittest.TestCase):
    def setUp(self):
        self.cifs = real_cifs()
        if not self.cifs:
            self.skipTest("skipped: no real data")
        self.folder = tempfile.mkdtemp()

    def compare(self, cif, settings):
        status, document, err = batch_json(kalidos.batch_arguments(**settings) + [cif], self.folder)
        try:
            structure = kalidos.read_structure(cif)
            result = kalidos.calculate(structure, **settings)
        except kalidos.KalidosError as error:
            self.assertNotEqual(status, 0, err)
            self.assertEqual(str(error).splitlines(), document["messages"])
            return False
        self.assertEqual(status, 0, err)
        for key, batch_key in REFLECTION_KEYS.items():
            expected = np.array([r[batch_key] for r in document["reflections"]])
            np.testing.assert_array_equal(result.reflections[key], expected.reshape(-1), err_msg=key)
        np.testing.assert_array_equal(result.pattern["two_theta"], document["pattern"]["two_theta"])
        np.testing.assert_array_equal(result.pattern["intensity"], document["pattern"]["intensity"])
        np.testing.assert_array_equal(result.peaks["intensity"], [p["intensity"] for p in document["peaks"]])
        self.assertEqual(structure.messages + result.messages, document["messages"])
        return True

    def test_every_real_cif_with_several_settings(self):
        calculated = 0
        for settings in SETTINGS:
            for cif in self.cifs:
                with self.subTest(cif=os.path.basename(cif), settings=settings):
                    calculated += self.compare(cif, settings)
        self.assertGreater(calculated, len(SETTINGS) * len(self.cifs) // 2)

    def test_comparison_with_a_measured_diagram_equals_the_batch_runner(self):
        settings = {"wavelength": [(1.540598, 1), (1.544426, 0.5)], "two_theta": (20, 80), "compare": True,
                    "fit": ["zero"], "observed": [os.path.join(os.path.dirname(self.cifs[0]), "..", "rd",
                                                               "qarr_CORUNDUM.RD")]}
        cif = os.path.join(os.path.dirname(self.cifs[0]), "amcsd_corundum_Sapphire.cif")
        status, document, err = batch_json(kalidos.batch_arguments(**settings) + [cif], self.folder)
        self.assertEqual(status, 0, err)
        mine = kalidos.calculate(cif, **settings).agreements[0]
        theirs = document["agreement"][0]
        self.assertEqual(mine["rwp"], theirs["rwp"])
        self.assertEqual(mine["zero_shift"], (theirs["zero_shift"], theirs["zero_shift_su"]))
        self.assertGreater(mine["zero_shift"][1], 0)

    def test_profile_and_mixture_settings_equal_the_batch_runner(self):
        profile = {"wavelength": "CuKa1", "two_theta": (20, 100), "profile": "tch", "gauss": (0.003, -0.001, 0.004, 0.0),
                   "lorentz": (0.01, 0.03), "size": (80, 0.94), "strain": (0.05, "lorentz"), "asymmetry": (0.03, 0.02),
                   "zero": 0.04, "displacement": (0.1, 217), "transparency": 0.05}
        cif = os.path.join(os.path.dirname(self.cifs[0]), "amcsd_corundum_Sapphire.cif")
        self.assertTrue(self.compare(cif, profile))
        plain = kalidos.calculate(cif, wavelength="CuKa1", two_theta=(20, 100)).pattern["intensity"]
        self.assertGreater(np.abs(plain - kalidos.calculate(cif, **profile).pattern["intensity"]).max(), 5)

        files = [cif] + [os.path.join(EXAMPLES, name) for name in ("fluorite.cif", "zincite.cif")]
        observed = os.path.join(os.path.dirname(self.cifs[0]), "..", "rd", "qarr_CPD-1A.RD")
        for settings in ({"fractions": (0.2, 0.5, 0.3), "phase_sizes": (0, 60, 0), "phase_preferred": {2: (1, 1, 1, 0.9)},
                          "step": 0.05},
                         {"fit_fractions": True, "fit": ("size", "cell"), "observed": [observed], "background": 6}):
            settings = dict(profile, two_theta=(20, 90), **settings)
            status, document, err = batch_json(kalidos.batch_arguments(structures=3, **settings) + files, self.folder)
            self.assertEqual(status, 0, err)
            mine = kalidos.calculate(files, **settings)
            self.assertEqual(mine.phases, document["phases"])
            np.testing.assert_array_equal(mine.pattern["intensity"], document["pattern"]["intensity"])
            np.testing.assert_array_equal(mine.pattern["phases"][1], document["pattern"]["phases"][1])
            np.testing.assert_array_equal(mine.reflections["mixture_intensity"],
                                          [r["mixture_intensity"] for r in document["reflections"]])
            if mine.fit:
                self.assertEqual((mine.fit["rwp"], mine.fit["cycles"]), (document["fit"]["rwp"], document["fit"]["cycles"]))
                self.assertGreater(mine.phases[0]["fraction_su"], 0)
        with self.assertRaisesRegex(ValueError, "several structures need fractions or fit_fractions"):
            kalidos.calculate(files)

    def test_records_equal_the_json_lines_of_one_batch_run(self):
        status, _, err = run_batch(["-j", "2", "--json", "all.jsonl", "--anode", "MoKa1"] + self.cifs, self.folder)
        with open(os.path.join(self.folder, "all.jsonl"), encoding="utf-8") as lines:
            batch = lines.read().splitlines()
        self.assertEqual(len(batch), len(self.cifs), err)
        records = [kalidos.record(cif, wavelength="MoKa1") for cif in self.cifs]
        for cif, mine, theirs in zip(self.cifs, records, batch):
            self.assertEqual(mine, theirs, os.path.basename(cif))
        self.assertEqual(status, 0 if all(json.loads(r)["ok"] for r in records) else 1)


class ModuleBehaviour(unittest.TestCase):
    def setUp(self):
        self.quartz = kalidos.read_structure(os.path.join(EXAMPLES, "quartz.cif"))

    def test_edits_reach_the_calculation_and_leave_the_original(self):
        before = kalidos.calculate(self.quartz, listings=True)
        edited = self.quartz.copy()
        a, b, c, alpha, beta, gamma = edited.cell
        edited.cell = (a * 1.01, b * 1.01, c, alpha, beta, gamma)
        edited.title = "stretched"
        after = kalidos.calculate(edited)
        first = np.argmax(before.reflections["intensity"])
        self.assertLess(after.reflections["two_theta"][first], before.reflections["two_theta"][first])
        self.assertEqual(self.quartz.cell[0], a)
        with self.assertRaisesRegex(ValueError, "^Impossible cell given: a = 5, b = 5, c = 5, alpha = 170"):
            edited.cell = (5, 5, 5, 170, 170, 170)
        self.assertIn("fstr.out", before.listings)
        self.assertGreater(len(before.listings["fstr2.out"]), 1000)
        self.assertIsNone(after.listings)

        atoms = edited.atoms
        silicon_only = [atom for atom in atoms if atom["symbol"].upper().startswith("SI")]
        edited.atoms = silicon_only
        self.assertEqual(len(edited.atoms), len(silicon_only))
        self.assertNotEqual(list(kalidos.calculate(edited).peaks["intensity"]), list(after.peaks["intensity"]))

    def test_bonds_equal_the_batch_runner(self):
        status, document, err = batch_json(["--bonds", "--bond-tolerance", "0.3",
                                            os.path.join(EXAMPLES, "quartz.cif")], tempfile.mkdtemp())
        self.assertEqual(status, 0, err)
        self.assertEqual(self.quartz.bonds(tolerance=0.3), document["bonds"])
        # Each Si of quartz sits in a tetrahedron of O at 1.605 and 1.614 A; Si-Si (3.06 A) is no bond.
        silicon = [bond for bond in self.quartz.bonds() if bond["from"].startswith("Si")]
        self.assertEqual([bond["to"][0] for bond in silicon], ["O"] * 4)
        for bond in silicon:
            self.assertAlmostEqual(bond["distance"], 1.609, delta=0.006)
        # Rutile's Ti-Ti pairs (2.96 A along c, 3.57 A to the centre) are within reach of the radii
        # (3.65 A) but no expected bond.
        rutile_file = os.path.join(EXAMPLES, "rutile.cif")
        status, document, err = batch_json(["--bonds", "--bond-pairs", "all", rutile_file], tempfile.mkdtemp())
        rutile = kalidos.read_structure(rutile_file)
        self.assertEqual(rutile.bonds(pairs="all"), document["bonds"])
        metal = [(b["from"], b["to"]) for b in rutile.bonds(pairs="all") if b["to_atom"] == b["from_atom"] == 1]
        self.assertEqual(metal, [("Ti1", "Ti1")] * 10)
        self.assertFalse([b for b in rutile.bonds() if b["to_atom"] == b["from_atom"] == 1])
        with self.assertRaises(ValueError):
            rutile.bonds(pairs="Ti-Qq")

    def test_space_group_replaced_and_unknown_refused(self):
        edited = self.quartz.copy()
        edited.set_space_group("P 31 2 1")
        self.assertEqual(len(edited.operators), 6)
        with self.assertRaisesRegex(kalidos.KalidosError, "unknown space group"):
            edited.set_space_group("F m -3 m")

    def test_errors_carry_the_program_messages(self):
        with self.assertRaisesRegex(kalidos.KalidosError, "Cannot open"):
            kalidos.read_structure("/nonexistent/x.cif")
        with self.assertRaisesRegex(ValueError, "--neutron needs --lambda"):
            kalidos.calculate(self.quartz, wavelength="CuKa1", radiation="neutron")
        with self.assertRaisesRegex(kalidos.KalidosError, "Unknown anode item: XxKa1"):
            kalidos.calculate(self.quartz, wavelength="XxKa1")
        empty = self.quartz.copy()
        empty.atoms = []
        with self.assertRaisesRegex(kalidos.KalidosError, "No atom in the asymetric unit!"):
            kalidos.calculate(empty)

    def test_threads_give_the_serial_results(self):
        structures = [os.path.join(EXAMPLES, name) for name in ("quartz.cif", "rutile.cif", "nacl.cif", "silicon.cry")]
        structures += real_cifs()[:4]
        serial = [kalidos.calculate(s, wavelength="CuKa1") for s in structures]
        with concurrent.futures.ThreadPoolExecutor(4) as pool:
            parallel = list(pool.map(lambda s: kalidos.calculate(s, wavelength="CuKa1"), structures))
        for one, other in zip(serial, parallel):
            np.testing.assert_array_equal(one.pattern["intensity"], other.pattern["intensity"])
            np.testing.assert_array_equal(one.reflections["d"], other.reflections["d"])

    def test_a_diagram_exported_by_the_batch_runner_reads_back(self):
        folder = tempfile.mkdtemp()
        cif = os.path.join(EXAMPLES, "quartz.cif")
        status, _, err = run_batch(["--anode", "CuKa1", "--export", "q.cpi", cif], folder)
        self.assertEqual(status, 0, err)
        diagram = kalidos.read_diagram(os.path.join(folder, "q.cpi"))
        pattern = kalidos.calculate(cif, wavelength="CuKa1").pattern
        np.testing.assert_allclose(diagram["two_theta"], pattern["two_theta"], atol=0.05)  # the step has 4 decimals
        scaled = 100 * pattern["intensity"] / pattern["intensity"].max()
        counts = diagram["intensity"]  # as the file holds them: whole counts, largest 100 000
        np.testing.assert_allclose(100 * counts / counts.max(), scaled, atol=0.01)
        self.assertEqual(diagram["format"], "cpi")
        with open(os.path.join(folder, "q.xyz"), "w", encoding="ascii") as junk:
            junk.write("not a diagram\n")
        with self.assertRaisesRegex(kalidos.KalidosError, "q.xyz: the content is not a measured diagram"):
            kalidos.read_diagram(os.path.join(folder, "q.xyz"))

    def test_the_notebook_example_runs(self):
        done = subprocess.run([sys.executable, os.path.join(EXAMPLES, "python_quickstart.py")], cwd=tempfile.mkdtemp(),
                              capture_output=True, text=True, check=False)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("strongest reflection", done.stdout)


if __name__ == "__main__":
    unittest.main()
