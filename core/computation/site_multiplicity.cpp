#include "computation/site_multiplicity.hpp"

#include <cmath>
#include <vector>

namespace kalidos {
namespace {

constexpr double kSamePosition = 0.001;  // fractional coordinate

double fractional_part(double v)
{
    const double f = v - std::floor(v);
    return f >= 1.0 ? 0.0 : f;
}

// Distance of two fractional coordinates along one axis, across the cell edge.
double wrapped_distance(double a, double b)
{
    const double d = std::fabs(a - b);
    return std::fmin(d, 1.0 - d);
}

bool same_site(const Vector3& a, const Vector3& b)
{
    return wrapped_distance(a.x, b.x) <= kSamePosition && wrapped_distance(a.y, b.y) <= kSamePosition &&
           wrapped_distance(a.z, b.z) <= kSamePosition;
}

Vector3 apply(const SymmetryOperator& op, double x, double y, double z)
{
    const auto& m = op.m;
    return {m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3], m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3],
            m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3]};
}

Vector3 reduced(const Vector3& v)
{
    return {fractional_part(v.x), fractional_part(v.y), fractional_part(v.z)};
}

}  // namespace

int distinct_image_count(const StructureModel& model, double x, double y, double z)
{
    std::vector<Vector3> images;
    images.reserve(static_cast<std::size_t>(2 * model.operatorCount));
    for (int j = 1; j <= model.operatorCount; ++j) {
        const Vector3 image = apply(model.operators[j], x, y, z);
        images.push_back(reduced(image));
        if (model.inversionAdded == 1)
            images.push_back(reduced({-image.x, -image.y, -image.z}));
    }
    // An image within reach of an earlier one (kept or not) is the same site.
    std::vector<bool> dropped(images.size(), false);
    for (std::size_t i = 0; i < images.size(); ++i)
        for (std::size_t j = i + 1; j < images.size(); ++j)
            if (!dropped[j] && same_site(images[i], images[j]))
                dropped[j] = true;
    int count = 0;
    for (const bool d : dropped)
        count += d ? 0 : 1;
    return count;
}

void compute_site_multiplicities(StructureModel& model, CalculationResults& results)
{
    double largest = 0;
    for (int n = 1; n <= model.atomCount; ++n) {
        const int images = distinct_image_count(model, model.atomX[n], model.atomY[n], model.atomZ[n]);
        model.atomMultiplicity[n] = std::fabs(images * model.atomPopulation[n]);
        largest = std::fmax(largest, model.atomMultiplicity[n]);
    }
    results.structureFactorScale = 0;
    if (largest <= 0 || model.operatorCount <= 0)
        return;
    for (int n = 1; n <= model.atomCount; ++n)
        model.atomMultiplicity[n] /= largest;
    results.structureFactorScale = largest / (model.inversionAdded == 1 ? 2.0 * model.operatorCount : model.operatorCount);
}

}  // namespace kalidos
