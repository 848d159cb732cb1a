#include "symmetry/operator_completion.hpp"

#include <vector>

namespace kalidos {
namespace {

// The centring vectors of a lattice letter; R in hexagonal axes only (in rhombohedral
// axes the cell is primitive). Thirds to 10 decimals, as the listings use them.
std::vector<Vector3> centring_vectors(const std::string& letter, const std::string& crystalSystem)
{
    const char c = letter.empty() ? 'P' : letter[0];
    switch (c) {
    case 'R':
        if (crystalSystem == "HEXA")
            return {{0.3333333333, 0.6666666666, 0.6666666666}, {0.6666666666, 0.3333333333, 0.3333333333}};
        return {};
    case 'F':
        return {{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
    case 'I':
        return {{0.5, 0.5, 0.5}};
    case 'A':
        return {{0, 0.5, 0.5}};
    case 'B':
        return {{0.5, 0, 0.5}};
    case 'C':
        return {{0.5, 0.5, 0}};
    default:
        return {};
    }
}

// A component equal to 1 stays 1: it is equivalent to 0 wherever a translation is used.
double reduced(double t)
{
    return t > 1 ? t - 1 : t;
}

}  // namespace

bool complete_by_inversion(StructureModel& model)
{
    const int n = model.operatorCount;
    if (2 * n > kMaxOperators)
        return false;
    for (int i = 1; i <= n; ++i) {
        SymmetryOperator image = model.operators[i];
        for (auto& row : image.m) {
            for (int j = 0; j < 3; ++j)
                row[j] = -row[j];
        }
        model.operators[n + i] = image;
    }
    model.operatorCount = 2 * n;
    model.centrosymmetric = true;
    return true;
}

bool add_centring_translations(StructureModel& model)
{
    const std::vector<Vector3> vectors = centring_vectors(model.latticeLetter, model.crystalSystem);
    const int n = model.operatorCount;
    const int vectorCount = static_cast<int>(vectors.size());
    if (n * (1 + vectorCount) > kMaxOperators)
        return false;
    model.centringCount = vectorCount;
    model.centringVectors.fill(Vector3{});
    int next = n;
    for (int v = 1; v <= vectorCount; ++v) {
        const Vector3& shift = vectors[static_cast<std::size_t>(v - 1)];
        model.centringVectors[v] = shift;
        for (int j = 1; j <= n; ++j) {
            SymmetryOperator copy = model.operators[j];
            copy.m[0][3] = reduced(copy.m[0][3] + shift.x);
            copy.m[1][3] = reduced(copy.m[1][3] + shift.y);
            copy.m[2][3] = reduced(copy.m[2][3] + shift.z);
            model.operators[++next] = copy;
        }
    }
    model.operatorCount = next;
    return true;
}

}  // namespace kalidos
