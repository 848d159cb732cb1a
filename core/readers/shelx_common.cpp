#include "readers/shelx_common.hpp"

#include "computation/cell_metric.hpp"
#include "readers/reader_text.hpp"
#include "readers/separate_label_digit.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace kalidos
{

void set_shelx_atom_name(StructureModel& model, int n, const std::string& name)
{
    std::string text = trim(name);
    model.atomSiteLabel[n] = text;
    separate_label_digit(text);
    text = to_upper(text);
    model.atomSymbol[n] = trim(slice(text, 0, 2));
    model.atomLabel[n] = trim(slice(text, 2, 2));
}

double b_from_anisotropic_u(const CellParameters& cell, const double u[6])
{
    constexpr double kDegree = kDegreesToRadians;
    const double ca = std::cos(cell.alpha * kDegree), cb = std::cos(cell.beta * kDegree);
    const double cg = std::cos(cell.gamma * kDegree);
    const double sa = std::sin(cell.alpha * kDegree), sb = std::sin(cell.beta * kDegree);
    const double sg = std::sin(cell.gamma * kDegree);
    const double volume = cell_volume(cell, kDegree);
    const double as = cell.b * cell.c * sa / volume, bs = cell.a * cell.c * sb / volume;
    const double cs = cell.a * cell.b * sg / volume;
    // Ueq = 1/3 Σij Uij a*i a*j (ai·aj): each cross term counts twice, with the direct angle only.
    const double diagonal = u[0] * cell.a * cell.a * as * as + u[1] * cell.b * cell.b * bs * bs +
                            u[2] * cell.c * cell.c * cs * cs;
    const double cross = u[5] * cell.a * cell.b * cg * as * bs + u[4] * cell.a * cell.c * cb * as * cs +
                         u[3] * cell.b * cell.c * ca * bs * cs;
    return kShelxEightPiSquared * (diagonal + 2 * cross) / 3.0;
}

AnisotropicDisplacement shelx_tensor(const double u[6])
{
    AnisotropicDisplacement tensor;
    tensor.present = true;
    const double ordered[6] = {u[0], u[1], u[2], u[5], u[4], u[3]};
    std::copy(ordered, ordered + 6, tensor.u);
    return tensor;
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
    // Compared as reals first: a huge written value has no integer index.
    if (m > static_cast<double>(freeVariables.size()))
        return false;
    const double fv = freeVariables[static_cast<std::size_t>(m) - 1];
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

} // namespace kalidos
