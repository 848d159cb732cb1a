// Rietveld refinement: the phases' structures, the diagram's profile and background refined
// against one measured diagram, over parameters with stable names.
//
// Every parameter has one name, which the listings, the JSON, the refined CIF and the window read:
//   diagram        zero, displacement, U, V, W (the active profile's Gaussian or 50/50 widths),
//                  X, Y (TCH Lorentzian), SL, HL (axial divergence), bkg0 … bkg12
//   phase p        p::scale, p::a, p::b, p::c, p::alpha, p::beta, p::gamma, p::size, p::strain,
//                  p::r (March–Dollase), p::B (overall B)
//   atom of p      p::x:Al1, p::y:Al1, p::z:Al1, p::B:Al1, p::occ:Al1, p::U11:Al1 … p::U23:Al1
// The atom's name is its element and label as the structure gives them (Al + 1); in a phase where
// two atoms would share one, the atoms take the file's own site labels ("Oa1", "Ob1"), and those
// without one all but the first get #n after it (n its 1-based row).
#pragma once

#include <atomic>      // for the stop flag
#include <functional>
#include <string>
#include <vector>

#include "model/agreement.hpp"         // for FittedValue
#include "fitting/least_squares.hpp"  // for FitOutcome
#include "model/measured_diagram.hpp"  // for MeasuredScan
#include "model/structure_model.hpp"

namespace kalidos {

inline constexpr int kDefaultRefinementCycles = 20;

// The groups a stage releases, as users name them ("overall" is each phase's overall B).
inline constexpr const char* kRefinementGroups[] = {"scale", "background", "zero",     "displacement", "profile",
                                                    "asymmetry", "cell",   "size",     "strain",       "preferred",
                                                    "xyz",   "biso",       "occupancy", "adp",         "overall"};

// One phase of the sample: a structure after a complete calculation (its element table, operators,
// wavelengths and f', f'' are those the refinement uses), with its own crystallite size, microstrain
// and preferred orientation in model.profile and model.sample. The diagram's parameters (zero shift,
// displacement, profile widths, asymmetry, radiation) are those of the first phase's model.
struct RefinementPhase {
    std::string name;  // shown in notes and listings, e.g. the structure file without folder
    StructureModel model;
};

// One B for the listed atoms of a phase (their names as above, without phase: "Al1").
struct SharedDisplacement {
    int phase = 0;
    std::vector<std::string> atoms;
};

// Occupancies of atoms sharing a site held at their starting sum (Fe/Mg on one site).
struct OccupancySum {
    int phase = 0;
    std::vector<std::string> atoms;
};

struct RefinementRequest {
    std::vector<RefinementPhase> phases;
    MeasuredScan observed;
    // Points used: those of `observed` inside [low, high] (degrees 2θ); high ≤ low uses every point.
    double low = 0, high = 0;
    int backgroundOrder = 3;  // Chebyshev T_0 … T_order, 0..12
    // Each stage releases groups (kRefinementGroups) or single parameters by name, added to what the
    // stages before released.
    std::vector<std::vector<std::string>> stages;
    int cycles = kDefaultRefinementCycles;  // at most, per stage
    double damping = 1e-3;                  // Marquardt λ of a stage's first cycle
    std::vector<SharedDisplacement> sharedB;
    std::vector<OccupancySum> occupancySums;
};

// A parameter of the model, refined or not.
struct RefinementParameter {
    std::string name;       // the stable name, above
    std::string group;      // its group in kRefinementGroups
    std::string parameter;  // the name without phase and atom: "x", "a", "scale", "bkg2"
    int phase = -1;         // -1: the diagram's
    std::string atom;       // empty but for atom parameters
    double start = 0, value = 0, su = 0;
    double shift = 0;       // of the last cycle
    bool refined = false;   // released by a stage (or tied to one that was)
    bool held = false;      // released but not determined by the data: kept at its value
    int limit = 0;          // −1 resting on its lower bound, +1 on its upper one: no su
    // Why it cannot be released ("fixed by symmetry: y = x"), or how a constraint ties it
    // ("= 0::x:Fe1"); empty for a free parameter.
    std::string constraint;
};

struct CycleFigures {
    int cycle = 0;  // 1, 2, … within its stage
    double rp = 0, rwp = 0, chi2 = 0;
};

struct RefinementStage {
    std::vector<std::string> released;  // as the request named them
    int cycles = 0;
    FitOutcome outcome = FitOutcome::Converged;
    bool converged = false;  // outcome == Converged
    bool stopped = false;    // the stop flag ended it
    double chi2 = 0;         // at its end: never above the stage's before
    std::vector<std::string> notes;  // held parameters, retries, how it ended
    std::vector<CycleFigures> figures;
};

struct ParameterCorrelation {
    std::string first, second;
    double coefficient = 0;
};

struct RefinedAtom {
    std::string name;  // "Al1"
    FittedValue x, y, z, b, occupancy;
    bool anisotropic = false;
    FittedValue u[6];  // U11 U22 U33 U12 U13 U23, Å²
};

struct RefinedPhase {
    std::string name;
    double rBragg = 0;
    FittedValue scale;
    FittedValue cell[6];  // a, b, c (Å), α, β, γ (degrees)
    FittedValue volume;   // Å³
    FittedValue fraction; // weight fraction from the scales (Hill and Howard); 0 when unknown
    std::vector<RefinedAtom> atoms;
    // The structure with every refined value in place (cell, atoms, size, strain, orientation and
    // the diagram's profile), as a new calculation or a CIF writer takes it.
    StructureModel refined;
};

// The refined model at the points used.
struct RefinementCurves {
    std::vector<double> twoTheta, observed, calculated, background, difference, sigma;
    std::vector<std::vector<double>> phases;  // each phase's share (without background)
};

struct RefinementResult {
    FitOutcome outcome = FitOutcome::Converged;  // the last stage's, or stopped
    std::vector<std::string> notes;  // of the whole refinement: where it started, what is on a limit
    std::vector<RefinementStage> stages;
    int stage = 0, cycle = 0;  // where a progress report stands (1-based); the last at the end
    double rp = 0, rwp = 0, rexp = 0, chi2 = 0;
    int points = 0, refinedCount = 0;
    std::vector<RefinementParameter> parameters;  // every parameter of the model, refined or not
    std::vector<ParameterCorrelation> correlations;  // |r| > 0.9
    std::vector<RefinedPhase> phases;
    RefinementCurves curves;
    // The parameter of that name; null when none has it.
    const RefinementParameter* find(const std::string& name) const;
};

// Called after every finished cycle with the result as it stands (values, shifts, su, figures and
// curves of that cycle).
using RefinementProgress = std::function<void(const RefinementResult&)>;

// The parameters the request's phases have, with their values, which cannot be released and why,
// and `refined` set for what the stages release. Empty text, or why the request is refused.
std::string refinement_parameters(const RefinementRequest& request, std::vector<RefinementParameter>& parameters);

// Refines stage after stage. Returns an empty text and fills `result`, or why nothing was refined
// (no phase, no point, a name or group named twice or unknown, a group the structures cannot have,
// fewer points than parameters) and leaves `result` as it was. A set `stop` ends the refinement
// after the cycle under way, keeping the values of the last finished cycle.
std::string refine(const RefinementRequest& request, RefinementResult& result, const RefinementProgress& progress = {},
                   const std::atomic<bool>* stop = nullptr);

// "scale,background;zero,cell" as stages; empty text, or why the text is refused (an empty stage).
std::string parse_refinement_stages(const std::string& text, std::vector<std::vector<std::string>>& stages);

}  // namespace kalidos
