// The two ways of choosing a group (interpreter from the catalogue, standard block completed
// by inversion) must give the same diagram for the same structure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "computation/calculation_driver.hpp"
#include "computation/cell_metric.hpp"
#include "computation/scattering.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"
#include "symmetry/space_group_lookup.hpp"

namespace kalidos {
namespace {

struct Atom {
    const char* symbol;
    double x, y, z, b;
};

struct Case {
    const char* system;
    const char* catalogueSymbol;
    const char* standardSymbol;
    double cell[6];
    std::vector<Atom> atoms;
};

std::unique_ptr<Workspace> structure(const Case& c, int radiation, const std::string& directory)
{
    auto ws = make_workspace(directory);
    ws->clock = [] { return std::string("08/12/2026 01:02:03"); };
    StructureModel& m = ws->model;
    m.title = "Same group, two sources";
    m.crystalSystem = c.system;
    m.radiation = radiation;
    m.cell = CellParameters{c.cell[0], c.cell[1], c.cell[2], c.cell[3], c.cell[4], c.cell[5]};
    compute_cell_metric(m);
    testing::RecordingMessages messages;
    m.atomCount = static_cast<int>(c.atoms.size());
    for (int n = 1; n <= m.atomCount; ++n) {
        const Atom& a = c.atoms[static_cast<std::size_t>(n - 1)];
        m.atomSymbol[n] = a.symbol;
        m.atomLabel[n] = std::to_string(n);
        m.atomX[n] = a.x;
        m.atomY[n] = a.y;
        m.atomZ[n] = a.z;
        m.atomB[n] = a.b;
        m.atomPopulation[n] = 1;
        const int nucleus = find_nucleus(a.symbol, messages);
        m.atomFermiLength[n] = neutron_scattering_table()[static_cast<std::size_t>(nucleus - 1)].fermiLength;
    }
    rebuild_element_table(m, messages);
    load_element_scattering_data(m, nullptr, messages);
    m.wavelengths.count = 1;
    m.wavelengths.values[1] = m.wavelengths.shortest = m.wavelengths.longest = m.wavelengths.current = 1.5406;
    m.wavelengths.weights[1] = 1;
    m.twoTheta1 = m.enteredTwoTheta1 = 10;
    m.twoTheta2 = m.enteredTwoTheta2 = 100;
    return ws;
}

// Applies the symbol from the catalogue through the lookup, or from the standard list (where
// the lookup would prefer the catalogue when both have the symbol), and calculates.
std::unique_ptr<Workspace> calculate(const Case& c, const char* symbol, GroupSource source, int radiation)
{
    const auto dir = testing::make_scratch_dir("two_sources");
    auto ws = structure(c, radiation, dir.string());
    testing::RecordingMessages messages;
    if (source == GroupSource::Catalogue) {
        const GroupLookup lookup =
            look_up_and_apply_space_group(ws->model, symbol, testing::program_data_dir(), messages);
        EXPECT_EQ(lookup.source, GroupSource::Catalogue) << symbol;
        EXPECT_TRUE(lookup.applied) << symbol;
    } else {
        EXPECT_TRUE(selecte_groupe_HM(ws->model, symbol, testing::program_data_dir(), messages).applied) << symbol;
    }
    RecordingCalculationHost host;
    recalcule(*ws, host, messages);
    EXPECT_TRUE(messages.warnings.empty()) << symbol << ": " << messages.warnings.front();
    return ws;
}

// For a centrosymmetric group the standard path sets inversionAdded, which halves the
// structure-factor scale K: its raw intensities are a quarter of the catalogue path's, while
// the displayed diagram and the neutron intensities (times G, 4 times larger) are the same.
// Only reflections clear of the 0.05 floor, applied before any scaling, can be compared.
double raw_intensity(const Workspace& ws, int i)
{
    const double scale = ws.model.radiation == kNeutrons ? ws.results.neutronFactor : 1.0;
    return ws.results.merged[i].intensity / scale;
}

double largest(const CountedTable<Reflection>& reflections)
{
    double top = 0;
    for (int i = 1; i <= reflections.count; ++i)
        top = std::max(top, reflections[i].intensity);
    return top;
}

void expect_same_diagram(const Case& c, int radiation)
{
    const auto catalogue = calculate(c, c.catalogueSymbol, GroupSource::Catalogue, radiation);
    const auto standard = calculate(c, c.standardSymbol, GroupSource::Standard, radiation);
    const bool centrosymmetric = catalogue->model.centrosymmetric;
    EXPECT_EQ(standard->model.inversionAdded, centrosymmetric ? 1 : 0) << c.standardSymbol;
    const CountedTable<Reflection>& a = catalogue->results.merged;
    const CountedTable<Reflection>& b = standard->results.merged;
    ASSERT_GT(a.count, 5) << c.catalogueSymbol;
    ASSERT_EQ(a.count, b.count) << c.catalogueSymbol;
    const double ratio = centrosymmetric ? 4 : 1;
    const double topA = largest(a);
    const double topB = largest(b);
    EXPECT_NEAR(topA / topB, radiation == kNeutrons ? 1 : ratio, 1e-4) << c.catalogueSymbol;
    int compared = 0;
    for (int i = 1; i <= a.count; ++i) {
        EXPECT_EQ(a[i].multiplicity, b[i].multiplicity) << c.catalogueSymbol << " reflection " << i;
        EXPECT_NEAR(a[i].twoTheta, b[i].twoTheta, 1e-9) << c.catalogueSymbol;
        if (raw_intensity(*catalogue, i) < 0.05 * ratio * 1.01)
            continue;
        ++compared;
        EXPECT_NEAR(a[i].intensity / topA, b[i].intensity / topB, 1e-5)
            << c.catalogueSymbol << " reflection " << i << " (" << a[i].h << " " << a[i].k << " " << a[i].l << ")";
    }
    EXPECT_GT(compared, a.count / 2) << c.catalogueSymbol;
    // Neutron intensities are small before G, so the floored reflections show in the
    // neutron diagram; the X-ray diagram must be the same point by point.
    if (radiation == kNeutrons)
        return;
    const CalculatedPattern& p = catalogue->results.pattern;
    const CalculatedPattern& q = standard->results.pattern;
    ASSERT_EQ(p.pointCount, q.pointCount);
    for (int i = 0; i < p.pointCount; ++i)
        ASSERT_NEAR(p.intensities[i], q.intensities[i], 0.01) << c.catalogueSymbol << " point " << i;
}

const Case kCases[] = {
    {"MONO", "P 1 21/c 1", "P21/c", {5.1, 6.3, 7.7, 90, 103.5, 90},
     {{"FE", 0.11, 0.23, 0.31, 0.5}, {"O", 0.37, 0.08, 0.19, 0.8}}},
    {"ORTH", "P n m a", "Pnma", {7.2, 5.5, 4.9, 90, 90, 90},
     {{"MG", 0.28, 0.25, 0.99, 0.4}, {"SI", 0.09, 0.25, 0.42, 0.3}, {"O", 0.16, 0.03, 0.28, 0.6}}},
    {"TETR", "I 41/a m d:2", "I41/amd:2", {6.6, 6.6, 5.98, 90, 90, 90},
     {{"ZR", 0, 0.75, 0.125, 0.3}, {"O", 0, 0.066, 0.195, 0.5}}},
    {"HEXA", "R -3 c:H", "R-3c", {4.76, 4.76, 12.99, 90, 90, 120},
     {{"AL", 0, 0, 0.352, 0.3}, {"O", 0.306, 0, 0.25, 0.4}}},
    {"RHOM", "R -3 c:R", "R-3c", {5.13, 5.13, 5.13, 55.3, 55.3, 55.3},
     {{"AL", 0.352, 0.352, 0.352, 0.3}, {"O", 0.556, -0.056, 0.25, 0.4}}},
    {"HEXA", "P 63/m m c", "P63/mmc", {3.21, 3.21, 5.21, 90, 90, 120},
     {{"ZN", 0.3333333, 0.6666667, 0.25, 0.6}, {"S", 0.12, 0.24, 0.61, 0.5}}},
    {"CUBI", "F d -3 m:2", "Fd-3m:2", {8.08, 8.08, 8.08, 90, 90, 90},
     {{"MG", 0.125, 0.125, 0.125, 0.4}, {"AL", 0.5, 0.5, 0.5, 0.3}, {"O", 0.263, 0.263, 0.263, 0.5}}},
    {"CUBI", "P 21 3", "P213", {6.1, 6.1, 6.1, 90, 90, 90},
     {{"FE", 0.13, 0.13, 0.13, 0.4}, {"SI", 0.84, 0.84, 0.84, 0.4}}},
};

TEST(CatalogueAndStandardPaths, SameXrayIntensities)
{
    for (const Case& c : kCases)
        expect_same_diagram(c, kXrays);
}

TEST(CatalogueAndStandardPaths, SameNeutronIntensities)
{
    for (const Case& c : kCases)
        expect_same_diagram(c, kNeutrons);
}

}  // namespace
}  // namespace kalidos
