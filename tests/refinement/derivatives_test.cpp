// The refinement's model against the program's own calculation, and its analytic derivatives
// against finite differences of the model.
#include <gtest/gtest.h>

#include <cmath>

#include "comparison/fit_points.hpp"
#include "computation/pattern_grid.hpp"
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

TEST(RefinementModel, AnalyticDerivativesAgreeWithDifferences)
{
    Experiment e;
    e.low = 20, e.high = 80;
    const auto calculated = calculated_cif("monoclinic", kMonoclinicCif, e);
    ASSERT_TRUE(calculated);
    Prepared p;
    prepare(p, *calculated, synthetic_scan(*calculated, 0.02, 1000, 10, false));
    std::vector<int> rows;
    for (std::size_t r = 0; r < p.table.rows.size(); ++r) {
        ModelParameter& row = p.table.rows[r];
        if (row.quantity == Quantity::Scale)
            row.info.value = 1e-3;
        if (row.analytic && !row.fixed && row.ties.empty())
            rows.push_back(static_cast<int>(r));
    }
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
        const double h = 1e-6;
        std::vector<double> shifted = values;
        shifted[j] = values[j] + h;
        ASSERT_TRUE(p.model->evaluate(shifted, up));
        shifted[j] = values[j] - h;
        ASSERT_TRUE(p.model->evaluate(shifted, down));
        double largest = 0, worst = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double difference = (up[i] - down[i]) / (2 * h);
            largest = std::max(largest, std::fabs(difference));
            worst = std::max(worst, std::fabs(difference - jacobian(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j))));
        }
        EXPECT_GT(largest, 0) << name;
        EXPECT_LT(worst, 1e-5 * largest) << name;
    }
}

}  // namespace
}  // namespace kalidos::testing
