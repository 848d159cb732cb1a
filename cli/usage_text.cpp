// The --help text: every option, the exit statuses and the JSON document.
#include "batch_options.hpp"

namespace kalidos::batch {

std::string usage_text()
{
    return R"(Usage: kalidos-batch [options] STRUCTURE_FILE...
       kalidos-batch --index DIR [--index-file FILE] [-j N]
       kalidos-batch --identify --observed FILE --index-file FILE --json OUT
       kalidos-batch --series MODE --refine STAGES --observed DIR --json OUT FILE...
       kalidos-batch --find-cell --observed FILE [--json OUT]

Simulates the powder diagram of one structure with the same readers, space-group
interpreter, calculation, listings and writers as the KALIDOS window, without a window.

Several structures (each calculated alone with the same settings)
  FILE...                          several structure files, or one with --out-dir
  --list FILE                      FILE names one structure file per line
  -j, --jobs N                     calculate N structures at once (default 1)
  --json FILE                      one record per structure, in input order, as JSON
                                   Lines: file, ok, exit_status, then the fields below
  --out-dir DIR                    one JSON document per structure, DIR/<name>.json
  --listings DIR                   fstr.out and fstr2.out of each in DIR/<name>/
                                   A structure that fails is told in its own record; the
                                   others go on. The exit status is 1 when any failed.

A mixture (the structure files are the phases of one sample, at most 16)
  --fractions LIST                 weight fractions, one per file (comma-separated;
                                   divided by their sum): the mixture's diagram is the
                                   sum of the phases' with Hill and Howard's scales
                                   S = w / (Z M V)
  --fit-fractions                  fit the phases' scales, the background and the zero
                                   shift to the first --observed diagram and give the
                                   weight fractions with their uncertainties; starts
                                   from --fractions or equal ones
  --fit size,cell                  with --fit-fractions, refine also each phase's
                                   crystallite size and its cell scale (within 1 %)
  --phase-sizes LIST               each phase's crystallite size, nm (0: none)
  --phase-strains LIST             each phase's microstrain, %
  --phase-preferred N:H,K,L,R[,F]  phase N's preferred orientation (may be repeated)
                                   Radiation, range, profile, zero and displacement are
                                   shared; --background sets the fit's background order.
                                   JSON: phases [{phase, file, title, formula, z,
                                   formula_mass, volume, fraction, scale; after a fit
                                   fraction_su, scale_su, size, size_su, cell_scale,
                                   cell_scale_su, contributes}], reflections with phase,
                                   absolute_intensity (per cell) and mixture_intensity,
                                   pattern {two_theta, intensity, phases: [[...]...]},
                                   after a fit fit {points, parameters, rp, rwp, rexp,
                                   chi2, zero_shift, zero_shift_su, background, cycles,
                                   converged, notes}. fstr.out and fstr2.out hold each
                                   phase's listings under a line naming it.
  --brindley D                     the fractions corrected for microabsorption (Brindley)
                                   for particles of diameter D micrometres: each phase's
                                   linear absorption mu from its cell and
                                   mass_attenuation.dat; JSON phases[] absorption,
                                   density, tau, fraction_brindley; quantities
                                   {particle_diameter, mean_absorption, notes}
  --standard N:PERCENT             phase N is an internal standard weighed in at PERCENT
                                   wt% of the sample: phases[].fraction_of_sample and
                                   quantities {standard, standard_weighed, amorphous}

Rietveld refinement (against the one --observed diagram; several structure files are
the phases of one sample)
  --refine STAGES                  refine in stages, each releasing groups or parameters
                                   added to those of the stages before: groups separated
                                   by commas, stages by semicolons, e.g.
                                   "scale,background;zero,cell,profile;xyz,biso". Groups:
                                   scale, background, zero, displacement, profile (TCH U V
                                   W X Y, or the seed profile's U V W), asymmetry (S/L,
                                   H/L and, for X-rays, the specimen's transparency),
                                   absorption (muR, muT), roughness (roughP, roughQ),
                                   cell (the parameters the lattice leaves free),
                                   size, strain, preferred (March-Dollase r), xyz (as free
                                   as each site allows), biso, occupancy, adp (the atoms
                                   with a tensor), overall (each phase's overall B); a
                                   group of one phase as P::group (P from 0: "1::cell");
                                   or single parameters by name (below). Each point weighs
                                   w = 1/sigma^2, sigma the file's own or
                                   sqrt(max(y_obs, 1)) (counts with a background taken
                                   off: at least their point-to-point scatter), and the
                                   figures use these weights
  --cycles N                       at most N cycles per stage and attempt (default 20);
                                   a stage converges when every shift is below 0.01 of
                                   its su, stalls when chi2 no longer falls while the
                                   shifts are not small; it never ends above the chi2 of
                                   the stage before (a worse release is tried again from
                                   the previous values, damped). The zero shift and the
                                   cells are first searched by matching the peaks; a
                                   phase's cell, size or strain the diagram cannot
                                   determine is held unless named (1::size)
  --share-b [N:]ATOM,ATOM,...      one B for these atoms of phase N (default 1); may be
                                   repeated
  --occupancy-sum [N:]ATOM,ATOM,...
                                   the occupancies of these atoms of phase N, sharing a
                                   site, held at their starting sum; may be repeated
  --write-cif FILE                 write the refined structure as CIF, values with their
                                   su in parentheses, with the figures and R_Bragg; with
                                   several phases one file each, FILE's name followed by
                                   _1, _2, ... before its extension
  --le-bail LIST                   these phases (from 1: "2" or "1,3") take their
                                   intensities from the observed diagram (Le Bail): each
                                   reflection's |F|^2 partitioned again after every cycle
                                   from the observed counts as the calculated profile
                                   shares them; cell, zero, profile, asymmetry and
                                   background refine as usual; scale, orientation, overall
                                   B and atoms are held. The sample's weight fractions are
                                   then not defined (the notes say so)
  --pawley LIST                    these phases' |F|^2 are least-squares variables (one
                                   per reflection, those of exactly the same d for every
                                   cell the lattice allows as one), never negative, with su
  --cell-phase "A B C AL BE GA [GROUP]"
                                   a phase known by its cell alone (a cell of --find-cell,
                                   an impurity of unknown structure), lengths in angstroms,
                                   angles in degrees, the space group P 1 when none is
                                   named; Le Bail unless --pawley names it; numbered after
                                   the structure files; with no structure file the
                                   radiation, range and profile are the command line's
  --write-intensities FILE         each phase's extracted intensities: per reflection h k l,
                                   d, 2theta, |F|^2 (Lp, multiplicity and the wavelength's
                                   weight taken off) with su; FILE ending in .hkl: SHELX
                                   HKLF 4 (scaled so the largest is 9999.99), else the
                                   refined CIF with a _refln loop; several phases as
                                   --write-cif names them. JSON phases[].reflections [{h,
                                   k, l, multiplicity, d, two_theta, f2, f2_su,
                                   f2_calculated (with atoms), overlap (none, partial,
                                   exact)}] for Le Bail and Pawley phases, and for every
                                   phase with --write-intensities; phases[].method
                                   Parameter names: zero, displacement, U, V, W, X, Y, SL,
                                   HL, transparency, muR, muT, roughP, roughQ (with
                                   --capillary, --plate, --roughness), bkg0..bkg12;
                                   per phase (from 0)
                                   0::scale, 0::a ... 0::gamma, 0::size, 0::strain,
                                   0::r, 0::B; per atom
                                   0::x:Al1, 0::y:Al1, 0::z:Al1, 0::B:Al1, 0::occ:Al1,
                                   0::U11:Al1 ... 0::U23:Al1 (the atom's element and
                                   label, then #row when another atom has the name; ATOM
                                   in --share-b and --occupancy-sum the same).
                                   The refined structures are calculated again: the JSON's
                                   reflections and pattern, --export and --export-xy are
                                   theirs, agreement holds the refined fit and fstr.out
                                   its section and the listing of the refinement (each
                                   cycle's figures, values, shifts and su). JSON:
                                   refinement {outcome (converged, stalled, cycle limit,
                                   diverged or stopped), notes, stages [{released,
                                   cycles, outcome, converged, chi2, notes}], points,
                                   refined, rp, rwp, rexp, chi2, parameters [{name,
                                   phase (from 1; 0 the diagram's), atom, value, su,
                                   held, limit ("lower"/"upper" on a bound, without su;
                                   else "")}], correlations [{first, second,
                                   coefficient}] above 0.9, phases [{phase, name, r_bragg,
                                   scale, scale_su, fraction, fraction_su (null beside a
                                   Le Bail or Pawley phase), cell {a, a_su,
                                   ..., gamma, gamma_su}, volume, volume_su, atoms [{name,
                                   x, x_su, y, y_su, z, z_su, b, b_su, occupancy,
                                   occupancy_su; u, u_su with a tensor}]}]}; of several
                                   phases the mixture's document with phases[].fraction
                                   and fraction_su from the refined scales.
A series of diagrams (the same structures refined against each, with --refine)
  --series MODE                    sequential: each diagram starts from the values refined
                                   against the one before (its cell, profile, zero, atoms;
                                   the scales and background start anew); independent:
                                   each from the structure files. The diagrams: --observed
                                   FILE or FOLDER, may be repeated (every scan of a file
                                   that holds several, or only --scan N of each; a
                                   folder's diagram files in the natural order of their
                                   names: s2 before s10)
  --observed-list FILE             FILE names one diagram file or folder per line
  --series-block N                 sequential: chains of N diagrams, each from the files
                                   (chains run at once with -j N, or across a cluster)
  --json FILE                      needed: one record per diagram, written as each is
                                   done (JSON Lines; - for standard output). A FILE of
                                   records with the same settings is continued: its
                                   diagrams are not refined again, a last record cut
                                   short is dropped; one of other settings is refused,
                                   or started again with --overwrite
  --csv FILE                       the table of every record: index, file, scan, name,
                                   temperature_K, time_s, ok, rp, rwp, rexp, chi2, points,
                                   refined, cycles, converged, outcome (converged,
                                   stalled, cycle limit), start, each refined
                                   parameter and its su (NAME, NAME_su), each phase's
                                   P::volume and su, P::fraction and su (of several
                                   phases), P::r_bragg, then the reason of a failure
  --no-curves                      leave the fitted curves out of the records
  -j N                             N chains at once (independent: N diagrams)
                                   A record: index, file, scan, scans, name, temperature
                                   (K, when the file states it: powder CIF
                                   _diffrn_ambient_temperature), start_time (XRDML, RASX,
                                   powder CIF), time (s from the series' first start),
                                   settings (a fingerprint), ok, reason, start (the index
                                   it started from, 0 the files), messages; when ok the
                                   CSV's figures and values [{name, value, su}], the
                                   refinement object of --refine and curves {two_theta,
                                   observed, calculated, background}. A diagram that
                                   fails (unread, refused, or a stage that diverged: no
                                   values) is told in its record and the series goes on;
                                   the exit status is 1 when any failed.

A library of structures and the phases of a measured diagram (X-rays)
  --index DIR                      calculate every structure file below DIR (.cry .ins
                                   .inp .res .cel .lzy .cif, every CIF block) once and
                                   keep its formula, elements, cell, group, Z M V and
                                   reflections (d and m|F|^2 per cell, without Lp) in an
                                   SQLite index; files unchanged since the last run are
                                   not calculated again; -j N files at once
  --index-file FILE                the index (default DIR/kalidos-index.sqlite)
  --rebuild                        with --index: calculate every file again, and
                                   replace an index file that is damaged
  --identify                       search --index-file for the phases of the one
                                   --observed diagram (needs --json)
  --elements LIST                  +X must contain X, -X must not, X may contain (when
                                   any X is given, nothing else): e.g. +Ca,F,O,-Pb
  --top N                          candidates listed (default 20)
  --sensitivity S                  of the peak search, 1 to 10 (default 5): a peak rises
                                   15/S standard deviations of the noise above the
                                   background
                                   The peaks (background clipped, Savitzky-Golay
                                   smoothing, Ka2 partners recognised) are matched with
                                   each entry's lines at the diagram's Ka1: lines within
                                   max(0.4 fwhm, 0.04 deg) of a peak after the entry's
                                   median zero offset match. With I the lines' Lp-
                                   weighted intensities (strongest 1), visible those the
                                   median height/I makes detectable:
                                     C = sum I matched / sum I visible
                                     A = 1 - mean of |offset|/tolerance (I-weighted)
                                     E = height of the peaks matched / height of all
                                         peaks not yet explained
                                     score = 100 C^2 A sqrt(E) min(1, matched/3)
                                   The best (score above 5 and a tenth of the best, C at
                                   least 0.5) are fitted to the whole diagram with the
                                   phases found before (scales, background, zero) and
                                   ranked by Rwp; the best becomes a phase when it lowers
                                   Rwp by 1 % and its fraction is 3 su above 0. The
                                   search goes on over the peaks left unexplained (entries
                                   of a phase's formula and group with cells within 1 %
                                   left out), up to five phases, whose fractions come from
                                   a last fit with their crystallite sizes. Entries of
                                   one formula and group with cells within 1 % are one
                                   candidate, the best scoring, with its copies counted.
                                   Strong peaks (a tenth of the strongest or more) that
                                   the phases found leave are named in the messages,
                                   with the nearest entry when no phase is found.
                                   JSON of --index: index_file, files, calculated,
                                   unchanged, removed, structures, refused [{file,
                                   reason}], messages. JSON of --identify: observed,
                                   index_file, peaks [{two_theta, d, height, fwhm}],
                                   candidates [{rank, file, block, formula, group, score,
                                   coverage, accuracy, explained, copies, alike, rwp,
                                   fraction}] (for the first phase, best first; copies
                                   the entries of the phase, alike the other files; rwp
                                   and fraction null when not fitted), phases [{file,
                                   block, formula, group, fraction}] (largest first),
                                   rwp, unexplained [{two_theta, d, height, fwhm}],
                                   messages.

Indexing (the cells of unknown phases)
  --find-cell                      the cells that index the peaks of the one --observed
                                   diagram (at its wavelength, or that of --lambda,
                                   --anode or --mixture), or of --peaks FILE (with
                                   --lambda or --anode), best first (README: Indexing)
  --tolerance DEG, --impurities N, --zero-range DEG, --max-volume A3, --systems LIST,
  --time-limit S, --cells N        the search (0.03, 2, 0.1, from the lines, all, 300
                                   seconds of processor time, 10 cells listed)
  --check-cells N                  the N best cells (default 3; 0 none) fitted by Le
                                   Bail to the diagram itself, with its radiation, range
                                   and profile, and given that fit's rwp; a cell passes
                                   the one above it only with an rwp below 0.8 of its

Structure file
  --format cry|shelx|cel|lzy|cif   the format; by default it follows the extension
                                   (.cry, .ins, .inp, .res, .cel, .lzy, .cif)
  --block N                        the CIF data block to read (default: the first
                                   structure block)
  --list-blocks                    list the structure blocks of a CIF file, numbered as
                                   --block counts them, and exit
  --space-group SYMBOL             Hermann-Mauguin symbol as the catalogue writes it
                                   ("P 1 21/n 1"), Hall symbol ("-P 2yn") or a symbol of
                                   the standard settings, looked up among the groups of
                                   the file's crystal system; sets the group when the
                                   file names none, or replaces the file's group
  --operators                      print the operators of the group applied (after
                                   centring), one per line, and exit
  --bonds                          add to the JSON the bonds of the asymmetric unit:
                                   for each atom, each neighbour image closer than the
                                   sum of the two covalent radii (Cordero et al. 2008)
                                   plus the tolerance, of the element pairs bonded
  --bond-tolerance T               the tolerance, in angstroms (default 0.45)
  --bond-pairs LIST                the pairs bonded: expected (default: every pair
                                   but two metals, so Al-O and not Al-Al in corundum)
                                   or all (the covalent radii alone), then pairs to
                                   bond or leave out: "expected,+Cu-Cu,-O-H"

Radiation (default: X-ray tube, CuKa1)
  --anode ITEM                     an item of the anode list: MoKa1 MoKa2 MoKmoy MokBet
                                   CuKa1 CuKa2 CuKmoy CukBet CoKa1 CoKa2 CoKmoy CokBet
                                   FeKa1 FeKa2 FeKmoy FekBet CrKa1 CrKa2 CrKmoy CrkBet
  --lambda L                       one wavelength, in angstroms
  --mixture L1:I1,L2:I2,...        up to four wavelengths with their intensities, read
                                   as the "Multiple wavelengths" dialog reads them
  --neutron                        neutrons (give the wavelength with --lambda)
  --synchrotron P                  X-ray synchrotron with polarisation p (0 <= p <= 1)
  --anomalous brcow|sasaki         read f' and f'' from brcow.an or Sasaki.an
                                   Without --anode, --lambda or --mixture the lines the
                                   first --observed file states are used (Kalpha1, Kalpha2
                                   and their ratio; a message says which), else CuKa1
  --instrument FILE                the radiation, profile function and widths, axial
                                   divergence, zero shift, goniometer radius, monochromator
                                   and slit of an instrument file (KALIDOS's, or GSAS-II's
                                   .instprm: Type, Lam/Lam1/Lam2/I(L2)/I(L1), Zero,
                                   Polariz., U V W X Y, SH/L); the sample's size, strain,
                                   displacement and corrections stay the options'. Cannot
                                   go with --profile, --gauss, --lorentz, --asymmetry,
                                   --zero, --uvw, --monochromator, --overspill, --neutron,
                                   --synchrotron; --anode, --lambda, --mixture replace its
                                   wavelengths. Refined only as --refine asks
  --save-instrument FILE           write the run's (refined) instrument as such a file

Calculation
  --range A B                      2-theta range in degrees (default 10 50)
  --uvw U V W                      resolution curve (default 0.001 0 0.005)
  --preferred H K L R [F]          March-Dollase preferred orientation about the
                                   reciprocal direction (H K L): ratio R (< 1 platelets,
                                   > 1 needles, 1 none) and oriented fraction F (0..1,
                                   default 1)
  --isotropic                      calculate every atom with its isotropic B (B_eq for
                                   atoms read with anisotropic displacement)
  --step S                         give the pattern (JSON, exports) on a grid of step S
                                   degrees over the range instead of the 1015 points

Profile (default: the seed profile, 50/50 pseudo-Voigt of half width
sqrt(U tan^2 theta + V tan theta + W) from --uvw, peaks at their Bragg angles)
  --profile seed|tch               seed, or the Thompson-Cox-Hastings pseudo-Voigt
  --gauss U V W P                  TCH Gaussian FWHM^2 = U tan^2 theta + V tan theta + W
                                   + P / cos^2 theta, deg^2 (default 0.004 0 0.02 0)
  --lorentz X Y                    TCH Lorentzian FWHM = X tan theta + Y / cos theta, deg
  --size NM [K]                    crystallite size, nm (Scherrer constant K, default 0.9)
  --strain PERCENT [gauss|lorentz] microstrain, FWHM 4 e tan theta (default Gaussian)
  --asymmetry S_L H_L              axial divergence (Finger-Cox-Jephcoat) S/L and H/L
  --zero DEG                       zero shift: peaks at 2-theta + DEG
  --displacement MM RADIUS_MM      sample displacement s and goniometer radius R: peaks
                                   moved by -2 s cos theta / R (radians)
  --transparency DEG               specimen transparency 1/(2 mu R) in degrees: each
                                   peak spread into an exponential tail towards low
                                   angles of length DEG sin 2-theta (its centroid moved
                                   down as much); 0: diffracted at the surface
Intensity corrections (each off unless given; kept in an instrument file):
  --monochromator DEG [incident|diffracted]
                                   a crystal monochromator reflecting at 2-theta DEG
                                   (graphite 002 for Cu: 26.6): polarisation factor
                                   (1 + cos2 2thM cos2 2th) / (1 + cos2 2thM) of the tube
  --capillary MUR                  Debye-Scherrer capillary of mu R (0-10): its
                                   transmission (Lobanov and alte da Veiga's analytic
                                   form, within 1.5 % of the exact one up to 10)
  --plate MUT                      flat plate of thickness t in reflection:
                                   1 - exp(-2 mu t / sin theta)
  --roughness P Q                  surface roughness (Suortti): [P + (1-P) exp(-Q /
                                   sin theta)] / [P + (1-P) exp(-Q)]; Q 0: smooth
  --overspill SLIT_DEG LENGTH_MM   fixed divergence slit and the specimen's length:
                                   the share of the beam on the specimen at low angles
                                   (the goniometer radius of --displacement, 240 mm)
  --data DIR                       folder of spgr2.dat, the .pos files, csp.lst,
                                   brcow.an and Sasaki.an (default: the installed
                                   data folder)
  --listings DIR                   where fstr.out and fstr2.out are written, together
                                   with the scratch files scfs.dat and dummy.cif
                                   (default: the current folder)

Output
  --export FILE                    write the calculated diagram; .sim, .cpi or .cpd
                                   by the extension
  --observed FILE                  read a measured diagram (.raw, .rd, .sim, .dat, .cpi,
                                   .cpd by the extension; any other format by its
                                   content: XRDML, RAW4, BRML, RAS, RASX, x-y columns,
                                   GSAS, UXD, powder CIF) and resample it on the 2-theta
                                   range as the diagram window does; may be given up to
                                   10 times. A file that does not state its wavelength is
                                   given the run's first wavelength
  --scan N                         the scan of a multi-scan observed file (default 1); a
                                   file with fewer scans is refused
  --compare                        fit each observed diagram against the calculation:
                                   scale and Chebyshev background by weighted least
                                   squares; the figures go to fstr.out and the JSON
                                   The fit weighs each point by 1/sigma^2: the file's own
                                   sigma when it states them; for counts (or counts per
                                   second with a counting time) sigma^2 is the count the
                                   fitted model expects there (the observed count at
                                   first, at least 1), renewed until the weights settle;
                                   other intensities weigh alike. Rp, Rwp, Rexp and chi2
                                   are reported with w = 1/sigma^2, sigma the file's own
                                   or sqrt(max(y_obs, 1))
  --fit LIST                       with --compare, refine also (comma-separated): zero
                                   (the zero shift Z, 2-theta observed = calculated + Z)
  --background N                   with --compare, --fit-fractions or --refine, the
                                   background's order, 0 to 12 (default 3)
  --export-xy FILE                 write columns of numbers (.xy, .xye or .csv by the
                                   extension) with a header line: two_theta calculated
                                   (.xye adds sigma = sqrt(calculated)); after --compare,
                                   two_theta observed calculated background difference
                                   sigma_fit sigma_obs at the points of the first diagram
                                   compared: sigma_fit the fit's weight 1/sqrt(w) (for
                                   counts the model's sqrt(y_calc)), sigma_obs that of
                                   Rwp and chi2 (the file's own or sqrt(max(y_obs, 1)))
  --json FILE                      write the results as JSON to FILE, or to standard
                                   output with -
  --overwrite, --force             answer Yes when a file to be written exists; without
                                   it the answer is No and the file is left alone
  -h, --help                       show this text and exit
  --version                        show the program's version and exit

Messages go to standard error, one per line, in the program's own words. A question
is printed with the answer given to it.

Exit status: 0 on success; 1 when a file cannot be read, a read or the calculation is
refused, or a file cannot be written; 2 on a usage error.

JSON: an object with title, crystal_system, space_group, cell {a, b, c, alpha, beta,
gamma}, operators (texts), atoms [{symbol, label, x, y, z, b, population,
multiplicity}], with --bonds bonds [{from, to, from_atom, to_atom, distance}] (atom
names: element and label, "Si1", or the file's own labels where those would repeat;
from_atom and to_atom the rows of the atoms, from 1; distances in angstroms; one
entry per neighbour image), wavelengths [{lambda, weight}], reflections (merged, in order:
[{h, k, l, multiplicity, lambda, d, two_theta, intensity, po_factor, position, fwhm,
eta}]: intensity includes the preferred-orientation factor po_factor, position is
the peak's 2-theta after the shifts), peaks [{h, k, l, q,
intensity}], pattern {two_theta: [...], intensity: [...]} (1015 points, or the
grid of --step), observed [{file, lambda,
two_theta: [...], intensity: [...], format, scan, wavelengths [{lambda, weight}],
measured {two_theta: [...], intensity: [...], sigma: [...] when the file states it}],
with --compare agreement [{file, scan, points, scale, scale_su, zero_shift,
zero_shift_su, background: [...], background_su: [...], rp, rwp, rexp, chi2}] and
messages (the texts of standard error).
)";
}

}  // namespace kalidos::batch
