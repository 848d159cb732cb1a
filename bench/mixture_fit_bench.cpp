// The fit of weight fractions: three phases against a 7000-point measured diagram (5° to 145° in
// steps of 0.02°), each phase 150 reflections; the one-phase comparison of the same points is the
// baseline of the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "comparison/agreement.hpp"
#include "comparison/calculated_points.hpp"
#include "mixture/mixture.hpp"
#include "mixture/phase_fit.hpp"

namespace kalidos {
namespace {

MixturePhase synthetic_phase(std::mt19937& random, double zmv, double fraction)
{
    MixturePhase phase;
    auto model = std::make_shared<StructureModel>();
    model->u = 0.001, model->w = 0.005;
    phase.model = model;
    phase.name = "phase";
    phase.fraction = fraction;
    phase.content.z = 1;
    phase.content.formulaMass = zmv;
    phase.content.volume = 1;
    std::uniform_real_distribution<double> position(6, 144), intensity(1e3, 1e5);
    for (int i = 0; i < 150; ++i) {
        Reflection r;
        r.twoTheta = position(random);
        r.lambda = 1.54056;
        r.d = r.lambda / (2 * std::sin(r.twoTheta * 3.141592653589793 / 360));
        r.intensity = intensity(random);
        phase.reflections.push_back(r);
    }
    std::sort(phase.reflections.begin(), phase.reflections.end(),
              [](const Reflection& a, const Reflection& b) { return a.twoTheta < b.twoTheta; });
    return phase;
}

struct MixtureFitCase {
    std::vector<MixturePhase> phases;
    MeasuredScan scan;

    MixtureFitCase()
    {
        std::mt19937 random(11);
        phases = {synthetic_phase(random, 2e4, 0.2), synthetic_phase(random, 5e4, 0.3),
                  synthetic_phase(random, 9e4, 0.5)};
        scan.unit = "counts";
        for (int i = 0; i < 7001; ++i)
            scan.twoTheta.push_back(5 + i * 0.02);
        std::vector<double> shifted = scan.twoTheta;
        for (double& t : shifted)
            t -= 0.03;
        const MixtureCurves curves = mixture_curves(phases, hill_howard_scales(phases), shifted);
        for (const double y : curves.total)
            scan.intensity.push_back(std::poisson_distribution<int>(50 * y + 100)(random));
    }
};

void BM_FitThreePhaseFractions7000Points(benchmark::State& state)
{
    const MixtureFitCase c;
    PhaseFitSettings settings;
    settings.fitSize = settings.fitCell = state.range(0) != 0;
    for (auto _ : state) {
        PhaseFit fit;
        const std::string why = fit_phases(c.scan, 5, 145, c.phases, settings, fit);
        benchmark::DoNotOptimize(fit);
        if (!why.empty() || !fit.converged)
            state.SkipWithError(why.empty() ? "not converged" : why.c_str());
    }
}
BENCHMARK(BM_FitThreePhaseFractions7000Points)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The baseline: the comparison's fit of one calculation (scale, background, zero) to the same points.
void BM_CompareOnePhase7000Points(benchmark::State& state)
{
    const MixtureFitCase c;
    const std::vector<ProfileTerm> terms = phase_terms(c.phases[2]);
    const CalculatedIntensity calculated = [&terms](std::span<const double> t, std::span<double> y) {
        const std::vector<double> values = evaluate_profile_terms(terms, std::vector<double>(t.begin(), t.end()));
        std::copy(values.begin(), values.end(), y.begin());
    };
    AgreementSettings settings;
    settings.fitZeroShift = true;
    for (auto _ : state) {
        Agreement a;
        benchmark::DoNotOptimize(fit_agreement(c.scan, 5, 145, calculated, settings, a));
    }
}
BENCHMARK(BM_CompareOnePhase7000Points)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos
