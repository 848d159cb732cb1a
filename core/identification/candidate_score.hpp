// The figure of merit of a library entry against the peaks of a measured diagram.
//
// The entry's reflections become lines at the diagram's λ1 with intensity m·|F|²·Lp (X-ray tube),
// lines closer than `lineMerge` joined, scaled to 1 for the strongest inside the diagram's range.
// Its zero shift δ is the median offset of its eight strongest lines from the nearest peak within
// 0.25°. A line matches a peak within τ = max(0.4·FWHM, 0.04°) of 2θ + δ. The scale s is the median
// height/intensity of the matched lines of intensity ≥ 0.1; the visible lines are those with
// s·I above the smallest height a peak needed (the strongest line always). Then
//   C = Σ I of matched visible lines / Σ I of visible lines       (the entry's pattern found)
//   A = 1 − Σ I·|Δ|/τ / Σ I over matched visible lines            (position accuracy)
//   E = Σ unexplained height of the peaks matched / Σ unexplained height of all peaks
//   score = 100 · C² · A · √E · min(1, n/3), n the matched visible lines.
#pragma once

#include <vector>

#include "identification/library_entry.hpp"
#include "peaks/peak_search.hpp"

namespace kalidos {

struct MatchContext {
    std::vector<FoundPeak> peaks;    // the diagram's peaks without Kα2 partners, by 2θ
    std::vector<double> unexplained;  // per peak: the height the phases found so far leave
    double lambda1 = 0;               // Å
    double low = 0, high = 0;         // the diagram's 2θ range, degrees
    double detectable = 0;            // the smallest height a peak needed
    double lineMerge = 0.05;          // degrees 2θ
};

// A context whose peaks are all unexplained, with lines merged within half the median FWHM.
MatchContext match_context(const PeakSearch& search, double lambda1);

struct CandidateScore {
    double score = 0;
    double coverage = 0, accuracy = 0, explained = 0;  // C, A, E
    double shift = 0;                                  // δ, degrees 2θ
    int matched = 0;
    std::vector<int> matchedPeaks;  // indices into the context's peaks
};

// The X-ray tube's Lorentz-polarisation factor at 2θ (degrees), as the calculation applies it:
// (1 + cos²2θ) / 2 / (sin²θ·cos θ).
double tube_lp(double twoTheta);

// A line of an entry's pattern at a wavelength: 2θ (degrees) and intensity relative to the
// strongest line in the range (1).
struct StickLine {
    double twoTheta = 0;
    double intensity = 0;
};

// The entry's lines in [low, high] at λ, joined within `merge` degrees, the strongest 1.
std::vector<StickLine> stick_lines(const LibraryEntry& entry, double lambda, double low, double high, double merge);

CandidateScore score_candidate(const LibraryEntry& entry, const MatchContext& context);

}  // namespace kalidos
