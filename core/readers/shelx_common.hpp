// Pieces shared by the ShelX instruction-file and result-file readers.
#pragma once

#include "model/structure_model.hpp"

#include <string>
#include <vector>

namespace kalidos
{

// 8π² as the displacement conversion B = 8π²U takes it.
inline constexpr double kShelxEightPiSquared = 78.9567018248;

// The trimmed name gets a blank before a digit in second place and is put in upper case; its
// characters 1-2 are the symbol, 3-4 the label (O12 gives O and 12, CL1 gives CL and 1).
void set_shelx_atom_name(StructureModel& model, int n, const std::string& name);

// B = 8π²·Ueq from U11, U22, U33, U23, U13, U12 (ShelX order), Ueq being the third of the trace
// of U in the direct metric of the cell.
double b_from_anisotropic_u(const CellParameters& cell, const double u[6]);

// The tensor of the six U values of an atom line (ShelX order U11 U22 U33 U23 U13 U12).
AnisotropicDisplacement shelx_tensor(const double u[6]);

// The value of a parameter written with the ShelX free-variable code: 10m + p with m ≥ 2 gives
// p·fv(m), −(10m + p) gives p·(1 − fv(m)), 10 + p is p held fixed, anything else stays as written.
// False when fv(m) is not among the values of the FVAR lines.
bool resolve_free_variable(double written, const std::vector<double>& freeVariables, double& value);

// Instructions of an instruction or result file that are not atoms (first four characters).
bool is_shelx_instruction(const std::string& keyword);

} // namespace kalidos
