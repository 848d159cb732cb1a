// March–Dollase preferred-orientation factors of reflections, averaged over their forms.
#pragma once

#include <vector>

#include "computation/rotation_list.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// The March–Dollase function of one normal at angle α to the preferred direction:
// f·(r² cos²α + sin²α / r)^(-3/2) + (1 − f). Over a random sphere of normals its mean is 1.
double march_dollase(double ratio, double fraction, double cosAlpha);

// The factors of the model's sample.preferred setting for the model's cell (cellMatrix must be
// computed, as reflection generation does). A reflection's factor is the mean of the function
// over the images of (h k l) under the Laue group, so that every member of the form counts
// once whatever representative stands for it; exactly 1 when the setting is inactive.
class PreferredOrientationFactors {
public:
    explicit PreferredOrientationFactors(const StructureModel& model);

    double operator()(int h, int k, int l) const;

private:
    double cosine_to_direction(const Miller& m) const;

    bool active_ = false;
    double ratio_ = 1, fraction_ = 0;
    double matrix_[3][3] = {};
    double direction_[3] = {};  // unit vector along the preferred reciprocal direction
    std::vector<IntegerRotation> rotations_;
};

}  // namespace kalidos
