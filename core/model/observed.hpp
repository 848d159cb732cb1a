// Observed diagrams: the last file read (RawScan) and the diagrams held for drawing.
#pragma once

#include <memory>
#include <string>

#include "model/measured_diagram.hpp"
#include "model/results.hpp"
#include "util/counted_table.hpp"
#include "util/fixed_table.hpp"
#include "util/lazy_table.hpp"

namespace kalidos {

inline constexpr int kRawScanCapacity = 30000;
inline constexpr int kMaxObservedDiagrams = 10;

struct RawScan {
    std::string fileName;  // full path; non-empty once a file was chosen
    int pointCount = 0;
    CountedTable<float> angle{kRawScanCapacity};      // 2θ, degrees
    CountedTable<float> intensity{kRawScanCapacity};  // scaled to 0..100 after reading
    std::string sampleIdentification;
    std::string anode;
    double lambda1 = 0, lambda2 = 0, ratio = 0, meanLambda = 0;
    double firstAngle = 0, lastAngle = 0;
    double imax = 0, imin = 0;
    // The file's points as read (before the 0..100 scaling), its format and wavelengths.
    std::shared_ptr<MeasuredDiagram> measured;
};

struct ObservedPoint {
    double twoTheta = 0;
    double intensity = 0;  // 0..100
    double q = 0;
};

struct ObservedSlot {
    std::string fileName;  // without directory, at most 50 characters
    double lambda = 0;
    LazyTable<ObservedPoint, kPatternPoints> points;
    // The diagram at its own resolution (every scan of the file, unscaled) and the scan shown.
    std::shared_ptr<const MeasuredDiagram> measured;
    int scan = 0;  // 0-based
};

struct ObservedPattern {
    int count = 0;          // held diagrams, 0..10
    int importCounter = 0;  // successful reads since the last erase
    Table<ObservedSlot, kMaxObservedDiagrams> slots;
};

}  // namespace kalidos
