// The instrument file: written and read back, the sample's settings left out; GSAS-II's .instprm
// keys turned into ours (damaged copies of both are fed to every reader in fuzz_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "computation/monochromator_polarisation.hpp"
#include "model/structure_model.hpp"
#include "readers/instrument_file.hpp"

namespace kalidos {
namespace {

constexpr const char* kGsasLab = "#GSAS-II instrument parameter file; do not add/delete items!\n"
                                 "Type:PXC\nBank:1.0\nLam1:1.540598\nLam2:1.544426\nI(L2)/I(L1):0.5\nZero:-0.0123\n"
                                 "Polariz.:0.7\nAzimuth:0.0\nU:2.0\nV:-2.0\nW:5.0\nX:0.5\nY:1.5\nZ:0.0\nSH/L:0.002\n";
constexpr const char* kGsasSynchrotron = "#GSAS-II instrument parameter file\n"
                                         "Type:PXC;Bank:1\nLam:0.413263;Polariz.:0.99;Azimuth:0.0;Zero:0.0\n"
                                         "U:1.163;V:-0.126;W:0.063;X:0.0;Y:0.0;Z:0.0;SH/L:0.002\n";

Instrument read(const std::string& text, std::vector<std::string>& notes)
{
    Instrument instrument;
    std::string error;
    EXPECT_TRUE(read_instrument_text(text, instrument, notes, error)) << error;
    return instrument;
}

TEST(InstrumentFile, WrittenAndReadBackWithoutTheSamplesSettings)
{
    StructureModel m;
    m.wavelengths.count = 2;
    m.wavelengths.values[1] = 1.5406, m.wavelengths.weights[1] = 2.0 / 3;
    m.wavelengths.values[2] = 1.54439, m.wavelengths.weights[2] = 1.0 / 3;
    ProfileSettings& p = m.profile;
    p.function = ProfileFunction::Tch;
    p.gaussU = 0.0041, p.gaussV = -0.0012, p.gaussW = 0.0032, p.gaussP = 0.0001;
    p.lorentzX = 0.012, p.lorentzY = 0.031, p.axialSL = 0.021, p.axialHL = 0.018, p.zeroShift = -0.0123;
    p.radiusMm = 217.5;
    p.corrections = {26.6, MonochromatorPlace::Incident, 0.7, 0, 0.3, 0.4, 1, 20};
    p.sizeNm = 80, p.strainPercent = 0.05, p.transparency = 0.03, p.displacementMm = 0.1;
    const Instrument instrument = instrument_of(m);
    const std::string text = format_instrument(instrument, "from a test");
    for (const char* sample : {"size", "strain", "transparency", "displacement", "capillary", "roughness"})
        EXPECT_EQ(text.find(sample), std::string::npos) << sample;
    std::vector<std::string> notes;
    EXPECT_TRUE(read(text, notes) == instrument) << text;
    EXPECT_TRUE(notes.empty());

    // Loaded into another sample's model: its own size, strain and roughness stay.
    StructureModel other;
    other.profile.sizeNm = 45, other.profile.corrections.roughnessQ = 0.2;
    apply_instrument(instrument, other);
    EXPECT_EQ(other.profile.sizeNm, 45);
    EXPECT_EQ(other.profile.corrections.roughnessQ, 0.2);
    EXPECT_EQ(other.profile.gaussV, -0.0012);
    EXPECT_EQ(other.profile.corrections.monochromatorTwoTheta, 26.6);

    Instrument refused;
    std::string error;
    EXPECT_FALSE(read_instrument_text("KALIDOS instrument\ngauss 0.1 x 0 0\n", refused, notes, error));
    EXPECT_EQ(error, "line 2: \"gauss 0.1 x 0 0\" cannot be read");
    EXPECT_FALSE(read_instrument_text("KALIDOS instrument\nasymmetry 0.5 0\n", refused, notes, error));
    EXPECT_EQ(error, "S/L, H/L must lie between 0 and 0.2!");
    EXPECT_FALSE(read_instrument_text("KALIDOS instrument\nwavelength -1 1\n", refused, notes, error));
}

// GSAS-II's σ² (centidegrees²) to our FWHM² (deg²) is 8 ln 2 × 10⁻⁴; its Lorentzian X/cos θ + Y tan θ
// (centidegrees) is our Y/cos θ + X tan θ; its Polariz. P gives the factor P + (1 − P) cos² 2θ.
TEST(InstrumentFile, GsasKeysBecomeOurs)
{
    std::vector<std::string> notes;
    const Instrument lab = read(kGsasLab, notes);
    EXPECT_EQ(lab.function, ProfileFunction::Tch);
    ASSERT_EQ(lab.wavelengths.size(), 2u);
    EXPECT_EQ(lab.wavelengths[1].lambda, 1.544426);
    EXPECT_EQ(lab.wavelengths[1].weight, 0.5);
    EXPECT_NEAR(lab.gaussU, 2.0 * 5.545177444479562e-4, 1e-15);
    EXPECT_NEAR(lab.gaussV, -2.0 * 5.545177444479562e-4, 1e-15);
    EXPECT_NEAR(lab.lorentzX, 0.015, 1e-15);
    EXPECT_NEAR(lab.lorentzY, 0.005, 1e-15);
    EXPECT_NEAR(lab.axialSL + lab.axialHL, 0.002, 1e-15);
    EXPECT_EQ(lab.zeroShift, -0.0123);
    EXPECT_EQ(lab.xraySource, kTubeSource);
    for (const double twoTheta : {20.0, 60.0, 110.0}) {
        const double theta = twoTheta * std::numbers::pi / 360, c = std::cos(2 * theta);
        EXPECT_NEAR(monochromator_polarisation(theta, lab.monochromatorTwoTheta), 0.7 + 0.3 * c * c, 1e-12);
    }
    ASSERT_EQ(notes.size(), 1u);  // the polarisation read as a monochromator
    notes.clear();
    const Instrument synchrotron = read(kGsasSynchrotron, notes);
    ASSERT_EQ(synchrotron.wavelengths.size(), 1u);
    EXPECT_EQ(synchrotron.wavelengths[0].lambda, 0.413263);
    EXPECT_EQ(synchrotron.xraySource, kSynchrotronSource);
    EXPECT_NEAR(synchrotron.polarisation, 0.01, 1e-15);  // p·cos² 2θ + 1 − p = Polariz. + (1 − Polariz.)·cos² 2θ
    EXPECT_TRUE(notes.empty());

    std::string error;
    Instrument refused;
    EXPECT_FALSE(read_instrument_text("Type:PNT\nBank:1\n", refused, notes, error));
    EXPECT_EQ(error, "Type PNT: only constant-wavelength banks (PXC X-rays, PNC neutrons) are read");
    EXPECT_FALSE(read_instrument_text("Lam:1.54\nU:2\n", refused, notes, error));
    EXPECT_EQ(error, "line 2: no Type: not a GSAS-II instrument parameter file");
    EXPECT_FALSE(read_instrument_text("Type:PXC\nLam:1.54\nU:two\n", refused, notes, error));
    EXPECT_EQ(error, "line 3: U: \"two\" is not a number");
    notes.clear();
    const Instrument banks = read("#Bank 1: GSAS-II\nType:PNC\nLam:1.594\nZ:0.3\n#Bank 2: GSAS-II\nType:PXC\nLam:0.4\n",
                                  notes);
    EXPECT_EQ(banks.radiation, kNeutrons);
    EXPECT_EQ(banks.wavelengths[0].lambda, 1.594);
    EXPECT_EQ(notes.size(), 2u);  // the first bank of two; Z left out
}

}  // namespace
}  // namespace kalidos
