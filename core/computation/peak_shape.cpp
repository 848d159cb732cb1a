#include "computation/peak_shape.hpp"

#include <algorithm>
#include <cmath>

#include "computation/pattern_grid.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegrees = 180 / kPi;
constexpr double kHalfDegree = kPi / 360;  // 2θ in degrees to θ in radians
// The seed profile's own conversion, kept so that its widths stay those of the picture.
constexpr double kSeedHalfDegree = 0.008726658370523442;

// TCH: Γ⁵ = Γg⁵ + 2.69269Γg⁴Γl + 2.42843Γg³Γl² + 4.47163Γg²Γl³ + 0.07842ΓgΓl⁴ + Γl⁵, per Γg⁵ at ρ = Γl/Γg.
double tch_ratio_power(double rho)
{
    return 1 + rho * (2.69269 + rho * (2.42843 + rho * (4.47163 + rho * (0.07842 + rho))));
}

// The seed's 50/50 shape (equal heights) holds this share of its area in the Lorentzian:
// π / (π + √(π/ln 2)).
double seed_area_share()
{
    return kPi / (kPi + std::sqrt(kPi / std::log(2.0)));
}

// The Gaussian and Lorentzian full widths, per unit full width, of the TCH pseudo-Voigt with the
// seed's area share: the seed profile's shape, split so that size and strain can be added to its parts.
struct SeedSplit {
    double gaussian, lorentzian;
};

SeedSplit seed_split()
{
    static const SeedSplit split = [] {
        double low = 0, high = 10;  // ρ = Γl/Γg; η rises with ρ
        for (int i = 0; i < 200; ++i) {
            const double rho = (low + high) / 2;
            const double width = std::pow(tch_ratio_power(rho), 0.2);
            (tch_eta(rho, width) < seed_area_share() ? low : high) = rho;
        }
        const double width = std::pow(tch_ratio_power(low), 0.2);
        return SeedSplit{1 / width, low / width};
    }();
    return split;
}

bool broadened(const ProfileSettings& s)
{
    return s.sizeNm > 0 || s.strainPercent > 0;
}

double seed_half_width2(const StructureModel& m, double twoTheta)
{
    const float t = static_cast<float>(std::tan(twoTheta * kSeedHalfDegree));
    return m.u * t * t + m.v * t + m.w;
}

// Gaussian FWHM² and Lorentzian FWHM of the TCH profile with the sample's broadening added.
void tch_widths(const StructureModel& m, double twoTheta, double lambda, double& gaussian2, double& lorentzian)
{
    const ProfileSettings& s = m.profile;
    const double theta = twoTheta * kHalfDegree;
    const double t = std::tan(theta);
    const double c = std::cos(theta);
    const double strain = strain_fwhm(s, twoTheta);
    const bool lorentzStrain = s.strainShape == StrainShape::Lorentzian;
    gaussian2 = s.gaussU * t * t + s.gaussV * t + s.gaussW + s.gaussP / (c * c) + (lorentzStrain ? 0 : strain * strain);
    lorentzian = s.lorentzX * t + s.lorentzY / c + size_fwhm(s, twoTheta, lambda) + (lorentzStrain ? strain : 0);
}

const char* seed_refusal(double halfWidth2)
{
    if (halfWidth2 < 0 || halfWidth2 == 0 || std::isnan(halfWidth2))
        return halfWidth2 == 0 ? "Bad u,v,w values (angular width = 0!)"
                               : "Bad u,v,w values (angular width < 0!)";
    return nullptr;
}

// The size width is the only one that depends on the wavelength, and it is positive when the size
// is: the refusal is the same whatever wavelength the widths were computed with.
const char* tch_refusal(const ProfileSettings& s, double gaussian2, double lorentzian)
{
    if (!(gaussian2 >= 0))
        return "Bad U, V, W, P values (Gaussian width² < 0!)";
    if (gaussian2 == 0 && lorentzian <= 0 && s.sizeNm <= 0)
        return "Bad profile values (angular width = 0!)";
    return nullptr;
}

PeakShape seed_shape(const StructureModel& m, double twoTheta, double lambda, double intensity)
{
    const double halfWidth = std::sqrt(seed_half_width2(m, twoTheta));
    PeakShape shape{twoTheta + peak_shift(m.profile, twoTheta), 2 * halfWidth, 0.5, 0.1 * intensity, 0.5};
    const ProfileSettings& s = m.profile;
    if (!broadened(s) || !(halfWidth > 0))
        return shape;
    const SeedSplit split = seed_split();
    const double strain = strain_fwhm(s, twoTheta);
    const bool lorentzStrain = s.strainShape == StrainShape::Lorentzian;
    const double g = std::hypot(split.gaussian * shape.fwhm, lorentzStrain ? 0 : strain);
    const double l = split.lorentzian * shape.fwhm + size_fwhm(s, twoTheta, lambda) + (lorentzStrain ? strain : 0);
    const double area = shape.height * halfWidth * (0.5 * kPi + 0.5 * std::sqrt(kPi / std::log(2.0)));
    shape.fwhm = tch_fwhm(g, l);
    shape.eta = tch_eta(l, shape.fwhm);
    shape.heightEta = height_share(shape.eta);
    shape.height = height_for_area(area, shape.fwhm / 2, shape.heightEta);
    return shape;
}

}  // namespace

double tch_fwhm(double gaussian, double lorentzian)
{
    if (!(gaussian > 0))
        return lorentzian;
    return gaussian * std::pow(tch_ratio_power(lorentzian / gaussian), 0.2);
}

double tch_eta(double lorentzian, double fwhm)
{
    const double q = lorentzian / fwhm;
    return std::clamp(q * (1.36603 + q * (-0.47719 + q * 0.11116)), 0.0, 1.0);
}

double peak_shift(const ProfileSettings& s, double twoTheta)
{
    return s.zeroShift - 2 * s.displacementMm * std::cos(twoTheta * kHalfDegree) / s.radiusMm * kDegrees;
}

double size_fwhm(const ProfileSettings& s, double twoTheta, double lambda)
{
    if (!(s.sizeNm > 0))
        return 0;
    return s.scherrerK * lambda / (10 * s.sizeNm * std::cos(twoTheta * kHalfDegree)) * kDegrees;
}

double strain_fwhm(const ProfileSettings& s, double twoTheta)
{
    if (s.strainPercent == 0)
        return 0;  // as the product would be at any angle below 180°, without its tangent
    return 4 * s.strainPercent / 100 * std::tan(twoTheta * kHalfDegree) * kDegrees;
}

PeakShape peak_shape(const StructureModel& m, double twoTheta, double lambda, double intensity)
{
    PeakShape shape;
    checked_peak_shape(m, twoTheta, lambda, intensity, shape);
    return shape;
}

const char* checked_peak_shape(const StructureModel& m, double twoTheta, double lambda, double intensity,
                               PeakShape& shape)
{
    if (m.profile.function == ProfileFunction::Seed) {
        shape = seed_shape(m, twoTheta, lambda, intensity);
        return seed_refusal(seed_half_width2(m, twoTheta));
    }
    double gaussian2 = 0, lorentzian = 0;
    tch_widths(m, twoTheta, lambda, gaussian2, lorentzian);
    shape = PeakShape{twoTheta + peak_shift(m.profile, twoTheta), 0, 0, 0, 0};
    if (!(gaussian2 >= 0))
        return tch_refusal(m.profile, gaussian2, lorentzian);
    shape.fwhm = tch_fwhm(std::sqrt(gaussian2), lorentzian);
    shape.eta = tch_eta(lorentzian, shape.fwhm);
    shape.heightEta = height_share(shape.eta);
    shape.height = shape.fwhm > 0 ? height_for_area(intensity, shape.fwhm / 2, shape.heightEta) : 0;
    return tch_refusal(m.profile, gaussian2, lorentzian);
}

double squared_width(const StructureModel& m, double twoTheta)
{
    if (m.profile.function == ProfileFunction::Seed)
        return seed_half_width2(m, twoTheta);
    double gaussian2 = 0, lorentzian = 0;
    tch_widths(m, twoTheta, 1, gaussian2, lorentzian);  // the wavelength only adds a Lorentzian width
    return gaussian2;
}

const char* peak_width_refusal(const StructureModel& m, double twoTheta)
{
    if (m.profile.function == ProfileFunction::Seed)
        return seed_refusal(seed_half_width2(m, twoTheta));
    double gaussian2 = 0, lorentzian = 0;
    tch_widths(m, twoTheta, 1, gaussian2, lorentzian);  // the wavelength only adds a positive width
    return tch_refusal(m.profile, gaussian2, lorentzian);
}

}  // namespace kalidos
