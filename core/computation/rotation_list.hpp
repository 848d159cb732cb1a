// The point-group rotations acting on Miller indices: which reflections are one form.
#pragma once

#include <vector>

#include "model/structure_model.hpp"

namespace kalidos {

struct Miller {
    int h = 0, k = 0, l = 0;
    bool operator==(const Miller&) const = default;
};

struct IntegerRotation {
    int m[3][3] = {};
    bool operator==(const IntegerRotation&) const = default;
};

// The image of (h k l), taken as a row vector, under R: (h k l)·R.
inline Miller image_of(const Miller& hkl, const IntegerRotation& r)
{
    return {hkl.h * r.m[0][0] + hkl.k * r.m[1][0] + hkl.l * r.m[2][0],
            hkl.h * r.m[0][1] + hkl.k * r.m[1][1] + hkl.l * r.m[2][1],
            hkl.h * r.m[0][2] + hkl.k * r.m[1][2] + hkl.l * r.m[2][2]};
}

// At most 48 proper and improper rotations of a Laue group; more means a corrupt table.
inline constexpr int kMaxRotations = 96;

// The distinct rotation parts of every operator (coefficients rounded to the nearest integer),
// their negations (Friedel's law: a powder pattern cannot tell F(h k l) from F(-h -k -l)), and
// every product of them, so that "is an image of" is an equivalence even when the operator table
// lacks some products. A valid group table gives its Laue group.
std::vector<IntegerRotation> build_rotation_list(const StructureModel& model);

// True when `second` is an image of `first` under one of the rotations.
bool equivalent_reflections(const std::vector<IntegerRotation>& rotations, const Miller& first,
                            const Miller& second);

// The number of distinct images of (h k l): the multiplicity of its form.
int form_multiplicity(const std::vector<IntegerRotation>& rotations, const Miller& hkl);

}  // namespace kalidos
