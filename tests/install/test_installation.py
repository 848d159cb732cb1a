"""The installed programs: `cmake --install` and `cpack -G DEB` trees, run from where they land."""

import glob
import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

BUILD = os.environ.get("KALIDOS_BUILD_DIR", "")
VERSION = os.environ.get("KALIDOS_VERSION", "")
BUILT_BATCH = os.environ.get("KALIDOS_BATCH", "")
EXAMPLES = os.environ.get("KALIDOS_EXAMPLES_DIR", "")
DATA = os.environ.get("KALIDOS_DATA_SOURCE_DIR", "")
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]


def run(command, cwd=None, env=None, timeout=300):
    done = subprocess.run(command, cwd=cwd, env=env, capture_output=True, text=True, timeout=timeout, check=False)
    return done.returncode, done.stdout, done.stderr


def png_size(path):
    """Width and height from a PNG's IHDR chunk."""
    with open(path, "rb") as png:
        header = png.read(24)
    assert header[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", header[16:24])


def quartz_json(batch, data_root, cwd):
    """The document of `batch` on the quartz example found under `data_root`."""
    status, out, err = run([batch, os.path.join(data_root, "examples", "quartz.cif"), "--json", "-"], cwd=cwd)
    assert status == 0, err
    return json.loads(out)


class InstallationTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="kalidos_install_")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.empty = os.path.join(self.scratch, "empty")
        os.mkdir(self.empty)

    def check_tree(self, prefix):
        """What an installed tree below `prefix` holds besides the programs."""
        share = os.path.join(prefix, "share")
        for name in sorted(os.listdir(DATA)):
            self.assertTrue(os.path.isfile(os.path.join(share, "kalidos", name)), name)
        for name in sorted(os.listdir(EXAMPLES)):
            self.assertTrue(os.path.isfile(os.path.join(share, "kalidos", "examples", name)), name)
        with open(os.path.join(share, "applications", "kalidos.desktop"), encoding="utf-8") as desktop:
            entry = dict(line.rstrip("\n").split("=", 1) for line in desktop if "=" in line)
        self.assertEqual(entry["Exec"].split()[0], "kalidos")
        self.assertEqual(entry["Icon"], "kalidos")
        self.assertIn("application/x-kalidos-cry", entry["MimeType"].split(";"))
        ns = "{http://www.freedesktop.org/standards/shared-mime-info}"
        mime = ElementTree.parse(os.path.join(share, "mime", "packages", "kalidos.xml")).getroot()
        types = {t.get("type"): [g.get("pattern") for g in t.iter(ns + "glob")] for t in mime.iter(ns + "mime-type")}
        self.assertEqual(types, {"application/x-kalidos-cry": ["*.cry"]})
        icons = os.path.join(share, "icons", "hicolor")
        ElementTree.parse(os.path.join(icons, "scalable", "apps", "kalidos.svg"))
        for size in ICON_SIZES:
            self.assertEqual(png_size(os.path.join(icons, f"{size}x{size}", "apps", "kalidos.png")), (size, size))

    def check_programs(self, prefix):
        """Both programs of a tree print the version, and the runner calculates from the tree's own data."""
        batch = os.path.join(prefix, "bin", "kalidos-batch")
        for program in ("kalidos", "kalidos-batch"):
            status, out, err = run([os.path.join(prefix, "bin", program), "--version"], cwd=self.empty)
            self.assertEqual((status, out.strip().lower()), (0, f"{program} {VERSION}"), err)
        share = os.path.join(prefix, "share", "kalidos")
        self.assertEqual(quartz_json(batch, share, self.empty), quartz_json(BUILT_BATCH, os.path.dirname(DATA), self.empty))
        self.assertFalse(set(os.listdir(self.empty)) & set(os.listdir(DATA)))  # listings only, no data copied
        # Without one of the tree's data files the runner names the tree's folder: it read no other.
        os.rename(os.path.join(share, "csp.lst"), os.path.join(self.scratch, "csp.lst"))
        status, _, err = run([batch, os.path.join(share, "examples", "quartz.cif")], cwd=self.empty)
        os.rename(os.path.join(self.scratch, "csp.lst"), os.path.join(share, "csp.lst"))
        self.assertEqual(status, 1)
        self.assertIn(f"File Csp.lst not found (in {os.path.realpath(share)})", err)
        # The Python module of the tree finds the same folder from where it lies.
        packages = glob.glob(os.path.join(prefix, "lib", "python3*", "dist-packages"))
        if packages:
            env = dict(os.environ, PYTHONPATH=packages[0])
            status, out, err = run(["/usr/bin/python3", "-c", "import kalidos; print(kalidos.default_data_directory())"],
                                   cwd=self.empty, env=env)
            self.assertEqual((status, os.path.realpath(out.strip())), (0, os.path.realpath(share)), err)

    def check_window_program_starts(self, prefix):
        """The window program started from the menu (an empty folder, a fresh home) finds the tree's data:
        its start-up clears the old listings of ~/kalidos-work, which it does only after that check."""
        home = os.path.join(self.scratch, "home")
        work = os.path.join(home, "kalidos-work")
        os.makedirs(work)
        old = os.path.join(work, "fstr.out")
        with open(old, "w", encoding="ascii") as listing:
            listing.write("old\n")
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), QT_QPA_PLATFORM="offscreen")
        program = subprocess.Popen([os.path.join(prefix, "bin", "kalidos")], cwd=self.empty, env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 30
            while os.path.exists(old) and time.monotonic() < deadline and program.poll() is None:
                time.sleep(0.1)
            self.assertFalse(os.path.exists(old))
            self.assertIsNone(program.poll())
        finally:
            program.kill()
            program.wait()

    def test_install_tree(self):
        installed = os.path.join(self.scratch, "installed")
        status, _, err = run([os.environ["CMAKE_COMMAND"], "--install", BUILD, "--prefix", installed])
        self.assertEqual(status, 0, err)
        for program in ("kalidos", "kalidos-batch"):
            self.assertTrue(os.access(os.path.join(installed, "bin", program), os.X_OK), program)
        self.check_tree(installed)
        # A tree moved elsewhere keeps working: the programs look beside themselves.
        moved = os.path.join(self.scratch, "moved")
        os.rename(installed, moved)
        self.check_programs(moved)
        self.check_window_program_starts(moved)

    def test_debian_package(self):
        if not shutil.which("dpkg-deb"):
            self.skipTest("dpkg-deb missing")
        status, out, err = run([os.environ["CPACK_COMMAND"], "-G", "DEB", "-B", self.scratch,
                                "--config", os.path.join(BUILD, "CPackConfig.cmake")], cwd=self.scratch, timeout=540)
        self.assertEqual(status, 0, out + err)
        packages = [name for name in os.listdir(self.scratch) if name.endswith(".deb")]
        self.assertEqual(len(packages), 1, packages)
        package = os.path.join(self.scratch, packages[0])
        unpacked = os.path.join(self.scratch, "unpacked")
        status, _, err = run(["dpkg-deb", "-x", package, unpacked])
        self.assertEqual(status, 0, err)
        prefix = os.path.join(unpacked, "usr")
        self.check_tree(prefix)
        self.check_programs(prefix)
        self.check_dependencies(package, prefix)

    def check_dependencies(self, package, prefix):
        """Every library the programs and the Python module link directly, and every library they
        load on demand (libzip, for zip-based diagrams), belongs to a package the control file
        depends on."""
        _, depends, _ = run(["dpkg-deb", "-f", package, "Depends"])
        declared = {re.split(r"[\s(]", item.strip())[0] for item in depends.split(",") if item.strip()}
        binaries = [os.path.join(prefix, "bin", name) for name in ("kalidos", "kalidos-batch")]
        for path in binaries + glob.glob(os.path.join(prefix, "lib", "python3*", "dist-packages", "kalidos", "*.so")):
            program = os.path.basename(path)
            _, dynamic, _ = run(["readelf", "-d", path])
            needed = re.findall(r"\(NEEDED\).*\[(.+)\]", dynamic)
            _, resolved, _ = run(["ldd", path])
            paths = dict(re.findall(r"^\s*(\S+) => (\S+)", resolved, re.MULTILINE))
            # The dynamic loader itself is listed by its path alone.
            paths.update((os.path.basename(path), path) for path in re.findall(r"^\s*(/\S+) \(", resolved, re.MULTILINE))
            self.assertTrue(needed)
            for library in needed:
                self.assertIn(self.owning_package(paths[library]), declared, f"{program} needs {library}")
        on_demand = os.environ["KALIDOS_LOADED_ON_DEMAND"].split()
        self.assertTrue(on_demand)
        _, cache, _ = run(["/sbin/ldconfig", "-p"])
        for library in on_demand:
            found = re.search(r"^\s*" + re.escape(library) + r" \(.*\) => (\S+)", cache, re.MULTILINE)
            self.assertTrue(found, library)
            self.assertIn(self.owning_package(found.group(1)), declared, f"the programs load {library}")

    def owning_package(self, path):
        _, owner, err = run(["dpkg", "-S", os.path.realpath(path)])
        if not owner:  # merged /usr: dpkg knows the /lib path
            _, owner, err = run(["dpkg", "-S", path])
        self.assertTrue(owner, err)
        return owner.split(":")[0]


if __name__ == "__main__":
    unittest.main()
