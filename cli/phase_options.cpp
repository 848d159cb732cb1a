#include "phase_options.hpp"

#include <cmath>
#include <optional>

#include "batch_options.hpp"
#include "mixture/mixture_phase.hpp"

namespace kalidos::batch {
namespace {

// A comma-separated list of decimal numbers; false when an item is not one.
bool number_list(const std::string& text, std::vector<double>& values)
{
    values.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto number = decimal_number(text.substr(start, comma - start));
        if (!number)
            return false;
        values.push_back(*number);
        start = comma + 1;
    }
    return true;
}

// N:H,K,L,R[,F], N the phase from 1.
bool read_preferred(const std::string& text, PhaseOptions& phases, std::string& error)
{
    const std::size_t colon = text.find(':');
    std::vector<double> values;
    const auto phase = decimal_number(text.substr(0, colon));
    if (colon == std::string::npos || !phase || !number_list(text.substr(colon + 1), values) || values.size() < 4 ||
        values.size() > 5) {
        error = "option --phase-preferred: \"" + text + "\" is not N:H,K,L,R[,F]";
        return false;
    }
    const auto whole = [](double x) { return x == std::floor(x) && std::fabs(x) <= 1000; };
    PreferredOrientation p;
    p.ratio = values[3];
    p.fraction = values.size() == 5 ? values[4] : 1.0;
    if (!whole(*phase) || *phase < 1 || !whole(values[0]) || !whole(values[1]) || !whole(values[2]) ||
        (values[0] == 0 && values[1] == 0 && values[2] == 0) || !(p.ratio > 0) || p.fraction < 0 || p.fraction > 1) {
        error = "option --phase-preferred: N and H K L must be whole numbers (H K L not all 0), R above 0, F from 0 to 1";
        return false;
    }
    p.h = static_cast<int>(values[0]), p.k = static_cast<int>(values[1]), p.l = static_cast<int>(values[2]);
    phases.preferred.emplace_back(static_cast<int>(*phase), p);
    return true;
}

bool all_within(const std::vector<double>& values, double low, double high)
{
    return std::all_of(values.begin(), values.end(), [&](double v) { return v >= low && v <= high; });
}

// --brindley D (µm) or --standard N:PERCENT.
bool read_quantity_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                          PhaseOptions& phases, std::string& error)
{
    const std::string text = next < arguments.size() ? arguments[next++] : std::string();
    if (name == "--brindley") {
        const auto diameter = decimal_number(text);
        if (!diameter || !(*diameter > 0) || *diameter > 1000) {
            error = "option --brindley: the particles' diameter must lie above 0 and at most 1000 micrometres";
            return false;
        }
        phases.brindley = *diameter;
        return true;
    }
    const std::size_t colon = text.find(':');
    const auto phase = decimal_number(text.substr(0, colon));
    const auto percent = colon == std::string::npos ? std::nullopt : decimal_number(text.substr(colon + 1));
    if (!phase || !percent || *phase < 1 || *phase > kMaxPhases || *phase != std::floor(*phase) || !(*percent > 0) ||
        !(*percent < 100)) {
        error = "option --standard: \"" + text + "\" is not N:PERCENT, the standard's phase from 1 and its weight "
                "percent of the whole sample (above 0, below 100)";
        return false;
    }
    phases.standard = static_cast<int>(*phase);
    phases.standardPercent = *percent;
    return true;
}

}  // namespace

OptionRead read_phase_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                             PhaseOptions& phases, std::string& error)
{
    std::vector<double>* list = name == "--fractions"       ? &phases.fractions
                                : name == "--phase-sizes"   ? &phases.sizes
                                : name == "--phase-strains" ? &phases.strains
                                                            : nullptr;
    if (name == "--fit-fractions") {
        phases.fitFractions = true;
        return OptionRead::Read;
    }
    if (name == "--brindley" || name == "--standard")
        return read_quantity_option(name, arguments, next, phases, error) ? OptionRead::Read : OptionRead::Error;
    if (!list && name != "--phase-preferred")
        return OptionRead::NotProfile;
    if (next >= arguments.size()) {
        error = "option " + name + " needs a value";
        return OptionRead::Error;
    }
    const std::string& text = arguments[next++];
    if (!list)
        return read_preferred(text, phases, error) ? OptionRead::Read : OptionRead::Error;
    if (!number_list(text, *list)) {
        error = "option " + name + ": \"" + text + "\" is not a list of numbers separated by commas";
        return OptionRead::Error;
    }
    return OptionRead::Read;
}

std::string phase_options_problem(const PhaseOptions& phases, std::size_t phaseCount, bool observed)
{
    const bool mixture = phases.mixture();
    if (!mixture && (!phases.sizes.empty() || !phases.strains.empty() || !phases.preferred.empty()))
        return "--phase-sizes, --phase-strains and --phase-preferred need --fractions or --fit-fractions";
    if ((phases.brindley > 0 || phases.standard > 0) && (!mixture || phaseCount < 2))
        return "--brindley and --standard need several structure files with --fractions, --fit-fractions or --refine";
    if (phases.standard > static_cast<int>(phaseCount))
        return "option --standard: there is no phase " + std::to_string(phases.standard);
    if (!mixture)
        return {};
    if (phaseCount > static_cast<std::size_t>(kMaxPhases))
        return "a mixture holds at most " + std::to_string(kMaxPhases) + " phases";
    const auto countProblem = [&](const std::vector<double>& values, const char* option) {
        return values.empty() || values.size() == phaseCount
                   ? std::string()
                   : std::string("option ") + option + ": give one value per structure file (" +
                         std::to_string(phaseCount) + ")";
    };
    for (const auto& [values, option] : {std::pair{&phases.fractions, "--fractions"},
                                         std::pair{&phases.sizes, "--phase-sizes"},
                                         std::pair{&phases.strains, "--phase-strains"}})
        if (std::string problem = countProblem(*values, option); !problem.empty())
            return problem;
    if (!all_within(phases.fractions, 0, 1e6) ||
        (!phases.fractions.empty() && std::all_of(phases.fractions.begin(), phases.fractions.end(),
                                                  [](double f) { return f == 0; })))
        return "option --fractions: the fractions must be 0 or more, not all 0";
    if (!all_within(phases.sizes, kSizeLimit.low, kSizeLimit.high))
        return "option --phase-sizes: each size must lie between 0 and 1e6 nm";
    if (!all_within(phases.strains, kStrainLimit.low, kStrainLimit.high))
        return "option --phase-strains: each microstrain must lie between 0 and 10 %";
    for (const auto& [phase, p] : phases.preferred)
        if (phase > static_cast<int>(phaseCount))
            return "option --phase-preferred: there is no phase " + std::to_string(phase);
    if (phases.fitFractions && !observed)
        return "--fit-fractions needs an --observed diagram";
    return {};
}

}  // namespace kalidos::batch
