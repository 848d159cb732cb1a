// The integrated intensities of one phase's reflections as a refinement moves its cell and atoms,
// with their derivatives with respect to every atom's coordinates, B, occupancy and tensor.
#pragma once

#include <complex>
#include <string>
#include <vector>

#include "model/results.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// The derivative slots of one atom: x y z, B, occupancy, U11 U22 U33 U12 U13 U23.
inline constexpr int kAtomSlots = 11;
inline constexpr int kSlotB = 3, kSlotOccupancy = 4, kSlotTensor = 5;

struct PhaseIntensities {
    // One per form and wavelength: d, 2θ and the intensity m·|F|²·Lp·P·(wavelength weight) per unit
    // cell with the overall B applied (electrons² or fm²); 2θ 0 and intensity 0 beyond 180°.
    std::vector<Reflection> reflections;
    std::vector<double> sSquared;  // (sin θ/λ)², Å⁻²
    // intensity / |F|²: the per-cell factor, wavelength weight, multiplicity, Lp, orientation and
    // overall B (0 beyond 180°)
    std::vector<double> factor;
    // ∂intensity/∂(atom parameter), [reflection][atom − 1][slot]; filled only when asked.
    std::vector<double> slopes;
};

// Every reflection's sum over the operators of each atom, G = Σ_j exp(2πi·h·(R_j·x + t_j)), kept
// from one calculation for the next: without anisotropic atoms (whose damping within the sum depends
// on the cell) they depend on the atoms' places alone, not on the cell, B, occupancies, overall B or
// orientation, so that a change of those leaves out the operators' sines and cosines.
struct AtomPhaseSums {
    std::vector<double> places;                // every atom's x y z the sums were made at
    std::vector<std::complex<double>> g;       // [reflection][atom − 1]
};

class PhaseReflectionSet {
public:
    // The forms of every wavelength of the model (a complete calculation's) whose 2θ lies in
    // [low, high] degrees: their (h k l), multiplicities and the atoms' multiplicity factors. Empty
    // text, or why there are none.
    std::string prepare(const StructureModel& model, double low, double high);

    // The intensities for `model` (its cell, atoms, preferred orientation) with `overallB` (Å²);
    // with `slopes` also the derivatives. With `kept`, the atoms' sums are taken from it when they
    // were made at the same places, and kept there otherwise (the same intensities either way).
    void compute(const StructureModel& model, double overallB, bool slopes, PhaseIntensities& out,
                 AtomPhaseSums* kept = nullptr) const;

    std::size_t size() const { return forms_.size(); }

    struct Form {
        int h, k, l, multiplicity, pass;  // pass: 1-based wavelength
    };
    const Form& form(std::size_t index) const { return forms_[index]; }

private:
    // `given`: the atoms' sums of this reflection to use; else made, and written to `made` if given.
    void compute_form(const StructureModel& model, std::size_t index, double s, bool slopes, double& squared,
                      double* slope, const std::complex<double>* given, std::complex<double>* made) const;

    std::vector<Form> forms_;
    std::vector<double> siteFactor_;  // per atom: images in the cell per operator of the table, times K
};

}  // namespace kalidos
