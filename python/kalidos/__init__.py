"""KALIDOS from Python: read structures and measured diagrams, simulate powder diagrams.

>>> import kalidos
>>> quartz = kalidos.read_structure("examples/quartz.cif")
>>> result = kalidos.calculate(quartz, wavelength="CuKa1", two_theta=(10, 80))
>>> result.reflections["two_theta"][:3], result.pattern["intensity"].max()

Every keyword of `calculate` follows an option of kalidos-batch, with the same default, and
is checked by the same code; the results are those kalidos-batch writes with --json.
A calculation releases the GIL and keeps its scratch files and listings in memory, so
calculations may run in any number of threads at once.
"""

from dataclasses import dataclass, field
from typing import Optional

from ._kalidos import KalidosError, Structure, default_data_directory
from . import _kalidos

__all__ = ["KalidosError", "Structure", "Result", "read_structure", "read_diagram", "calculate",
           "record", "batch_arguments", "default_data_directory", "index", "identify"]

_FORMATS = ("cry", "shelx", "cel", "lzy", "cif")


def read_structure(path, format=None, block=None, data=None):
    """Reads a structure file: .cry, ShelX (.ins, .res), PowderCell (.cel), LAZY (.lzy) or CIF.

    format: one of "cry", "shelx", "cel", "lzy", "cif"; by default from the extension.
    block: the 1-based CIF data block (default: the first structure block).
    data: the program's data folder (default: default_data_directory()).
    Returns an editable Structure; raises KalidosError with the reader's message.
    """
    if format is not None and format.lower() not in _FORMATS:
        raise ValueError("format: expected one of %s, not %r" % (", ".join(_FORMATS), format))
    if block is not None and (int(block) != block or block < 1):
        raise ValueError("block: expected a block number from 1")
    return _kalidos._read_structure(str(path), (format or "").lower(), int(block or 0), str(data or ""))


def read_diagram(path, scan=1):
    """Reads a measured diagram at its own resolution, in any format the program reads.

    The described kinds by their extension (.raw, .sim, .rd, .dat, .cpi, .cpd), as the diagram
    window's Open submenu reads them; every other file by its content: XRDML, Bruker RAW4 and
    BRML, Rigaku RAS and RASX, plain columns (.xy, .xye, .csv, .txt), GSAS raw files, UXD and
    powder CIF.
    scan: the 1-based scan of a file that holds several (an XRDML area measurement, a GSAS
    file of several banks); the first by default.
    Returns a dict:
      file, format       the path and the format read ("xrdml", "raw4", "brml", "ras", "rasx",
                         "xy", "gsas", "uxd", "pdcif", or the described kind's extension)
      two_theta          numpy array, degrees, in the file's order
      intensity          numpy array, as the file states it (after any attenuation factor)
      su                 numpy array of standard uncertainties (NaN where the file marks one
                         unknown), or None when the file gives none
      unit               "counts", "cps" or "" when the file does not say
      counting_time      seconds per step, 0 when not stated
      wavelengths        {lambda1, lambda2, ratio, anode}; lambda1 0 when the file states none
      scan, scans        the scan returned (1-based) and the names of all the file's scans
      sample             the scan's name or the sample identification
      messages           what reading said
    A file no reader accepts raises KalidosError with the reader's message.
    """
    if int(scan) != scan or scan < 1:
        raise ValueError("scan: expected a scan number from 1")
    return _kalidos._read_diagram(str(path), int(scan))


def _number(value):
    return repr(float(value))


def _wavelength_arguments(wavelength):
    if isinstance(wavelength, str):
        return ["--anode", wavelength]
    if isinstance(wavelength, (int, float)):
        return ["--lambda", _number(wavelength)]
    pairs = list(wavelength)
    if not pairs or any(len(pair) != 2 for pair in pairs):
        raise ValueError("wavelength: a float, an anode name or a list of (lambda, weight) pairs")
    return ["--mixture", ",".join("%s:%s" % (_number(l), _number(w)) for l, w in pairs)]


def batch_arguments(wavelength=1.54056, two_theta=(10, 50), radiation="xray", synchrotron=None,
                    uvw=(0.001, 0, 0.005), anomalous=None, observed=(), space_group=None, scan=None,
                    compare=False, fit=(), background=None, preferred=None, isotropic=False, step=None):
    """The kalidos-batch options that stand for these keywords (see calculate)."""
    if radiation not in ("xray", "neutron"):
        raise ValueError('radiation: "xray" or "neutron", not %r' % (radiation,))
    arguments = _wavelength_arguments(wavelength)
    if radiation == "neutron":
        arguments.append("--neutron")
    if synchrotron is not None:
        arguments += ["--synchrotron", _number(synchrotron)]
    arguments += ["--range", _number(two_theta[0]), _number(two_theta[1])]
    arguments += ["--uvw"] + [_number(x) for x in uvw]
    if anomalous:
        arguments += ["--anomalous", anomalous]
    for file in observed:
        arguments += ["--observed", str(file)]
    if space_group:
        arguments += ["--space-group", space_group]
    if scan is not None:
        arguments += ["--scan", str(int(scan))]
    if compare:
        arguments.append("--compare")
    if fit:
        arguments += ["--fit", fit if isinstance(fit, str) else ",".join(fit)]
    if background is not None:
        arguments += ["--background", str(int(background))]
    if preferred is not None:
        h, k, l, *rest = preferred
        arguments += ["--preferred", str(int(h)), str(int(k)), str(int(l))] + [_number(x) for x in rest]
    if isotropic:
        arguments.append("--isotropic")
    if step is not None:
        arguments += ["--step", _number(step)]
    _kalidos._check_arguments(arguments)
    return arguments


@dataclass
class Result:
    """One calculation's results.

    reflections: dict of numpy arrays, one entry per reflection in order of angle
        (h, k, l, multiplicity, wavelength, d, two_theta, intensity, po_factor).
    peaks: dict of arrays (h, k, l, q, intensity), the intensities summed per (h k l).
    pattern: dict with the two_theta and intensity arrays of the simulated diagram.
    wavelengths: list of (lambda, weight).
    messages: the program's messages during the run (after those of reading the file when
        calculate was given a path; a Structure keeps its own in Structure.messages).
    agreements: with compare=True, one dict per observed diagram (file, scan, points,
        scale and zero_shift as (value, su), rp, rwp, rexp, chi2 and the two_theta, observed,
        calculated and background arrays of the fit).
    listings: {"fstr.out": text, "fstr2.out": text} when asked for, else None.
    structure: the structure as calculated (group applied, element table built).
    """
    reflections: dict
    peaks: dict
    pattern: dict
    wavelengths: list
    messages: list
    agreements: list = field(default_factory=list)
    listings: Optional[dict] = None
    structure: Optional[Structure] = field(default=None, repr=False)


def calculate(structure, wavelength=1.54056, two_theta=(10, 50), radiation="xray", synchrotron=None,
              uvw=(0.001, 0, 0.005), anomalous=None, observed=(), space_group=None, scan=None, compare=False,
              fit=(), background=None, preferred=None, isotropic=False, step=None, listings=False, data=None):
    """Simulates the powder diagram of `structure` (a Structure or a path to read).

    wavelength: a float (angstroms, --lambda), an anode name such as "CuKa1" or "MoKmoy"
        (--anode), or a list of up to four (lambda, weight) pairs (--mixture).
    two_theta: the range in degrees (--range). radiation: "xray" or "neutron" (--neutron,
        which needs a float wavelength). synchrotron: the polarisation p of a synchrotron
        source (--synchrotron). uvw: the resolution curve (--uvw). anomalous: "brcow" or
        "sasaki" (--anomalous). observed: measured diagram files (--observed). space_group:
        a symbol replacing the structure's group (--space-group). scan: the scan of a
        multi-scan observed file (--scan). compare: fit each observed diagram against the
        calculation (--compare), with fit=["zero"] (--fit) and the background order
        background (--background); the fits are in Result.agreements. preferred: March-Dollase
        preferred orientation (h, k, l, r) or (h, k, l, r, fraction) (--preferred). isotropic:
        every atom isotropic (--isotropic). step: the pattern on this 2θ grid instead of
        its 1015 points (--step). listings: keep the text
        of fstr.out and fstr2.out in the result. data: the data folder (--data).
    Returns a Result; raises KalidosError with the program's message when a step is refused,
    ValueError when the settings are not valid.
    """
    read_messages = []
    if not isinstance(structure, Structure):
        structure = read_structure(structure, data=data)
        read_messages = list(structure.messages)
    arguments = batch_arguments(wavelength, two_theta, radiation, synchrotron, uvw, anomalous, observed,
                                space_group, scan, compare, fit, background, preferred, isotropic, step)
    result = Result(**_kalidos._calculate(structure, arguments, bool(listings), str(data or "")))
    result.messages = read_messages + result.messages
    return result


def record(path, format=None, block=None, data=None, **settings):
    """The JSON Lines record kalidos-batch writes for the structure file `path` (a str).

    format and block as for read_structure, the other keywords as for calculate; a failure
    is told in the record ("ok": false), as the batch runner tells it, rather than raised.
    """
    arguments = batch_arguments(**settings)
    if format:
        arguments += ["--format", format]
    if block:
        arguments += ["--block", str(int(block))]
    return _kalidos._record(str(path), arguments, str(data or ""))


def index(folder, index_file=None, jobs=1, rebuild=False, data=None):
    """Indexes the structure files below `folder` as kalidos-batch --index does; returns its report
    (index_file, files, calculated, unchanged, removed, structures, refused [{file, reason}],
    messages) as a dict. The index goes to `index_file`, by default a file inside the folder."""
    import json
    arguments = ["--index", str(folder), "-j", str(int(jobs))]
    if index_file:
        arguments += ["--index-file", str(index_file)]
    if rebuild:
        arguments.append("--rebuild")
    return json.loads(_kalidos._index(arguments, str(data or "")))


def identify(observed, index_file, elements=None, top=20, sensitivity=5, scan=1, data=None):
    """The phases of the measured diagram `observed` searched in the index `index_file`, as
    kalidos-batch --identify finds them: a dict with peaks, candidates (ranked) and phases
    (largest fraction first); see kalidos-batch --help for the fields and the figure of merit.
    elements as --elements ("+Ca,F,-Pb": must, may, must not contain)."""
    import json
    arguments = ["--identify", "--observed", str(observed), "--index-file", str(index_file), "--json", "-",
                 "--top", str(int(top)), "--sensitivity", str(_number(sensitivity)), "--scan", str(int(scan))]
    if elements:
        arguments += ["--elements", str(elements)]
    return json.loads(_kalidos._identify(arguments, str(data or "")))
