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

}  // namespace
}  // namespace kalidos::testing
