// The calculated pattern at a measurement's resolution: 100 000 points, 10 000 reflections.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "computation/parallel_for.hpp"
#include "computation/pattern_grid.hpp"

namespace kalidos {
namespace {

// Reflections spread over 5-125° with the half widths of the default resolution curve
// (U = 0.001, V = 0, W = 0.005: 0.07° to 0.12°); 100 000 points over the same range.
void BM_PatternOnGrid100kPoints10kReflections(benchmark::State& state)
{
    set_computation_threads(static_cast<int>(state.range(0)));
    std::mt19937 random(11);
    std::uniform_real_distribution<double> angle(5, 125), intensity(0.05, 1000);
    std::vector<ProfileTerm> terms;
    for (int i = 0; i < 10000; ++i) {
        const double twoTheta = angle(random);
        const double t = std::tan(twoTheta * 3.141592653589793 / 360);
        terms.push_back({twoTheta, std::sqrt(0.001 * t * t + 0.005), 0.5, 0.1 * intensity(random)});
    }
    const std::vector<double> grid = uniform_grid(5, 125, 120.0 / 99999);
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluate_profile_terms(terms, grid));
    set_computation_threads(0);
}

}  // namespace

BENCHMARK(BM_PatternOnGrid100kPoints10kReflections)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace kalidos
