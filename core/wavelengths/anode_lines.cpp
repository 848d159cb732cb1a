#include "wavelengths/anode_lines.hpp"

#include <cmath>

#include "anomalous/anomalous_grid.hpp"
#include "model/wavelength_set.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

const std::array<AnodeLine, kAnodeListItems>& anode_line_table()
{
    static const std::array<AnodeLine, kAnodeListItems> table = {{
        {"Multiple W.L.", 0},
        {"MoKa1", 0.7093}, {"MoKa2", 0.71359}, {"MoKmoy", 0.7107}, {"MokBet", 0.63229},
        {"CuKa1", 1.54056}, {"CuKa2", 1.54439}, {"CuKmoy", 1.5418}, {"CukBet", 1.39222},
        {"CoKa1", 1.78897}, {"CoKa2", 1.79285}, {"CoKmoy", 1.7902}, {"CokBet", 1.62079},
        {"FeKa1", 1.93604}, {"FeKa2", 1.93339}, {"FeKmoy", 1.9373}, {"FekBet", 1.75661},
        {"CrKa1", 2.2897}, {"CrKa2", 2.29361}, {"CrKmoy", 2.2909}, {"CrkBet", 2.08487},
        {"", 0},
    }};
    return table;
}

namespace {

// Half of the degree-to-radian factor 0.0174533167: 2θ in degrees to θ in radians.
constexpr double kHalfDegree = 0.0087266584;

void set_q_limits_from_two_theta(StructureModel& model)
{
    const WavelengthSet& set = model.wavelengths;
    if (model.twoTheta2 > 0) {
        model.q1 = kFourPi * std::sin(model.twoTheta1 * kHalfDegree) / set.longest;
        model.q2 = kFourPi * std::sin(model.twoTheta2 * kHalfDegree) / set.shortest;
        model.enteredQ1 = model.q1;
        model.enteredQ2 = model.q2;
    } else {
        model.q1 = model.q2 = model.enteredQ1 = model.enteredQ2 = 0;
    }
}

}  // namespace

AnodeOutcome set_lambda(Workspace& workspace, int item)
{
    const auto& table = anode_line_table();
    const bool isLine = item > kMultipleWavelengthsItem && item < kAnodeListItems &&
                        table[static_cast<std::size_t>(item)].lambda > 0;
    if (item != kMultipleWavelengthsItem && !isLine)
        return {};

    StructureModel& model = workspace.model;
    clear_anomalous_grid(workspace);
    zero_anomalous_factors(model);
    model.wavelengths.count = 0;
    update_wavelength_extremes(model.wavelengths);  // an empty set has no shortest or longest
    if (item == kMultipleWavelengthsItem) {
        model.typedWavelength = 0;
        return {AnodeChoice::OpenComposition, {}};
    }

    const AnodeLine& line = table[static_cast<std::size_t>(item)];
    model.anodeSymbol = std::string(line.item).substr(0, 2);
    set_single_wavelength(model, line.lambda);
    set_q_limits_from_two_theta(model);
    show_anomalous(workspace);
    return {AnodeChoice::LineChosen, fmt_fixed(line.lambda, 8, 5)};
}

}  // namespace kalidos
