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
// sigma at the observed points used (calculated is the scaled calculation with its background).
std::string agreement_columns(ColumnLayout layout, const Agreement& agreement);

}  // namespace kalidos
