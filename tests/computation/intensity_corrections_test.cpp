// The specimen's and the beam's intensity factors against the physics they stand for, each evaluated
// here another way: polarisation components, integrals over the capillary's cross-section and the
// plate's depth, rays traced from the focus to the specimen.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "computation/beam_overspill.hpp"
#include "computation/cylinder_absorption.hpp"
#include "computation/intensity_correction.hpp"
#include "computation/intensity_pass.hpp"
#include "computation/monochromator_polarisation.hpp"
#include "computation/plate_thickness.hpp"
#include "computation/surface_roughness.hpp"

namespace kalidos {
namespace {

constexpr double kPi = std::numbers::pi;

double radians(double degrees) { return degrees * kPi / 180; }

// The two polarisation components of an unpolarised beam, each reflected by the monochromator and by
// the specimen with its own factor (1 normal to the common plane, cos² 2θ in it).
double polarisation_by_components(double theta, double monochromatorTwoTheta)
{
    const double inPlaneMono = std::pow(std::cos(radians(monochromatorTwoTheta)), 2);
    const double inPlaneSample = std::pow(std::cos(2 * theta), 2);
    const double normal = 0.5 * 1 * 1, inPlane = 0.5 * inPlaneMono * inPlaneSample;
    return (normal + inPlane) / (0.5 + 0.5 * inPlaneMono);  // per unit intensity leaving the monochromator
}

// exp(−μ·path) averaged over the cylinder's cross-section (radius 1) by the midpoint rule in polar
// coordinates: the path from where the beam (along +x) enters to the point, then out along the ray
// turned by 2θ.
double cylinder_by_integration(double muR, double theta)
{
    const int rings = 600, sectors = 600;
    const double out[2] = {std::cos(2 * theta), std::sin(2 * theta)};
    double sum = 0;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sectors; ++j) {
            const double r = (i + 0.5) / rings, phi = 2 * kPi * (j + 0.5) / sectors;
            const double x = r * std::cos(phi), y = r * std::sin(phi);
            const double in = x + std::sqrt(1 - y * y);  // back along −x to the circle
            const double along = x * out[0] + y * out[1];
            const double exit = -along + std::sqrt(along * along - r * r + 1);
            sum += std::exp(-muR * (in + exit)) * r;
        }
    return sum / (rings * sectors) * 2;  // ∫ r dr dφ / π over the unit disc
}

// The share of the beam on the specimen by tracing rays spread evenly over the slit's aperture.
double overspill_by_rays(double theta, double slit, double radius, double length)
{
    const int rays = 200000;
    const double focus[2] = {-radius * std::cos(theta), radius * std::sin(theta)};
    int on = 0;
    for (int k = 0; k < rays; ++k) {
        const double angle = theta + radians(slit) * ((k + 0.5) / rays - 0.5);  // below the horizontal
        const double t = focus[1] / std::sin(angle);  // down to the specimen's plane y = 0
        const double x = focus[0] + t * std::cos(angle);
        on += std::fabs(x) <= length / 2;
    }
    return static_cast<double>(on) / rays;
}

TEST(IntensityCorrections, MonochromatorPolarisationIsThatOfItsComponents)
{
    for (const double monochromator : {0.0, 26.6, 45.0, 90.0})
        for (const double twoTheta : {10.0, 45.0, 90.0, 150.0}) {
            const double theta = radians(twoTheta / 2);
            EXPECT_NEAR(monochromator_polarisation(theta, monochromator),
                        polarisation_by_components(theta, monochromator), 1e-14);
        }
    // In the Lorentz-polarisation factor of a tube only; none leaves the factor as it was.
    StructureModel model;
    const double theta = radians(30), tube = lorentz_polarisation(model, theta);
    EXPECT_DOUBLE_EQ(tube, (1 + 0.25) / 2 / (0.25 * std::cos(theta)));
    model.profile.corrections.monochromatorTwoTheta = 26.6;
    EXPECT_DOUBLE_EQ(lorentz_polarisation(model, theta) / tube, monochromator_polarisation(theta, 26.6) / (1.25 / 2));
    model.radiation = kNeutrons;
    EXPECT_DOUBLE_EQ(lorentz_polarisation(model, theta), 1 / (0.25 * std::cos(theta)));
}

// The analytic form's stated range: within 1.5 % of the cross-section's integral for μR up to 10.
TEST(IntensityCorrections, CapillaryTransmissionWithinItsStatedAccuracy)
{
    EXPECT_DOUBLE_EQ(cylinder_transmission(0, radians(20)), 1);
    for (const double muR : {0.1, 0.7, 1.5, 2.9, 3.1, 6.0, 10.0})
        for (const double twoTheta : {4.0, 40.0, 90.0, 130.0, 176.0}) {
            const double exact = cylinder_by_integration(muR, radians(twoTheta / 2));
            EXPECT_NEAR(cylinder_transmission(muR, radians(twoTheta / 2)) / exact, 1, 0.015)
                << "muR " << muR << " 2theta " << twoTheta << " exact " << exact;
        }
}

TEST(IntensityCorrections, ThinPlateRoughnessAndOverspillAgainstTheirPhysics)
{
    // The plate: layers at depth z weigh exp(−2μz/sin θ); its share of an infinite specimen's.
    for (const double muT : {0.05, 0.5, 3.0})
        for (const double twoTheta : {10.0, 60.0, 150.0}) {
            const double theta = radians(twoTheta / 2);
            const auto layers = [theta](double depth, int steps) {
                double sum = 0;
                for (int k = 0; k < steps; ++k)
                    sum += std::exp(-2 * (k + 0.5) * depth / steps / std::sin(theta)) * depth / steps;
                return sum;
            };
            EXPECT_NEAR(thin_plate_factor(muT, theta), layers(muT, 20000) / layers(40, 400000), 1e-6)
                << muT << " " << twoTheta;
        }
    // Suortti's roughness: 1 at 2θ = 180°, p's share untouched, the rest losing exp(−q/sin θ).
    const double p = 0.3, q = 0.4, low = radians(15);
    EXPECT_NEAR(surface_roughness(p, q, radians(90)), 1, 1e-15);
    EXPECT_NEAR(surface_roughness(p, q, low) * (p + 0.7 * std::exp(-0.4)), p + 0.7 * std::exp(-0.4 / std::sin(low)),
                1e-15);
    EXPECT_DOUBLE_EQ(surface_roughness(1, q, low), 1);
    EXPECT_DOUBLE_EQ(surface_roughness(p, 0, low), 1);
    // The beam on a 20 mm specimen 240 mm from the focus, through slits of 0.5° to 2°.
    for (const double slit : {0.5, 1.0, 2.0})
        for (const double twoTheta : {5.0, 12.0, 20.0, 40.0, 90.0}) {
            const double theta = radians(twoTheta / 2);
            EXPECT_NEAR(beam_on_specimen(theta, slit, 240, 20), overspill_by_rays(theta, slit, 240, 20), 2e-5)
                << slit << " " << twoTheta;
        }
}

TEST(IntensityCorrections, SpecimenFactorIsTheProductOfWhatIsAskedFor)
{
    ProfileSettings s;
    EXPECT_FALSE(s.corrections.specimen());
    EXPECT_EQ(specimen_intensity_factor(s, 30), 1);
    s.corrections.cylinderMuR = 1;
    s.corrections.roughnessP = 0.2, s.corrections.roughnessQ = 0.3;
    s.corrections.slitDegrees = 1, s.corrections.sampleLengthMm = 10;
    s.radiusMm = 200;
    const double theta = radians(10);
    EXPECT_DOUBLE_EQ(specimen_intensity_factor(s, 20), cylinder_transmission(1, theta) *
                                                           surface_roughness(0.2, 0.3, theta) *
                                                           beam_on_specimen(theta, 1, 200, 10));
    EXPECT_EQ(profile_settings_problem(s), "");
    s.corrections.sampleLengthMm = 0;
    EXPECT_NE(profile_settings_problem(s).find("go together"), std::string::npos);
    s.corrections.sampleLengthMm = 10, s.corrections.cylinderMuR = 12;
    EXPECT_EQ(profile_settings_problem(s), "Capillary mu R must lie between 0 and 10!");
}

}  // namespace
}  // namespace kalidos
