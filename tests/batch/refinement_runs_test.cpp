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
    EXPECT_EQ(run.out.find("The refinement covers"), std::string::npos);  // --range 20 130 takes the whole diagram
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

    // Without --range the calculation's range, which leaves out most of the diagram: said.
    const ProgramRun unranged = run_batch_program({"--observed", "measured.xy", "--refine", "scale", "start.cif"}, dir);
    EXPECT_NE(unranged.err.find("The refinement covers the calculation's range, 10–50°, of the diagram's 20–130°: "
                                "--range chooses another"),
              std::string::npos)
        << unranged.err;
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
          {{"--compare", "--cycles", "4"}, 2, "--cycles, --write-cif, --share-b, --occupancy-sum, --le-bail"},
          {{"--refine", "scale", "--le-bail", "1", "--pawley", "1"}, 2, "phase 1 is named by both"},
          {{"--refine", "scale", "--pawley", "2"}, 2, "there is no phase 2"}}) {
        std::vector<std::string> all = {"--range", "20", "70", "--observed", "mixture.xy", "--write-cif", "r.cif"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        all.push_back(example("rutile.cif"));
        const ProgramRun refused = run_batch_program(all, dir);
        EXPECT_EQ(refused.status, status) << arguments[1];
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(dir / "r.cif"));
    }
}

// Calibrate, then measure: the instrument refined on a standard without size broadening, saved, and
// loaded for a sample whose crystallites are 40 nm: the sample's size is refined alone and found.
TEST(BatchRefinement, AnInstrumentCalibratedOnAStandardServesTheNextSample)
{
    const fs::path dir = make_scratch_dir("batch_refine_instrument");
    const std::vector<std::string> instrument = {"--range", "20", "110", "--step", "0.02", "--profile", "tch",
                                                 "--gauss", "0.006", "-0.003", "0.004", "0", "--lorentz", "0.02",
                                                 "0.01", "--zero", "0.03", "--asymmetry", "0.02", "0.015"};
    std::vector<std::string> standard = instrument, sample = instrument;
    standard.push_back(example("nacl.cif"));
    sample.insert(sample.end(), {"--size", "40", example("rutile.cif")});
    write_counts(standard, dir, "standard.xy", 20000, 5);
    write_counts(sample, dir, "sample.xy", 20000, 6);
    const ProgramRun calibrated =
        run_batch_program({"--range", "20", "110", "--observed", "standard.xy", "--profile", "tch", "--refine",
                           "scale,background;zero,cell;profile;asymmetry", "--save-instrument", "lab.instrument",
                           "--json", "-", example("nacl.cif")},
                          dir);
    ASSERT_EQ(calibrated.status, 0) << calibrated.err;
    const std::string file = read_text_file(dir / "lab.instrument");
    EXPECT_EQ(file.rfind("KALIDOS instrument\n# Refined with nacl.cif against standard.xy", 0), 0u) << file;
    EXPECT_EQ(file.find("size"), std::string::npos);

    const ProgramRun measured = run_batch_program({"--range", "20", "110", "--observed", "sample.xy", "--instrument",
                                                   "lab.instrument", "--size", "100", "--refine",
                                                   "scale,background;cell;size", "--json", "-", example("rutile.cif")},
                                                  dir);
    ASSERT_EQ(measured.status, 0) << measured.err;
    const JsonDocument json(measured.out);
    double su = 0;
    const sajson::value refinement = member(json.root(), "refinement");
    EXPECT_NEAR(refined(refinement, "0::size", su), 40, 3 * su + 0.5);
    EXPECT_EQ(measured.out.find("\"name\": \"zero\""), std::string::npos);  // the instrument's, not refined
    EXPECT_NE(measured.out.find("The radiation of lab.instrument is used: λ 1.54056 Å (1)"), std::string::npos);

    const ProgramRun both = run_batch_program({"--instrument", "lab.instrument", "--gauss", "0", "0", "0.01", "0",
                                               example("rutile.cif")},
                                              dir);
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("--gauss cannot go with it"), std::string::npos) << both.err;
}

// A RAW file stating Kα1, Kα2 and their ratio refines without --mixture as with it: the file's lines are
// the radiation, said in a message; --anode chooses another (Kα1 alone, which leaves the Kα2 shoulders
// unexplained and the cell about 0.002 Å short).
TEST(BatchRefinement, TheObservedFilesRadiationUnlessAnotherIsGiven)
{
    KALIDOS_REQUIRE_REALDATA();
    const fs::path dir = make_scratch_dir("batch_refine_radiation");
    const auto refine = [&](std::vector<std::string> radiation) {
        std::vector<std::string> all = {(test_data_dir() / "instrument" / "lab6.cif").string(), "--observed",
                                        (realdata_dir() / "raw" / "v3_gsas2tut_LaB6_Jan2018.raw").string(),
                                        "--range", "10", "70", "--profile", "tch", "--background", "6", "--refine",
                                        "scale,background;zero,cell;profile", "--json", "-"};
        all.insert(all.end(), radiation.begin(), radiation.end());
        return run_batch_program(all, dir);
    };
    const ProgramRun stated = refine({}), given = refine({"--mixture", "1.5406:1,1.54439:0.5"}),
                     anode = refine({"--anode", "CuKa1"});
    ASSERT_EQ(stated.status, 0) << stated.err;
    ASSERT_EQ(given.status, 0) << given.err;
    ASSERT_EQ(anode.status, 0) << anode.err;
    const JsonDocument a(stated.out), b(given.out), c(anode.out);
    const sajson::value ra = member(a.root(), "refinement"), rb = member(b.root(), "refinement");
    EXPECT_EQ(number(ra, "rwp"), number(rb, "rwp"));
    EXPECT_EQ(number(ra, "chi2"), number(rb, "chi2"));
    double su = 0;
    EXPECT_EQ(refined(ra, "0::a", su), refined(rb, "0::a", su));
    EXPECT_NEAR(refined(ra, "0::a", su), 4.1569, 0.002);  // the standard's cell
    const sajson::value lines = member(a.root(), "wavelengths");
    ASSERT_EQ(lines.get_length(), 2u);
    EXPECT_DOUBLE_EQ(number(lines.get_array_element(1), "lambda"), 1.54439);
    EXPECT_DOUBLE_EQ(number(lines.get_array_element(1), "weight"), 0.5 / 1.5);
    EXPECT_NE(stated.out.find("The radiation of v3_gsas2tut_LaB6_Jan2018.raw is used: Kα1 1.5406 Å, Kα2 1.54439 Å"),
              std::string::npos);
    EXPECT_EQ(given.out.find("The radiation of"), std::string::npos);
    EXPECT_EQ(member(c.root(), "wavelengths").get_length(), 1u);
    EXPECT_GT(number(member(c.root(), "refinement"), "rwp"), 1.3 * number(ra, "rwp"));
}

// Rutile by its structure beside rock salt by Le Bail, in a noise-free mixture: the fractions are not
// defined; the extracted |F|² of the salt's reflections that overlap no other are its atoms' on one
// scale; the HKLF 4 file holds them in fixed columns, the largest at 9999.99, ended by 0 0 0.
TEST(BatchRefinement, LeBailPhaseBesideARietveldOneAndItsIntensitiesOut)
{
    const fs::path dir = make_scratch_dir("batch_refine_le_bail");
    write_counts({"--range", "20", "100", "--step", "0.02", "--fractions", "3,7", example("rutile.cif"),
                  example("nacl.cif")},
                 dir, "mixture.xy", 10000, 0);
    const ProgramRun run = run_batch_program({"--range", "20", "100", "--observed", "mixture.xy", "--refine",
                                              "scale,background;zero,cell", "--le-bail", "2", "--write-intensities",
                                              "m.hkl", "--json", "-", example("rutile.cif"), example("nacl.cif")},
                                             dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value refinement = member(json.root(), "refinement");
    EXPECT_NE(run.out.find("the sample's weight fractions are not defined"), std::string::npos);
    EXPECT_LT(number(refinement, "rwp"), 0.02);
    const sajson::value salt = member(refinement, "phases").get_array_element(1);
    EXPECT_EQ(text(salt, "method"), "Le Bail");
    for (std::size_t p = 0; p < 2; ++p)
        EXPECT_EQ(member(member(refinement, "phases").get_array_element(p), "fraction").get_type(), sajson::TYPE_NULL);
    const sajson::value reflections = member(salt, "reflections");
    double ratio = 0;
    int isolated = 0;
    for (std::size_t i = 0; i < reflections.get_length(); ++i) {
        const sajson::value r = reflections.get_array_element(i);
        if (text(r, "overlap") != "none" || number(r, "f2_calculated") < 1)
            continue;
        const double here = number(r, "f2") / number(r, "f2_calculated");
        if (isolated++ == 0)
            ratio = here;
        EXPECT_NEAR(here, ratio, 0.01 * ratio) << number(r, "h") << number(r, "k") << number(r, "l");
    }
    EXPECT_GE(isolated, 5);
    std::ifstream hklf(dir / "m_2.hkl");
    std::string line, last;
    double largest = 0;
    int lines = 0;
    while (std::getline(hklf, line)) {
        ASSERT_EQ(line.size(), 28u) << line;
        largest = std::max(largest, std::stod(line.substr(12, 8)));
        last = line, ++lines;
    }
    EXPECT_EQ(last, "   0   0   0    0.00    0.00");
    EXPECT_EQ(lines, static_cast<int>(reflections.get_length()) + 1);
    EXPECT_DOUBLE_EQ(largest, 9999.99);
    EXPECT_TRUE(fs::exists(dir / "m_1.hkl"));  // the structure phase's, asked for by --write-intensities

    // The salt known by its cell and group alone is the same Le Bail phase.
    const ProgramRun cell = run_batch_program({"--range", "20", "100", "--observed", "mixture.xy", "--refine",
                                               "scale,background;zero,cell", "--cell-phase",
                                               "5.62 5.62 5.62 90 90 90 F m -3 m", "--json", "-", example("rutile.cif")},
                                              dir);
    ASSERT_EQ(cell.status, 0) << cell.err;
    const JsonDocument cellJson(cell.out);
    const sajson::value cellFit = member(cellJson.root(), "refinement");
    EXPECT_NEAR(number(cellFit, "rwp"), number(refinement, "rwp"), 1e-6);
    const sajson::value cellSalt = member(cellFit, "phases").get_array_element(1);
    EXPECT_EQ(text(cellSalt, "method"), "Le Bail");
    EXPECT_NEAR(number(member(cellSalt, "cell"), "a"), number(member(salt, "cell"), "a"), 1e-6);
}

// A cell alone against the diagram of the structure it was found in: the cell file's a, with the
// radiation and range of the command line; a group the program does not know is refused.
TEST(BatchRefinement, CellPhaseAloneFitsTheCellItWasFoundIn)
{
    const fs::path dir = make_scratch_dir("batch_refine_cell_phase");
    write_counts({"--range", "20", "100", "--step", "0.02", example("nacl.cif")}, dir, "salt.xy", 10000, 0);
    std::vector<std::string> arguments{"--range", "20", "100", "--observed", "salt.xy", "--refine",
                                       "scale,background;zero,cell", "--json", "-", "--cell-phase",
                                       "5.62 5.62 5.62 90 90 90 F m -3 m"};
    const ProgramRun run = run_batch_program(arguments, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value refinement = member(json.root(), "refinement");
    EXPECT_LT(number(refinement, "rwp"), 0.01);
    const sajson::value phase = member(refinement, "phases").get_array_element(0);
    EXPECT_NEAR(number(member(phase, "cell"), "a"), 5.6402, 2e-4);  // examples/nacl.cif
    EXPECT_EQ(member(phase, "fraction").get_type(), sajson::TYPE_NULL);
    arguments.back() = "5.62 5.62 5.62 90 90 90 F q 9";
    const ProgramRun refused = run_batch_program(arguments, dir);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("F q 9: unknown space group"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace kalidos::testing
