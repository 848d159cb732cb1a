# %% [markdown]
# # KALIDOS from Python
# Read a structure, calculate its powder diagram with two radiations, change the structure
# and compare. Run it as a script or cell by cell in a notebook; with the module in the build
# folder: PYTHONPATH=build/python /usr/bin/python3 examples/python_quickstart.py

# %%
import os

import numpy as np

import kalidos

here = os.path.dirname(os.path.abspath(__file__))
quartz = kalidos.read_structure(os.path.join(here, "quartz.cif"))
print(quartz, quartz.cell)

# %% X-rays from a copper tube, Kα1 and Kα2
xray = kalidos.calculate(quartz, wavelength=[(1.54056, 1.0), (1.54439, 0.5)], two_theta=(15, 70))
strongest = int(np.argmax(xray.reflections["intensity"]))
hkl = tuple(int(xray.reflections[i][strongest]) for i in "hkl")
print("strongest reflection", hkl, "at 2θ =", round(float(xray.reflections["two_theta"][strongest]), 3))

# %% Neutrons at 1.5 Å see the oxygen atoms better
neutron = kalidos.calculate(quartz, wavelength=1.5, radiation="neutron", two_theta=(15, 70))
print("neutron reflections:", len(neutron.reflections["d"]))

# %% A 2 % larger cell moves every peak to lower angles
larger = quartz.copy()
a, b, c, alpha, beta, gamma = larger.cell
larger.cell = (1.02 * a, 1.02 * b, 1.02 * c, alpha, beta, gamma)
moved = kalidos.calculate(larger, wavelength=1.54056, two_theta=(15, 70))
base = kalidos.calculate(quartz, wavelength=1.54056, two_theta=(15, 70))
peak = lambda r: r.pattern["two_theta"][np.argmax(r.pattern["intensity"])]
print("main peak moves from", round(float(peak(base)), 2), "to", round(float(peak(moved)), 2))
