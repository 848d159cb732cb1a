// The "refinement" object of kalidos-batch's JSON.
#pragma once

#include "json_writer.hpp"
#include "refinement/refinement.hpp"

namespace kalidos::batch {

// refinement {stages [{released, cycles, converged, notes}], points, refined, rp, rwp, rexp, chi2,
// parameters [{name, phase, atom, value, su, held}] (the refined ones; phase from 1, 0 for the
// diagram's; atom "" but for an atom's), correlations [{first, second, coefficient}] (|r| > 0.9),
// phases [{phase, name, r_bragg, scale, scale_su, fraction, fraction_su, cell {a, a_su, ...},
// volume, volume_su, atoms [{name, x, x_su, y, y_su, z, z_su, b, b_su, occupancy, occupancy_su;
// with a tensor u [U11 U22 U33 U12 U13 U23], u_su [...]}]}]}
void write_refinement(JsonWriter& json, const RefinementResult& result);

}  // namespace kalidos::batch
