#include "computation/structure_factor.hpp"

#include <cmath>

#include "computation/displacement_tensor.hpp"
#include "computation/scattering.hpp"

namespace kalidos {
namespace {

double phase(const SymmetryOperator& op, double x, double y, double z, int h, int k, int l)
{
    const auto& m = op.m;
    const double x1 = m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3];
    const double x2 = m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3];
    const double x3 = m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3];
    return kPhaseTwoPi * (h * x1 + k * x2 + l * x3);
}

// exp(-mᵀβm) for the image m = (h k l)·R of the operator's rotation R.
double damping(const SymmetryOperator& op, const double beta[6], int h, int k, int l)
{
    double m[3];
    for (int j = 0; j < 3; ++j)
        m[j] = h * op.m[0][j] + k * op.m[1][j] + l * op.m[2][j];
    return std::exp(-beta_form(beta, m[0], m[1], m[2]));
}

// The atom's β when it is calculated with its tensor; false (isotropic B) otherwise.
bool atom_beta(const StructureModel& model, int n, double beta[6])
{
    if (!uses_tensor(model, n))
        return false;
    beta_of(reciprocal_lengths(model.cell), model.atomAnisotropic[n], beta);
    return true;
}

}  // namespace

XrayStructureFactor xray_structure_factor(const StructureModel& model, int pass, double scaleK, int h, int k,
                                          int l, double s)
{
    XrayStructureFactor f;
    for (int n = 1; n <= model.atomCount; ++n) {
        const ScatteringFactor factor = atom_scattering_factor(model, model.atomElementIndex[n], pass, s);
        double beta[6];
        const bool tensor = atom_beta(model, n, beta);
        const double t = (tensor ? 1.0 : std::exp(-model.atomB[n] * s * s)) * model.atomMultiplicity[n];
        const double fr = factor.f * t, fi = factor.fSecond * t;
        for (int j = 1; j <= model.operatorCount; ++j) {
            const double phi = phase(model.operators[j], model.atomX[n], model.atomY[n], model.atomZ[n], h, k, l);
            const double d = tensor ? damping(model.operators[j], beta, h, k, l) : 1.0;
            const double c = d * std::cos(phi), sn = d * std::sin(phi);
            f.aPlus += fr * c - fi * sn;
            f.bPlus += fi * c + fr * sn;
            f.aMinus += fr * c + fi * sn;
            f.bMinus += fi * c - fr * sn;
        }
    }
    f.aPlus *= scaleK;
    f.bPlus *= scaleK;
    f.aMinus *= scaleK;
    f.bMinus *= scaleK;
    return f;
}

NeutronStructureFactor neutron_structure_factor(const StructureModel& model, double scaleK, int h, int k, int l,
                                                double s)
{
    NeutronStructureFactor f;
    for (int n = 1; n <= model.atomCount; ++n) {
        double beta[6];
        const bool tensor = atom_beta(model, n, beta);
        const double b = model.atomFermiLength[n] * (tensor ? 1.0 : std::exp(-model.atomB[n] * s * s)) *
                         model.atomMultiplicity[n];
        for (int j = 1; j <= model.operatorCount; ++j) {
            const double phi = phase(model.operators[j], model.atomX[n], model.atomY[n], model.atomZ[n], h, k, l);
            const double d = tensor ? damping(model.operators[j], beta, h, k, l) : 1.0;
            f.a += b * d * std::cos(phi);
            f.b += b * d * std::sin(phi);
        }
    }
    f.a *= scaleK;
    f.b *= scaleK;
    return f;
}

}  // namespace kalidos
