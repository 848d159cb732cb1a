#include "wavelengths/composition.hpp"

#include <cmath>
#include <utility>  // for std::swap

#include "anomalous/anomalous_grid.hpp"
#include "model/typed_ranges.hpp"
#include "model/wavelength_set.hpp"
#include "util/number_text.hpp"  // for parse_real
#include "util/pascal_format.hpp"

namespace kalidos {

const std::array<CompositionLine, kCompositionLines>& composition_line_table()
{
    static const std::array<CompositionLine, kCompositionLines> table = {{
        {"MoK", "Mo", "0.70930", "0.71359", "0.63229"},
        {"CuK", "Cu", "1.54056", "1.54439", "1.39222"},
        {"CoK", "Co", "1.78897", "1.79285", "1.62079"},
        {"FeK", "Fe", "1.93604", "1.93339", "1.75661"},
        {"CrK", "Cr", "2.28970", "2.29361", "2.08487"},
    }};
    return table;
}

void fill_composition_from_anode(CompositionForm& form, StructureModel& model, int item)
{
    if (item < 0 || item >= kCompositionLines)
        return;
    const CompositionLine& line = composition_line_table()[static_cast<std::size_t>(item)];
    model.anodeSymbol = line.anode;
    form.wavelength[0] = line.lambda1;
    form.wavelength[1] = line.lambda2;
    form.wavelength[2] = line.lambda3;
    for (std::size_t r = 0; r < 3; ++r)
        form.intensity[r] = kCompositionIntensities[r];
}

namespace {

bool is_blank(const std::string& text) { return trim(text).empty(); }

std::string wavelength_edit(std::size_t row) { return "Edit" + std::to_string(row + 1); }
std::string intensity_edit(std::size_t row) { return "Edit" + std::to_string(row + 5); }

CompositionOutcome refuse(Messages& messages, const std::string& text, const std::string& focus)
{
    messages.warning(text);
    return {false, focus};
}

// The rows read from the form, before they become the model's set.
struct Mixture {
    int count = 0;
    std::array<double, kCompositionRows + 1> values{};   // 1-based, as the set
    std::array<double, kCompositionRows + 1> weights{};
};

void normalise_and_sort(Mixture& mixture)
{
    double sum = 0;
    for (int i = 1; i <= mixture.count; ++i)
        sum += mixture.weights[static_cast<std::size_t>(i)];
    for (int i = 1; i <= mixture.count; ++i)
        mixture.weights[static_cast<std::size_t>(i)] /= sum;
    for (std::size_t i = 1; i < static_cast<std::size_t>(mixture.count); ++i) {
        for (std::size_t j = i + 1; j <= static_cast<std::size_t>(mixture.count); ++j) {
            if (mixture.values[i] > mixture.values[j]) {
                std::swap(mixture.values[i], mixture.values[j]);
                std::swap(mixture.weights[i], mixture.weights[j]);
            }
        }
    }
}

// The composition dialog's own degree factor for half angles (it differs from the list's).
constexpr double kCompositionHalfDegree = 0.00872664314;

void store_mixture(const Mixture& mixture, Workspace& workspace)
{
    StructureModel& model = workspace.model;
    WavelengthSet& set = model.wavelengths;
    set.count = mixture.count;
    for (int i = 1; i <= mixture.count; ++i) {
        set.values[i] = mixture.values[static_cast<std::size_t>(i)];
        set.weights[i] = mixture.weights[static_cast<std::size_t>(i)];
    }
    update_wavelength_extremes(set);
    model.q1 = kFourPi * std::sin(model.twoTheta1 * kCompositionHalfDegree) / set.longest;
    model.q2 = kFourPi * std::sin(model.twoTheta2 * kCompositionHalfDegree) / set.shortest;
    zero_anomalous_factors(model);
    model.typedWavelength = set.values[1];
    show_anomalous(workspace);
}

}  // namespace

CompositionOutcome apply_harmonics(CompositionForm& form, Messages& messages)
{
    if (is_blank(form.wavelength[0]))
        return {};
    for (std::size_t r = 1; r < kCompositionRows; ++r)
        form.wavelength[r].clear();
    for (auto& text : form.intensity)
        text.clear();
    const auto lambda1 = parse_real(form.wavelength[0]);
    if (!lambda1)
        return refuse(messages, "Read error", "Edit1");
    const double half = *lambda1 * 0.5;
    form.wavelength[1] = fmt_fixed(half, 8, 5);
    form.wavelength[2] = fmt_fixed(half * 2 * 0.33333333333333333334, 8, 5);
    return {};
}

// A wavelength must be positive and at most kLargestTypedValue (its energy 12400/λ and Q divide by it); an intensity may be 0
// (the row is dropped) but not negative (the weights could then sum to 0).
CompositionOutcome lit_composition(CompositionForm& form, Workspace& workspace, Messages& messages)
{
    Mixture mixture;
    for (std::size_t r = 0; r < kCompositionRows; ++r) {
        if (is_blank(form.wavelength[r]))
            continue;
        const auto lambda = parse_real(form.wavelength[r]);
        if (!lambda || *lambda <= 0 || !wavelength_in_range(*lambda))
            return refuse(messages, "Type error", wavelength_edit(r));
        if (is_blank(form.intensity[r]))
            return refuse(messages, "No percent on wavelength #" + std::to_string(r + 1), intensity_edit(r));
        const auto intensity = parse_real(form.intensity[r]);
        if (!intensity || *intensity < 0)
            return refuse(messages, "Type error", intensity_edit(r));
        if (*intensity == 0) {
            form.wavelength[r].clear();
            form.intensity[r].clear();
            continue;
        }
        ++mixture.count;
        mixture.values[static_cast<std::size_t>(mixture.count)] = *lambda;
        mixture.weights[static_cast<std::size_t>(mixture.count)] = *intensity;
    }
    if (mixture.count == 0)
        return refuse(messages, "No Wavelength!", "");
    normalise_and_sort(mixture);
    store_mixture(mixture, workspace);
    return {true, ""};
}

}  // namespace kalidos
