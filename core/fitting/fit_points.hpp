// The observed points a least-squares fit uses: those inside the calculated range with a weight
// above 0, their Chebyshev background basis and the counting statistics' reweighting.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/agreement.hpp"
#include "model/measured_diagram.hpp"

namespace kalidos {

struct FitPoints {
    std::vector<double> twoTheta, observed, weight;
    std::vector<double> figureWeight;  // the weights of the reported figures (figure_weights)
    std::vector<double> basis;  // (order + 1) Chebyshev values per point
    int terms = 0;
    double countingTime = 1;  // seconds per step for counts per second, else 1
    ChebyshevInterval interval;
    std::size_t size() const { return twoTheta.size(); }
};

// The points of `scan` inside [low, high] with `terms` background terms; empty text, or why there
// is nothing to fit (no overlap, every weight 0).
std::string select_fit_points(const MeasuredScan& scan, double low, double high, int terms, FitPoints& points);

// Σ_k coefficients[k]·T_k at point i.
double background_value(const FitPoints& points, std::span<const double> coefficients, std::size_t i);

// Counting statistics: the variance of a count is the count the model expects there. The first
// pass weighs by the observed counts; weighing by them to the end would pull every fitted level
// down by about one count. True while a weight still moves by more than the tolerance.
bool reweigh_by_expected(FitPoints& points, const std::vector<double>& expected);

}  // namespace kalidos

namespace kalidos {

// Points, parameters, the figures of merit (weighed by figureWeight) and the curves of `agreement`
// from the fitted model (background included) and its background at every point.
void fill_figures_and_curves(const FitPoints& points, const std::vector<double>& fitted,
                             const std::vector<double>& background, int parameters, Agreement& agreement);

}  // namespace kalidos
