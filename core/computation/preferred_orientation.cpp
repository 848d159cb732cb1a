#include "computation/preferred_orientation.hpp"

#include <cmath>

namespace kalidos {
namespace {

// Cartesian components of the reciprocal vector (h k l) through the orthogonalisation matrix.
void cartesian(const double (&m)[3][3], double h, double k, double l, double out[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = m[i][0] * h + m[i][1] * k + m[i][2] * l;
}

}  // namespace

double march_dollase(double ratio, double fraction, double cosAlpha)
{
    const double c2 = cosAlpha * cosAlpha;
    const double base = ratio * ratio * c2 + (1 - c2) / ratio;
    return fraction * std::pow(base, -1.5) + (1 - fraction);
}

PreferredOrientationFactors::PreferredOrientationFactors(const StructureModel& model)
{
    const PreferredOrientation& p = model.sample.preferred;
    active_ = p.active();
    if (!active_)
        return;
    ratio_ = p.ratio;
    fraction_ = p.fraction;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            matrix_[i][j] = model.cellMatrix[i][j];
    cartesian(matrix_, p.h, p.k, p.l, direction_);
    const double length = std::sqrt(direction_[0] * direction_[0] + direction_[1] * direction_[1] +
                                    direction_[2] * direction_[2]);
    if (!(length > 0)) {
        active_ = false;  // (0 0 0) names no direction: the powder stays random
        return;
    }
    for (double& c : direction_)
        c /= length;
    rotations_ = build_rotation_list(model);
}

double PreferredOrientationFactors::cosine_to_direction(const Miller& m) const
{
    double v[3];
    cartesian(matrix_, m.h, m.k, m.l, v);
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0))
        return 0;
    return (v[0] * direction_[0] + v[1] * direction_[1] + v[2] * direction_[2]) / length;
}

double PreferredOrientationFactors::operator()(int h, int k, int l) const
{
    if (!active_)
        return 1.0;
    if (rotations_.empty())
        return march_dollase(ratio_, fraction_, cosine_to_direction(Miller{h, k, l}));
    double sum = 0;
    for (const IntegerRotation& r : rotations_)
        sum += march_dollase(ratio_, fraction_, cosine_to_direction(image_of(Miller{h, k, l}, r)));
    return sum / static_cast<double>(rotations_.size());
}

}  // namespace kalidos
