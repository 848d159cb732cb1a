// The lines indexing works on: positions in 2θ at one wavelength, sorted, with their intensities, and
// the conversions between 2θ and Q = 1/d².
#pragma once

#include <string>
#include <vector>

#include "model/measured_diagram.hpp"
#include "model/peak_list.hpp"
#include "peaks/peak_search.hpp"

namespace kalidos {

// Lines given as d are placed at this wavelength (Cu Kα1), so that the tolerance in 2θ means what it
// means for a laboratory diagram; their zero error is 0.
inline constexpr double kNominalWavelength = 1.540593;

struct IndexingLines {
    std::vector<double> twoTheta;   // degrees, ascending
    std::vector<double> intensity;  // one per line; 0 when not given
    double wavelength = 0;          // Å
    bool measuredInTwoTheta = true; // false: the lines were given as d, no zero error is looked for
};

double q_of_two_theta(double twoThetaDegrees, double wavelength);
// 2θ in degrees of Q at the wavelength; a value above 180 when Q is out of reach.
double two_theta_of_q(double q, double wavelength);
// dQ/d(2θ) at 2θ, per degree.
double q_slope(double twoThetaDegrees, double wavelength);

// The lines of a peak list, in 2θ at its wavelength, or at `wavelength` when the list states none
// (0: the list must state one unless it gives d). False with `error` when the list cannot be indexed:
// no wavelength for 2θ values, fewer than kFewestIndexedLines lines, a d out of reach.
inline constexpr std::size_t kFewestIndexedLines = 6;

// The lines of a peak search worth indexing: those at least `share` of the strongest high (weaker
// ones are as often noise, a Kβ line or another phase), then at most the `most` strongest, in the
// order given. A list without intensities is kept whole.
inline constexpr double kWeakestIndexedShare = 0.01;
inline constexpr std::size_t kMostIndexedLines = 30;
PeakList strongest_peaks(const PeakList& peaks, double share = kWeakestIndexedShare,
                         std::size_t most = kMostIndexedLines);
// The peaks of a measured scan worth indexing: the peak search's, Kα2 partners left out and heights
// as intensities, then strongest_peaks; the list at the search's λ1.
PeakList peaks_to_index(const MeasuredScan& scan, const PeakSearchSettings& settings);
bool indexing_lines(const PeakList& peaks, double wavelength, IndexingLines& lines, std::string& error);

}  // namespace kalidos
