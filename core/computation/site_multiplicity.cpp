#include "computation/site_multiplicity.hpp"

#include <cmath>
#include <vector>

#include "computation/site_symmetry.hpp"

namespace kalidos {
std::vector<SymmetryOperator> applied_operators(const StructureModel& model)
{
    std::vector<SymmetryOperator> operators;
    operators.reserve(static_cast<std::size_t>(2 * model.operatorCount));
    for (int j = 1; j <= model.operatorCount; ++j) {
        operators.push_back(model.operators[j]);
        if (model.inversionAdded == 1) {
            SymmetryOperator inverted = model.operators[j];
            for (auto& row : inverted.m)
                for (double& v : row)
                    v = -v;
            operators.push_back(inverted);
        }
    }
    return operators;
}

int distinct_image_count(const StructureModel& model, double x, double y, double z)
{
    constexpr double kSamePosition = 0.001;  // fractional coordinate: a site this close is on it
    return site_multiplicity(applied_operators(model), x, y, z, kSamePosition);
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

double per_cell_intensity_factor(const StructureModel& model)
{
    return model.inversionAdded == 1 ? 4.0 : 1.0;
}

}  // namespace kalidos
