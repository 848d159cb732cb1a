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

import os.path
from dataclasses import dataclass, field
from typing import Optional

from ._kalidos import KalidosError, Structure, default_data_directory
from . import _kalidos

__all__ = ["KalidosError", "Structure", "Result", "MixtureResult", "read_structure", "read_diagram", "calculate",
           "record", "batch_arguments", "cif_text", "refine", "Refinement", "refine_series", "Series",
           "default_data_directory", "index", "identify"]

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
      start_time         when the scan began (ISO 8601) as the file states it, else ""
      temperature        the sample's temperature in K as the file states it, else NaN
      messages           what reading said
    A file no reader accepts raises KalidosError with the reader's message.
    """
    if int(scan) != scan or scan < 1:
        raise ValueError("scan: expected a scan number from 1")
    return _kalidos._read_diagram(str(path), int(scan))


def _number(value):
    return repr(float(value))


def _wavelength_arguments(wavelength, observed):
    if wavelength is None:
        # The lines the first observed diagram states (kalidos-batch without a wavelength option).
        return [] if observed else ["--lambda", _number(1.54056)]
    if isinstance(wavelength, str):
        return ["--anode", wavelength]
    if isinstance(wavelength, (int, float)):
        return ["--lambda", _number(wavelength)]
    pairs = list(wavelength)
    if not pairs or any(len(pair) != 2 for pair in pairs):
        raise ValueError("wavelength: a float, an anode name or a list of (lambda, weight) pairs")
    return ["--mixture", ",".join("%s:%s" % (_number(l), _number(w)) for l, w in pairs)]


def _numbers(option, values, count):
    values = list(values) if isinstance(values, (list, tuple)) else [values]
    if len(values) not in count:
        raise ValueError("%s: expected %s values" % (option, " or ".join(str(c) for c in count)))
    return [_number(x) for x in values]


def _profile_arguments(profile=None, gauss=None, lorentz=None, size=None, strain=None, asymmetry=None, zero=None,
                       displacement=None, transparency=None):
    arguments = []
    if profile is not None:
        arguments += ["--profile", profile]
    if gauss is not None:
        arguments += ["--gauss"] + _numbers("gauss", gauss, (4,))
    if lorentz is not None:
        arguments += ["--lorentz"] + _numbers("lorentz", lorentz, (2,))
    if size is not None:
        arguments += ["--size"] + _numbers("size", size, (1, 2))
    if strain is not None:
        percent, *shape = strain if isinstance(strain, (list, tuple)) else [strain]
        arguments += ["--strain", _number(percent)] + [str(s) for s in shape]
    if asymmetry is not None:
        arguments += ["--asymmetry"] + _numbers("asymmetry", asymmetry, (2,))
    if zero is not None:
        arguments += ["--zero", _number(zero)]
    if displacement is not None:
        arguments += ["--displacement"] + _numbers("displacement", displacement, (2,))
    if transparency is not None:
        arguments += ["--transparency", _number(transparency)]
    return arguments


def _correction_arguments(monochromator=None, capillary=None, plate=None, roughness=None, overspill=None,
                          instrument=None, save_instrument=None, brindley=None, standard=None):
    arguments = []
    if instrument is not None:
        arguments += ["--instrument", str(instrument)]
    if save_instrument is not None:
        arguments += ["--save-instrument", str(save_instrument), "--overwrite"]
    if brindley is not None:
        arguments += ["--brindley", _number(brindley)]
    if standard is not None:
        phase, percent = standard
        arguments += ["--standard", "%d:%s" % (int(phase), _number(percent))]
    if monochromator is not None:
        angle, *place = monochromator if isinstance(monochromator, (list, tuple)) else [monochromator]
        arguments += ["--monochromator", _number(angle)] + [str(p) for p in place]
    if capillary is not None:
        arguments += ["--capillary", _number(capillary)]
    if plate is not None:
        arguments += ["--plate", _number(plate)]
    if roughness is not None:
        arguments += ["--roughness"] + _numbers("roughness", roughness, (2,))
    if overspill is not None:
        arguments += ["--overspill"] + _numbers("overspill", overspill, (2,))
    return arguments


def _phase_arguments(fractions=None, fit_fractions=False, phase_sizes=None, phase_strains=None, phase_preferred=None):
    arguments = []
    for option, values in (("--fractions", fractions), ("--phase-sizes", phase_sizes),
                           ("--phase-strains", phase_strains)):
        if values is not None:
            arguments += [option, ",".join(_number(x) for x in values)]
    if fit_fractions:
        arguments.append("--fit-fractions")
    for phase, (h, k, l, *rest) in sorted((phase_preferred or {}).items()):
        arguments += ["--phase-preferred", "%d:%d,%d,%d,%s" % (phase, h, k, l, ",".join(_number(x) for x in rest))]
    return arguments


def _stages_text(stages):
    if isinstance(stages, str):
        return stages
    return ";".join(stage if isinstance(stage, str) else ",".join(stage) for stage in stages)


def _atom_list(entry):
    """"[N:]A,B" or a sequence of atom names (phase 1) or (N, names)."""
    if isinstance(entry, str):
        return entry
    if len(entry) == 2 and isinstance(entry[0], int) and not isinstance(entry[1], str):
        return "%d:%s" % (entry[0], ",".join(entry[1]))
    return ",".join(entry)


def _phase_list(phases, structures):
    """--le-bail, --pawley: True for every phase, a phase number from 1 or a list of them."""
    if phases is True:
        phases = range(1, structures + 1)
    elif isinstance(phases, int):
        phases = [phases]
    return ",".join(str(int(p)) for p in phases)


def _cell_phase_text(cell):
    """--cell-phase: "a b c alpha beta gamma [group]", or the six numbers and the group as a sequence."""
    if isinstance(cell, str):
        return cell
    values = list(cell)
    group = values.pop() if len(values) == 7 else None
    if len(values) != 6:
        raise ValueError("cell_phases: a, b, c, alpha, beta, gamma and the group if any, not %r" % (cell,))
    return " ".join([_number(x) for x in values] + ([str(group)] if group else []))


def _refine_arguments(refine=None, cycles=None, share_b=(), occupancy_sum=(), le_bail=(), pawley=(),
                      write_intensities=None, structures=1, cell_phases=()):
    arguments = ["--refine", _stages_text(refine)] if refine is not None else []
    if cycles is not None:
        arguments += ["--cycles", str(int(cycles))]
    for option, entries in (("--share-b", share_b), ("--occupancy-sum", occupancy_sum)):
        for entry in entries:
            arguments += [option, _atom_list(entry)]
    for option, phases in (("--le-bail", le_bail), ("--pawley", pawley)):
        if phases not in ((), None, False, []):
            arguments += [option, _phase_list(phases, structures)]
    if write_intensities:
        arguments += ["--write-intensities", str(write_intensities)]
    for cell in cell_phases:
        arguments += ["--cell-phase", _cell_phase_text(cell)]
    return arguments


def batch_arguments(wavelength=None, two_theta=(10, 50), radiation="xray", synchrotron=None,
                    uvw=None, anomalous=None, observed=(), space_group=None, scan=None,
                    compare=False, fit=(), background=None, preferred=None, isotropic=False, step=None,
                    profile=None, gauss=None, lorentz=None, size=None, strain=None, asymmetry=None, zero=None,
                    displacement=None, transparency=None, monochromator=None, capillary=None, plate=None,
                    roughness=None, overspill=None, instrument=None, save_instrument=None, brindley=None,
                    standard=None, fractions=None, fit_fractions=False, phase_sizes=None, phase_strains=None,
                    phase_preferred=None, refine=None, cycles=None, share_b=(), occupancy_sum=(), le_bail=(),
                    pawley=(), write_intensities=None, structures=1, series=(), cell_phases=()):
    """The kalidos-batch options that stand for these keywords (see calculate); `structures`
    is the number of structure files they are checked for, `series` the options of a series
    (see refine_series) checked with them."""
    if radiation not in ("xray", "neutron"):
        raise ValueError('radiation: "xray" or "neutron", not %r' % (radiation,))
    arguments = _wavelength_arguments(wavelength, (observed or instrument is not None) and radiation != "neutron")
    if radiation == "neutron":
        arguments.append("--neutron")
    if synchrotron is not None:
        arguments += ["--synchrotron", _number(synchrotron)]
    if two_theta is not None:  # None: the program's own range (10 to 50°), said where it leaves out a diagram
        arguments += ["--range", _number(two_theta[0]), _number(two_theta[1])]
    if uvw is not None:
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
    arguments += _profile_arguments(profile, gauss, lorentz, size, strain, asymmetry, zero, displacement,
                                    transparency)
    arguments += _correction_arguments(monochromator, capillary, plate, roughness, overspill, instrument,
                                       save_instrument, brindley, standard)
    arguments += _phase_arguments(fractions, fit_fractions, phase_sizes, phase_strains, phase_preferred)
    arguments += _refine_arguments(refine, cycles, share_b, occupancy_sum, le_bail, pawley, write_intensities,
                                   structures, cell_phases)
    arguments += list(series)
    if structures > 1 and not (fractions is not None or fit_fractions or refine is not None):
        raise ValueError("several structures need fractions or fit_fractions")
    _kalidos._check_arguments(arguments, int(structures))
    return arguments


@dataclass
class Result:
    """One calculation's results.

    reflections: dict of numpy arrays, one entry per reflection in order of angle
        (h, k, l, multiplicity, wavelength, d, two_theta, intensity, po_factor, and the peak as
        kalidos-batch lists it: position and fwhm in degrees 2θ, eta the Lorentzian share).
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


def _read_all(structures, data):
    """The structures with those given as paths read, and what reading them said."""
    read, messages = [], []
    for one in structures:
        if not isinstance(one, Structure):
            one = read_structure(one, data=data)
            messages += list(one.messages)
        read.append(one)
    return read, messages


@dataclass
class MixtureResult:
    """The calculation of several structures as the phases of one sample.

    phases: one dict per phase as kalidos-batch's JSON phases (phase, file, title, formula, z,
        formula_mass, volume, fraction, scale; after a fit fraction_su, scale_su, size, size_su,
        cell_scale, cell_scale_su, contributes).
    reflections: dict of arrays over every phase's reflections (phase, h, k, l, multiplicity,
        wavelength, d, two_theta, absolute_intensity per cell, mixture_intensity on the pattern's scale).
    pattern: two_theta, intensity (the mixture) and phases (one array per phase).
    fit: after fit_fractions, the fit's points, parameters, rp, rwp, rexp, chi2, zero_shift as
        (value, su), background, cycles, converged, notes and its curves at the points used
        (two_theta, observed, calculated, background_curve, phase_curves); else None.
    structures: each phase's Structure as calculated.
    quantities: with brindley or standard, {mean_absorption, amorphous (with a standard), notes}
        beside the phases' absorption, density, tau, fraction_brindley and fraction_of_sample; else None.
    """
    phases: list
    reflections: dict
    pattern: dict
    wavelengths: list
    messages: list
    fit: Optional[dict] = None
    listings: Optional[dict] = None
    structures: list = field(default_factory=list, repr=False)
    quantities: Optional[dict] = None


def calculate(structure, wavelength=None, two_theta=(10, 50), radiation="xray", synchrotron=None,
              uvw=None, anomalous=None, observed=(), space_group=None, scan=None, compare=False,
              fit=(), background=None, preferred=None, isotropic=False, step=None, listings=False, data=None,
              **settings):
    """Simulates the powder diagram of `structure` (a Structure or a path to read), or of a list
    of them as the phases of one sample.

    wavelength: a float (angstroms, --lambda), an anode name such as "CuKa1" or "MoKmoy"
        (--anode), or a list of up to four (lambda, weight) pairs (--mixture). None: the lines
        of the instrument file or of the first observed diagram (a message says which), else
        1.54056.
    two_theta: the range in degrees (--range). radiation: "xray" or "neutron" (--neutron,
        which needs a float wavelength). synchrotron: the polarisation p of a synchrotron
        source (--synchrotron). uvw: the resolution curve (--uvw; None: 0.001, 0, 0.005). anomalous: "brcow" or
        "sasaki" (--anomalous). observed: measured diagram files (--observed). space_group:
        a symbol replacing the structure's group (--space-group). scan: the scan of a
        multi-scan observed file (--scan). compare: fit each observed diagram against the
        calculation (--compare), with fit=["zero"] (--fit) and the background order
        background (--background); the fits are in Result.agreements. preferred: March-Dollase
        preferred orientation (h, k, l, r) or (h, k, l, r, fraction) (--preferred). isotropic:
        every atom isotropic (--isotropic). step: the pattern on this 2θ grid instead of
        its 1015 points (--step). listings: keep the text
        of fstr.out and fstr2.out in the result. data: the data folder (--data).
    The profile (each None leaves the option out, as kalidos-batch's default):
        profile: "seed" or "tch" (--profile); gauss: (U, V, W, P) (--gauss); lorentz: (X, Y)
        (--lorentz); size: nm or (nm, K) (--size); strain: percent or (percent, "gauss" or
        "lorentz") (--strain); asymmetry: (S/L, H/L) (--asymmetry); zero: degrees (--zero);
        displacement: (mm, goniometer radius mm) (--displacement); transparency: the
        specimen's 1/(2 mu R), degrees (--transparency).
    The intensity corrections (each None: none): monochromator: 2-theta of the monochromator,
        degrees, or (degrees, "incident" or "diffracted") (--monochromator); capillary: mu R of a
        Debye-Scherrer capillary (--capillary); plate: mu t of a thin flat plate (--plate);
        roughness: Suortti's (p, q) (--roughness); overspill: (slit degrees, sample length mm) of a
        fixed divergence slit (--overspill).
    instrument: an instrument file (KALIDOS or GSAS-II .instprm) giving the radiation and the
        instrument's profile (--instrument); save_instrument: the file the instrument of the run is
        written to (--save-instrument, replacing it).
    Of several phases: brindley: the particles' diameter in micrometres, for the fractions corrected
        for microabsorption (--brindley); standard: (N, weight percent) of phase N added as an internal
        standard, for the amorphous content (--standard). The phases' dicts then hold absorption (mu,
        1/cm), density, tau, fraction_brindley and fraction_of_sample.
    Several structures (a list) are the phases of one sample and need fractions (--fractions,
        one weight fraction per structure) or fit_fractions=True (--fit-fractions, fitted to the
        first observed diagram, with fit=["size", "cell"] to fit each phase's size and cell
        scale); phase_sizes, phase_strains (lists) and phase_preferred ({phase number from 1:
        (h, k, l, r[, f])}) are each phase's own (--phase-sizes, --phase-strains,
        --phase-preferred). They give a MixtureResult.
    Returns a Result; raises KalidosError with the program's message when a step is refused,
    ValueError when the settings are not valid.
    """
    if settings.get("refine") is not None:
        raise ValueError("refine: use kalidos.refine")
    several = isinstance(structure, (list, tuple))
    structures, read_messages = _read_all(structure if several else [structure], data)
    arguments = batch_arguments(wavelength, two_theta, radiation, synchrotron, uvw, anomalous, observed,
                                space_group, scan, compare, fit, background, preferred, isotropic, step,
                                structures=len(structures), **settings)
    if several:
        result = MixtureResult(**_kalidos._calculate_mixture(structures, arguments, bool(listings), str(data or "")))
    else:
        result = Result(**_kalidos._calculate(structures[0], arguments, bool(listings), str(data or "")))
    result.messages = read_messages + result.messages
    return result


def cif_text(structure, block=None, su=None, figures=None):
    """`structure` as a CIF data block, the text a refinement's --write-cif writes.

    block: the data block's name (default: the structure's title). su: standard uncertainties,
    a dict with any of cell (six values), volume, atoms (one (x, y, z, b, population) per atom)
    and anisotropic (one (U11, U22, U33, U12, U13, U23) per atom); a value whose su is 0 is written
    alone. figures: a dict with points, parameters, rp, rwp, rexp, chi2 and optionally r_bragg and
    notes (lines of _refine_special_details).
    """
    return _kalidos._cif_text(structure, str(block if block is not None else structure.title), dict(su or {}),
                              figures)


@dataclass
class Refinement:
    """A Rietveld refinement's results, as kalidos-batch --refine writes its JSON refinement object.

    outcome: how the refinement ended: "converged", "stalled", "cycle limit", "diverged" or
        "stopped" (the last stage's); notes: where it started, the values on a bound, negative B's.
    stages: [{released, cycles, outcome, converged, chi2, notes}]. points, refined: the points used
        and the parameters refined. rp, rwp, rexp, chi2: the figures (w = 1/sigma^2, sigma the file's own
        or sqrt(max(y_obs, 1))).
    parameters: the refined parameters [{name, phase (from 1; 0 the diagram's), atom, value, su, held,
        limit ("lower" or "upper" when it rests on that bound, without su; else "")}].
    correlations: [{first, second, coefficient}] above 0.9.
    phases: per phase {phase, name, r_bragg, scale, scale_su, fraction, fraction_su, cell {a, a_su, ...},
        volume, volume_su, atoms [{name, x, x_su, ..., occupancy, occupancy_su, u, u_su}]}.
    curves: numpy arrays at the points used: two_theta, observed, calculated, background,
        difference, sigma and phases (each phase's share).
    structures: the refined structures (Structure), calculated again.
    listing: the text kalidos-batch appends to fstr.out. messages: the program's messages.
    quantities: with brindley or standard (several phases), per phase lists absorption (mu, 1/cm),
        density, tau, fraction_brindley and fraction_of_sample beside phases[].fraction, and
        particle_diameter, mean_absorption, amorphous, notes; else None.
    """
    stages: list
    points: int
    refined: int
    rp: float
    rwp: float
    rexp: float
    chi2: float
    parameters: list
    correlations: list
    phases: list
    curves: dict = field(repr=False)
    structures: list = field(repr=False)
    listing: str = field(repr=False)
    outcome: str = ""
    notes: list = field(default_factory=list)
    messages: list = field(default_factory=list)
    quantities: Optional[dict] = None

    def value(self, name):
        """(value, su) of the refined parameter `name` ("0::a", "zero", "0::x:Al1")."""
        for parameter in self.parameters:
            if parameter["name"] == name:
                return parameter["value"], parameter["su"]
        raise KeyError(name)

    def cif(self, phase=1):
        """Phase `phase` (from 1) as the CIF --write-cif writes."""
        refined = self.phases[phase - 1]
        structure = self.structures[phase - 1]
        su = {"cell": [refined["cell"][k + "_su"] for k in ("a", "b", "c", "alpha", "beta", "gamma")],
              "volume": refined["volume_su"]}
        if len(refined["atoms"]) == len(structure.atoms):
            su["atoms"] = [[a[k + "_su"] for k in ("x", "y", "z", "b", "occupancy")] for a in refined["atoms"]]
            su["anisotropic"] = [a.get("u_su", [0.0] * 6) for a in refined["atoms"]]
        figures = {"points": self.points, "parameters": self.refined, "rp": self.rp, "rwp": self.rwp,
                   "rexp": self.rexp, "chi2": self.chi2, "r_bragg": refined["r_bragg"],
                   "notes": ["Refinement " + self.outcome] + self.notes +
                            [note for stage in self.stages for note in stage["notes"]]}
        return cif_text(structure, os.path.splitext(refined["name"])[0], su, figures)


def refine(structures, observed, refine=(("scale", "background"),), cycles=None, share_b=(), occupancy_sum=(),
           background=None, le_bail=(), pawley=(), write_intensities=None, cell_phases=(), data=None, **settings):
    """Refines `structures` (a Structure or path, or a list of them: the phases of one sample)
    against the measured diagram `observed`, as kalidos-batch --refine does.

    refine: the stages, a text "scale,background;zero,cell,profile;xyz,biso" or a list of stages,
        each a text "zero,cell" or a list of group and parameter names (--refine).
    cycles: at most this many cycles per stage (--cycles, default 20).
    share_b, occupancy_sum: lists of atom lists, each "[N:]Al1,Al2", a list of names of phase 1 or
        (N, names) with N the phase from 1 (--share-b, --occupancy-sum).
    background: the Chebyshev background's order (--background).
    le_bail, pawley: the phases (a number from 1, a list of them, or True for every phase) whose
        intensities are taken from the diagram after every cycle (--le-bail) or are least-squares
        variables (--pawley); their reflections come back in phases[i]["reflections"] with
        h, k, l, d, two_theta, f2 and f2_su (--write-intensities: also as a file, .hkl HKLF 4 or
        a CIF with a _refln loop). The other keywords are calculate's (wavelength, two_theta,
        profile, size, ...: the starting model); two_theta is the range refined, the program's 10 to
        50° when not given, with a message where that leaves out part of the diagram.
    cell_phases: phases known by their cell alone (a cell from find_cell), after the structures, each
        "a b c alpha beta gamma [group]" or (a, b, c, alpha, beta, gamma[, group]); Le Bail unless
        pawley names them (--cell-phase). `structures` may then be empty ([] or None).
    Returns a Refinement; raises KalidosError with the program's message when the refinement is
    refused, ValueError when the settings are not valid.
    """
    several = isinstance(structures, (list, tuple)) or structures is None
    read, read_messages = _read_all(list(structures or []) if several else [structures], data)
    settings.setdefault("two_theta", None)  # as kalidos-batch without --range
    arguments = batch_arguments(observed=[observed], background=background, refine=refine, cycles=cycles,
                                share_b=share_b, occupancy_sum=occupancy_sum, le_bail=le_bail, pawley=pawley,
                                write_intensities=write_intensities, structures=len(read), cell_phases=cell_phases,
                                **settings)
    result = Refinement(**_kalidos._refine(read, arguments, str(data or "")))
    result.messages = read_messages + result.messages
    return result


def _series_options(mode, block, output, csv, curves, jobs, overwrite):
    if mode not in ("sequential", "independent"):
        raise ValueError('mode: "sequential" or "independent", not %r' % (mode,))
    options = ["--series", mode, "--json", str(output) if output is not None else "-", "-j", str(int(jobs))]
    if block is not None:
        options += ["--series-block", str(int(block))]
    if csv is not None:
        options += ["--csv", str(csv)]
    if not curves:
        options.append("--no-curves")
    if overwrite:
        options.append("--overwrite")
    return options


def series_arguments(diagrams, refine, mode="sequential", block=None, output=None, csv=None, curves=True, jobs=1,
                     overwrite=False, structures=1, **settings):
    """The kalidos-batch --series options of refine_series's keywords, checked."""
    diagrams = [diagrams] if isinstance(diagrams, (str, os.PathLike)) else list(diagrams)
    return batch_arguments(observed=[str(d) for d in diagrams], refine=refine, structures=structures,
                           series=_series_options(mode, block, output, csv, curves, jobs, overwrite), **settings)


@dataclass
class Series:
    """A series' records, one dict per diagram in series order, as kalidos-batch --series writes
    them to its JSON Lines file: index, file, scan, scans, name, temperature (K; None when the file
    does not state it), start_time, time (s from the series' first start; None without), settings, ok, reason,
    start (the index it started from; 0 the series' start), messages; when ok points, refined,
    cycles, converged, outcome, rp, rwp, rexp, chi2, values [{name, value, su}], the refinement object of
    kalidos-batch --refine and, unless curves=False, curves {two_theta, observed, calculated,
    background}. Records kept from an earlier run hold what its file holds.
    """
    records: list
    messages: list = field(default_factory=list)

    def value(self, name):
        """(values, su): numpy arrays of the value `name` ("0::a", "zero", "0::volume") over the
        records, NaN where a diagram failed."""
        import numpy
        values, su = [], []
        for record in self.records:
            found = next((v for v in record.get("values", []) if v["name"] == name), None)
            values.append(found["value"] if found else float("nan"))
            su.append(found["su"] if found else float("nan"))
        return numpy.array(values, dtype=float), numpy.array(su, dtype=float)

    def column(self, key):
        """A numpy array of a record field over the series: "index", "scan", "temperature", "time",
        "rwp", "chi2" ... (NaN where a record lacks it)."""
        import numpy
        return numpy.array([record.get(key, float("nan")) if record.get(key) is not None else float("nan")
                            for record in self.records], dtype=float)


def refine_series(structures, diagrams, refine, mode="sequential", block=None, output=None, csv=None, curves=True,
                  jobs=1, overwrite=False, data=None, **settings):
    """Refines `structures` (as for refine) against each diagram of a series, as kalidos-batch
    --series does, with the same records.

    diagrams: a path or a list of paths: diagram files (every scan of a file that holds several,
        or only scan=N of each), and folders whose diagram files come in the natural order of
        their names.
    refine: the stages (as for refine). mode: "sequential" (each diagram from the result of the
        one before) or "independent" (each from the same start). block: with "sequential",
        chains of this many diagrams, each from the start (what kalidos.dask spreads over a
        cluster).
    output: the JSON Lines file, one record per diagram written as it is done; a file of records
        of the same settings is continued (the diagrams it holds are not refined again), one of
        other settings refused unless overwrite=True. csv: the table of every value and its su.
        curves: the records hold the fitted curves. jobs: chains refined at once.
    The other keywords are refine's (cycles, share_b, occupancy_sum, background) and calculate's.
    Returns a Series; raises KalidosError when the series is refused (a record tells a diagram's
    failure, and the series goes on).
    """
    import json
    several = isinstance(structures, (list, tuple))
    read, read_messages = _read_all(structures if several else [structures], data)
    arguments = series_arguments(diagrams, refine, mode, block, output, csv, curves, jobs, overwrite,
                                 structures=len(read), **settings)
    lines, messages = _kalidos._refine_series(read, arguments, str(data or ""))
    return Series([json.loads(line) for line in lines], read_messages + list(messages))


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
    kalidos-batch --identify finds them: a dict with peaks, candidates (ranked, each phase once
    with the number of its copies in the library), phases (largest fraction first), the strong
    peaks left unexplained and messages; see kalidos-batch --help for the fields and the figure
    of merit.
    elements as --elements ("+Ca,F,-Pb": must, may, must not contain)."""
    import json
    arguments = ["--identify", "--observed", str(observed), "--index-file", str(index_file), "--json", "-",
                 "--top", str(int(top)), "--sensitivity", str(_number(sensitivity)), "--scan", str(int(scan))]
    if elements:
        arguments += ["--elements", str(elements)]
    return json.loads(_kalidos._identify(arguments, str(data or "")))


def find_cell(observed=None, peaks=None, wavelength=None, tolerance=0.03, impurities=2, zero_range=0.1,
              max_volume=None, systems=None, time_limit=300, cells=10, sensitivity=5, scan=1, check_cells=3,
              data=None):
    """The unit cells that index a list of line positions, as kalidos-batch --find-cell finds them:
    a dict with peaks, settings, searches (one per crystal system) and cells, best first, each with
    a b c alpha beta gamma volume system centring extinction_symbol m20 fn zero unindexed reduced
    (the Niggli cell) lines and rwp (of the Le Bail fit of the check_cells best to `observed`; null
    for a peak list); see
    kalidos-batch --help for the fields.

    The lines come from the measured diagram `observed` (its peak search, with `sensitivity`, and
    its wavelength) or from `peaks`: a peak-list file, or a list of 2θ values or (2θ, intensity)
    pairs, which then need `wavelength` (a float in Å or an anode name such as "CuKa1").
    tolerance: degrees 2θ; impurities: unindexed lines allowed among the first 20; zero_range: the
    zero error looked for, ± degrees; systems: names among cubic, tetragonal, hexagonal,
    orthorhombic, monoclinic, triclinic (all by default); time_limit: seconds."""
    import json
    import os
    import tempfile
    if (observed is None) == (peaks is None):
        raise ValueError("find_cell: give either observed or peaks")
    arguments = ["--find-cell", "--json", "-", "--tolerance", _number(tolerance), "--impurities", str(int(impurities)),
                 "--zero-range", _number(zero_range), "--time-limit", _number(time_limit), "--cells", str(int(cells)),
                 "--sensitivity", _number(sensitivity), "--scan", str(int(scan)), "--check-cells", str(int(check_cells))]
    if wavelength is not None:
        arguments += _wavelength_arguments(wavelength, observed is not None)
    if max_volume is not None:
        arguments += ["--max-volume", _number(max_volume)]
    if systems is not None:
        arguments += ["--systems", ",".join(systems) if not isinstance(systems, str) else systems]
    written = None
    try:
        if observed is not None:
            arguments += ["--observed", str(observed)]
        elif isinstance(peaks, (str, os.PathLike)):
            arguments += ["--peaks", str(peaks)]
        else:
            with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as listing:
                written = listing.name
                for peak in peaks:
                    values = list(peak) if isinstance(peak, (list, tuple)) else [peak]
                    listing.write(" ".join(_number(v) for v in values) + "\n")
            arguments += ["--peaks", written]
        return json.loads(_kalidos._find_cell(arguments, str(data or "")))
    finally:
        if written:
            os.remove(written)
