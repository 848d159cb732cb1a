"""kalidos.dask on a local cluster of two worker processes gives the serial records."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import kalidos  # noqa: E402
from support import real_cifs, run_batch  # noqa: E402


class OnALocalCluster(unittest.TestCase):
    def test_two_worker_processes_give_the_serial_records(self):
        cifs = real_cifs()
        if not cifs:
            self.skipTest("skipped: no real data")
        from distributed import Client, LocalCluster
        output = os.path.join(tempfile.mkdtemp(), "cluster.jsonl")
        settings = {"wavelength": "CuKa1", "two_theta": (10, 70)}
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
                Client(cluster) as client:
            import kalidos.dask
            lines = kalidos.dask.map_files(client, cifs, output=output, **settings)
            workers = {w for w in client.scheduler_info()["workers"]}
        self.assertEqual(len(workers), 2)
        serial = [kalidos.record(cif, **settings) for cif in cifs]
        self.assertEqual(len(lines), len(serial))
        for cif, mine, theirs in zip(cifs, lines, serial):
            self.assertEqual(mine, theirs, os.path.basename(cif))
        with open(output, encoding="utf-8") as written:
            self.assertEqual(written.read().splitlines(), lines)
        folder = tempfile.mkdtemp()
        status, _, err = run_batch(kalidos.batch_arguments(**settings) + ["--json", "b.jsonl"] + cifs, folder)
        with open(os.path.join(folder, "b.jsonl"), encoding="utf-8") as batch:
            self.assertEqual(batch.read().splitlines(), lines, err)


if __name__ == "__main__":
    unittest.main()
