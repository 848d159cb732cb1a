"""read_diagram over the real measured files of today's formats, against their known figures."""

import os
import sys
import tempfile
import unittest

import numpy as np

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import REALDATA  # noqa: E402

# File under modern/: format, scans, points of the first scan, its first and last 2θ (within 0.01°),
# λ1 (0: none stated). The figures are those of the real files' provenance notes.
KNOWN = [
    ("xrdml/xylib_empyrean.xrdml", "xrdml", 1, 196, 30.05, 41.75, 1.540598),
    ("xrdml/fairmat_m82762_mesh_101scans.xrdml", "xrdml", 101, 255, 67.4505, 69.9515, 1.540598),
    ("raw4/xrdpattern_CO-2.raw", "raw4", 1, 3911, 10.0001, 89.9774, 1.5406),
    ("brml/cheminfo_test.brml", "brml", 1, 2443, 20.0, 79.9968, 1.5406),
    ("ras/rigakuxrd_MB120718Si3.ras", "ras", 1, 1401, 2.0, 30.0, 1.540593),
    ("ras/rigakuxrd_RM20220915Si01.rasx", "rasx", 1, 2151, 8.5, 30.0, None),
    ("ras/fairmat_Omega-2Theta_scan_high_temperature.rasx", "rasx", 1, 1042, 44.0, 48.9968, None),
    ("xy/easydiff_hrpt.xye", "xy", 1, 3098, 10.0, 164.85, 0),
    ("gsas/gsas2_PBSO4.XRA", "gsas", 1, 6001, 10.0, 160.0, None),
    ("uxd/xylib_BT86_.UXD", "uxd", 1, 2374, 3.0, None, None),
]


class RealMeasuredFiles(unittest.TestCase):
    def setUp(self):
        self.folder = os.path.join(REALDATA, "modern") if REALDATA else ""
        if not os.path.isdir(self.folder):
            self.skipTest("skipped: no real data")

    def test_points_and_wavelengths_as_the_files_state_them(self):
        for name, format, scans, points, first, last, lambda1 in KNOWN:
            with self.subTest(name):
                diagram = kalidos.read_diagram(os.path.join(self.folder, name))
                self.assertEqual(diagram["format"], format)
                self.assertEqual(len(diagram["scans"]), scans)
                self.assertEqual(diagram["two_theta"].shape, (points,))
                self.assertEqual(diagram["intensity"].shape, (points,))
                self.assertAlmostEqual(diagram["two_theta"][0], first, delta=0.01)
                if last is not None:
                    self.assertAlmostEqual(diagram["two_theta"][-1], last, delta=0.01)
                if lambda1 is not None:
                    self.assertAlmostEqual(diagram["wavelengths"]["lambda1"], lambda1, places=5)

    def test_uncertainties_and_later_scans(self):
        xye = kalidos.read_diagram(os.path.join(self.folder, "xy/importtool_Si_Cu_sputter_exported.xye"))
        unknown = np.isnan(xye["su"])
        self.assertEqual(int(unknown.sum()), 4951)  # σ "NaN" exactly where y is negative
        np.testing.assert_array_equal(unknown, xye["intensity"] < 0)
        self.assertIsNone(kalidos.read_diagram(os.path.join(self.folder, "xy/cheminfo_MG1-Cu2O-28_bg_subtracted.xy"))["su"])
        mesh = os.path.join(self.folder, "xrdml/fairmat_m82762_mesh_101scans.xrdml")
        last = kalidos.read_diagram(mesh, scan=101)
        self.assertEqual((last["scan"], last["two_theta"].shape), (101, (255,)))
        with self.assertRaisesRegex(ValueError, "holds 101 scan"):
            kalidos.read_diagram(mesh, scan=102)

    def test_a_damaged_file_is_refused_with_the_readers_message(self):
        with open(os.path.join(self.folder, "raw4/xrdpattern_CO-2.raw"), "rb") as whole:
            head = whole.read(2000)
        cut = os.path.join(tempfile.mkdtemp(), "cut.raw")
        with open(cut, "wb") as damaged:
            damaged.write(head)
        with self.assertRaises(kalidos.KalidosError) as refused:
            kalidos.read_diagram(cut)
        self.assertRegex(str(refused.exception), "^cut.raw: .*(cut short|ends)")


if __name__ == "__main__":
    unittest.main()
