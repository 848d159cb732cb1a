// kalidos-batch --refine: a diagram made from known values refined back from perturbed ones, the
// refined CIF and listing, a mixture's fractions, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "batch_program.hpp"
#include "synthetic_diagram.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

std::string example(const char* name) { return (program_data_dir().parent_path() / "examples" / name).string(); }

double refined(const sajson::value& refinement, const std::string& name, double& su)
{
    const sajson::value parameters = member(refinement, "parameters");
    for (std::size_t i = 0; i < parameters.get_length(); ++i)
        if (text(parameters.get_array_element(i), "name") == name) {
            su = number(parameters.get_array_element(i), "su");
            return number(parameters.get_array_element(i), "value");
        }
    ADD_FAILURE() << name << " not refined";
    return 0;
}

TEST(BatchRefinement, PerturbedRutileRefinesBackToTheValuesOfItsDiagram)
{
    const fs::path dir = make_scratch_dir("batch_refine");
    write_rutile(dir / "true.cif", 4.5937, 2.9587, 0.3048, 0.6);
    write_rutile(dir / "start.cif", 4.5937 * 1.003, 2.9587 * 0.997, 0.2900, 0.9);
    const std::vector<std::string> range = {"--range", "20", "130", "--profile", "tch"};
    std::vector<std::string> made = range;
    made.insert(made.end(), {"--step", "0.02", "--zero", "0.03", (dir / "true.cif").string()});
    write_counts(made, dir, "measured.xy", 20000, 7);
    std::vector<std::string> arguments = range;
    arguments.insert(arguments.end(), {"--gauss", "0.0052", "0", "0.026", "0", "--observed", "measured.xy",
                                       "--refine", "scale,background;zero,cell,profile;xyz,biso", "--write-cif",
                                       "refined.cif", "--json", "-", "start.cif"});
    const ProgramRun run = run_batch_program(arguments, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value refinement = member(json.root(), "refinement");
    EXPECT_EQ(member(refinement, "stages").get_length(), 3u);
    EXPECT_LT(number(refinement, "chi2"), 1.5);  // Poisson noise alone: about 1
    EXPECT_NEAR(number(member(json.root(), "agreement").get_array_element(0), "rwp"), number(refinement, "rwp"), 1e-12);
    for (const auto& [name, truth] : {std::pair{"0::a", 4.5937}, {"0::c", 2.9587}, {"zero", 0.03}, {"0::x:O1", 0.3048},
                                      {"0::B:O1", 0.6}}) {
        double su = 0;
        const double value = refined(refinement, name, su);
        EXPECT_GT(su, 0) << name;
        EXPECT_NEAR(value, truth, 3 * su) << name;
    }
    const sajson::value cell = member(member(refinement, "phases").get_array_element(0), "cell");
    EXPECT_EQ(number(cell, "b"), number(cell, "a"));  // tetragonal: b is a
    const std::string cif = read_text_file(dir / "refined.cif");
    EXPECT_NE(cif.find("_pd_proc_ls_prof_wR_factor"), std::string::npos);
    const std::string listing = read_text_file(dir / "fstr.out");
    EXPECT_NE(listing.find("Stage 3: xyz, biso"), std::string::npos);
    EXPECT_NE(listing.find("Cycle   1"), std::string::npos);

    // The refined CIF is a structure file like any other: its diagram is the refined one.
    const ProgramRun again = run_batch_program({"--range", "20", "130", "--json", "-", "refined.cif"}, dir);
    ASSERT_EQ(again.status, 0) << again.err;
    const JsonDocument reread(again.out);
    EXPECT_NEAR(number(member(reread.root(), "cell"), "a"), number(cell, "a"), 1e-4);
}

TEST(BatchRefinement, MixtureFractionsFromTheRefinedScalesAndRefusals)
{
    const fs::path dir = make_scratch_dir("batch_refine_mixture");
    write_counts({"--range", "20", "70", "--step", "0.02", "--fractions", "3,7", example("rutile.cif"),
                  example("nacl.cif")},
                 dir, "mixture.xy", 10000, 0);
    const ProgramRun run = run_batch_program({"--range", "20", "70", "--observed", "mixture.xy", "--refine",
                                              "scale,background", "--write-cif", "m.cif", "--json", "-",
                                              example("rutile.cif"), example("nacl.cif")},
                                             dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value phases = member(json.root(), "phases");
    EXPECT_NEAR(number(phases.get_array_element(0), "fraction"), 0.3, 1e-4);
    EXPECT_NEAR(number(phases.get_array_element(1), "fraction"), 0.7, 1e-4);
    EXPECT_GT(number(phases.get_array_element(0), "fraction_su"), 0);
    EXPECT_TRUE(fs::exists(dir / "m_1.cif") && fs::exists(dir / "m_2.cif"));
    EXPECT_NE(read_text_file(dir / "m_2.cif").find("data_nacl"), std::string::npos);

    // Refused: a group named twice, a group the structure cannot have, options without --refine.
    for (const auto& [arguments, status, message] :
         {std::tuple{std::vector<std::string>{"--refine", "scale;scale"}, 1, "named twice"},
          {{"--refine", "scale,adp"}, 1, "adp: no atom has an anisotropic displacement tensor"},
          {{"--refine", "scale;;cell"}, 2, "an empty stage"},
          {{"--compare", "--cycles", "4"}, 2, "--cycles, --write-cif, --share-b and --occupancy-sum need --refine"}}) {
        std::vector<std::string> all = {"--range", "20", "70", "--observed", "mixture.xy", "--write-cif", "r.cif"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        all.push_back(example("rutile.cif"));
        const ProgramRun refused = run_batch_program(all, dir);
        EXPECT_EQ(refused.status, status) << arguments[1];
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(dir / "r.cif"));
    }
}

}  // namespace
}  // namespace kalidos::testing
