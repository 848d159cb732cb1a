// The diagram window's mixture: the main window's structure as the first phase, the structure files
// added as extra phases, and the calculated curve replaced by the mixture's while there are several.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mixture/mixture.hpp"
#include "mixture/phase_calculation.hpp"
#include "mixture/phase_fit.hpp"
#include "mixture/phase_quantities.hpp"

namespace kalidos::app {

struct PhaseEntry {
    std::string path;        // the structure file; empty for the main window's structure
    PhaseSettings settings;  // an extra phase's own; the first phase follows the main window
    MixturePhase phase;
    std::optional<FittedPhase> fitted;  // the last fit's values, until a setting changes
    // A refined structure kept from the refinement window: calculated instead of the file's.
    std::shared_ptr<const StructureModel> refined;
};

// A reflection named by a click: the phase it belongs to (from 0) and its record.
struct NamedReflection {
    std::size_t phase = 0;
    std::size_t index = 0;  // in the phase's reflections (for the first phase, the merged records from 0)
    Reflection reflection;  // 2θ and d for the phase's cell scale
};

// The first phase's name: the main window's structure file without folder, else its title.
std::string main_phase_name(const StructureModel& model);

// One line of a phase as the Q mode draws it.
struct MixtureStick {
    double q = 0;        // 2π/d, Å⁻¹
    double percent = 0;  // of the mixture's largest line
};

class PhaseMixture {
public:
    explicit PhaseMixture(Workspace& main) : workspace_(main) {}

    // Where the readers find the program's data files; unset, the main window's start directory
    // (as File › Open reads).
    void set_data_directory(const std::filesystem::path& directory) { dataDirectory_ = directory; }

    // After a calculation of the main window: the first phase taken anew from it and every extra
    // phase calculated again with its settings. False (told) when the first phase cannot be made.
    bool main_calculated(Messages& messages);
    // Whether the first phase stands for the main window's last calculation.
    bool has_main() const { return !entries_.empty(); }
    // An extra phase from a structure file at an equal share of the weight. False (told) when the
    // file is refused, the mixture is full or the main structure is not calculated.
    bool add(const std::string& path, Messages& messages);
    // An extra phase from a structure made in the program, under `name`. A structure without atoms
    // (a cell found by indexing) contributes its reflections' positions and no intensity, at a weight
    // fraction of 0, until a whole-pattern fit gives it intensities. False (told) as add.
    bool add_structure(const StructureModel& structure, const std::string& name, Messages& messages);
    void remove(std::size_t index);
    bool change_settings(std::size_t index, const PhaseSettings& settings, Messages& messages);
    void set_fraction(std::size_t index, double fraction);
    // An extra phase takes a refined structure (cell, atoms) and its size, strain and orientation,
    // calculated again. False (told) when the calculation refuses it.
    bool keep_refined(std::size_t index, const StructureModel& refined, Messages& messages);
    void set_shown(std::size_t index, bool shown);

    // Several phases over a calculated diagram: the window draws the mixture.
    bool active() const;
    const std::vector<PhaseEntry>& entries() const { return entries_; }
    // The phases' curves on the calculated diagram's points, the total's largest value 100.
    const MixtureCurves& curves() const { return curves_; }
    // Per phase its lines summed over the wavelengths, at the phases' scales; none without a mixture.
    std::vector<std::vector<MixtureStick>> sticks() const;
    // The weight fractions divided by their sum.
    std::vector<double> normalised_fractions() const;

    // Fits the fractions (and as asked sizes and cells) to the first observed diagram over the
    // calculated range, then takes the fitted values. Empty, or why no fit was made.
    std::string fit(const PhaseFitSettings& settings, PhaseFit& result);
    const std::optional<PhaseFit>& last_fit() const { return lastFit_; }

    // The fractions beside the phases' absorption (Brindley) and an internal standard's weight, from the
    // fractions as they stand. Empty, or why they cannot be worked out.
    std::string quantities(const QuantitySettings& settings, PhaseQuantities& quantities) const;

    // The reflection contributing most to the mixture whose abscissa in `mode` (θ, 2θ or Q = 2π/d)
    // lies within [low, high]; none without a mixture.
    std::optional<NamedReflection> strongest_between(double low, double high, AbscissaMode mode) const;

private:
    std::vector<MixturePhase> phases() const;
    // The entry's structure (its file, or what was kept from a refinement) calculated as a phase.
    bool calculate(const PhaseEntry& entry, const PhaseSettings& settings, double fraction, Messages& messages,
                   MixturePhase& phase) const;
    // The phase of a structure without atoms: its lattice's reflections at intensity 0.
    bool cell_phase(const StructureModel& structure, const std::string& name, const PhaseSettings& settings,
                    double fraction, Messages& messages, MixturePhase& phase) const;
    // Whether a phase may be added: the main structure calculated and the mixture not full (told).
    bool room_for_a_phase(Messages& messages) const;
    void forget_fit();
    // The calculated pattern: the mixture's total, or the main calculation's own with one phase.
    void update_pattern();
    std::filesystem::path data_directory() const;

    Workspace& workspace_;
    std::filesystem::path dataDirectory_;
    std::vector<PhaseEntry> entries_;
    std::vector<float> mainIntensities_;  // the main calculation's pattern, kept under the mixture's
    MixtureCurves curves_;
    std::optional<PhaseFit> lastFit_;
};

}  // namespace kalidos::app
