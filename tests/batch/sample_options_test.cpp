// The sample options of kalidos-batch: --preferred and --isotropic, and po_factor in the JSON.
#include <gtest/gtest.h>

#include <cmath>

#include "batch_options.hpp"
#include "batch_program.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {
namespace {

namespace fs = std::filesystem;

TEST(BatchSampleOptions, PreferredOrientationAndIsotropicSwitch)
{
    using batch::parse_command_line;
    const auto full = parse_command_line({"--preferred", "1", "-1", "2", "0.7", "0.6", "--isotropic", "a.cif"});
    ASSERT_EQ(full.error, "");
    const PreferredOrientation& p = full.options.sample.preferred;
    EXPECT_EQ(std::make_tuple(p.h, p.k, p.l, p.ratio, p.fraction), std::make_tuple(1, -1, 2, 0.7, 0.6));
    EXPECT_TRUE(full.options.sample.isotropic);
    // The fraction is optional: a file name after R is not taken for it.
    const auto shortForm = parse_command_line({"--preferred", "0", "0", "1", "1.3", "a.cif"});
    ASSERT_EQ(shortForm.error, "");
    EXPECT_EQ(shortForm.options.sample.preferred.fraction, 1.0);
    EXPECT_EQ(shortForm.options.structureFile, "a.cif");
    EXPECT_FALSE(parse_command_line({"a.cif"}).options.sample.isotropic);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"a.cif", "--preferred", "0", "0", "0", "0.7"},
          {"a.cif", "--preferred", "0", "0", "1.5", "0.7"},
          {"a.cif", "--preferred", "0", "0", "1", "0"},
          {"a.cif", "--preferred", "0", "0", "1", "0.7", "1.2"},
          {"a.cif", "--preferred", "0", "0", "1"}})
        EXPECT_NE(parse_command_line(wrong).error, "") << wrong[4] << " " << wrong[5];
}

TEST(BatchSampleOptions, JsonIntensityIncludesThePoFactor)
{
    const fs::path dir = make_scratch_dir("batch_sample_options");
    const std::string cif = (test_data_dir() / "batch" / "cubic12.cif").string();
    const ProgramRun plain = run_batch_program({"--json", "-", cif}, dir);
    const ProgramRun textured = run_batch_program({"--preferred", "1", "1", "1", "1.4", "--json", "-", cif}, dir);
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(textured.status, 0) << textured.err;
    const JsonDocument a(plain.out), b(textured.out);
    const sajson::value ra = member(a.root(), "reflections"), rb = member(b.root(), "reflections");
    ASSERT_EQ(ra.get_length(), rb.get_length());
    int changed = 0;
    for (std::size_t i = 0; i < ra.get_length(); ++i) {
        const sajson::value x = ra.get_array_element(i), y = rb.get_array_element(i);
        EXPECT_EQ(number(x, "po_factor"), 1.0);
        if (number(x, "intensity") < 1)
            continue;
        EXPECT_NEAR(number(y, "intensity") / number(x, "intensity"), number(y, "po_factor"), 1e-6);
        changed += std::fabs(number(y, "po_factor") - 1) > 1e-3;
    }
    EXPECT_GT(changed, 3);
}

}  // namespace
}  // namespace kalidos::testing
