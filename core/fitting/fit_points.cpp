#include "fitting/fit_points.hpp"

#include <algorithm>
#include <cmath>

#include "fitting/chebyshev.hpp"
#include "fitting/figures_of_merit.hpp"
#include "fitting/point_weights.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

constexpr double kWeightTolerance = 1e-7;

std::string range_text(double low, double high)
{
    return fmt_fixed(low, 0, 2) + "-" + fmt_fixed(high, 0, 2) + "°";
}

}  // namespace

std::string select_fit_points(const MeasuredScan& scan, double low, double high, int terms, FitPoints& points)
{
    const std::vector<double> weights = point_weights(scan);
    const std::vector<double> figureWeights = figure_weights(scan);
    int inside = 0;
    for (std::size_t i = 0; i < scan.twoTheta.size(); ++i) {
        const double t = scan.twoTheta[i];
        if (!(t >= low && t <= high))
            continue;
        ++inside;
        if (weights[i] > 0) {
            points.twoTheta.push_back(t);
            points.observed.push_back(scan.intensity[i]);
            points.weight.push_back(weights[i]);
            points.figureWeight.push_back(figureWeights[i]);
        }
    }
    if (inside == 0) {
        const auto [lowest, highest] = std::minmax_element(scan.twoTheta.begin(), scan.twoTheta.end());
        return "the calculated range (" + range_text(low, high) + ") does not overlap the observed diagram" +
               (scan.twoTheta.empty() ? std::string() : " (" + range_text(*lowest, *highest) + ")");
    }
    if (points.size() == 0)
        return "every observed point inside the calculated range has the weight 0";
    const auto [lowest, highest] = std::minmax_element(points.twoTheta.begin(), points.twoTheta.end());
    points.interval = {*lowest, *highest};
    points.terms = terms;
    points.basis.resize(points.size() * static_cast<std::size_t>(terms));
    for (std::size_t i = 0; i < points.size(); ++i)
        chebyshev_values(points.interval.reduced(points.twoTheta[i]),
                         std::span(points.basis).subspan(i * terms, static_cast<std::size_t>(terms)));
    return {};
}

double background_value(const FitPoints& points, std::span<const double> coefficients, std::size_t i)
{
    double sum = 0;
    for (int k = 0; k < points.terms; ++k)
        sum += coefficients[static_cast<std::size_t>(k)] * points.basis[i * points.terms + k];
    return sum;
}

bool reweigh_by_expected(FitPoints& points, const std::vector<double>& expected)
{
    const double t = points.countingTime;
    double largestChange = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double weight = t * t / std::max(expected[i] * t, 1.0);
        largestChange = std::max(largestChange, std::fabs(weight - points.weight[i]) / points.weight[i]);
        points.weight[i] = weight;
    }
    return largestChange > kWeightTolerance;
}

}  // namespace kalidos

namespace kalidos {

void fill_figures_and_curves(const FitPoints& points, const std::vector<double>& fitted,
                             const std::vector<double>& background, int parameters, Agreement& a)
{
    const std::size_t n = points.size();
    a.points = static_cast<int>(n);
    a.parameters = parameters;
    a.interval = points.interval;
    AgreementCurves& c = a.curves;
    c = {};
    for (std::size_t i = 0; i < n; ++i) {
        c.twoTheta.push_back(points.twoTheta[i]);
        c.observed.push_back(points.observed[i]);
        c.calculated.push_back(fitted[i]);
        c.background.push_back(background[i]);
        c.sigma.push_back(1 / std::sqrt(points.weight[i]));  // as the fit weighed the point
        c.figureSigma.push_back(1 / std::sqrt(points.figureWeight[i]));  // as the figures weigh it
    }
    const Figures f = figures_of_merit(points.observed, fitted, points.figureWeight, parameters);
    a.rp = f.rp, a.rwp = f.rwp, a.rexp = f.rexp, a.chi2 = f.chi2;
}

}  // namespace kalidos
