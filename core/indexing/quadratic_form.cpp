#include "indexing/quadratic_form.hpp"

#include <Eigen/LU>  // for the inverse of the reciprocal metric

#include <map>

namespace kalidos {

int parameter_count(LatticeSystem system)
{
    switch (system) {
    case LatticeSystem::Cubic: return 1;
    case LatticeSystem::Tetragonal:
    case LatticeSystem::Hexagonal: return 2;
    case LatticeSystem::Orthorhombic: return 3;
    case LatticeSystem::Monoclinic: return 4;
    case LatticeSystem::Triclinic: return 6;
    }
    return 0;
}

Coefficients form_coefficients(LatticeSystem system, int h, int k, int l)
{
    switch (system) {
    case LatticeSystem::Cubic: return {h * h + k * k + l * l};
    case LatticeSystem::Tetragonal: return {h * h + k * k, l * l};
    case LatticeSystem::Hexagonal: return {h * h + h * k + k * k, l * l};
    case LatticeSystem::Orthorhombic: return {h * h, k * k, l * l};
    case LatticeSystem::Monoclinic: return {h * h, k * k, l * l, h * l};
    case LatticeSystem::Triclinic: return {h * h, k * k, l * l, k * l, h * l, h * k};
    }
    return {};
}

FormTerms terms_of(LatticeSystem system, const FormParameters& p)
{
    switch (system) {
    case LatticeSystem::Cubic: return {p[0], p[0], p[0], 0, 0, 0};
    case LatticeSystem::Tetragonal: return {p[0], p[0], p[1], 0, 0, 0};
    case LatticeSystem::Hexagonal: return {p[0], p[0], p[1], 0, 0, p[0]};
    case LatticeSystem::Orthorhombic: return {p[0], p[1], p[2], 0, 0, 0};
    case LatticeSystem::Monoclinic: return {p[0], p[1], p[2], 0, p[3], 0};
    case LatticeSystem::Triclinic: return p;
    }
    return {};
}

FormParameters parameters_of(LatticeSystem system, const UnitCell& cell)
{
    const FormTerms t = terms_of_cell(cell);
    switch (system) {
    case LatticeSystem::Cubic: return {t[0]};
    case LatticeSystem::Tetragonal:
    case LatticeSystem::Hexagonal: return {t[0], t[2]};
    case LatticeSystem::Orthorhombic: return {t[0], t[1], t[2]};
    case LatticeSystem::Monoclinic: return {t[0], t[1], t[2], t[4]};
    case LatticeSystem::Triclinic: return t;
    }
    return {};
}

double q_of(const FormTerms& t, int h, int k, int l)
{
    return t[0] * h * h + t[1] * k * k + t[2] * l * l + t[3] * k * l + t[4] * h * l + t[5] * h * k;
}

UnitCell cell_of_terms(const FormTerms& t)
{
    Eigen::Matrix3d gStar;
    gStar << t[0], t[5] / 2, t[4] / 2, t[5] / 2, t[1], t[3] / 2, t[4] / 2, t[3] / 2, t[2];
    if (!(gStar.determinant() > 0 && t[0] > 0 && t[1] > 0 && t[2] > 0))
        return UnitCell{0, 0, 0, 90, 90, 90};
    return cell_of_reciprocal_metric(gStar);
}

FormTerms terms_of_cell(const UnitCell& cell)
{
    const Eigen::Matrix3d g = reciprocal_metric(cell);
    return {g(0, 0), g(1, 1), g(2, 2), 2 * g(1, 2), 2 * g(0, 2), 2 * g(0, 1)};
}

const char* centrings_of(LatticeSystem system)
{
    switch (system) {
    case LatticeSystem::Cubic: return "PIF";
    case LatticeSystem::Tetragonal: return "PI";
    case LatticeSystem::Hexagonal: return "PR";
    case LatticeSystem::Orthorhombic: return "PABCIF";
    case LatticeSystem::Monoclinic: return "PACI";
    case LatticeSystem::Triclinic: return "P";
    }
    return "P";
}

std::string system_name(LatticeSystem system, char centring)
{
    switch (system) {
    case LatticeSystem::Cubic: return "cubic";
    case LatticeSystem::Tetragonal: return "tetragonal";
    case LatticeSystem::Hexagonal: return centring == 'R' ? "rhombohedral" : "hexagonal";
    case LatticeSystem::Orthorhombic: return "orthorhombic";
    case LatticeSystem::Monoclinic: return "monoclinic";
    case LatticeSystem::Triclinic: return "triclinic";
    }
    return {};
}

bool canonical_index(LatticeSystem system, int h, int k, int l)
{
    switch (system) {
    case LatticeSystem::Cubic: return h >= k && k >= l && l >= 0;
    case LatticeSystem::Tetragonal:
    case LatticeSystem::Hexagonal: return h >= k && k >= 0 && l >= 0;
    case LatticeSystem::Orthorhombic: return h >= 0 && k >= 0 && l >= 0;
    case LatticeSystem::Monoclinic: return h >= 0 && k >= 0 && (h > 0 || l >= 0);
    case LatticeSystem::Triclinic: return h > 0 || (h == 0 && (k > 0 || (k == 0 && l > 0)));
    }
    return false;
}

std::vector<IndexClass> index_classes(LatticeSystem system, int maxH, int maxK, int maxL)
{
    std::map<Coefficients, Hkl> classes;
    for (int h = -maxH; h <= maxH; ++h)
        for (int k = -maxK; k <= maxK; ++k)
            for (int l = -maxL; l <= maxL; ++l)
                if ((h || k || l) && canonical_index(system, h, k, l))
                    classes.emplace(form_coefficients(system, h, k, l), Hkl{h, k, l});
    std::vector<IndexClass> list;
    list.reserve(classes.size());
    for (const auto& [f, hkl] : classes)
        list.push_back({f, hkl});
    return list;
}

}  // namespace kalidos
