// Rietveld refinement: a 5-atom monoclinic structure (about 30 parameters in three stages) against
// a 3000-point neutron diagram, and one cycle of the 300 coordinates of a 100-atom P 1 structure
// against 10 000 X-ray points. The baseline of the same run is the program's own calculation of
// each structure (reading, reflections, structure factors, listings, profile).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "computation/pattern_grid.hpp"
#include "mixture/phase_calculation.hpp"
#include "refinement/refinement.hpp"
#include "refinement/refinement_structures.hpp"  // the tests' monoclinic structure

namespace kalidos {
namespace {

class QuietMessages : public Messages {
public:
    void warning(const std::string& text) override { last = text; }
    void beep() override {}
    Answer ask(const std::string&) override { return Answer::No; }
    std::string last;
};

// 100 atoms (C, N, O, S) at random places of a 11.5 × 12.0 × 12.5 Å triclinic cell.
std::string p1_structure()
{
    std::ostringstream cif;
    cif << "data_p1\n_cell_length_a 11.5\n_cell_length_b 12.0\n_cell_length_c 12.5\n"
           "_cell_angle_alpha 88\n_cell_angle_beta 95\n_cell_angle_gamma 91\n"
           "_symmetry_space_group_name_H-M 'P 1'\nloop_\n_atom_site_label\n_atom_site_type_symbol\n"
           "_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_B_iso_or_equiv\n";
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(0, 1);
    const char* elements[] = {"C", "N", "O", "S"};
    for (int n = 0; n < 100; ++n)
        cif << elements[n % 4] << n + 1 << ' ' << elements[n % 4] << ' ' << place(random) << ' ' << place(random)
            << ' ' << place(random) << " 1.5\n";
    return cif.str();
}

struct Case {
    std::unique_ptr<Workspace> truth;
    RefinementRequest request;
};

std::unique_ptr<Workspace> calculate(const std::string& cif, int radiation, double lambda, double low, double high)
{
    const auto folder = std::filesystem::temp_directory_path() / "kalidos_refinement_bench";
    std::filesystem::create_directories(folder);
    const auto file = folder / "structure.cif";
    std::ofstream(file) << cif;
    auto main = make_workspace(folder.string());
    StructureModel& m = main->model;
    m.radiation = radiation;
    m.wavelengths.count = 1;
    m.wavelengths.values[1] = m.wavelengths.current = m.wavelengths.shortest = m.wavelengths.longest = lambda;
    m.wavelengths.weights[1] = 1;
    m.typedWavelength = lambda;
    m.enteredTwoTheta1 = m.twoTheta1 = low;
    m.enteredTwoTheta2 = m.twoTheta2 = high;
    m.profile.function = ProfileFunction::Tch;
    m.profile.gaussU = 0.02, m.profile.gaussV = -0.01, m.profile.gaussW = 0.01, m.profile.lorentzY = 0.03;
    QuietMessages messages;
    return calculate_phase_file(file, m, PhaseSettings{}, KALIDOS_DATA_DIR, messages);
}

// Counts with Poisson noise from the program's calculation on `points` points.
MeasuredScan measured(const Workspace& truth, int points)
{
    MeasuredScan scan;
    scan.unit = "counts";
    const double low = truth.model.enteredTwoTheta1, high = truth.model.enteredTwoTheta2;
    scan.twoTheta = uniform_grid(low, high, (high - low) / (points - 1));
    std::mt19937 random(3);
    for (const double y : calculated_pattern_at(truth, scan.twoTheta))
        scan.intensity.push_back(static_cast<double>(std::poisson_distribution<long>(100 * y + 50)(random)));
    return scan;
}

Case neutron_case()
{
    Case c;
    c.truth = calculate(testing::kMonoclinicCif, kNeutrons, 1.594, 10, 130);
    c.request.observed = measured(*c.truth, 3000);
    StructureModel start = c.truth->model;
    for (int n = 1; n <= start.atomCount; ++n) {
        start.atomX[n] += 0.01;
        start.atomZ[n] -= 0.01;
        start.atomB[n] *= 1.3;
    }
    start.cell.a *= 1.001;
    start.profile.gaussU *= 1.2;
    c.request.phases.push_back({"monoclinic", start});
    c.request.stages = {{"scale", "background"}, {"zero", "cell", "profile"}, {"xyz", "biso"}};
    return c;
}

Case p1_case()
{
    Case c;
    c.truth = calculate(p1_structure(), kXrays, 1.5406, 10, 110);
    c.request.observed = measured(*c.truth, 10000);
    StructureModel start = c.truth->model;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> shift(-0.005, 0.005);
    for (int n = 1; n <= start.atomCount; ++n) {
        start.atomX[n] += shift(random);
        start.atomY[n] += shift(random);
        start.atomZ[n] += shift(random);
    }
    c.request.phases.push_back({"p1", start});
    c.request.stages = {{"xyz"}};
    c.request.cycles = 1;
    return c;
}

void run(benchmark::State& state, const Case& c)
{
    int parameters = 0;
    for (auto _ : state) {
        RefinementResult result;
        const std::string why = refine(c.request, result);
        if (!why.empty())
            state.SkipWithError(why.c_str());
        parameters = result.refinedCount;
        benchmark::DoNotOptimize(result);
    }
    state.counters["parameters"] = parameters;
}

void BM_RefineFiveAtoms3000NeutronPoints(benchmark::State& state)
{
    const Case c = neutron_case();
    run(state, c);
}
BENCHMARK(BM_RefineFiveAtoms3000NeutronPoints)->Unit(benchmark::kMillisecond);

void BM_RefineOneCycle100AtomsP1(benchmark::State& state)
{
    const Case c = p1_case();
    run(state, c);
}
BENCHMARK(BM_RefineOneCycle100AtomsP1)->Unit(benchmark::kMillisecond);

// The same with two cycles: less the one-cycle run, what one more cycle costs (without the start,
// the linear fit of the scale and background, and the results' listing that every run pays once).
void BM_RefineTwoCycles100AtomsP1(benchmark::State& state)
{
    Case c = p1_case();
    c.request.cycles = 2;
    run(state, c);
}
BENCHMARK(BM_RefineTwoCycles100AtomsP1)->Unit(benchmark::kMillisecond);

// The baselines: the program's calculation of the same structures and ranges.
void BM_CalculateFiveAtomsNeutrons(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(calculate(testing::kMonoclinicCif, kNeutrons, 1.594, 10, 130));
}
BENCHMARK(BM_CalculateFiveAtomsNeutrons)->Unit(benchmark::kMillisecond);

void BM_Calculate100AtomsP1(benchmark::State& state)
{
    const std::string cif = p1_structure();
    for (auto _ : state)
        benchmark::DoNotOptimize(calculate(cif, kXrays, 1.5406, 10, 110));
}
BENCHMARK(BM_Calculate100AtomsP1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos
