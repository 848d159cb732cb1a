#include "model/structure_model.hpp"

#include <algorithm>  // for std::min

namespace kalidos {

void clear_operator_table(StructureModel& model)
{
    model.operatorCount = 0;
    model.operators.fill(SymmetryOperator{});
    model.operatorTexts.fill(std::string());
    model.centrosymmetric = false;
    model.inversionAdded = 0;
    model.centringCount = 0;
    model.centringVectors.fill(Vector3{});
}

void zero_anomalous_factors(StructureModel& model)
{
    model.anomalousRecords.reset();
    const int wavelengths = std::min(model.wavelengths.count, kAnomalousWavelengths);
    for (int w = 1; w <= wavelengths; ++w) {
        for (int e = 1; e <= model.elementCount; ++e) {
            model.fPrime[w][e] = 0;
            model.fSecond[w][e] = 0;
        }
    }
}

}  // namespace kalidos
