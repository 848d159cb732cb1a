// The structure's geometry: the cell contents drawn, the bonds against gemmi, ellipsoids, polyhedra.
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "computation/site_multiplicity.hpp"
#include "geometry/ellipsoid.hpp"
#include "geometry/structure_scene.hpp"
#include "readers/open_structure_file.hpp"
#include "readers/structure_format.hpp"
#include "support/paths.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

std::unique_ptr<StructureModel> read_cif(const std::filesystem::path& file)
{
    auto model = std::make_unique<StructureModel>();
    model->scratchInMemory = true;
    model->startDirectory = testing::make_scratch_dir("geometry").string();
    testing::RecordingMessages messages;
    const OpenRequest request{structure_format_of(file.string()), file.string(), testing::program_data_dir()};
    if (open_structure_file(*model, request, messages, nullptr) != OpenStatus::Read)
        return nullptr;
    return model;
}

std::filesystem::path example(const std::string& name) { return testing::test_data_dir() / "../../examples" / name; }

// Σ share × population per element, and the number of spheres drawn per element.
void count(const StructureScene& scene, std::map<std::string, double>& content, std::map<std::string, int>& drawn)
{
    for (const SceneAtom& atom : scene.atoms) {
        content[atom.element] += atom.share * atom.population;
        ++drawn[atom.element];
    }
}

}  // namespace

// Z × formula from the structures' literature: rutile TiO2 Z = 2, quartz SiO2 Z = 3, fluorite CaF2
// Z = 4. Atoms on faces, edges and corners are drawn once on each; their shares add up to the content.
TEST(StructureScene, AtomsDrawnAreTheCellContents)
{
    const struct {
        const char* file;
        std::map<std::string, double> content;
        std::map<std::string, int> drawn;
    } cases[] = {{"rutile.cif", {{"Ti", 2}, {"O", 4}}, {{"Ti", 9}, {"O", 6}}},
                 {"quartz.cif", {{"Si", 3}, {"O", 6}}, {{"Si", 6}, {"O", 6}}},
                 {"fluorite.cif", {{"Ca", 4}, {"F", 8}}, {{"Ca", 14}, {"F", 8}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto model = read_cif(example(c.file));
        ASSERT_TRUE(model);
        std::map<std::string, double> content;
        std::map<std::string, int> drawn;
        count(build_scene(*model, {}), content, drawn);
        ASSERT_EQ(content.size(), c.content.size());
        for (const auto& [element, atoms] : c.content)
            EXPECT_NEAR(content[element], atoms, 1e-9) << element;
        EXPECT_EQ(drawn, c.drawn);
    }
    // Two cells along a: rutile's Ti at the corners x = 0, 1, 2 and the two body centres.
    const auto rutile = read_cif(example("rutile.cif"));
    SceneOptions twoCells;
    twoCells.range.to[0] = 2;
    std::map<std::string, double> content;
    std::map<std::string, int> drawn;
    count(build_scene(*rutile, twoCells), content, drawn);
    EXPECT_EQ(drawn["Ti"], 3 * 2 * 2 + 2);
}

// Octahedra of O around Ti in rutile (8 triangles), tetrahedra around Si in quartz, cubes of F
// around Ca in fluorite (6 squares).
TEST(StructureScene, CoordinationPolyhedra)
{
    const struct {
        const char* file;
        const char* centre;
        std::size_t vertices, faces, faceSize;
    } cases[] = {{"rutile.cif", "Ti", 6, 8, 3}, {"quartz.cif", "Si", 4, 4, 3}, {"fluorite.cif", "Ca", 8, 6, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        SceneOptions options;
        options.polyhedronElements = {c.centre};
        const StructureScene scene = build_scene(*read_cif(example(c.file)), options);
        ASSERT_FALSE(scene.polyhedra.empty());
        for (const Polyhedron& p : scene.polyhedra) {
            EXPECT_EQ(scene.atoms[static_cast<std::size_t>(p.centre)].element, c.centre);
            EXPECT_EQ(p.vertices.size(), c.vertices);
            ASSERT_EQ(p.faces.size(), c.faces);
            for (const auto& face : p.faces)
                EXPECT_EQ(face.size(), c.faceSize);
        }
    }
}

// U_iso written as U^ij of a hexagonal cell (U11 = U22 = U33 = U, U12 = U/2) is the sphere U·1 in
// ångströms, and stays one under the group's rotations; 50 % probability is k = 1.5382.
TEST(Ellipsoid, HexagonalIsotropicTensorIsASphere)
{
    CellParameters cell;
    cell.a = cell.b = 4.9134, cell.c = 5.4052, cell.alpha = cell.beta = 90, cell.gamma = 120;
    AnisotropicDisplacement tensor{true, {0.01, 0.01, 0.01, 0.005, 0, 0}};
    const double sixFold[3][4] = {{1, -1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}};
    const Mat3 u = cartesian_displacement(CellFrame(cell), tensor, sixFold);
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            EXPECT_NEAR(u[i][j], i == j ? 0.01 : 0.0, 1e-12);
    EXPECT_NEAR(ellipsoid_scale(0.5), 1.5382, 1e-4);
    const PrincipalAxes axes = principal_axes({Vec3{2, 1, 0}, Vec3{1, 2, 0}, Vec3{0, 0, 5}});
    std::vector<double> values(axes.values, axes.values + 3);
    std::sort(values.begin(), values.end());
    EXPECT_NEAR(values[0], 1, 1e-12);
    EXPECT_NEAR(values[1], 3, 1e-12);
    EXPECT_NEAR(values[2], 5, 1e-12);
}

// tests/data/bonds holds gemmi's bonds of the real CIFs (tools/gen_bond_references.py): every pair
// within r1 + r2 + 0.45 Å, one line per neighbour image. The program's list, read with its own CIF
// reader and group, must hold the same pairs at the same distances, none extra; each atom's cell
// positions must number its site multiplicity.
TEST(Bonds, AgreeWithGemmiOnTheRealCifs)
{
    KALIDOS_REQUIRE_REALDATA();
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing::test_data_dir() / "bonds")) {
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        std::ifstream in(entry.path());
        std::string line, word;
        std::getline(in, line);
        double tolerance = 0;
        int sites = 0;
        in >> word >> tolerance >> word >> sites;
        std::vector<std::tuple<int, int, double>> expected;
        for (int from = 0, to = 0; in >> from >> to;) {
            double d = 0;
            in >> d;
            expected.emplace_back(from, to, d);
        }
        const auto model = read_cif(testing::realdata_dir() / "cif" / (name + ".cif"));
        EXPECT_TRUE(model);
        if (!model)
            continue;
        EXPECT_EQ(model->atomCount, sites);
        for (int n = 1; n <= model->atomCount; ++n)
            EXPECT_EQ(static_cast<int>(cell_sites(*model, n).size()),
                      distinct_image_count(*model, model->atomX[n], model->atomY[n], model->atomZ[n]))
                << "atom " << n;
        std::vector<std::tuple<int, int, double>> found;
        for (const Bond& b : asymmetric_unit_bonds(*model, all_pairs_rule(tolerance)))
            found.emplace_back(b.from, b.to, b.distance);
        std::sort(expected.begin(), expected.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found.size(), expected.size());
        if (found.size() != expected.size())
            continue;
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(std::get<0>(found[i]), std::get<0>(expected[i]));
            EXPECT_EQ(std::get<1>(found[i]), std::get<1>(expected[i]));
            EXPECT_NEAR(std::get<2>(found[i]), std::get<2>(expected[i]), 1e-5) << i;
        }
        ++compared;
    }
    EXPECT_EQ(compared, 37);
}

// The neighbours of each atom of the asymmetric unit by atom name: {"O1": 6} for each atom.
std::vector<std::map<std::string, int>> coordination(const StructureModel& model, const BondRule& rule)
{
    std::vector<std::map<std::string, int>> around(static_cast<std::size_t>(model.atomCount));
    for (const Bond& b : asymmetric_unit_bonds(model, rule))
        ++around[static_cast<std::size_t>(b.from - 1)][bond_atom_names(model)[static_cast<std::size_t>(b.to - 1)]];
    return around;
}

// The pairs crystallographers draw: rutile's TiO6 without the Ti–Ti pairs at 2.96 Å (two, along c)
// and 3.57 Å (eight, to the cell's centre), all within the covalent reach of 3.65 Å; silicon's
// Si–Si; +Ti-Ti and -O-Ti change the rule by pairs.
TEST(Bonds, ExpectedPairsLeaveOutTwoMetals)
{
    const auto rutile = read_cif(example("rutile.cif"));
    ASSERT_TRUE(rutile);
    std::vector<std::map<std::string, int>> around = coordination(*rutile, BondRule{});
    ASSERT_EQ(around.size(), 2u);
    EXPECT_EQ(around[0], (std::map<std::string, int>{{"O1", 6}}));
    EXPECT_EQ(around[1], (std::map<std::string, int>{{"Ti1", 3}}));
    BondRule rule;
    EXPECT_EQ(parse_bond_pairs("expected, +ti-TI", rule), "");
    EXPECT_EQ(coordination(*rutile, rule)[0], (std::map<std::string, int>{{"O1", 6}, {"Ti1", 10}}));
    EXPECT_EQ(coordination(*rutile, all_pairs_rule(kDefaultBondTolerance))[0], coordination(*rutile, rule)[0]);
    EXPECT_EQ(parse_bond_pairs("all -O-Ti", rule), "");
    EXPECT_EQ(bond_pairs_text(rule), "all, -Ti-O");
    EXPECT_EQ(coordination(*rutile, rule)[0], (std::map<std::string, int>{{"Ti1", 10}}));
    const std::vector<BondPairSummary> pairs = bond_pair_summary(*rutile, BondRule{});
    ASSERT_EQ(pairs.size(), 2u);  // O–O at 2.53 Å lies beyond 0.66 + 0.66 + 0.45
    EXPECT_EQ(pairs[0].first + pairs[0].second, "TiO");
    EXPECT_TRUE(pairs[0].bonded);
    EXPECT_EQ(pairs[1].first + pairs[1].second, "TiTi");
    EXPECT_NEAR(pairs[1].shortest, rutile->cell.c, 1e-9);  // along c
    EXPECT_FALSE(pairs[1].bonded);
    EXPECT_NE(parse_bond_pairs("Ti-Xx", rule), "");
    EXPECT_EQ(bond_pairs_text(rule), "all, -Ti-O");  // a refused text leaves the rule alone

    const auto silicon = read_cif(example("silicon.cry"));
    ASSERT_TRUE(silicon);
    EXPECT_EQ(coordination(*silicon, BondRule{}), (std::vector<std::map<std::string, int>>{{{"Si1", 4}}}));
}

}  // namespace kalidos
