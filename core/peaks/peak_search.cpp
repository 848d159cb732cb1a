#include "peaks/peak_search.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "fitting/median.hpp"

namespace kalidos {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr std::size_t kFewestPoints = 16;
constexpr double kSmoothingReach = 0.03;    // degrees 2θ each side: narrower than any lab peak
constexpr double kBackgroundReach = 1.0;    // degrees 2θ: the widest base a peak may have
constexpr double kBackgroundBin = 0.2;      // degrees 2θ
constexpr double kSmallestShare = 1e-3;     // of the strongest peak, for diagrams without noise
constexpr double kMedianToSigma = 1.4826;   // for normal noise

struct Points {
    std::vector<double> x, y;
    double step = 0;
};

Points sorted_points(const MeasuredScan& scan)
{
    std::vector<std::size_t> order(scan.twoTheta.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return scan.twoTheta[a] < scan.twoTheta[b]; });
    Points p;
    for (const std::size_t i : order) {
        p.x.push_back(scan.twoTheta[i]);
        p.y.push_back(std::max(0.0, scan.intensity[i]));
    }
    std::vector<double> steps;
    for (std::size_t i = 1; i < p.x.size(); ++i)
        steps.push_back(p.x[i] - p.x[i - 1]);
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    p.step = std::max(1e-6, steps[steps.size() / 2]);
    return p;
}

// Savitzky-Golay weights of the quadratic over 2m+1 points, for the centre value.
std::vector<double> savitzky_golay(int m)
{
    std::vector<double> c;
    const double denominator = (2.0 * m - 1) * (2.0 * m + 1) * (2.0 * m + 3);
    for (int j = -m; j <= m; ++j)
        c.push_back((3.0 * (3 * m * m + 3 * m - 1) - 15.0 * j * j) / denominator);
    return c;
}

std::vector<double> smoothed(const std::vector<double>& y, const std::vector<double>& weights)
{
    const int m = static_cast<int>(weights.size() / 2);
    const int n = static_cast<int>(y.size());
    std::vector<double> s(y.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        for (int j = -m; j <= m; ++j)
            sum += weights[static_cast<std::size_t>(j + m)] * y[static_cast<std::size_t>(std::clamp(i + j, 0, n - 1))];
        s[static_cast<std::size_t>(i)] = sum;
    }
    return s;
}

// SNIP peak clipping (Ryan et al. 1988) on the doubly logarithmic square root of the counts, which
// keeps the clipping from eating into the background under strong peaks.
std::vector<double> snip(const std::vector<double>& y, int reach)
{
    const auto forward = [](double v) { return std::log(std::log(std::sqrt(std::max(v, 0.0) + 1) + 1) + 1); };
    const auto back = [](double v) {
        const double r = std::exp(std::exp(v) - 1) - 1;
        return r * r - 1;
    };
    std::vector<double> v(y.size()), next;
    std::transform(y.begin(), y.end(), v.begin(), forward);
    const int n = static_cast<int>(v.size());
    for (int p = 1; p <= reach; ++p) {
        next = v;
        for (int i = p; i < n - p; ++i)
            next[static_cast<std::size_t>(i)] =
                std::min(v[static_cast<std::size_t>(i)], (v[static_cast<std::size_t>(i - p)] + v[static_cast<std::size_t>(i + p)]) / 2);
        v.swap(next);
    }
    std::transform(v.begin(), v.end(), v.begin(), back);
    return v;
}

// The background under the points: clipped on the means of bins of kBackgroundBin, whose noise is
// a few times smaller than the points' and which need few clipping passes; each clipping pass keeps
// the lower of noisy values, so the result sits under the noise's middle by about the same number of
// the bins' standard deviations everywhere: that median is added back.
std::vector<double> background_of(const Points& p)
{
    const std::size_t perBin = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kBackgroundBin / p.step)));
    std::vector<double> means, centres;
    for (std::size_t first = 0; first < p.y.size(); first += perBin) {
        const std::size_t last = std::min(p.y.size(), first + perBin);
        means.push_back(std::accumulate(p.y.begin() + static_cast<long>(first), p.y.begin() + static_cast<long>(last), 0.0) /
                        static_cast<double>(last - first));
        centres.push_back((p.x[first] + p.x[last - 1]) / 2);
    }
    std::vector<double> clipped = snip(means, std::max(2, static_cast<int>(std::lround(kBackgroundReach / kBackgroundBin))));
    std::vector<double> deviations;
    for (std::size_t k = 0; k < means.size(); ++k)
        deviations.push_back((means[k] - clipped[k]) / std::sqrt(std::max(clipped[k], 1.0) / static_cast<double>(perBin)));
    std::vector<double> quiet = deviations;
    std::erase_if(quiet, [](double d) { return d > 3; });
    const double lift = std::clamp(median(quiet), 0.0, 3.0);
    for (std::size_t k = 0; k < means.size(); ++k)
        clipped[k] += lift * std::sqrt(std::max(clipped[k], 1.0) / static_cast<double>(perBin));
    std::vector<double> background(p.x.size());
    for (std::size_t i = 0; i < p.x.size(); ++i) {
        const auto after = std::upper_bound(centres.begin(), centres.end(), p.x[i]);
        const std::size_t k = std::clamp<std::size_t>(static_cast<std::size_t>(after - centres.begin()), 1, centres.size() - 1);
        const double t = centres.size() < 2 ? 0 : (p.x[i] - centres[k - 1]) / (centres[k] - centres[k - 1]);
        background[i] = centres.size() < 2 ? clipped[0] : clipped[k - 1] + std::clamp(t, 0.0, 1.0) * (clipped[k] - clipped[k - 1]);
    }
    return background;
}

// How far the net curve stands above the deeper of the two valleys that part it from higher ground.
double prominence(const std::vector<double>& net, std::size_t i)
{
    double left = net[i], right = net[i];
    for (std::size_t j = i; j-- > 0 && net[j] <= net[i];)
        left = std::min(left, net[j]);
    for (std::size_t j = i + 1; j < net.size() && net[j] <= net[i]; ++j)
        right = std::min(right, net[j]);
    return net[i] - std::max(left, right);
}

// The distance from the maximum to where the net curve falls to `half`, on one side; negative
// when it rises into another peak first.
double half_width_side(const Points& p, const std::vector<double>& net, std::size_t i, double half, int direction)
{
    const long n = static_cast<long>(net.size());
    for (long j = static_cast<long>(i) + direction; j >= 0 && j < n; j += direction) {
        const std::size_t k = static_cast<std::size_t>(j), previous = static_cast<std::size_t>(j - direction);
        if (net[k] > net[previous])
            return -1;
        if (net[k] <= half) {
            const double t = (net[previous] - half) / std::max(1e-300, net[previous] - net[k]);
            return std::fabs(p.x[previous] + t * (p.x[k] - p.x[previous]) - p.x[i]);
        }
    }
    return -1;
}

FoundPeak measure_peak(const Points& p, const std::vector<double>& s, const std::vector<double>& net, std::size_t i,
                       double lambda1)
{
    FoundPeak peak;
    const double a = s[i - 1], b = s[i], c = s[i + 1];
    const double curvature = a - 2 * b + c;
    const double offset = curvature < 0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
    peak.twoTheta = p.x[i] + offset * (p.x[i + 1] - p.x[i - 1]) / 2;
    peak.height = net[i] + (curvature < 0 ? -(a - c) * (a - c) / (8 * curvature) : 0.0);
    const double left = half_width_side(p, net, i, peak.height / 2, -1);
    const double right = half_width_side(p, net, i, peak.height / 2, +1);
    if (left > 0 && right > 0)
        peak.fwhm = left + right;
    else if (std::max(left, right) > 0)
        peak.fwhm = 2 * std::max(left, right);
    else
        peak.fwhm = 3 * p.step;
    if (lambda1 > 0)
        peak.d = lambda1 / (2 * std::sin(peak.twoTheta / 2 / kDegreesPerRadian));
    return peak;
}

// Marks each peak that lies where the Kα2 line of a stronger one falls, with about the height the
// intensity ratio gives it.
void mark_alpha2(std::vector<FoundPeak>& peaks, const MeasuredWavelengths& w, double step)
{
    if (!(w.lambda1 > 0 && w.lambda2 > w.lambda1 && w.ratio > 0))
        return;
    std::vector<std::size_t> byHeight(peaks.size());
    std::iota(byHeight.begin(), byHeight.end(), 0);
    std::sort(byHeight.begin(), byHeight.end(), [&](std::size_t a, std::size_t b) { return peaks[a].height > peaks[b].height; });
    for (const std::size_t i : byHeight) {
        if (peaks[i].alpha2)
            continue;
        const double sine = w.lambda2 / w.lambda1 * std::sin(peaks[i].twoTheta / 2 / kDegreesPerRadian);
        if (sine >= 1)
            continue;
        const double expected = 2 * std::asin(sine) * kDegreesPerRadian;
        const double reach = std::max(0.35 * peaks[i].fwhm, 1.5 * step);
        for (FoundPeak& q : peaks) {
            const double share = q.height / peaks[i].height;
            if (&q != &peaks[i] && std::fabs(q.twoTheta - expected) <= reach && share > 0.25 * w.ratio &&
                share < 1.6 * w.ratio)
                q.alpha2 = true;
        }
    }
}

}  // namespace

PeakSearch find_peaks(const MeasuredScan& scan, const PeakSearchSettings& settings)
{
    PeakSearch search;
    if (scan.twoTheta.size() < kFewestPoints || scan.intensity.size() != scan.twoTheta.size())
        return search;
    const Points p = sorted_points(scan);
    const std::vector<double> weights = savitzky_golay(std::max(2, static_cast<int>(std::lround(kSmoothingReach / p.step))));
    search.twoTheta = p.x;
    search.smoothed = smoothed(p.y, weights);
    search.background = background_of(p);
    std::vector<double> net(p.y.size()), scaled;
    for (std::size_t i = 0; i < net.size(); ++i) {
        net[i] = search.smoothed[i] - search.background[i];
        scaled.push_back(std::fabs(p.y[i] - search.smoothed[i]) / std::sqrt(std::max(search.smoothed[i], 1e-12)));
    }
    const double centre = weights[weights.size() / 2];
    search.noiseFactor = kMedianToSigma * median(scaled) / std::sqrt(1 - centre);
    const double sigmas = 15 / std::clamp(settings.sensitivity, 1.0, 10.0);
    const double floor = kSmallestShare * *std::max_element(net.begin(), net.end());
    for (std::size_t i = 1; i + 1 < net.size(); ++i) {
        if (!(net[i] > net[i - 1] && net[i] >= net[i + 1]))
            continue;
        const double threshold =
            std::max(floor, sigmas * search.noiseFactor * std::sqrt(std::max(search.background[i], 1e-12)));
        if (net[i] < threshold || prominence(net, i) < threshold)
            continue;
        search.peaks.push_back(measure_peak(p, search.smoothed, net, i, settings.wavelengths.lambda1));
        search.threshold = search.threshold == 0 ? threshold : std::min(search.threshold, threshold);
    }
    mark_alpha2(search.peaks, settings.wavelengths, p.step);
    return search;
}

std::vector<FoundPeak> primary_peaks(const PeakSearch& search)
{
    std::vector<FoundPeak> peaks;
    std::copy_if(search.peaks.begin(), search.peaks.end(), std::back_inserter(peaks),
                 [](const FoundPeak& peak) { return !peak.alpha2; });
    return peaks;
}

std::vector<FoundPeak> strong_primary_peaks(const PeakSearch& search, double leastShare)
{
    std::vector<FoundPeak> peaks = primary_peaks(search);
    double strongest = 0;
    for (const FoundPeak& p : peaks)
        strongest = std::max(strongest, p.height);
    std::erase_if(peaks, [&](const FoundPeak& p) { return p.height < leastShare * strongest; });
    return peaks;
}

}  // namespace kalidos
