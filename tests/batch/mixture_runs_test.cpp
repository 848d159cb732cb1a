// kalidos-batch --fractions and --fit-fractions: one sample made of the structure files.
#include <gtest/gtest.h>

#include <fstream>

#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

std::string example(const char* name) { return (program_data_dir().parent_path() / "examples" / name).string(); }

TEST(BatchMixture, FractionsMakeOneDiagramThatFitsBackToThem)
{
    const fs::path dir = make_scratch_dir("batch_mixture");
    const ProgramRun made = run_batch_program({"--range", "20", "70", "--step", "0.02", "--fractions", "3,7", "--json",
                                               "-", example("rutile.cif"), example("nacl.cif")},
                                              dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const JsonDocument json(made.out);
    const sajson::value phases = member(json.root(), "phases");
    ASSERT_EQ(phases.get_length(), 2u);
    EXPECT_DOUBLE_EQ(number(phases.get_array_element(0), "fraction"), 0.3);
    EXPECT_EQ(text(phases.get_array_element(1), "formula"), "Na Cl");
    const sajson::value reflections = member(json.root(), "reflections");
    EXPECT_EQ(number(reflections.get_array_element(0), "phase"), 1);
    EXPECT_EQ(number(reflections.get_array_element(reflections.get_length() - 1), "phase"), 2);
    const sajson::value pattern = member(json.root(), "pattern");
    const std::vector<double> angles = numbers(member(pattern, "two_theta"));
    const std::vector<double> total = numbers(member(pattern, "intensity"));
    const std::vector<double> first = numbers(member(pattern, "phases").get_array_element(0));
    const std::vector<double> second = numbers(member(pattern, "phases").get_array_element(1));
    ASSERT_EQ(total.size(), 2501u);
    for (std::size_t i = 0; i < total.size(); ++i)
        ASSERT_NEAR(first[i] + second[i], total[i], 1e-9);
    EXPECT_NE(read_text_file(dir / "fstr.out").find("Phase 2: nacl.cif"), std::string::npos);

    // The diagram as counts on a flat background, fitted from equal starting fractions.
    std::ofstream observed(dir / "mixture.xy");
    for (std::size_t i = 0; i < angles.size(); ++i)
        observed << angles[i] << ' ' << 50 + 100 * total[i] << '\n';
    observed.close();
    const ProgramRun fitted = run_batch_program({"--range", "20", "70", "--fit-fractions", "--observed", "mixture.xy",
                                                 "--json", "-", example("rutile.cif"), example("nacl.cif")},
                                                dir);
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    const JsonDocument fit(fitted.out);
    const sajson::value fittedPhases = member(fit.root(), "phases");
    EXPECT_NEAR(number(fittedPhases.get_array_element(0), "fraction"), 0.3, 1e-4);
    EXPECT_NEAR(number(fittedPhases.get_array_element(1), "fraction"), 0.7, 1e-4);
    EXPECT_GT(number(fittedPhases.get_array_element(0), "fraction_su"), 0);
    EXPECT_LT(number(member(fit.root(), "fit"), "rwp"), 1e-3);

    const ProgramRun unequal = run_batch_program({"--fractions", "1,2,3", example("rutile.cif"), example("nacl.cif")}, dir);
    EXPECT_EQ(unequal.status, 2);
    EXPECT_NE(unequal.err.find("give one value per structure file (2)"), std::string::npos);
}

// --brindley and --standard beside the fractions: each phase's absorption, τ and corrected fraction,
// the fractions of the whole sample and the amorphous rest; without them the document is as before.
TEST(BatchMixture, MicroabsorptionAndAnInternalStandard)
{
    const fs::path dir = make_scratch_dir("batch_mixture_brindley");
    const std::vector<std::string> files = {example("fluorite.cif"), example("zincite.cif"), example("rutile.cif")};
    std::vector<std::string> arguments = {"--range", "20", "70", "--fractions", "3,5,2", "--json", "-"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const ProgramRun plain = run_batch_program(arguments, dir);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.find("quantities"), std::string::npos);
    EXPECT_EQ(plain.out.find("tau"), std::string::npos);
    arguments.insert(arguments.begin(), {"--brindley", "10", "--standard", "1:20"});
    const ProgramRun run = run_batch_program(arguments, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    const sajson::value phases = member(json.root(), "phases"), quantities = member(json.root(), "quantities");
    double sum = 0, mean = 0, volume = 0;
    for (std::size_t p = 0; p < 3; ++p) {
        const sajson::value phase = phases.get_array_element(p);
        sum += number(phase, "fraction_brindley");
        volume += number(phase, "fraction_brindley") / number(phase, "density");
        mean += number(phase, "fraction_brindley") / number(phase, "density") * number(phase, "absorption");
    }
    EXPECT_NEAR(sum, 1, 1e-12);
    EXPECT_NEAR(number(quantities, "mean_absorption"), mean / volume, 1e-9 * mean / volume);
    // Rutile (μ about 530 cm⁻¹ with Cu Kα1) absorbs most: τ below 1, its fraction raised.
    const sajson::value rutile = phases.get_array_element(2);
    EXPECT_NEAR(number(rutile, "absorption"), 530, 20);
    EXPECT_LT(number(rutile, "tau"), 1);
    EXPECT_GT(number(rutile, "fraction_brindley"), 0.2);
    // Fluorite, weighed in at 20 %, is found at fraction_brindley of the crystalline phases.
    const double found = number(phases.get_array_element(0), "fraction_brindley");
    EXPECT_NEAR(number(quantities, "amorphous"), 1 - 0.2 / found, 1e-12);
    EXPECT_NEAR(number(rutile, "fraction_of_sample"), number(rutile, "fraction_brindley") * 0.2 / found, 1e-12);
    EXPECT_NE(read_text_file(dir / "fstr.out").find("Weight fractions beside the phases' absorption"), std::string::npos);

    const ProgramRun alone = run_batch_program({"--brindley", "5", example("rutile.cif")}, dir);
    EXPECT_EQ(alone.status, 2);
    EXPECT_NE(alone.err.find("--brindley and --standard need several structure files"), std::string::npos);
}

}  // namespace
}  // namespace kalidos::testing
