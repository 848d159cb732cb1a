#include "indexing/observed_lines.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kalidos {
namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

}  // namespace

double q_of_two_theta(double twoTheta, double wavelength)
{
    const double s = 2 * std::sin(twoTheta * kRadiansPerDegree / 2) / wavelength;
    return s * s;
}

double two_theta_of_q(double q, double wavelength)
{
    const double sine = std::sqrt(std::max(q, 0.0)) * wavelength / 2;
    return sine <= 1 ? 2 * std::asin(sine) / kRadiansPerDegree : 181.0;
}

double q_slope(double twoTheta, double wavelength)
{
    // Q = 2 (1 − cos 2θ) / λ².
    return 2 * std::sin(twoTheta * kRadiansPerDegree) / (wavelength * wavelength) * kRadiansPerDegree;
}

bool indexing_lines(const PeakList& peaks, double wavelength, IndexingLines& lines, std::string& error)
{
    lines = IndexingLines{};
    const bool givenAsD = peaks.kind == PeakPositionKind::D;
    lines.measuredInTwoTheta = !givenAsD;
    lines.wavelength = givenAsD ? kNominalWavelength : peaks.wavelength > 0 ? peaks.wavelength : wavelength;
    if (!(lines.wavelength > 0)) {
        error = "the peak positions are 2θ values and no wavelength is known: give one (a wavelength line, --lambda or --anode)";
        return false;
    }
    std::vector<std::size_t> order(peaks.position.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return givenAsD ? peaks.position[a] > peaks.position[b] : peaks.position[a] < peaks.position[b];
    });
    for (const std::size_t i : order) {
        const double x = peaks.position[i];
        const double twoTheta = givenAsD ? two_theta_of_q(1 / (x * x), lines.wavelength) : x;
        if (!(twoTheta > 0 && twoTheta < 180)) {
            error = "the line at d = " + std::to_string(x) + " Å is out of reach of indexing";
            return false;
        }
        lines.twoTheta.push_back(twoTheta);
        lines.intensity.push_back(i < peaks.intensity.size() ? peaks.intensity[i] : 0.0);
    }
    if (lines.twoTheta.size() < kFewestIndexedLines) {
        error = "indexing needs at least " + std::to_string(kFewestIndexedLines) + " lines; the list holds " +
                std::to_string(lines.twoTheta.size());
        return false;
    }
    return true;
}

PeakList strongest_peaks(const PeakList& peaks, double share, std::size_t most)
{
    if (peaks.intensity.size() != peaks.position.size() || peaks.intensity.empty())
        return peaks;
    const double strongest = *std::max_element(peaks.intensity.begin(), peaks.intensity.end());
    std::vector<std::size_t> order(peaks.position.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return peaks.intensity[a] > peaks.intensity[b]; });
    std::vector<char> kept(order.size(), 0);
    for (std::size_t n = 0; n < order.size() && n < most; ++n)
        kept[order[n]] = peaks.intensity[order[n]] >= share * strongest;
    PeakList chosen = peaks;
    chosen.position.clear();
    chosen.intensity.clear();
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (kept[i]) {
            chosen.position.push_back(peaks.position[i]);
            chosen.intensity.push_back(peaks.intensity[i]);
        }
    return chosen;
}

namespace {

// Whether `peak` lies on the flank of a much stronger neighbour: the search's smoothing leaves
// ripples a few per cent high a few widths beside a strong line, and one such false line among the
// first twenty is enough to make a wrong cell index them all.
bool on_a_strong_flank(const FoundPeak& peak, const std::vector<FoundPeak>& peaks)
{
    constexpr double kFlankShare = 0.05, kFlankWidths = 5;
    return std::any_of(peaks.begin(), peaks.end(), [&](const FoundPeak& strong) {
        return peak.height < kFlankShare * strong.height &&
               std::fabs(peak.twoTheta - strong.twoTheta) < kFlankWidths * strong.fwhm;
    });
}

}  // namespace

PeakList peaks_to_index(const MeasuredScan& scan, const PeakSearchSettings& settings)
{
    PeakList found;
    found.wavelength = settings.wavelengths.lambda1;
    const std::vector<FoundPeak> peaks = primary_peaks(find_peaks(scan, settings));
    for (const FoundPeak& peak : peaks) {
        if (on_a_strong_flank(peak, peaks))
            continue;
        found.position.push_back(peak.twoTheta);
        found.intensity.push_back(peak.height);
    }
    return strongest_peaks(found);
}

}  // namespace kalidos
