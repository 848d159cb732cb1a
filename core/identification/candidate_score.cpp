#include "identification/candidate_score.hpp"

#include <algorithm>
#include <cmath>

#include "fitting/median.hpp"

namespace kalidos {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kShiftReach = 0.25;     // degrees 2θ
constexpr int kShiftLines = 8;
constexpr double kScaleLines = 0.1;      // relative intensity of the lines the scale comes from
constexpr double kLeastTolerance = 0.04;  // degrees 2θ
constexpr double kToleranceWidths = 0.4;  // of the peak's FWHM
// Lines fainter than this share of the strongest are left out: a diagram would need a dynamic
// range of 10⁴ above its noise to show them.
constexpr double kFaintestLine = 1e-4;

// The peak nearest `twoTheta`, or -1 when none lies within `reach`.
int nearest_peak(const std::vector<FoundPeak>& peaks, double twoTheta, double reach)
{
    const auto after = std::lower_bound(peaks.begin(), peaks.end(), twoTheta,
                                        [](const FoundPeak& p, double t) { return p.twoTheta < t; });
    int best = -1;
    double distance = reach;
    for (auto it = after == peaks.begin() ? after : after - 1; it != peaks.end() && it <= after; ++it) {
        const double gap = std::fabs(it->twoTheta - twoTheta);
        if (gap <= distance) {
            distance = gap;
            best = static_cast<int>(it - peaks.begin());
        }
    }
    return best;
}

double estimated_shift(const std::vector<StickLine>& lines, const MatchContext& context)
{
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const std::size_t strongest = std::min<std::size_t>(kShiftLines, order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<long>(strongest), order.end(),
                      [&](std::size_t a, std::size_t b) { return lines[a].intensity > lines[b].intensity; });
    std::vector<double> offsets;
    for (std::size_t k = 0; k < strongest; ++k) {
        const int peak = nearest_peak(context.peaks, lines[order[k]].twoTheta, kShiftReach);
        if (peak >= 0)
            offsets.push_back(context.peaks[static_cast<std::size_t>(peak)].twoTheta - lines[order[k]].twoTheta);
    }
    return offsets.size() >= 2 ? median(offsets) : 0.0;
}

}  // namespace

double tube_lp(double twoTheta)
{
    const double theta = twoTheta / 2 / kDegreesPerRadian;
    const double s = std::sin(theta), c2 = std::cos(2 * theta);
    return (1 + c2 * c2) * 0.5 / (s * s * std::cos(theta));
}

MatchContext match_context(const PeakSearch& search, double lambda1)
{
    MatchContext context;
    context.peaks = primary_peaks(search);
    for (const FoundPeak& peak : context.peaks)
        context.unexplained.push_back(peak.height);
    context.lambda1 = lambda1;
    if (!search.twoTheta.empty()) {
        context.low = search.twoTheta.front();
        context.high = search.twoTheta.back();
    }
    context.detectable = search.threshold;
    std::vector<double> widths;
    for (const FoundPeak& peak : context.peaks)
        widths.push_back(peak.fwhm);
    if (!widths.empty())
        context.lineMerge = 0.5 * median(widths);
    return context;
}

std::vector<StickLine> stick_lines(const LibraryEntry& entry, double lambda, double low, double high, double merge)
{
    // Lp from sin θ alone first: only the lines that can be seen need their angle.
    const double sineLow = std::sin(low / 2 / kDegreesPerRadian), sineHigh = std::sin(std::min(high, 179.9) / 2 / kDegreesPerRadian);
    std::vector<std::pair<double, double>> kept;  // sin θ, intensity
    double strongest = 0;
    for (const IndexedReflection& r : entry.reflections) {  // largest d first: 2θ ascending
        const double s = lambda / (2 * r.d);
        if (s > sineHigh)
            break;
        if (s < sineLow)
            continue;
        const double cos2 = 1 - 2 * s * s;
        const double intensity = r.intensity * (1 + cos2 * cos2) * 0.5 / (s * s * std::sqrt(1 - s * s));
        kept.emplace_back(s, intensity);
        strongest = std::max(strongest, intensity);
    }
    std::vector<StickLine> lines;
    for (const auto& [s, intensity] : kept) {
        if (intensity < kFaintestLine * strongest)
            continue;
        const double twoTheta = 2 * std::asin(s) * kDegreesPerRadian;
        if (!lines.empty() && twoTheta - lines.back().twoTheta < merge) {
            StickLine& last = lines.back();
            last.twoTheta = (last.twoTheta * last.intensity + twoTheta * intensity) / (last.intensity + intensity);
            last.intensity += intensity;
        } else {
            lines.push_back({twoTheta, intensity});
        }
    }
    double largest = 0;
    for (const StickLine& line : lines)
        largest = std::max(largest, line.intensity);
    for (StickLine& line : lines)
        line.intensity /= largest;
    return lines;
}

CandidateScore score_candidate(const LibraryEntry& entry, const MatchContext& context)
{
    CandidateScore result;
    const std::vector<StickLine> lines = stick_lines(entry, context.lambda1, context.low, context.high, context.lineMerge);
    if (lines.empty() || context.peaks.empty())
        return result;
    result.shift = estimated_shift(lines, context);
    std::vector<int> match(lines.size(), -1);
    std::vector<double> ratios;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const double at = lines[l].twoTheta + result.shift;
        const int peak = nearest_peak(context.peaks, at, 1.0);
        if (peak < 0)
            continue;
        const FoundPeak& p = context.peaks[static_cast<std::size_t>(peak)];
        if (std::fabs(p.twoTheta - at) <= std::max(kLeastTolerance, kToleranceWidths * p.fwhm))
            match[l] = peak;
        if (match[l] >= 0 && lines[l].intensity >= kScaleLines)
            ratios.push_back(p.height / lines[l].intensity);
    }
    const double scale = median(ratios);
    double visible = 0, found = 0, error = 0;
    std::vector<bool> taken(context.peaks.size(), false);
    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (lines[l].intensity < 1 && scale * lines[l].intensity < context.detectable)
            continue;
        visible += lines[l].intensity;
        if (match[l] < 0)
            continue;
        const FoundPeak& p = context.peaks[static_cast<std::size_t>(match[l])];
        const double tolerance = std::max(kLeastTolerance, kToleranceWidths * p.fwhm);
        found += lines[l].intensity;
        error += lines[l].intensity * std::fabs(p.twoTheta - lines[l].twoTheta - result.shift) / tolerance;
        ++result.matched;
        taken[static_cast<std::size_t>(match[l])] = true;
    }
    double unexplained = 0, explained = 0;
    for (std::size_t p = 0; p < taken.size(); ++p) {
        unexplained += context.unexplained[p];
        if (taken[p]) {
            explained += context.unexplained[p];
            result.matchedPeaks.push_back(static_cast<int>(p));
        }
    }
    if (!(visible > 0) || !(found > 0) || !(unexplained > 0))
        return result;
    result.coverage = found / visible;
    result.accuracy = 1 - error / found;
    result.explained = explained / unexplained;
    result.score = 100 * result.coverage * result.coverage * result.accuracy * std::sqrt(result.explained) *
                   std::min(1.0, result.matched / 3.0);
    return result;
}

}  // namespace kalidos
