#include "series/series_start.hpp"

#include "computation/cell_metric.hpp"
#include "refinement/parameter_table.hpp"
#include "refinement/pattern_model.hpp"  // for apply_to_model

namespace kalidos {

std::string apply_series_values(const std::vector<SeriesValue>& values, std::vector<StructureModel*>& models)
{
    RefinementRequest request;
    for (const StructureModel* model : models)
        request.phases.push_back({"", *model});
    ParameterTable table;
    if (std::string why = build_parameter_table(request, table); !why.empty())
        return why;
    for (const SeriesValue& value : values) {
        const int r = table.find(value.name);
        if (r < 0) {
            // A phase's volume, fraction and R_Bragg follow from the rest.
            if (value.name.find("::volume") != std::string::npos || value.name.find("::fraction") != std::string::npos ||
                value.name.find("::r_bragg") != std::string::npos)
                continue;
            return "no parameter " + value.name + " in the structures";
        }
        const ModelParameter& row = table.rows[static_cast<std::size_t>(r)];
        if (row.info.phase < 0) {
            for (StructureModel* model : models)
                apply_to_model(row, value.value, *model);
        } else if (static_cast<std::size_t>(row.info.phase) < models.size()) {
            apply_to_model(row, value.value, *models[static_cast<std::size_t>(row.info.phase)]);
        }
    }
    for (StructureModel* model : models)
        compute_cell_metric(*model);
    return {};
}

}  // namespace kalidos
