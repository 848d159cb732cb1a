// The refinement's model against the program's own calculation, and its analytic derivatives
// against finite differences of the model.
#include <gtest/gtest.h>

#include <cmath>

#include "computation/pattern_grid.hpp"
#include "computation/site_multiplicity.hpp"
#include "fitting/fit_points.hpp"
#include "refinement/pattern_model.hpp"
#include "refinement_fixtures.hpp"

namespace kalidos::testing {
namespace {

struct Prepared {
    RefinementRequest request;
    ParameterTable table;
    FitPoints points;
    std::unique_ptr<PatternModel> model;
};

void prepare(Prepared& p, const Workspace& calculated, const MeasuredScan& scan)
{
    p.request.observed = scan;
    p.request.phases.push_back({"phase", calculated.model});
    ASSERT_EQ(build_parameter_table(p.request, p.table), "");
    ASSERT_EQ(select_fit_points(scan, 0, 180, p.request.backgroundOrder + 1, p.points), "");
    p.model = std::make_unique<PatternModel>(p.request, p.points, p.table);
    ASSERT_EQ(p.model->prepare(), "");
}

// Each of `rows` as a variable: the model's column must be given and agree with central differences
// of the model (step h relative to the value, at least h) to `tolerance` of its largest value.
void expect_columns_within(Prepared& p, const std::vector<int>& rows, double tolerance, double h)
{
    p.model->set_variables(rows);
    std::vector<double> values;
    for (const int r : rows)
        values.push_back(p.table.rows[static_cast<std::size_t>(r)].info.value);
    const std::size_t n = p.points.size();
    std::vector<double> y(n), up(n), down(n);
    ASSERT_TRUE(p.model->evaluate(values, y));
    Eigen::MatrixXd jacobian = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(rows.size()));
    std::vector<char> analytic(rows.size(), 0);
    p.model->derivatives(values, y, jacobian, analytic);
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const std::string& name = p.table.rows[static_cast<std::size_t>(rows[j])].info.name;
        ASSERT_TRUE(analytic[j]) << name;
        const double step = h * std::max(1.0, std::fabs(values[j]));
        std::vector<double> shifted = values;
        shifted[j] = values[j] + step;
        ASSERT_TRUE(p.model->evaluate(shifted, up));
        shifted[j] = values[j] - step;
        ASSERT_TRUE(p.model->evaluate(shifted, down));
        double largest = 0, worst = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double difference = (up[i] - down[i]) / (2 * step);
            largest = std::max(largest, std::fabs(difference));
            worst = std::max(worst, std::fabs(difference - jacobian(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j))));
        }
        EXPECT_GT(largest, 0) << name;
        EXPECT_LT(worst, tolerance * largest) << name;
    }
}

// The model's columns against central differences of its evaluation: within 1e-5 of a column's
// largest value with the evaluation's own slopes, within `coarseTolerance` with the fit's (tails
// from coarser grids).
void expect_columns_agree(Prepared& p, const std::vector<int>& rows, double coarseTolerance)
{
    for (const bool coarse : {false, true}) {
        SCOPED_TRACE(coarse);
        p.model->set_coarse_slope_tails(coarse);
        expect_columns_within(p, rows, coarse ? coarseTolerance : 1e-5, 1e-6);
    }
}

// The refinement's own intensities and peaks, against the program's calculation: a diagram
// calculated by the program is the refinement's model at its start times one scale, which is the
// factor that brought the calculation to its picture's units.
TEST(RefinementModel, StartIsTheProgramsCalculation)
{
    Experiment e;
    e.wavelengths = {1.54056, 1.54439};
    e.weights = {1, 0.5};
    e.profile.axialSL = 0.02;
    e.profile.axialHL = 0.03;
    e.profile.zeroShift = 0.03;
    for (const char* cif : {kTrigonalCif, kHexagonalCif}) {
        const auto calculated = calculated_cif("start", cif, e);
        ASSERT_TRUE(calculated);
        const double peakCounts = 5000;
        RefinementRequest request;
        request.observed = synthetic_scan(*calculated, 0.01, peakCounts, 0, false);
        request.low = 25, request.high = 100;  // reflections beyond the program's range do not reach
        request.phases.push_back({"phase", calculated->model});
        RefinementResult result;
        ASSERT_EQ(refine(request, result), "");
        // The refinement's intensities are per cell; the program's picture keeps the listings' scale.
        const double scale =
            peakCounts * calculated->results.pattern.scale / 100 / per_cell_intensity_factor(calculated->model);
        EXPECT_NEAR(result.phases[0].scale.value / scale, 1, 1e-4);
        double largest = 0, worst = 0;
        for (std::size_t i = 0; i < result.curves.twoTheta.size(); ++i) {
            largest = std::max(largest, result.curves.observed[i]);
            worst = std::max(worst, std::fabs(result.curves.phases[0][i] - result.curves.observed[i]));
        }
        EXPECT_LT(worst, 1e-3 * largest);
    }
}

// Positions, B, occupancies, overall B and scale on a monoclinic structure, the tensors on a
// hexagonal one; both with f' and f'' so that the complex scattering factors are exercised.
void expect_analytic_derivatives(const std::string& structure, const char* cif)
{
    Experiment e;
    e.low = 20, e.high = 80;
    const auto calculated = calculated_cif(structure, cif, e);
    ASSERT_TRUE(calculated);
    const MeasuredScan scan = synthetic_scan(*calculated, 0.02, 1000, 10, false);
    for (int element = 1; element <= calculated->model.elementCount; ++element) {
        calculated->model.fPrime[1][element] = -0.4 * element;
        calculated->model.fSecond[1][element] = 1.1 * element;
    }
    Prepared p;
    prepare(p, *calculated, scan);
    std::vector<int> rows;
    for (std::size_t r = 0; r < p.table.rows.size(); ++r) {
        ModelParameter& row = p.table.rows[r];
        if (row.quantity == Quantity::Scale)
            row.info.value = 1e-3;
        if (row.analytic && !row.fixed && row.ties.empty())
            rows.push_back(static_cast<int>(r));
    }
    expect_columns_agree(p, rows, 3e-4);
}

TEST(RefinementModel, AnalyticDerivativesAgreeWithDifferences)
{
    expect_analytic_derivatives("monoclinic", kMonoclinicCif);
    expect_analytic_derivatives("hexagonal", kHexagonalCif);
}

// The columns of the variables that move or shape the peaks, through the terms' changes and the
// profile's slopes: zero, displacement, transparency, cell, the TCH widths, size, strain and
// preferred orientation, on a trigonal cell with two wavelengths and axially divergent peaks.
TEST(RefinementModel, PeakColumnsAgreeWithDifferences)
{
    Experiment e;
    e.low = 20, e.high = 90;
    e.wavelengths = {1.54056, 1.54439};
    e.weights = {1, 0.5};
    e.profile.axialSL = 0.02, e.profile.axialHL = 0.03;
    e.profile.zeroShift = 0.02, e.profile.displacementMm = 0.05, e.profile.transparency = 0.01;
    e.profile.sizeNm = 80, e.profile.strainPercent = 0.05;
    const auto calculated = calculated_cif("peaks", kTrigonalCif, e);
    ASSERT_TRUE(calculated);
    calculated->model.sample.preferred.ratio = 0.9;
    Prepared p;
    prepare(p, *calculated, synthetic_scan(*calculated, 0.01, 1000, 10, false));
    std::vector<int> rows;
    for (std::size_t r = 0; r < p.table.rows.size(); ++r) {
        ModelParameter& row = p.table.rows[r];
        if (row.quantity == Quantity::Scale)
            row.info.value = 1e-3;
        if (!row.analytic && row.ties.empty() && row.quantity != Quantity::AxialSL && row.quantity != Quantity::AxialHL)
            rows.push_back(static_cast<int>(r));
    }
    ASSERT_GE(rows.size(), 15u);
    expect_columns_agree(p, rows, 1e-3);
}

}  // namespace
}  // namespace kalidos::testing
