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

// state.range(0) = 1: each call on a table of its own (translations moved by a different 10^-12
// or so each time, far inside every tolerance), so that no closure made before is found again;
// 0: the same table every time, as for the atoms sharing a site in one structure.
void run_site(benchmark::State& state, const char* group, double x, double y, double z, int expected)
{
    const std::vector<SymmetryOperator> operators = table(group);
    std::vector<SymmetryOperator> moved = operators;
    int call = 0;
    for (auto _ : state) {
        if (state.range(0) == 1) {
            const double shift = (++call % 1024 + 1) * 0x1p-40;
            for (std::size_t i = 0; i < moved.size(); ++i)
                for (int k = 0; k < 3; ++k)
                    moved[i].m[k][3] = operators[i].m[k][3] + shift;
        }
        const int images = site_multiplicity(moved, x, y, z, 0.001);
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
BENCHMARK(BM_SiteFm3mOrigin)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteFm3mQuarter)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteFm3mNearOrigin)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteFm3mGeneral)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteP6mmmTwoThirds)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kalidos
