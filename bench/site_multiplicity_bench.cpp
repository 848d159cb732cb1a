// Site multiplicities of single sites: the closure of the operators fixing a special position is
// what costs on high-symmetry sites (48 operators at the origin of F m -3 m).
#include <benchmark/benchmark.h>
#include <gemmi/symmetry.hpp>

#include <vector>

#include "computation/site_symmetry.hpp"

namespace kalidos {
namespace {

// The group's whole operator table, centring copies included, as fractions.
std::vector<SymmetryOperator> table(const char* group)
{
    const gemmi::GroupOps ops = gemmi::find_spacegroup_by_name(group)->operations();
    std::vector<SymmetryOperator> table;
    for (const auto& op : ops.all_ops_sorted()) {
        SymmetryOperator s;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                s.m[i][j] = op.rot[i][j] / static_cast<double>(gemmi::Op::DEN);
            s.m[i][3] = op.tran[i] / static_cast<double>(gemmi::Op::DEN);
        }
        table.push_back(s);
    }
    return table;
}

void run_site(benchmark::State& state, const char* group, double x, double y, double z, int expected)
{
    const std::vector<SymmetryOperator> operators = table(group);
    for (auto _ : state) {
        const int images = site_multiplicity(operators, x, y, z, 0.001);
        if (images != expected)
            state.SkipWithError("unexpected multiplicity");
        benchmark::DoNotOptimize(images);
    }
}

void BM_SiteFm3mOrigin(benchmark::State& state) { run_site(state, "F m -3 m", 0, 0, 0, 4); }
void BM_SiteFm3mQuarter(benchmark::State& state) { run_site(state, "F m -3 m", 0.25, 0.25, 0.25, 8); }
void BM_SiteFm3mNearOrigin(benchmark::State& state) { run_site(state, "F m -3 m", 0.0004, -0.0003, 0.0002, 4); }
void BM_SiteFm3mGeneral(benchmark::State& state) { run_site(state, "F m -3 m", 0.07, 0.13, 0.29, 192); }
void BM_SiteP6mmmTwoThirds(benchmark::State& state) { run_site(state, "P 6/m m m", 1.0 / 3, 2.0 / 3, 0, 2); }
BENCHMARK(BM_SiteFm3mOrigin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteFm3mQuarter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteFm3mNearOrigin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteFm3mGeneral)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteP6mmmTwoThirds)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kalidos
