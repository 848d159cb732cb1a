"""kalidos.index and kalidos.identify give what kalidos-batch --index and --identify write."""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import EXAMPLES, REALDATA, batch_json  # noqa: E402


class Identification(unittest.TestCase):
    def test_index_then_identify_as_the_batch_runner(self):
        zincite = os.path.join(REALDATA, "rd", "qarr_ZINCITE.RD") if REALDATA else ""
        if not os.path.isfile(zincite):
            self.skipTest("skipped: no real data")
        with tempfile.TemporaryDirectory() as folder:
            for name in ("fluorite.cif", "zincite.cif", "rutile.cif", "quartz.cif"):
                shutil.copy(os.path.join(EXAMPLES, name), folder)
            with open(os.path.join(folder, "broken.cif"), "w") as broken:
                broken.write("data_broken\n_cell_length_a 5\n")
            database = os.path.join(folder, "library.sqlite")
            report = kalidos.index(folder, index_file=database, jobs=2)
            self.assertEqual((report["files"], report["structures"]), (5, 4))
            self.assertEqual([os.path.basename(r["file"]) for r in report["refused"]], ["broken.cif"])
            self.assertEqual(kalidos.index(folder, index_file=database)["calculated"], 0)

            found = kalidos.identify(zincite, database, elements="-Ca", top=3)
            status, written, _ = batch_json(["--identify", "--observed", zincite, "--index-file", database,
                                             "--elements", "-Ca", "--top", "3"], folder)
            self.assertEqual(status, 0)
            self.assertEqual(found, written)
            self.assertEqual([p["formula"] for p in found["phases"]], ["Zn O"])
            self.assertNotIn("Ca F2", [c["formula"] for c in found["candidates"]])
            with self.assertRaises(kalidos.KalidosError):
                kalidos.identify(zincite, os.path.join(folder, "broken.cif"))


if __name__ == "__main__":
    unittest.main()
