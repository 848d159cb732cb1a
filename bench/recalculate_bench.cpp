// The diagram calculated again after one atom moved, as a refinement's trial step does it: after a
// cycle's derivatives the refinement's model keeps each reflection and its sampled peak shape while
// only atoms move, so that a new diagram is the structure factors times the kept shapes. The tests'
// corundum, CuKα1, 10 to 100° in steps of 0.02° (4501 points), the case bench/recalculate_objcryst.py
// gives the peer, on the threads of a calculation and on one. The baseline of the same run is the
// program's whole calculation of the structure.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "computation/parallel_for.hpp"
#include "computation/pattern_grid.hpp"
#include "fitting/fit_points.hpp"
#include "mixture/phase_calculation.hpp"
#include "refinement/pattern_model.hpp"
#include "refinement/refinement_structures.hpp"  // the tests' corundum
#include "ui/messages.hpp"  // for SilentMessages

namespace kalidos {
namespace {

std::unique_ptr<Workspace> calculate_corundum()
{
    const auto folder = std::filesystem::temp_directory_path() / "kalidos_recalculate_bench";
    std::filesystem::create_directories(folder);
    const auto file = folder / "corundum.cif";
    std::ofstream(file) << testing::kTrigonalCif;  // corundum
    auto main = make_workspace(folder.string());
    StructureModel& m = main->model;
    m.radiation = kXrays;
    m.wavelengths.count = 1;
    m.wavelengths.values[1] = m.wavelengths.current = m.wavelengths.shortest = m.wavelengths.longest = 1.5406;
    m.wavelengths.weights[1] = 1;
    m.typedWavelength = 1.5406;
    m.enteredTwoTheta1 = m.twoTheta1 = 10;
    m.enteredTwoTheta2 = m.twoTheta2 = 100;
    SilentMessages messages;
    return calculate_phase_file(file, m, PhaseSettings{}, KALIDOS_DATA_DIR, messages);
}

// Argument: the calculation's threads (0: one per core).
void BM_RecalculateCorundumAfterOneAtomMoved(benchmark::State& state)
{
    set_computation_threads(static_cast<int>(state.range(0)));
    const auto calculated = calculate_corundum();
    RefinementRequest request;
    request.observed.unit = "counts";
    request.observed.twoTheta = uniform_grid(10, 100, 0.02);
    request.observed.intensity = calculated_pattern_at(*calculated, request.observed.twoTheta);
    for (double& y : request.observed.intensity)
        y = 100 * y + 50;
    request.phases.push_back({"corundum", calculated->model});
    ParameterTable table;
    FitPoints points;
    if (!build_parameter_table(request, table).empty() ||
        !select_fit_points(request.observed, 0, 180, request.backgroundOrder + 1, points).empty()) {
        state.SkipWithError("no model");
        return;
    }
    PatternModel model(request, points, table);
    int oxygenX = -1;
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if (table.rows[r].quantity == Quantity::Position && table.rows[r].info.name.find("O1") != std::string::npos &&
            oxygenX < 0)
            oxygenX = static_cast<int>(r);
    if (!model.prepare().empty() || oxygenX < 0) {
        state.SkipWithError("no model");
        return;
    }
    model.set_variables({oxygenX});
    std::vector<double> values{table.rows[static_cast<std::size_t>(oxygenX)].info.value};
    std::vector<double> y(points.size());
    double step = 0.001;
    model.evaluate(values, y);
    // A cycle's derivatives sample the peaks at the points; its trial steps then reuse them.
    Eigen::MatrixXd jacobian = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(points.size()), 1);
    std::vector<char> analytic(1, 0);
    model.derivatives(values, y, jacobian, analytic);
    for (auto _ : state) {
        values[0] += step;
        step = -step;
        if (!model.evaluate(values, y))
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(y.data());
    }
    state.counters["points"] = static_cast<double>(points.size());
    set_computation_threads(0);
}
BENCHMARK(BM_RecalculateCorundumAfterOneAtomMoved)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CalculateCorundum(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(calculate_corundum());
}
BENCHMARK(BM_CalculateCorundum)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kalidos
