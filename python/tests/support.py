"""What the Python tests share: the batch program, the real CIFs, the example folder."""

import glob
import json
import os
import subprocess

BATCH = os.environ.get("KALIDOS_BATCH", "")
# Empty when the real files are absent, so that the tests that need them are skipped.
REALDATA = os.environ.get("KALIDOS_REALDATA_DIR", "")
REALDATA = REALDATA if os.path.isdir(REALDATA) else ""
EXAMPLES = os.environ.get("KALIDOS_EXAMPLES_DIR", "")


def real_cifs():
    """Every real CIF, sorted; empty when the real files are absent."""
    return sorted(glob.glob(os.path.join(REALDATA, "cif", "*.cif"))) if REALDATA else []


def run_batch(arguments, cwd):
    """kalidos-batch with `arguments` in `cwd`: (exit status, standard output, standard error)."""
    done = subprocess.run([BATCH] + arguments, cwd=cwd, capture_output=True, text=True, check=False)
    return done.returncode, done.stdout, done.stderr


def batch_json(arguments, cwd):
    """The document of `kalidos-batch --json -` and its exit status."""
    status, out, err = run_batch(arguments + ["--json", "-"], cwd)
    return status, json.loads(out) if out else None, err
