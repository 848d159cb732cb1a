#include "sample_workspace.hpp"

#include <cmath>
#include <fstream>

namespace kalidos::testing {
namespace {

constexpr double kHalfDegree = 0.0087266584; // 2θ in degrees to θ in radians
constexpr double kPeakWidth = 0.15;          // degrees 2θ

double gaussian_sum(double x, const std::vector<double>& centres, const std::vector<double>& heights)
{
    double sum = 0;
    for (std::size_t i = 0; i < centres.size(); ++i)
        sum += heights[i] * std::exp(-std::pow((x - centres[i]) / kPeakWidth, 2));
    return sum;
}

double q_of(double twoTheta)
{
    return 4 * M_PI * std::sin(twoTheta * kHalfDegree) / kSampleLambda;
}

}  // namespace

std::unique_ptr<Workspace> make_empty_workspace()
{
    auto workspace = make_workspace("/tmp");
    StructureModel& model = workspace->model;
    model.typedWavelength = kSampleLambda;
    model.wavelengths.count = 1;
    model.wavelengths.values[1] = kSampleLambda;
    model.wavelengths.weights[1] = 1;
    model.wavelengths.shortest = model.wavelengths.longest = kSampleLambda;
    model.twoTheta1 = model.enteredTwoTheta1 = 10;
    model.twoTheta2 = model.enteredTwoTheta2 = 50;
    model.q1 = model.enteredQ1 = q_of(10);
    model.q2 = model.enteredQ2 = q_of(50);
    model.title = "  Sample structure";
    model.spaceGroupSymbol = "P m -3 m";
    model.cell.a = model.cell.b = model.cell.c = 4.0;
    model.cell.alpha = model.cell.beta = model.cell.gamma = 90;
    workspace->abscissaMode = AbscissaMode::TwoTheta;
    return workspace;
}

void add_calculated_peaks(Workspace& workspace, const std::vector<double>& twoThetas,
                          const std::vector<double>& heights)
{
    CalculationResults& results = workspace.results;
    CalculatedPattern& pattern = results.pattern;
    pattern.pointCount = kPatternPoints;
    pattern.step = 40.0 / (kPatternPoints - 1);
    for (int i = 0; i < kPatternPoints; ++i) {
        const double x = 10 + i * pattern.step;
        pattern.angles[i] = static_cast<float>(x);
        pattern.intensities[i] = static_cast<float>(gaussian_sum(x, twoThetas, heights));
    }
    results.merged.count = results.peaks.count = static_cast<int>(twoThetas.size());
    results.largestPeakSum = 0;
    for (std::size_t i = 0; i < twoThetas.size(); ++i) {
        Reflection& reflection = results.merged[static_cast<int>(i) + 1];
        reflection.h = static_cast<int>(i) + 1;
        reflection.twoTheta = twoThetas[i];
        reflection.d = kSampleLambda / (2 * std::sin(twoThetas[i] * kHalfDegree));
        reflection.lambda = kSampleLambda;
        reflection.intensity = heights[i];
        PeakEntry& peak = results.peaks[static_cast<int>(i) + 1];
        peak.h = reflection.h;
        peak.q = 2 * M_PI / reflection.d;
        peak.intensity = heights[i];
        results.largestPeakSum = std::max(results.largestPeakSum, heights[i]);
    }
}

void add_observed_peak(Workspace& workspace, const std::string& name, double twoTheta, double height)
{
    ObservedPattern& observed = workspace.observed;
    ObservedSlot& slot = observed.slots[++observed.count];
    ++observed.importCounter;
    slot.fileName = name;
    slot.lambda = kSampleLambda;
    for (int g = 1; g <= kPatternPoints; ++g) {
        const double x = 10 + (g - 1) * 40.0 / (kPatternPoints - 1);
        slot.points[g] = {x, 5 + gaussian_sum(x, {twoTheta}, {height}), q_of(x)};
    }
    workspace.rawScan.fileName = "/data/" + name;
}

void write_pattern_as_scan(const CalculatedPattern& pattern, const std::filesystem::path& file)
{
    std::ofstream scan(file);
    scan << "SIETRONICS XRD SCAN\n" << pattern.angles[0] << "\n" << pattern.angles[pattern.pointCount - 1] << "\n"
         << pattern.step << "\nCu\n1.54060\n00:00:00\n1\nSampleIdent rock salt\nSCANDATA\n";
    for (int i = 0; i < pattern.pointCount; ++i)
        scan << std::lround(100 + 300 * pattern.intensities[i]) << "\n";
}

}  // namespace kalidos::testing
