// Peak shapes of the profile settings, measured on fine grids against the formulas written out here.
#include "computation/peak_shape.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "computation/axial_asymmetry.hpp"
#include "computation/pattern_grid.hpp"
#include "computation/peak_terms.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kLambda = 1.5406;

// One reflection of intensity 1000 at 2θ, its peak on a 0.0005° grid over ±`reach` degrees.
struct SinglePeak {
    std::unique_ptr<Workspace> ws = make_workspace(".");
    std::vector<double> grid, values;
    SinglePeak(const ProfileSettings& settings, double twoTheta, double reach = 400)
    {
        ws->model.profile = settings;
        ws->results.merged[++ws->results.merged.count] = Reflection{1, 1, 1, 8, kLambda, 3, twoTheta, 1000};
        grid = uniform_grid(twoTheta - reach, twoTheta + reach, 0.0005);
        values = evaluate_profile_terms(profile_terms(*ws), grid);
    }
    double area() const
    {
        double sum = 0;
        for (const double v : values)
            sum += v * 0.0005;
        return sum;
    }
    // Width at half the maximum, from the two crossings interpolated linearly.
    double measured_fwhm() const
    {
        std::size_t top = 0;
        for (std::size_t j = 0; j < values.size(); ++j)
            if (values[j] > values[top])
                top = j;
        const double half = values[top] / 2;
        std::size_t lo = top, hi = top;
        while (values[lo] > half)
            --lo;
        while (values[hi] > half)
            ++hi;
        const auto cross = [&](std::size_t a, std::size_t b) {
            return grid[a] + (half - values[a]) / (values[b] - values[a]) * (grid[b] - grid[a]);
        };
        return cross(hi - 1, hi) - cross(lo, lo + 1);
    }
};

double tch(double g, double l)
{
    return std::pow(std::pow(g, 5) + 2.69269 * std::pow(g, 4) * l + 2.42843 * std::pow(g, 3) * l * l +
                        4.47163 * g * g * std::pow(l, 3) + 0.07842 * g * std::pow(l, 4) + std::pow(l, 5),
                    0.2);
}

TEST(PeakShape, TchPeakHasTheFormulasWidthAndItsIntensityAsArea)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.gaussU = 0.01, s.gaussV = -0.002, s.gaussW = 0.004, s.gaussP = 0.001;
    s.lorentzX = 0.02, s.lorentzY = 0.01;
    s.sizeNm = 80, s.scherrerK = 0.94, s.strainPercent = 0.1;
    for (const StrainShape strain : {StrainShape::Gaussian, StrainShape::Lorentzian}) {
        s.strainShape = strain;
        const double theta = 35 * kPi / 180, t = std::tan(theta), c = std::cos(theta);
        const double size = 0.94 * kLambda / (800 * c) * 180 / kPi;
        const double micro = 4 * 0.001 * t * 180 / kPi;
        const bool lorentzStrain = strain == StrainShape::Lorentzian;
        const double g2 = 0.01 * t * t - 0.002 * t + 0.004 + 0.001 / (c * c) + (lorentzStrain ? 0 : micro * micro);
        const double l = 0.02 * t + 0.01 / c + size + (lorentzStrain ? micro : 0);
        const SinglePeak p(s, 70);
        EXPECT_NEAR(p.measured_fwhm(), tch(std::sqrt(g2), l), 0.005 * tch(std::sqrt(g2), l));
        // Beyond ±400° the Lorentzian part still holds about 2η·Γ/(2π·400) of the area.
        EXPECT_NEAR(p.area(), 1000, 1);
    }
}

// TCH's η is the Lorentzian share of the area: the drawn peak is A·(η·L + (1 − η)·G) with L and G
// of unit area and the TCH width, η and width worked out here (a height share would be off by 0.8 %
// of the maximum, its fitted η 0.28 for 0.20).
TEST(PeakShape, TchPeakIsTheAreaMixtureOfUnitAreaGaussianAndLorentzian)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.gaussU = 0.010, s.gaussV = -0.004, s.gaussW = 0.006, s.gaussP = 0.001;
    s.lorentzX = 0.02, s.lorentzY = 0.01;
    const double ln2 = std::log(2.0);
    for (const double twoTheta : {22.2, 56.3}) {
        const double theta = twoTheta / 2 * kPi / 180, t = std::tan(theta), c = std::cos(theta);
        const double g = std::sqrt(0.010 * t * t - 0.004 * t + 0.006 + 0.001 / (c * c)), l = 0.02 * t + 0.01 / c;
        const double width = tch(g, l), q = l / width;
        const double eta = 1.36603 * q - 0.47719 * q * q + 0.11116 * q * q * q;
        const SinglePeak p(s, twoTheta, 40);
        const PeakShape shape = peak_shape(p.ws->model, twoTheta, kLambda, 1000);
        EXPECT_NEAR(shape.eta, eta, 1e-12);
        EXPECT_NEAR(shape.fwhm, width, 1e-12);
        const double top = 1000 * (eta * 2 / (kPi * width) + (1 - eta) * 2 / width * std::sqrt(ln2 / kPi));
        for (std::size_t j = 0; j < p.grid.size(); j += 7) {
            const double u = 2 * (p.grid[j] - twoTheta) / width;
            const double expected = 1000 * (eta * 2 / (kPi * width) / (1 + u * u) +
                                            (1 - eta) * 2 / width * std::sqrt(ln2 / kPi) * std::exp(-ln2 * u * u));
            ASSERT_NEAR(p.values[j], expected, 5e-5 * top) << p.grid[j];
        }
    }
}

TEST(PeakShape, TchLimitsAreTheAnalyticGaussianAndLorentzian)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.gaussU = s.gaussV = s.gaussP = 0;
    s.gaussW = 0.0225;  // Gaussian FWHM 0.15°
    const SinglePeak gauss(s, 40, 2);
    s.gaussW = 0;
    s.lorentzY = 0.15 * std::cos(20 * kPi / 180);  // Lorentzian FWHM 0.15°
    const SinglePeak lorentz(s, 40, 2);
    const double g = 0.15, ln2 = std::log(2.0);
    for (std::size_t j = 0; j < gauss.grid.size(); j += 37) {
        const double x = gauss.grid[j] - 40;
        const double gaussian = 1000 * 2 * std::sqrt(ln2 / kPi) / g * std::exp(-4 * ln2 * x * x / (g * g));
        const double lorentzian = 1000 * 2 / (kPi * g) / (1 + 4 * x * x / (g * g));
        ASSERT_NEAR(gauss.values[j], gaussian, 1e-9 * 1000 / g) << x;
        ASSERT_NEAR(lorentz.values[j], lorentzian, 3e-5 * 1000 * 2 / (kPi * g)) << x;
    }
}

TEST(PeakShape, LargeCrystallitesGiveTheInstrumentsWidth)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.lorentzX = 0.03;
    const double instrument = SinglePeak(s, 50, 50).measured_fwhm();
    s.sizeNm = 1000;  // 1 µm still adds K·λ/(L·cos θ) = 0.0087° at 50°, a 6 % wider peak here
    const double micron = SinglePeak(s, 50, 50).measured_fwhm();
    const double t = std::tan(25 * kPi / 180), c = std::cos(25 * kPi / 180);
    EXPECT_NEAR(micron, tch(std::sqrt(0.004 * t * t + 0.02), 0.03 * t + 0.9 * kLambda / (10000 * c) * 180 / kPi),
                0.005 * micron);
    s.sizeNm = 100000;  // 100 µm
    EXPECT_NEAR(SinglePeak(s, 50, 50).measured_fwhm(), instrument, 0.005 * instrument);
}

TEST(PeakShape, SeedProfileWithBroadeningKeepsItsAreaAndShiftsMovePeaks)
{
    ProfileSettings s;
    const SinglePeak plain(s, 30, 300);
    s.sizeNm = 50;
    s.zeroShift = 0.1, s.displacementMm = 0.2, s.radiusMm = 200;
    const SinglePeak broad(s, 30, 300);
    EXPECT_NEAR(broad.area(), plain.area(), 1e-3 * plain.area());
    EXPECT_GT(broad.measured_fwhm(), plain.measured_fwhm() * 1.2);
    // Broadening that adds nothing gives back the seed's own 50/50 shape.
    s.sizeNm = 1e12, s.zeroShift = 0, s.displacementMm = 0;
    const SinglePeak unbroadened(s, 30, 300);
    const double top = *std::max_element(plain.values.begin(), plain.values.end());
    for (std::size_t j = 0; j < plain.values.size(); j += 11)
        ASSERT_NEAR(unbroadened.values[j], plain.values[j], 1e-6 * top) << plain.grid[j];
    const double shift = 0.1 - 2 * 0.2 * std::cos(15 * kPi / 180) / 200 * 180 / kPi;
    const PeakShape peak = peak_shape(broad.ws->model, 30, kLambda, 1000);
    EXPECT_NEAR(peak.position, 30 + shift, 1e-12);
}

// The FCJ model integrated directly over 2φ (midpoint rule, no change of variable).
double fcj_direct(double x, double twoThetaDeg, double halfWidth, double eta, double sl, double hl)
{
    const double twoTheta = twoThetaDeg * kPi / 180;
    const double lowest = fcj_lowest_angle(twoTheta, sl, hl);
    const int n = 100000;
    const double step = (twoTheta - lowest) / n;
    double sum = 0, norm = 0;
    for (int i = 0; i < n; ++i) {
        const double delta = lowest + (i + 0.5) * step;
        const double w = fcj_weight(delta, twoTheta, sl, hl);
        const double u = (x - delta * 180 / kPi) / halfWidth;
        sum += w * (eta / (1 + u * u) + (1 - eta) * std::exp2(-u * u));
        norm += w;
    }
    return sum / norm;
}

TEST(PeakShape, AxialDivergenceMatchesTheDirectIntegrationAndKeepsTheArea)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.gaussW = 0.01, s.lorentzY = 0.03;
    const SinglePeak symmetric(s, 12, 300);
    s.axialSL = s.axialHL = 0.03;
    s.axialHL = 0.02;
    const SinglePeak asymmetric(s, 12, 300);
    EXPECT_NEAR(asymmetric.area(), symmetric.area(), 1e-3 * symmetric.area());
    const PeakShape peak = peak_shape(asymmetric.ws->model, 12, kLambda, 1000);
    const double top = *std::max_element(asymmetric.values.begin(), asymmetric.values.end());
    for (double x = 11.0; x <= 12.4; x += 0.02) {
        const std::size_t j = static_cast<std::size_t>(std::lround((x - asymmetric.grid[0]) / 0.0005));
        const double direct = peak.height * fcj_direct(asymmetric.grid[j], 12, peak.fwhm / 2, peak.heightEta, 0.03, 0.02);
        ASSERT_NEAR(asymmetric.values[j], direct, 0.01 * top) << asymmetric.grid[j];
    }
    // The peak leans to low angles: its maximum lies below 12°.
    EXPECT_LT(asymmetric.grid[std::max_element(asymmetric.values.begin(), asymmetric.values.end()) -
                              asymmetric.values.begin()],
              11.99);
}

// With S/L = H/L the inflection falls on 2θ itself: no peak may lose its asymmetry to the rounding
// of the angle there, and the copies' centroid is the FCJ weight's own.
TEST(PeakShape, EqualSlitRatiosLeanEveryPeakAlike)
{
    const double sl = 0.03, twoTheta = 25.5 * kPi / 180;
    const double lowest = fcj_lowest_angle(twoTheta, sl, sl);
    double weight = 0, moment = 0;
    for (int i = 0; i < 100000; ++i) {
        const double delta = lowest + (i + 0.5) * (twoTheta - lowest) / 100000;
        weight += fcj_weight(delta, twoTheta, sl, sl);
        moment += fcj_weight(delta, twoTheta, sl, sl) * (delta - twoTheta) * 180 / kPi;
    }
    for (int k = 0; k < 20; ++k) {
        const ProfileTerm peak{25.5 + k * 1e-4, 0.05, 0.5, 1000};
        std::vector<ProfileTerm> terms;
        add_axially_divergent_terms(peak, sl, sl, terms);
        double height = 0, shift = 0;
        for (const ProfileTerm& t : terms)
            height += t.height, shift += t.height * (t.position - peak.position);
        EXPECT_NEAR(height, 1000, 1e-9);
        EXPECT_NEAR(shift / height, moment / weight, 0.01 * std::fabs(moment / weight)) << peak.position;
    }
}

// As the smaller slit ratio goes to 0 the shape goes over into its limit instead of losing its asymmetry.
TEST(PeakShape, AxialDivergenceIsContinuousAsOneRatioVanishes)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.gaussW = 0.01, s.lorentzY = 0.03;
    s.axialSL = 0.05, s.axialHL = 0;
    const SinglePeak limit(s, 20, 2);
    s.axialHL = 1e-7;
    const SinglePeak near(s, 20, 2);
    s.axialHL = 0, s.axialSL = 0;
    const SinglePeak symmetric(s, 20, 2);
    const double top = *std::max_element(near.values.begin(), near.values.end());
    double apart = 0;
    for (std::size_t j = 0; j < near.values.size(); ++j) {
        ASSERT_NEAR(limit.values[j], near.values[j], 1e-4 * top) << near.grid[j];
        apart = std::max(apart, std::fabs(limit.values[j] - symmetric.values[j]));
    }
    EXPECT_GT(apart, 0.05 * top);  // and the limit is not the symmetric peak
}

// The transparent specimen's peak against the symmetric one convolved here with the exponential
// tail exp(−t/ℓ)/ℓ, ℓ = T sin 2θ, on the fine grid: same shape, same area, centroid ℓ lower.
TEST(PeakShape, TransparencySpreadsTheExponentialTailAndMovesTheCentroid)
{
    ProfileSettings s;
    s.function = ProfileFunction::Tch;
    s.gaussW = 0.01, s.lorentzY = 0.03, s.axialSL = 0.03, s.axialHL = 0.02;
    const SinglePeak surface(s, 60, 4);
    s.transparency = 0.1;
    const SinglePeak transparent(s, 60, 4);
    const double length = 0.1 * std::sin(60 * kPi / 180);
    const double top = *std::max_element(transparent.values.begin(), transparent.values.end());
    const std::size_t n = surface.values.size();
    for (std::size_t j = 0; j < n; j += 20) {
        double convolved = 0;
        for (std::size_t k = 0; j + k < n; ++k) {  // the copy shifted down by t is seen at x from x + t
            const double t = (static_cast<double>(k) + 0.5) * 0.0005;
            convolved += surface.values[j + k] * std::exp(-t / length) * 0.0005 / length;
        }
        ASSERT_NEAR(transparent.values[j], convolved, 0.005 * top) << transparent.grid[j];
    }
    const auto centroid = [](const SinglePeak& p) {
        double sum = 0, moment = 0;
        for (std::size_t j = 0; j < p.values.size(); ++j)
            sum += p.values[j], moment += p.values[j] * p.grid[j];
        return moment / sum;
    };
    EXPECT_NEAR(transparent.area(), surface.area(), 2e-3 * surface.area());
    EXPECT_NEAR(centroid(surface) - centroid(transparent), length, 0.01 * length);
    // A vanishing transparency is the surface's peak.
    s.transparency = 1e-9;
    const SinglePeak thin(s, 60, 4);
    for (std::size_t j = 0; j < n; j += 20)
        ASSERT_NEAR(thin.values[j], surface.values[j], 1e-6 * top);
}

}  // namespace
}  // namespace kalidos
