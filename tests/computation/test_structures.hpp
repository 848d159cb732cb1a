// Small structures ready for a calculation, shared by the computation tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/workspace.hpp"

namespace kalidos::testing {

struct TestAtom {
    std::string symbol;
    double x, y, z, b, population;
};

// A workspace in `directory` with the group, cell, atoms (elements and X-ray coefficients loaded,
// Fermi lengths looked up), one wavelength 1.5406 Å, 2θ 10-90° and a fixed clock.
std::unique_ptr<Workspace> make_structure(const std::string& directory, const std::string& group,
                                          const double (&cell)[6], const std::vector<TestAtom>& atoms);

// NaCl, Fm-3m, a = 5.64 Å.
std::unique_ptr<Workspace> make_rock_salt(const std::string& directory);

void set_wavelengths(StructureModel& model, const std::vector<double>& values, const std::vector<double>& weights);

inline constexpr const char* kFixedDate = "08/12/2026 01:02:03";

}  // namespace kalidos::testing
