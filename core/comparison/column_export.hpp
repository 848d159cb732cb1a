// The calculated diagram as columns of numbers (.xy, .xye, .csv), alone or beside a measurement.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "model/agreement.hpp"

namespace kalidos {

enum class ColumnLayout {
    Xy,   // blank-separated: two_theta calculated
    Xye,  // blank-separated: two_theta calculated sigma (√calculated, the counting error of a simulation)
    Csv,  // comma-separated: two_theta,calculated
};

// The layout named by the file's extension (.xy, .xye, .csv, any case); nothing otherwise.
std::optional<ColumnLayout> column_layout(const std::string& fileName);

// A header line naming the columns, then one line per point; numbers in the shortest form
// that reads back to the same double.
std::string pattern_columns(ColumnLayout layout, std::span<const double> twoTheta, std::span<const double> intensity);

// After a comparison, in every layout: two_theta observed calculated background difference
// sigma_fit sigma_obs at the observed points used (calculated is the scaled calculation with its
// background; sigma_fit the σ the fit weighed the point by, for counts the model's √yc, sigma_obs the
// σ of Rp, Rwp, Rexp and χ², the file's own or √max(y_obs, 1)).
std::string agreement_columns(ColumnLayout layout, const Agreement& agreement);

}  // namespace kalidos
