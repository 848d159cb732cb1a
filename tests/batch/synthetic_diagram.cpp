#include "synthetic_diagram.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "batch_program.hpp"

namespace kalidos::testing {

namespace fs = std::filesystem;

void write_rutile(const fs::path& path, double a, double c, double x, double b)
{
    std::ofstream out(path);
    out.precision(10);
    out << "data_rutile\n_cell_length_a " << a << "\n_cell_length_b " << a << "\n_cell_length_c " << c
        << "\n_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
           "_space_group_name_H-M_alt 'P 42/m n m'\n"
           "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
           "_atom_site_fract_z\n_atom_site_B_iso_or_equiv\nTi1 Ti 0 0 0 0.4\nO1 O "
        << x << ' ' << x << " 0 " << b << '\n';
}

void calculated_pattern(const std::vector<std::string>& arguments, const fs::path& dir, std::vector<double>& twoTheta,
                        std::vector<double>& intensity)
{
    std::vector<std::string> all = arguments;
    all.insert(all.end(), {"--json", "-"});
    const ProgramRun made = run_batch_program(all, dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const JsonDocument json(made.out);
    twoTheta = numbers(member(member(json.root(), "pattern"), "two_theta"));
    intensity = numbers(member(member(json.root(), "pattern"), "intensity"));
}

std::vector<double> counts_of(const std::vector<double>& intensity, double background, double peak, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<double> counts;
    for (const double y : intensity) {
        const double expected = background + peak * y / 100;
        counts.push_back(seed ? std::poisson_distribution<int>(expected)(random) : expected);
    }
    return counts;
}

void write_counts(const std::vector<std::string>& arguments, const fs::path& dir, const fs::path& file, double peak,
                  unsigned seed)
{
    std::vector<double> angles, intensity;
    calculated_pattern(arguments, dir, angles, intensity);
    const std::vector<double> counts = counts_of(intensity, 30, peak, seed);
    std::ofstream out(dir / file);
    out.precision(10);
    for (std::size_t i = 0; i < angles.size(); ++i)
        out << angles[i] << ' ' << counts[i] << '\n';
}

}  // namespace kalidos::testing
