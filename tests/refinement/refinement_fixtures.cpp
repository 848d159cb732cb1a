#include "refinement_fixtures.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "computation/pattern_grid.hpp"
#include "mixture/phase_calculation.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos::testing {

Experiment::Experiment()
{
    profile.function = ProfileFunction::Tch;
    profile.gaussU = 0.008;
    profile.gaussV = -0.004;
    profile.gaussW = 0.006;
    profile.lorentzX = 0.02;
    profile.lorentzY = 0.03;
}

std::unique_ptr<Workspace> calculated_cif(const std::string& name, const std::string& cifText,
                                          const Experiment& e)
{
    const std::filesystem::path folder = make_scratch_dir("refinement_" + name);
    const std::filesystem::path file = folder / (name + ".cif");
    std::ofstream(file) << cifText;
    auto main = make_workspace(folder.string());
    StructureModel& m = main->model;
    m.radiation = e.radiation;
    m.wavelengths = {};
    for (std::size_t i = 0; i < e.wavelengths.size(); ++i) {
        m.wavelengths.values[static_cast<int>(i) + 1] = e.wavelengths[i];
        m.wavelengths.weights[static_cast<int>(i) + 1] = e.weights[i];
    }
    m.wavelengths.count = static_cast<int>(e.wavelengths.size());
    m.wavelengths.current = m.wavelengths.shortest = e.wavelengths.front();
    m.wavelengths.longest = e.wavelengths.back();
    m.typedWavelength = e.wavelengths.front();
    m.enteredTwoTheta1 = m.twoTheta1 = e.low;
    m.enteredTwoTheta2 = m.twoTheta2 = e.high;
    m.profile = e.profile;
    RecordingMessages messages;
    auto calculated = calculate_phase_file(file, m, PhaseSettings{e.profile.sizeNm, e.profile.strainPercent, {}},
                                           program_data_dir(), messages);
    EXPECT_TRUE(calculated) << (messages.warnings.empty() ? "" : messages.warnings.front());
    return calculated;
}

MeasuredScan synthetic_scan(const Workspace& calculated, double step, double peakCounts, double background,
                            bool noise, unsigned seed)
{
    MeasuredScan scan;
    scan.unit = "counts";
    scan.twoTheta = uniform_grid(calculated.model.enteredTwoTheta1, calculated.model.enteredTwoTheta2, step);
    const std::vector<double> pattern = calculated_pattern_at(calculated, scan.twoTheta);
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const double expected = peakCounts * pattern[i] / 100 + background;
        scan.intensity.push_back(noise ? static_cast<double>(std::poisson_distribution<long>(expected)(random))
                                       : expected);
    }
    return scan;
}

}  // namespace kalidos::testing
