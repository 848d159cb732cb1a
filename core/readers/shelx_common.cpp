#include "readers/shelx_common.hpp"

#include <array>
#include <cmath>
#include <string_view>

#include "readers/reader_text.hpp"
#include "readers/separate_label_digit.hpp"

namespace kalidos {

void set_shelx_atom_name(StructureModel& model, int n, const std::string& name)
{
    std::string text = trim(name);
    separate_label_digit(text);
    text = to_upper(text);
    model.atomSymbol[n] = trim(slice(text, 0, 2));
    model.atomLabel[n] = trim(slice(text, 2, 2));
}

double b_from_anisotropic_u(const CellParameters& cell, const double u[6])
{
    constexpr double kDegree = 0.017453316741046884;  // the program's degrees-to-radians factor
    const double ca = std::cos(cell.alpha * kDegree), cb = std::cos(cell.beta * kDegree);
    const double cg = std::cos(cell.gamma * kDegree);
    const double sa = std::sin(cell.alpha * kDegree), sb = std::sin(cell.beta * kDegree);
    const double sg = std::sin(cell.gamma * kDegree);
    const double volume = cell.a * cell.b * cell.c * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
    const double as = cell.b * cell.c * sa / volume, bs = cell.a * cell.c * sb / volume;
    const double cs = cell.a * cell.b * sg / volume;
    const double cosAlphaStar = (cb * cg - ca) / (sb * sg);
    const double cosBetaStar = (ca * cg - cb) / (sa * sg);
    const double cosGammaStar = (ca * cb - cg) / (sa * sb);
    // u = (U11, U22, U33, U12, U13, U23) against the direct and reciprocal terms in the same order.
    const std::array<double, 6> uu = {u[0], u[1], u[2], u[5], u[4], u[3]};
    const std::array<double, 6> g = {cell.a * cell.a, cell.b * cell.b, cell.c * cell.c,
                                     cell.a * cell.b * cg, cell.c * cell.a * cb, cell.b * cell.c * ca};
    const std::array<double, 6> h = {as * as, bs * bs, cs * cs, as * bs * cosGammaStar, as * cs * cosBetaStar,
                                     bs * cs * cosAlphaStar};
    double sum = 0;
    for (std::size_t k = 0; k < 6; ++k)
        sum += uu[k] * g[k] * h[k];
    return kShelxEightPiSquared * sum / 3.0;
}

bool resolve_free_variable(double written, const std::vector<double>& freeVariables, double& value)
{
    const double magnitude = std::fabs(written);
    const double m = std::nearbyint(magnitude / 10.0);
    const double p = magnitude - 10.0 * m;
    if (magnitude < 5.0 || m < 1.0) {
        value = written;
        return true;
    }
    if (m == 1.0) {
        value = written > 0 ? p : -p;
        return true;
    }
    const auto index = static_cast<std::size_t>(m);
    if (index > freeVariables.size())
        return false;
    const double fv = freeVariables[index - 1];
    value = written > 0 ? p * fv : p * (1.0 - fv);
    return true;
}

bool is_shelx_instruction(const std::string& keyword)
{
    static constexpr std::array<std::string_view, 84> kInstructions = {
        "ABIN", "ACTA", "AFIX", "ANIS", "ANSC", "ANSR", "BASF", "BEDE", "BIND", "BLOC", "BOND", "BUMP",
        "CELL", "CGLS", "CHIV", "CONF", "CONN", "DAMP", "DANG", "DEFS", "DELU", "DFIX", "DISP", "EADP",
        "EGEN", "EQIV", "EXTI", "EXYZ", "FEND", "FLAT", "FMAP", "FRAG", "FREE", "FVAR", "GRID", "HFIX",
        "HOPE", "HTAB", "ISOR", "LATT", "LAUE", "LIST", "L.S.", "LONE", "MERG", "MOLE", "MORE", "MOVE",
        "MPLA", "NCSY", "NEUT", "OMIT", "PART", "PLAN", "PRIG", "REM",  "RESI", "RIGU", "RTAB", "SADI",
        "SAME", "SFAC", "SHEL", "SIMU", "SIZE", "SPEC", "STIR", "SUMP", "SWAT", "SYMM", "TEMP", "TIME",
        "TITL", "TWIN", "TWST", "UNIT", "UNDO", "WGHT", "WIGL", "WPDB", "XNPD", "ZERR", "ESEL", "FLAP"};
    const std::string key = trim(to_upper(slice(keyword, 0, 4)));
    for (std::string_view instruction : kInstructions)
        if (key == instruction)
            return true;
    return false;
}

}  // namespace kalidos
