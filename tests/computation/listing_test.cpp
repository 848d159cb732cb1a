#include <gtest/gtest.h>

#include <sstream>

#include "computation/listing_header.hpp"
#include "computation/listing_sections.hpp"
#include "computation/results_list.hpp"
#include "model/workspace.hpp"

namespace kalidos {
namespace {

// A hand-made workspace: one element with f0 = 2 at every s, f' = 0.5, f'' = 0.25 on pass 1,
// and two reflections with their pass values.
std::unique_ptr<Workspace> listed_workspace()
{
    auto ws = make_workspace(".");
    ws->clock = [] { return std::string("08/12/2026 01:02:03"); };
    StructureModel& m = ws->model;
    m.title = "Rock salt";
    m.cell = CellParameters{5.64, 5.64, 5.64, 90, 90, 90};
    m.spaceGroupSymbol = "F m -3 m";
    m.crystalSystem = "CUBI";
    m.latticeLetter = "F";
    m.centrosymmetric = true;
    m.operatorCount = 2;
    m.operatorTexts[1] = " X, Y, Z";
    m.operatorTexts[2] = "-X,-Y,-Z";
    m.atomCount = 1;
    m.atomSymbol[1] = "NA";
    m.atomLabel[1] = "1";
    m.atomX[1] = 0.125;
    m.atomY[1] = 0;
    m.atomZ[1] = 0.5;
    m.atomB[1] = 1.5;
    m.atomPopulation[1] = 1;
    m.atomMultiplicity[1] = 0.25;
    m.atomElementIndex[1] = 1;
    m.elementCount = 1;
    m.elementSymbols[1] = "NA";
    m.cromer[1].a[1] = 1;
    m.cromer[1].c = 1;
    m.fPrime[1][1] = 0.5;
    m.fSecond[1][1] = 0.25;
    m.wavelengths.count = 1;
    m.wavelengths.values[1] = m.wavelengths.current = 1.5406;
    CalculationResults& res = ws->results;
    res.passIndex = 1;
    res.reflections.count = res.passValues.count = 2;
    res.reflections[1] = Reflection{1, 1, 1, 8, 1.5406, 3.2563, 27.372, 4000};
    res.reflections[2] = Reflection{2, 0, 0, 6, 1.5406, 2.82, 31.7049, 1000};
    res.passValues[1] = PassValues{33.456, 10.5, -2.25, 10.5, 2.25, 10.738, 10.738, 10.738, 0, 0, 0};
    res.passValues[2] = PassValues{24.0, -3.0, 0, -3.0, 0, 3.0, 3.0, 3.0, 0, 0, 0};
    return ws;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(Listings, XraySectionsOfBothFiles)
{
    auto ws = listed_workspace();
    std::ostringstream detailed, brief;
    write_xray_sections(*ws, 100.0 / 4000, detailed, brief);
    const std::vector<std::string> expected = {
        "",
        "The intensities were multiplied by: 2.5000E-0002",
        "",
        "Results for lambda= 1.54060",
        "",
        " Nb    h  k  l   2Theta   dhkl    N    LP       Intensity ",
        "  1    1  1  1   27.372  3.2563   8  33.46       100.00",
        "  2    2  0  0   31.705  2.8200   6  24.00        25.00",
        "",
        "Structure factors",
        " Nb    h  k  l     A+      B+      A-      B-       F+       F-      Fmoy",
        "  1    1  1  1   10.50   -2.25   10.50    2.25    10.74    10.74    10.74",
        "  2    2  0  0   -3.00    0.00   -3.00    0.00     3.00     3.00     3.00",
        "",
        "Atomic scattering factors",
        " Nb    h  k  l   1/2dhkl   atom      f         f'       f'' ",
        "  1    1  1  1   0.15355",
        "                            NA        2.00      0.50      0.25",
        "  2    2  0  0   0.17730",
        "                            NA        2.00      0.50      0.25",
    };
    EXPECT_EQ(lines_of(detailed.str()), expected);
    const std::vector<std::string> expectedBrief = {
        "",
        "Results for lambda= 1.54060",
        "",
        "The intensities were multiplied by: 2.5000E-0002",
        "",
        "   h   k   l   dhkl   2Theta  Mult  Lp      Fhkl   Intensity",
        "",
        "   1   1   1  3.2563  27.372   8  33.46     10.74    100.00",
        "   2   0   0  2.8200  31.705   6  24.00      3.00     25.00",
    };
    EXPECT_EQ(lines_of(brief.str()), expectedBrief);
}

TEST(Listings, RhombohedralRowsCarryHexagonalIndices)
{
    auto ws = listed_workspace();
    ws->model.crystalSystem = "RHOM";
    ws->results.reflections[1] = Reflection{1, 0, 0, 6, 1.5406, 3.2563, 27.372, 4000};
    std::ostringstream detailed, brief;
    write_xray_sections(*ws, 100.0 / 4000, detailed, brief);
    const auto lines = lines_of(brief.str());
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[5], "   h   k   l   dhkl   2Theta  Mult  Lp      Fhkl   Intensity   Hexa indices");
    EXPECT_EQ(lines[7], "   1   0   0  3.2563  27.372   6  33.46     10.74    100.00       1  0  1");
    EXPECT_EQ(lines[8], "   2   0   0  2.8200  31.705   6  24.00      3.00     25.00       2  0  2");
}

TEST(Listings, NeutronSectionsListTheScaledIntensities)
{
    auto ws = listed_workspace();
    ws->model.radiation = kNeutrons;
    ws->results.neutronFactor = 0.5;
    ws->results.passValues[1].a = 1.25;
    ws->results.passValues[1].b = -0.5;
    ws->results.passValues[1].f = 1.34629;
    std::ostringstream detailed, brief;
    write_neutron_sections(*ws, true, 8000, detailed, brief);
    const std::vector<std::string> expected = {
        "The intensity was multiplied by: 5.0000E-0001",
        "To normalise to 1000 multiply the intensities by 2.5000E-0001",
        "",
        "",
        "Results for lambda= 1.54060",
        "",
        " No    h  k  l   2Theta   dhkl    N    LP       Intensity",
        "  1    1  1  1   27.372  3.2563   8  33.46      4000.00",
        "  2    2  0  0   31.705  2.8200   6  24.00      1000.00",
        "",
        "Structure factors",
        " No    h  k  l     A       B        F",
        "  1    1  1  1   1.250  -0.500   1.3463",
        "  2    2  0  0   0.000   0.000   0.0000",
    };
    EXPECT_EQ(lines_of(detailed.str()), expected);
    const auto briefLines = lines_of(brief.str());
    ASSERT_EQ(briefLines.size(), 8u);
    EXPECT_EQ(briefLines[3], "");
    EXPECT_EQ(briefLines[6], "   1   1   1  3.2563  27.372   8  33.46      1.35   4000.00");
}

TEST(Listings, DetailedHeaderOfAnXrayTubeRun)
{
    auto ws = listed_workspace();
    ws->model.centringCount = 3;
    ws->model.centringVectors[1] = {0, 0.5, 0.5};
    ws->model.centringVectors[2] = {0.5, 0, 0.5};
    ws->model.centringVectors[3] = {0.5, 0.5, 0};
    std::ostringstream out;
    write_detailed_header(*ws, out);
    const std::vector<std::string> expected = {
        "KALIDOS. Powder diffraction diagram (Source: X ray tube)",
        std::string(56, '-'),
        "",
        "08/12/2026 01:02:03",
        "Rock salt",
        "Cell   :    5.640   5.640   5.640  90.000  90.000  90.000",
        "Lambda :    1.54060",
        "S.Group: F m -3 m",
        "Syst.  : CUBI",
        "Bravais: F",
        "Centro",
        "",
        "Space group positions:",
        " X, Y, Z",
        "-X,-Y,-Z",
        "",
        "Bravais lattice translations:",
        "  0.000000  0.500000  0.500000",
        "  0.500000  0.000000  0.500000",
        "  0.500000  0.500000  0.000000",
        "",
        "Asymetric unit content:",
        "         x        y        z      B      Pop.   Mult. Elem. Nb.",
        "NA 1  0.12500  0.00000  0.50000  1.50   1.000   0.250    1",
        "",
        "Atomic scattering factors ",
        "      f(0)        f'        f\"",
        "NA      2.0000    0.5000    0.2500",
        "",
        "Cromer Factors",
        "       c       a1     b1       a2      b2      a3      b3      a4      b4",
        "NA    1.0000  1.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000",
    };
    EXPECT_EQ(lines_of(out.str()), expected);
}

TEST(Listings, ShortHeaderOfASynchrotronRunAndOfANeutronRun)
{
    auto ws = listed_workspace();
    ws->model.xraySource = kSynchrotronSource;
    ws->model.polarisation = 0.95;
    ws->model.twoTheta1 = 10;
    ws->model.twoTheta2 = 90;
    std::ostringstream out;
    write_short_header(*ws, out);
    const std::vector<std::string> expected = {
        "KALIDOS : Calculated powder diffraction diagram (Source: Synchrotron)",
        std::string(76, '-'),
        "",
        "Polarisation p=   0.95",
        "",
        "08/12/2026 01:02:03",
        "",
        "Results for:Rock salt",
        "Cell    :    5.640   5.640   5.640  90.000  90.000  90.000",
        "Sp.Group: F m -3 m",
        "System  : CUBI",
        "Lattice : F",
        "2Theta Min =  10.00",
        "2Theta Max =  90.00",
        "Asymetric unit content:",
        "         x        y        z      B      Pop.   Mult. Elem. Nb.",
        "NA 1  0.12500  0.00000  0.50000  1.50   1.000   0.250    1",
        "",
    };
    EXPECT_EQ(lines_of(out.str()), expected);

    ws->model.radiation = kNeutrons;
    ws->model.atomFermiLength[1] = 0.363;
    std::ostringstream neutron;
    write_short_header(*ws, neutron);
    const auto lines = lines_of(neutron.str());
    EXPECT_EQ(lines[0], "KALIDOS : Powder diffraction diagram (Source: Neutrons)");
    EXPECT_EQ(lines[1], std::string(55, '-'));
    EXPECT_EQ(lines[6], "Cell     :    5.640   5.640   5.640  90.000  90.000  90.000");
    EXPECT_EQ(lines[13], "       Nb     x        y        z      B      Pop.   Mult.   B Fermi ");
    EXPECT_EQ(lines[14], "NA 1    1  0.12500  0.00000  0.50000  1.50   1.000   0.250    0.36");
}

TEST(ResultsList, AngleModesListTheMergedRecords)
{
    auto ws = listed_workspace();
    CalculationResults& res = ws->results;
    res.merged.count = 2;
    res.merged[1] = Reflection{1, 1, 1, 8, 1.5406, 3.2563, 27.372, 4000};
    res.merged[2] = Reflection{2, 0, 0, 6, 1.54439, 2.82, 31.7049, 1000};
    ws->abscissaMode = AbscissaMode::TwoTheta;
    fill_results_list(*ws);
    const std::vector<std::string> expected = {
        " Nb. h  k  l   Dhkl  2Theta k*Int. lambda",
        std::string(49, '_'),
        "K=   0.0250000",
        "  1  1  1  1  3.2563  27.372 100.0 1.54060",
        "  2  2  0  0  2.8200  31.705  25.0 1.54439",
    };
    EXPECT_EQ(res.resultsList, expected);
    ws->abscissaMode = AbscissaMode::Theta;
    fill_results_list(*ws);
    EXPECT_EQ(res.resultsList[0], " Nb. h  k  l   Dhkl   Theta k*Int. lambda");
    EXPECT_EQ(res.resultsList[3], "  1  1  1  1  3.2563  13.686 100.0 1.54060");
}

TEST(ResultsList, QModeListsThePeakSums)
{
    auto ws = listed_workspace();
    CalculationResults& res = ws->results;
    res.peaks.count = 2;
    res.peaks[1] = PeakEntry{1, 1, 1, 6.283185307179586 / 3.2563, 800};
    res.peaks[2] = PeakEntry{2, 0, 0, 6.283185307179586 / 2.82, 3200};
    ws->abscissaMode = AbscissaMode::Q;
    fill_results_list(*ws);
    const std::vector<std::string> expected = {
        " NB. h  k  l   Dhkl     Q     k*Int. ",
        std::string(49, '_'),
        "K=   0.03125",
        "  1  1  1  1  3.2563  1.9295   25.00",
        "  2  2  0  0  2.8200  2.2281  100.00",
    };
    EXPECT_EQ(res.resultsList, expected);
}

}  // namespace
}  // namespace kalidos
