// The result tables of a calculation: reflections, merged records, peak sums and the pattern.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/counted_table.hpp"

namespace kalidos {

inline constexpr int kReflectionCapacity = 10000;
inline constexpr int kMaxReflections = 9998;  // the generator fails at the 9999th
inline constexpr int kMergedCapacity = 40000;
inline constexpr int kPeakCapacity = 10000;
inline constexpr int kPatternPoints = 1015;

// The 48-byte record of a ReflectionList and of MergedReflections.
struct Reflection {
    std::int32_t h = 0, k = 0, l = 0;
    std::int32_t multiplicity = 0;
    double lambda = 0;     // Å
    double d = 0;          // Å
    double twoTheta = 0;   // degrees
    double intensity = 0;
};
static_assert(sizeof(Reflection) == 48, "the reflection record is 48 bytes");

struct PeakEntry {
    std::int32_t h = 0, k = 0, l = 0;
    double q = 0;          // 2π/d, Å⁻¹
    double intensity = 0;  // summed over the passes, unweighted
};

// Values of one pass kept for the listings, one per reflection of the pass.
struct PassValues {
    double lp = 0;
    double aPlus = 0, bPlus = 0, aMinus = 0, bMinus = 0;  // X-rays
    double fPlus = 0, fMinus = 0, fMean = 0;              // X-rays
    double a = 0, b = 0, f = 0;                           // neutrons
};

struct CalculatedPattern {
    int pointCount = 0;   // 1015 after a synthesis; above 0 means a calculation exists
    double step = 0;      // degrees 2θ
    float angles[kPatternPoints] = {};
    float intensities[kPatternPoints] = {};
    double scale = 0;     // the factor that brought the largest point to 100
};

// The calculated pattern on a grid other than the 1015 points; empty unless one was asked for.
struct GridPattern {
    std::vector<double> twoTheta;   // degrees, ascending
    std::vector<double> intensity;  // in the units of the 1015-point pattern
};

struct CalculationResults {
    CountedTable<Reflection> reflections{kReflectionCapacity};
    CountedTable<PassValues> passValues{kReflectionCapacity};
    CountedTable<Reflection> merged{kMergedCapacity};
    CountedTable<PeakEntry> peaks{kPeakCapacity};
    double largestPeakSum = 0;
    int passIndex = 0;               // 1-based wavelength pass under way, 0 outside a run
    double structureFactorScale = 0; // K of the run
    double neutronFactor = 0;        // G of the run
    CalculatedPattern pattern;
    GridPattern grid;
    std::vector<std::string> resultsList;  // the lines of the results list, header included
    std::vector<std::string> phaseLines;   // shown under them: a mixture's phases and their lines
};

}  // namespace kalidos
