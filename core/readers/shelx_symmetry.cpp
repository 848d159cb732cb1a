#include "readers/shelx_symmetry.hpp"

#include "computation/site_symmetry.hpp"
#include "readers/reader_text.hpp"

#include <array>
#include <cctype>
#include <cmath>

namespace kalidos
{

namespace
{

// One coordinate such as "-X+1/2", ".3333333+Z" or "X-Y": a sum of signed terms, each a
// coordinate letter or a number (decimal or fraction).
bool parse_symm_component(std::string text, double row[4])
{
    text = to_upper(remove_chars(text, " \t'"));
    row[0] = row[1] = row[2] = row[3] = 0;
    std::size_t i = 0;
    bool any = false;
    while (i < text.size()) {
        double sign = 1;
        while (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-')
                sign = -sign;
            ++i;
        }
        if (i >= text.size())
            return false;
        if (text[i] >= 'X' && text[i] <= 'Z') {
            row[text[i] - 'X'] += sign;
            ++i;
        } else {
            std::size_t end = i;
            while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                                         text[end] == '.' || text[end] == '/'))
                ++end;
            double value = 0;
            if (end == i || !parse_cif_number(text.substr(i, end - i), value))
                return false;
            row[3] += sign * value;
            i = end;
        }
        any = true;
    }
    return any;
}

SymmetryOperator inverted(const SymmetryOperator& op)
{
    SymmetryOperator out = op;
    for (auto& row : out.m)
        for (double& v : row)
            v = -v;
    return out;
}

std::vector<std::array<double, 3>> centring_vectors(int latt)
{
    switch (std::abs(latt)) {
    case 2:
        return {{0.5, 0.5, 0.5}};
    case 3:
        return {{2.0 / 3, 1.0 / 3, 1.0 / 3}, {1.0 / 3, 2.0 / 3, 2.0 / 3}};
    case 4:
        return {{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
    case 5:
        return {{0, 0.5, 0.5}};
    case 6:
        return {{0.5, 0, 0.5}};
    case 7:
        return {{0.5, 0.5, 0}};
    default:
        return {};
    }
}

} // namespace

std::optional<SymmetryOperator> parse_shelx_symm(const std::string& text)
{
    SymmetryOperator op;
    std::size_t start = 0;
    for (int r = 0; r < 3; ++r) {
        const std::size_t comma = r < 2 ? text.find(',', start) : std::string::npos;
        if (r < 2 && comma == std::string::npos)
            return std::nullopt;
        if (!parse_symm_component(
                text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), op.m[r]))
            return std::nullopt;
        start = comma + 1;
    }
    return op;
}

std::vector<SymmetryOperator> expand_shelx_symmetry(const ShelxSymmetry& symmetry)
{
    SymmetryOperator identity;
    for (int r = 0; r < 3; ++r)
        identity.m[r][r] = 1;
    std::vector<SymmetryOperator> ops{identity};
    ops.insert(ops.end(), symmetry.symm.begin(), symmetry.symm.end());
    if (symmetry.latt > 0) {
        const std::size_t n = ops.size();
        for (std::size_t i = 0; i < n; ++i)
            ops.push_back(inverted(ops[i]));
    }
    const std::size_t n = ops.size();
    for (const auto& vector : centring_vectors(symmetry.latt)) {
        for (std::size_t i = 0; i < n; ++i) {
            SymmetryOperator copy = ops[i];
            for (int r = 0; r < 3; ++r)
                copy.m[r][3] += vector[static_cast<std::size_t>(r)];
            ops.push_back(copy);
        }
    }
    return ops;
}

double shelx_site_factor(const std::vector<SymmetryOperator>& operators, double x, double y, double z)
{
    constexpr double kSamePosition = 2e-3; // fractional; files round special positions to 4-6 decimals
    if (operators.empty())
        return 1.0;
    return static_cast<double>(operators.size()) / site_multiplicity(operators, x, y, z, kSamePosition);
}

} // namespace kalidos
