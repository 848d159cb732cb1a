"""kalidos.refine_series gives kalidos-batch --series's records and table; kalidos.dask.refine_series
gives them on a local cluster of two worker processes."""

import json
import os
import sys
import tempfile
import unittest

import numpy

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import EXAMPLES, run_batch  # noqa: E402

COUNT = 5
SETTINGS = {"wavelength": "CuKa1", "two_theta": (20, 110), "profile": "tch"}
REFINE = "scale,background;zero,cell"


def cell_at(k):
    """Rutile's a and c in diagram k: 0.1 % larger from one diagram to the next."""
    return 4.5937 * (1 + 1e-3 * k), 2.9587 * (1 + 1e-3 * k)


def write_series(folder):
    """COUNT diagrams of rutile, one powder CIF file each with its temperature, Poisson counts."""
    rutile = kalidos.read_structure(os.path.join(EXAMPLES, "rutile.cif"))
    rng = numpy.random.default_rng(35)
    os.makedirs(os.path.join(folder, "run"))
    for k in range(COUNT):
        moved = rutile.copy()
        a, c = cell_at(k)
        moved.cell = (a, a, c, 90, 90, 90)
        pattern = kalidos.calculate(moved, step=0.02, zero=0.02, **SETTINGS).pattern
        counts = rng.poisson(40 + 20000 * pattern["intensity"] / 100)
        with open(os.path.join(folder, "run", "rutile_%d.cif" % (k + 1)), "w", encoding="ascii") as out:
            out.write("data_r%d\n_diffrn_ambient_temperature %d\nloop_\n_pd_meas_2theta_scan\n"
                      "_pd_meas_counts_total\n" % (k + 1, 300 + 100 * k))
            out.writelines("%.4f %d\n" % (x, n) for x, n in zip(pattern["two_theta"], counts))


class Series(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp()
        write_series(cls.folder)
        cls.rutile = os.path.join(EXAMPLES, "rutile.cif")

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_the_batch_runners_records_and_table_and_a_stopped_run_continued(self):
        series = kalidos.refine_series(self.rutile, self.path("run"), REFINE, output=self.path("py.jsonl"),
                                       csv=self.path("py.csv"), **SETTINGS)
        self.assertEqual([r["temperature"] for r in series.records], [300 + 100 * k for k in range(COUNT)])
        a, su = series.value("0::a")
        for k in range(COUNT):
            self.assertLess(abs(a[k] - cell_at(k)[0]), 3 * su[k], k)
        self.assertEqual(list(series.column("start")), list(range(COUNT)))
        arguments = kalidos.series_arguments(self.path("run"), REFINE, output="b.jsonl", csv="b.csv", **SETTINGS)
        status, _, err = run_batch(arguments + [self.rutile], self.folder)
        self.assertEqual(status, 0, err)
        for mine, theirs in (("py.jsonl", "b.jsonl"), ("py.csv", "b.csv")):
            with open(self.path(mine), encoding="utf-8") as m, open(self.path(theirs), encoding="utf-8") as t:
                self.assertEqual(m.read(), t.read(), mine)
        # Stopped after two records and a half: the rest refined again, to the same records.
        with open(self.path("py.jsonl"), encoding="utf-8") as written:
            lines = written.read().splitlines()
        with open(self.path("py.jsonl"), "w", encoding="utf-8") as cut:
            cut.write("\n".join(lines[:2]) + "\n" + lines[2][:100])
        again = kalidos.refine_series(self.rutile, self.path("run"), REFINE, output=self.path("py.jsonl"), **SETTINGS)
        self.assertEqual([json.dumps(r) for r in again.records], [json.dumps(json.loads(l)) for l in lines])
        with self.assertRaises(kalidos.KalidosError):
            kalidos.refine_series(self.rutile, self.path("run"), "scale,background", output=self.path("py.jsonl"),
                                  **SETTINGS)

    def test_a_local_cluster_gives_the_serial_records(self):
        from distributed import Client, LocalCluster
        import kalidos.dask
        serial = kalidos.refine_series(self.rutile, self.path("run"), REFINE, mode="independent", curves=False,
                                       **SETTINGS)
        blocks = kalidos.refine_series(self.rutile, self.path("run"), REFINE, block=2, curves=False, **SETTINGS)
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
                Client(cluster) as client:
            spread = kalidos.dask.refine_series(client, self.rutile, self.path("run"), REFINE, mode="independent",
                                                output=self.path("d.jsonl"), csv=self.path("d.csv"), curves=False,
                                                **SETTINGS)
            chains = kalidos.dask.refine_series(client, self.rutile, self.path("run"), REFINE, mode="sequential",
                                                block=2, curves=False, **SETTINGS)
        self.assertEqual(spread.records, serial.records)
        self.assertEqual(chains.records, blocks.records)
        self.assertEqual([r["start"] for r in chains.records], [0, 1, 0, 3, 0])
        with open(self.path("d.jsonl"), encoding="utf-8") as written:
            records = sorted((json.loads(line) for line in written), key=lambda r: r["index"])
        self.assertEqual(records, serial.records)
        with open(self.path("d.csv"), encoding="utf-8") as table:
            rows = table.read().splitlines()
        self.assertEqual(len(rows), COUNT + 1)
        self.assertTrue(rows[0].startswith("index,file,scan,name,temperature_K,"))

if __name__ == "__main__":
    unittest.main()
