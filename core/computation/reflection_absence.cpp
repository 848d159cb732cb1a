#include "computation/reflection_absence.hpp"

#include <cmath>

namespace kalidos {
namespace {

// h·t of an operator that fixes (h k l) must be a whole number for the reflection to be present.
// Table translations carry at least five digits (0.83333), so h·t misses a whole number by far less
// than this when it is one, and by at least 1/12 when it is not.
constexpr double kWholeTolerance = 0.01;

bool even(int n) { return n % 2 == 0; }

char centring_letter(const StructureModel& model)
{
    if (model.crystalSystem == "HEXA" && !model.spaceGroupSymbol.empty() && model.spaceGroupSymbol[0] == 'R')
        return 'R';
    return model.latticeLetter.empty() ? ' ' : model.latticeLetter[0];
}

bool fixes(const SymmetryOperator& op, int h, int k, int l)
{
    const int index[3] = {h, k, l};
    for (int j = 0; j < 3; ++j) {
        const double image = h * op.m[0][j] + k * op.m[1][j] + l * op.m[2][j];
        if (std::fabs(image - index[j]) > 0.5)
            return false;
    }
    return true;
}

}  // namespace

char lattice_condition(const StructureModel& model)
{
    const char letter = centring_letter(model);
    if (letter == 'R' && model.crystalSystem != "HEXA")
        return model.crystalSystem == "RHOM" ? 'P' : '?';
    switch (letter) {
    case 'P': case 'I': case 'F': case 'A': case 'B': case 'C': case 'R': return letter;
    default: return '?';
    }
}

bool absent_by_lattice(char condition, int h, int k, int l)
{
    if (h == 0 && k == 0 && l == 0)
        return true;
    switch (condition) {
    case 'P': return false;
    case 'I': return !even(h + k + l);
    case 'F': return !(even(h + k) && even(k + l) && even(h + l));
    case 'A': return !even(k + l);
    case 'B': return !even(h + l);
    case 'C': return !even(h + k);
    case 'R': return (-h + k + l) % 3 != 0;  // hexagonal axes, obverse setting, tested as given
    default: return true;
    }
}

bool lattice_absence_test(const StructureModel& model, int h, int k, int l)
{
    return absent_by_lattice(lattice_condition(model), h, k, l);
}

bool general_absence_test(const StructureModel& model, int h, int k, int l)
{
    for (int j = 1; j <= model.operatorCount; ++j) {
        const SymmetryOperator& op = model.operators[j];
        if (!fixes(op, h, k, l))
            continue;
        const double phase = h * op.m[0][3] + k * op.m[1][3] + l * op.m[2][3];  // in turns
        if (std::fabs(phase - std::nearbyint(phase)) > kWholeTolerance)
            return true;
    }
    return false;
}

}  // namespace kalidos
