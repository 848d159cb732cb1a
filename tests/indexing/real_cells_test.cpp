// Indexing of line lists made from the real structures of ../shared/realdata/cif (the 20 to 30
// strongest lines at Cu Kα1, scattered by 0.01°, a zero error of up to 0.05° and two impurity lines)
// and of the round robin's measured fluorite and zincite through the peak search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>

#include "diagram_files/diagram_import.hpp"
#include "identification/identification.hpp"
#include "identification/structure_calculation.hpp"
#include "indexing/cell_indexing.hpp"
#include "indexing/niggli_reduction.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;

constexpr double kCopperAlpha1 = 1.540593;

struct Line {
    double twoTheta, intensity;
};

// The structure's lines at Cu Kα1 from 5° to 120°, reflections closer than 0.03° seen as one.
std::vector<Line> calculated_lines_of(const Workspace& ws)
{
    std::vector<Line> lines;
    for (const Reflection& r : ws.results.merged) {
        if (!lines.empty() && r.twoTheta - lines.back().twoTheta < 0.03) {
            Line& last = lines.back();
            last.twoTheta = (last.twoTheta * last.intensity + r.twoTheta * r.intensity) / (last.intensity + r.intensity);
            last.intensity += r.intensity;
        } else {
            lines.push_back({r.twoTheta, r.intensity});
        }
    }
    return lines;
}

PeakList synthetic_list(std::vector<Line> lines, std::mt19937& random)
{
    const std::size_t kept = std::uniform_int_distribution<std::size_t>(20, 30)(random);
    std::sort(lines.begin(), lines.end(), [](const Line& x, const Line& y) { return x.intensity > y.intensity; });
    lines.resize(std::min(kept, lines.size()));
    std::sort(lines.begin(), lines.end(), [](const Line& x, const Line& y) { return x.twoTheta < y.twoTheta; });
    const double zero = std::uniform_real_distribution<double>(-0.05, 0.05)(random);
    std::normal_distribution<double> scatter(0, 0.01);
    PeakList list;
    list.wavelength = kCopperAlpha1;
    for (const Line& line : lines) {
        list.position.push_back(line.twoTheta + zero + scatter(random));
        list.intensity.push_back(line.intensity);
    }
    // Two impurity lines, clear of the phase's own.
    std::uniform_real_distribution<double> anywhere(lines.front().twoTheta, lines.back().twoTheta);
    for (int added = 0; added < 2;) {
        const double t = anywhere(random);
        if (std::all_of(lines.begin(), lines.end(), [&](const Line& l) { return std::fabs(l.twoTheta - t) > 0.15; })) {
            list.position.push_back(t);
            list.intensity.push_back(lines.front().intensity);
            ++added;
        }
    }
    return list;
}

// The lattice of a structure: its primitive cell (an R group in rhombohedral axes is primitive). The
// group's symbol tells the centring: the calculation describes an R group in hexagonal axes as P.
UnitCell true_lattice(const StructureModel& m)
{
    const UnitCell cell{m.cell.a, m.cell.b, m.cell.c, m.cell.alpha, m.cell.beta, m.cell.gamma};
    const std::string letters = "PABCIFR";
    char letter = m.spaceGroupSymbol.empty() ? 'P' : static_cast<char>(std::toupper(m.spaceGroupSymbol[0]));
    if (letters.find(letter) == std::string::npos)
        letter = 'P';
    if (letter == 'R' && std::fabs(cell.gamma - 120) > 0.01)
        letter = 'P';
    return primitive_cell(cell, letter);
}

// A survey of every real structure (up to a minute of processor time each): run with
// KALIDOS_INDEXING_SURVEY=1, or with parts of file names (separated by commas) for the files that
// hold one of them. Its last run found the right lattice first for 38 of 42 lists: missed were a
// triclinic and two monoclinic lists whose zones give no lattice that beats chance cells, and an
// orthorhombic P whose n glides let a B cell of half the volume index every line.
TEST(RealCells, SyntheticListsOfTheRealStructuresGiveTheirLatticeFirst)
{
    KALIDOS_REQUIRE_REALDATA();
    const char* survey = std::getenv("KALIDOS_INDEXING_SURVEY");
    if (!survey)
        GTEST_SKIP() << "skipped: set KALIDOS_INDEXING_SURVEY=1 to run the survey";
    std::vector<std::string> parts;
    for (std::string rest = survey == std::string("1") ? "" : survey;;) {
        const std::size_t comma = rest.find(',');
        parts.push_back(rest.substr(0, comma));
        if (comma == std::string::npos)
            break;
        rest.erase(0, comma + 1);
    }
    const MeasuredWavelengths copper{kCopperAlpha1, 0, 0, "Cu"};
    const StructureModel experiment = diagram_experiment(copper, 5, 120, Resolution{});
    int cases = 0, right = 0;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(testing::realdata_dir() / "cif"))
        if (std::any_of(parts.begin(), parts.end(), [&](const std::string& part) {
                return entry.path().filename().string().find(part) != std::string::npos;
            }))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        testing::RecordingMessages messages;
        const std::size_t blocks = structure_blocks(file, messages).size();
        for (std::size_t block = 1; block <= blocks; ++block) {
            const auto ws = calculate_structure_block(file, static_cast<int>(block), experiment,
                                                      testing::program_data_dir(), messages);
            if (!ws)
                continue;
            // Each list drawn from its own file's and block's seed, so that a part of the survey gives the same lists.
            std::uint32_t seed = 2166136261u + static_cast<std::uint32_t>(block);
            for (const char c : file.filename().string())
                seed = (seed ^ static_cast<unsigned char>(c)) * 16777619u;
            std::mt19937 random(seed);
            IndexingLines lines;
            std::string error;
            ASSERT_TRUE(indexing_lines(synthetic_list(calculated_lines_of(*ws), random), 0, lines, error)) << error;
            IndexingSettings settings;
            settings.timeLimit = 60;  // seconds of processor time
            const IndexingResult found = find_cells(lines, settings);
            const UnitCell truth = niggli_reduce(true_lattice(ws->model)).cell;
            const bool first = !found.cells.empty() && same_lattice(found.cells[0].reduced, truth, 0.01);
            ++cases;
            right += first;
            double seconds = 0;
            for (const SystemSearch& s : found.searches)
                seconds += s.seconds;
            std::cout << file.filename().string() << " #" << block << " " << ws->model.spaceGroupSymbol << " "
                      << (first ? "first" : "MISSED") << " " << seconds << " s";
            if (!found.cells.empty()) {
                const FoundCell& c = found.cells[0];
                std::cout << " | " << c.system_name() << " " << c.centring() << " " << c.fit.cell.a << " " << c.fit.cell.b
                          << " " << c.fit.cell.c << " " << c.fit.cell.alpha << " " << c.fit.cell.beta << " "
                          << c.fit.cell.gamma << " M20 " << c.fit.m20 << " u " << c.fit.unindexedSearched;
            }
            std::cout << " | truth " << truth.a << " " << truth.b << " " << truth.c << " " << truth.alpha << " "
                      << truth.beta << " " << truth.gamma << std::endl;
            for (std::size_t i = 1; i < std::min<std::size_t>(3, found.cells.size()); ++i) {  // the runners-up
                const FoundCell& c = found.cells[i];
                std::cout << "   " << c.system_name() << " " << c.centring() << " " << c.fit.cell.a << " " << c.fit.cell.b
                          << " " << c.fit.cell.c << " " << c.fit.cell.beta << " V " << c.volume << " M20 " << c.fit.m20
                          << " u " << c.fit.unindexed << std::endl;
            }
            for (const std::string& note : found.notes)
                std::cout << "   " << note << std::endl;
        }
    }
    RecordProperty("cases", cases);
    RecordProperty("right", right);
    std::cout << right << " of " << cases << " first" << std::endl;
    EXPECT_GE(right, 0.9 * cases);
}

// The round robin's measured fluorite (CaF2, Fm-3m, a = 5.4631 Å) and zincite (ZnO, P63mc,
// a = 3.2498, c = 5.2066 Å) through the peak search: their cells first, within 0.005 Å.
TEST(RealCells, TheMeasuredFluoriteAndZinciteGiveTheirCellsFirst)
{
    KALIDOS_REQUIRE_REALDATA();
    struct Case {
        const char* file;
        LatticeSystem system;
        char centring;
        double a, c;
    };
    for (const Case& k : {Case{"qarr_FLUORITE.RD", LatticeSystem::Cubic, 'F', 5.4631, 5.4631},
                          Case{"qarr_ZINCITE.RD", LatticeSystem::Hexagonal, 'P', 3.2498, 5.2066}}) {
        auto workspace = make_workspace("");
        testing::RecordingMessages messages;
        lit_diagramme(*workspace, messages, static_cast<int>(DiagramKind::Philips),
                      (testing::realdata_dir() / "rd" / k.file).string());
        const ObservedSlot& slot = workspace->observed.slots[1];
        ASSERT_TRUE(slot.measured) << k.file;
        PeakSearchSettings search;
        search.wavelengths = slot.measured->wavelengths;
        IndexingLines lines;
        std::string error;
        ASSERT_TRUE(indexing_lines(peaks_to_index(slot.measured->scans.front(), search), 0, lines, error)) << error;
        const IndexingResult found = find_cells(lines, IndexingSettings{});
        ASSERT_FALSE(found.cells.empty()) << k.file;
        const FoundCell& best = found.cells.front();
        EXPECT_EQ(best.system(), k.system) << k.file;
        EXPECT_EQ(best.centring(), k.centring) << k.file;
        EXPECT_NEAR(best.fit.cell.a, k.a, 0.005) << k.file;
        EXPECT_NEAR(best.fit.cell.c, k.c, 0.005) << k.file;
    }
}

}  // namespace
}  // namespace kalidos
