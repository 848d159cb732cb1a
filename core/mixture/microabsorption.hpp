// Microabsorption in a mixture of phases (Brindley, Phil. Mag. 36 (1945) 347): particles of a phase
// that absorbs more than the mixture's mean diffract less than their share of the volume, so that
// the weight fractions from the scales undercount the strong absorbers. Each phase's linear
// absorption μ comes from its cell's content and density and the elements' mass attenuation.
#pragma once

#include <string>
#include <vector>

#include "computation/mass_attenuation.hpp"
#include "computation/cell_content.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

struct PhaseAbsorption {
    double density = 0;  // g/cm³: the cell's mass over its volume
    double mu = 0;       // linear absorption coefficient, cm⁻¹, weighted over the model's wavelengths
};

// μ = Σ over the cell's atoms of their cross sections (μ/ρ·A/N_A) over the cell's volume, for each
// wavelength of the model, weighted by the wavelengths' weights. False with `error` naming an element
// or a wavelength the table lacks. Neutrons are refused (the table is for X-rays).
bool phase_absorption(const StructureModel& model, const CellContent& content, const MassAttenuationTable& table,
                      PhaseAbsorption& absorption, std::string& error);

// Brindley's particle absorption factor for spheres of radius R: the mean over a particle of
// exp(−(μᵢ − μ̄)·ℓ), ℓ the chord through the particle along the beam at each point:
// τ(x) = 3∫₀¹ t²·exp(−2xt) dt with x = (μᵢ − μ̄)R, 1 at x = 0, below 1 for strong absorbers.
double brindley_tau(double x);

struct BrindleyPhase {
    double fraction = 0;  // weight fraction from the scales (Hill and Howard)
    PhaseAbsorption absorption;
};

struct BrindleyResult {
    std::vector<double> fractions;  // corrected weight fractions, summing to 1
    std::vector<double> tau;        // each phase's τ
    double meanMu = 0;              // μ̄ of the solid (volume-weighted over the corrected fractions), cm⁻¹
};

// The weight fractions corrected as wᵢ ∝ wᵢ(scales)/τᵢ for particles of diameter `diameterMicrometres`,
// μ̄ and the τ's made consistent with the corrected fractions (a few passes). Brindley's classes:
// (μᵢ − μ̄)·R below 0.01 "fine" (τ ≈ 1), 0.01-0.1 "medium" and 0.1-1 "coarse", where the correction
// holds; beyond about 1 it is no longer reliable.
BrindleyResult brindley_fractions(const std::vector<BrindleyPhase>& phases, double diameterMicrometres);

// An internal standard of weighed fraction `weighed` (of the whole sample) that the scales give as
// `found` (of the crystalline phases): every crystalline fraction scales by weighed/found, and what is
// left, 1 − weighed/found, is amorphous (or not seen). Below 0 when the standard's fraction was
// overestimated: the caller reports it.
double amorphous_fraction(double weighed, double found);

}  // namespace kalidos
