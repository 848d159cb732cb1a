#include "computation/displacement_tensor.hpp"

#include <cmath>

#include "computation/cell_metric.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kExactDegreesToRadians;
constexpr double kTwoPiSquared = 2 * kPi * kPi;
constexpr double kEightPiSquared = 8 * kPi * kPi;

// Index pairs of the six components.
constexpr int kFirst[6] = {0, 1, 2, 0, 0, 1};
constexpr int kSecond[6] = {0, 1, 2, 1, 2, 2};

}  // namespace

ReciprocalLengths reciprocal_lengths(const CellParameters& cell)
{
    const double volume = cell_volume(cell, kDegree);
    return {cell.b * cell.c * std::sin(cell.alpha * kDegree) / volume,
            cell.a * cell.c * std::sin(cell.beta * kDegree) / volume,
            cell.a * cell.b * std::sin(cell.gamma * kDegree) / volume};
}

AnisotropicDisplacement tensor_from_b(const double b[6])
{
    AnisotropicDisplacement t;
    t.present = true;
    for (int i = 0; i < 6; ++i)
        t.u[i] = b[i] / kEightPiSquared;
    return t;
}

AnisotropicDisplacement tensor_from_beta(const CellParameters& cell, const double beta[6])
{
    const ReciprocalLengths star = reciprocal_lengths(cell);
    const double s[3] = {star.a, star.b, star.c};
    AnisotropicDisplacement t;
    t.present = true;
    for (int i = 0; i < 6; ++i)
        t.u[i] = beta[i] / (kTwoPiSquared * s[kFirst[i]] * s[kSecond[i]]);
    return t;
}

void beta_of(const ReciprocalLengths& star, const AnisotropicDisplacement& tensor, double beta[6])
{
    const double s[3] = {star.a, star.b, star.c};
    for (int i = 0; i < 6; ++i)
        beta[i] = kTwoPiSquared * s[kFirst[i]] * s[kSecond[i]] * tensor.u[i];
}

double b_equivalent(const CellParameters& cell, const AnisotropicDisplacement& tensor)
{
    const ReciprocalLengths star = reciprocal_lengths(cell);
    const double s[3] = {star.a, star.b, star.c};
    const double length[3] = {cell.a, cell.b, cell.c};
    // a_i·a_j for the pairs 12, 13, 23: the cosines of gamma, beta, alpha.
    const double cosine[6] = {1, 1, 1, std::cos(cell.gamma * kDegree), std::cos(cell.beta * kDegree),
                              std::cos(cell.alpha * kDegree)};
    double sum = 0;
    for (int i = 0; i < 6; ++i) {
        const int p = kFirst[i], q = kSecond[i];
        const double term = tensor.u[i] * s[p] * s[q] * length[p] * length[q] * cosine[i];
        sum += p == q ? term : 2 * term;
    }
    return kEightPiSquared * sum / 3;
}

void clear_tensors(StructureModel& model)
{
    model.atomAnisotropic.fill(AnisotropicDisplacement{});
}

}  // namespace kalidos
