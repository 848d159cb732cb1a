// The sample options of kalidos-batch: --preferred and --isotropic, and po_factor in the JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

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

// One monoclinic structure written with U_ij, B_ij and β_ij (and as ShelX with six U values):
// the same diagram; with --isotropic the diagram of the file without its aniso loop.
std::string aniso_cif(const std::string& loop)
{
    return "data_forms\n_cell_length_a 6.1\n_cell_length_b 7.3\n_cell_length_c 8.2\n_cell_angle_alpha 90\n"
           "_cell_angle_beta 113\n_cell_angle_gamma 90\n_symmetry_space_group_name_H-M 'P 1 21/c 1'\n"
           "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
           "_atom_site_fract_z\n_atom_site_U_iso_or_equiv\nFe1 Fe 0.13 0.27 0.41 0.012\nO1 O 0.61 0.08 0.22 0.02\n"
           "O2 O 0.33 0.71 0.05 0.015\n" + loop;
}

std::string aniso_loop(const std::string& form, const double (&fe)[6], const double (&o)[6])
{
    std::ostringstream text;
    text.precision(12);
    text << "loop_\n_atom_site_aniso_label\n";
    for (const char* ij : {"11", "22", "33", "12", "13", "23"})
        text << "_atom_site_aniso_" << form << "_" << ij << "\n";
    text << "Fe1";
    for (double v : fe)
        text << " " << v;
    text << "\nO1";
    for (double v : o)
        text << " " << v;
    text << "\n";
    return text.str();
}

std::vector<double> intensities_of(const ProgramRun& run)
{
    EXPECT_EQ(run.status, 0) << run.err;
    const JsonDocument json(run.out);
    std::vector<double> out;
    const sajson::value list = member(json.root(), "reflections");
    for (std::size_t i = 0; i < list.get_length(); ++i)
        out.push_back(number(list.get_array_element(i), "intensity"));
    return out;
}

TEST(BatchSampleOptions, TensorFormsGiveOneDiagramAndTheSwitchGivesIsotropicB)
{
    const fs::path dir = make_scratch_dir("batch_tensor_forms");
    const double pi = 3.14159265358979323846;
    const double fe[6] = {0.011, 0.016, 0.009, 0.002, 0.004, -0.003}, o[6] = {0.03, 0.012, 0.02, -0.006, 0.011, 0.001};
    // β_ij = 2π² a*_i a*_j U_ij, B_ij = 8π² U_ij; a* = 1/(a sin β), b* = 1/b, c* = 1/(c sin β) here.
    const double sinBeta = std::sin(113 * pi / 180);
    const double star[3] = {1 / (6.1 * sinBeta), 1 / 7.3, 1 / (8.2 * sinBeta)};
    const int p[6] = {0, 1, 2, 0, 0, 1}, q[6] = {0, 1, 2, 1, 2, 2};
    double feB[6], oB[6], feBeta[6], oBeta[6];
    for (int i = 0; i < 6; ++i) {
        feB[i] = 8 * pi * pi * fe[i], oB[i] = 8 * pi * pi * o[i];
        feBeta[i] = 2 * pi * pi * star[p[i]] * star[q[i]] * fe[i];
        oBeta[i] = 2 * pi * pi * star[p[i]] * star[q[i]] * o[i];
    }
    const auto run = [&](const std::string& name, const std::string& text, std::vector<std::string> options) {
        std::ofstream(dir / name) << text;
        options.insert(options.end(), {"--range", "10", "100", "--json", "-", (dir / name).string()});
        return intensities_of(run_batch_program(options, dir));
    };
    const std::vector<double> u = run("u.cif", aniso_cif(aniso_loop("U", fe, o)), {});
    const std::vector<double> b = run("b.cif", aniso_cif(aniso_loop("B", feB, oB)), {});
    const std::vector<double> beta = run("beta.cif", aniso_cif(aniso_loop("beta", feBeta, oBeta)), {});
    const std::vector<double> isotropic = run("u.cif", aniso_cif(aniso_loop("U", fe, o)), {"--isotropic"});
    const std::vector<double> none = run("none.cif", aniso_cif(""), {});
    ASSERT_GT(u.size(), 50u);
    ASSERT_EQ(b.size(), u.size());
    ASSERT_EQ(beta.size(), u.size());
    int differing = 0;
    for (std::size_t i = 0; i < u.size(); ++i) {
        EXPECT_NEAR(b[i], u[i], 1e-9 * u[i] + 1e-9) << i;
        EXPECT_NEAR(beta[i], u[i], 1e-9 * u[i] + 1e-9) << i;
        differing += std::fabs(u[i] - none[i]) > 1e-3 * none[i];
    }
    EXPECT_EQ(isotropic, none);
    EXPECT_GT(differing, 20);  // the tensors do change the diagram
}

}  // namespace
}  // namespace kalidos::testing
