#include "computation/rotation_list.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

IntegerRotation rounded_rotation(const SymmetryOperator& op)
{
    IntegerRotation r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = static_cast<int>(std::nearbyint(op.m[i][j]));  // halves to even
    return r;
}

IntegerRotation product(const IntegerRotation& a, const IntegerRotation& b)
{
    IntegerRotation p;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            p.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return p;
}

IntegerRotation negated(IntegerRotation r)
{
    for (auto& row : r.m)
        for (int& v : row)
            v = -v;
    return r;
}

void add_unique(std::vector<IntegerRotation>& list, const IntegerRotation& r)
{
    if (static_cast<int>(list.size()) < kMaxRotations && std::find(list.begin(), list.end(), r) == list.end())
        list.push_back(r);
}

}  // namespace

std::vector<IntegerRotation> build_rotation_list(const StructureModel& model)
{
    std::vector<IntegerRotation> list;
    IntegerRotation identity;
    for (int i = 0; i < 3; ++i)
        identity.m[i][i] = 1;
    list.push_back(identity);
    for (int j = 1; j <= model.operatorCount; ++j) {
        const IntegerRotation r = rounded_rotation(model.operators[j]);
        add_unique(list, r);
        add_unique(list, negated(r));
    }
    // Closure: products of members found so far, until nothing new appears (or the cap).
    for (std::size_t i = 0; i < list.size(); ++i)
        for (std::size_t j = 0; j <= i; ++j) {
            add_unique(list, product(list[i], list[j]));
            add_unique(list, product(list[j], list[i]));
        }
    return list;
}

bool equivalent_reflections(const std::vector<IntegerRotation>& rotations, const Miller& first,
                            const Miller& second)
{
    return std::any_of(rotations.begin(), rotations.end(),
                       [&](const IntegerRotation& r) { return image_of(first, r) == second; });
}

int form_multiplicity(const std::vector<IntegerRotation>& rotations, const Miller& hkl)
{
    Miller images[kMaxRotations];
    int count = 0;
    for (const IntegerRotation& r : rotations) {
        const Miller image = image_of(hkl, r);
        if (std::find(images, images + count, image) == images + count)
            images[count++] = image;
    }
    return count;
}

}  // namespace kalidos
