// A measured diagram at its own resolution: every point a file holds, with what the file says
// of the measurement. The readers of today's formats fill it; the comparison with a
// calculation and the exports read it. The 1015-slot picture of the diagram window is made
// from it and does not replace it.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace kalidos {

// No reader refuses a diagram below this many points; larger ones are refused with a message.
inline constexpr std::size_t kMaxMeasuredPoints = 2'000'000;

// One scan: points in the file's order (2θ in degrees, intensity as stated by the file, after
// any attenuation factor the file gives, σ in the same unit when the file states it).
struct MeasuredScan {
    std::string name;                 // the scan's name or number as the file gives it; may be empty
    std::vector<double> twoTheta;     // degrees
    std::vector<double> intensity;    // counts, counts per second or arbitrary units (see `unit`)
    std::vector<double> sigma;        // empty when the file gives none; else one per point, NaN
                                      // where the file marks that point's σ unknown (.xye "NaN")
    std::string unit;                 // "counts", "cps" or empty when unknown
    double countingTime = 0;          // seconds per step; 0 when not stated
    // What the file says of when and where the scan was measured; a series of diagrams goes with them.
    std::string startTime;            // ISO 8601 date and time the scan began; empty when not stated
    double temperature = std::numeric_limits<double>::quiet_NaN();  // the sample's, K; NaN when not stated
};

// The radiation the file states. A file stating one λ fills `lambda1` only (ratio 0);
// a file stating none leaves `lambda1` at 0 and the caller asks for it.
struct MeasuredWavelengths {
    double lambda1 = 0;  // Kα1 or the single wavelength, Å
    double lambda2 = 0;  // Kα2, Å; 0 when not stated
    double ratio = 0;    // I(Kα2)/I(Kα1); 0 when not stated
    std::string anode;   // "Cu", "Co", ... when stated
    bool stated() const { return lambda1 > 0; }
};

struct MeasuredDiagram {
    std::string fileName;             // full path as opened
    std::string format;               // short format name: "xrdml", "raw4", "brml", "ras", "rasx", "xy", "gsas", "uxd", "pdcif", ...
    MeasuredWavelengths wavelengths;
    std::vector<MeasuredScan> scans;  // at least one after a successful read
};

}  // namespace kalidos
