// The fit of a comparison: 100 000 observed counts against a calculation of 200 reflections.
#include <benchmark/benchmark.h>

#include <random>

#include "comparison/agreement.hpp"
#include "comparison/calculated_points.hpp"

namespace kalidos {
namespace {

struct ComparisonCase {
    std::unique_ptr<Workspace> workspace = make_workspace(".");
    MeasuredScan scan;
    CalculatedIntensity calculated;

    ComparisonCase()
    {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> position(10, 110), intensity(10, 1000);
        CountedTable<Reflection>& merged = workspace->results.merged;
        for (int i = 0; i < 200; ++i) {
            Reflection& r = merged[++merged.count];
            r.twoTheta = position(random);
            r.intensity = intensity(random);
        }
        std::sort(merged.begin(), merged.end(), [](const Reflection& a, const Reflection& b) { return a.twoTheta < b.twoTheta; });
        workspace->model.u = 0.001, workspace->model.w = 0.005;
        calculated = calculated_intensity(*workspace);
        scan.unit = "counts";
        for (int i = 0; i < 100000; ++i)
            scan.twoTheta.push_back(10 + i * 0.001);
        scan.intensity.resize(scan.twoTheta.size());
        std::vector<double> shifted = scan.twoTheta;
        for (double& t : shifted)
            t -= 0.04;
        calculated(shifted, scan.intensity);
        for (double& y : scan.intensity)
            y = std::poisson_distribution<int>(2 * y + 150)(random);
    }
};

void BM_FitComparison(benchmark::State& state)
{
    static const ComparisonCase c;
    const AgreementSettings settings{3, state.range(0) != 0};
    for (auto _ : state) {
        Agreement a;
        const std::string why = fit_agreement(c.scan, 10, 110, c.calculated, settings, a);
        benchmark::DoNotOptimize(a.rwp);
        if (!why.empty())
            state.SkipWithError(why.c_str());
    }
}
BENCHMARK(BM_FitComparison)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kalidos
