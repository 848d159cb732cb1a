#include "mixture/phase_results_list.hpp"

#include <algorithm>

#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

constexpr double kTwoPi = 6.283185307179586;

void add_phase_rows(const MixturePhase& phase, AbscissaMode mode, std::vector<std::string>& lines)
{
    double largest = 0;
    for (const Reflection& r : phase.reflections)
        largest = std::max(largest, r.intensity);
    const double k = largest > 0 ? 100 / largest : 0.0;
    int number = 0;
    for (const Reflection& r : phase.reflections) {
        const double d = r.d * phase.cellScale;
        const double twoTheta = scaled_two_theta(r, phase.cellScale);
        const double abscissa = mode == AbscissaMode::Q ? kTwoPi / d : mode == AbscissaMode::Theta ? twoTheta / 2 : twoTheta;
        lines.push_back(fmt_int(++number, 3) + fmt_int(r.h, 3) + fmt_int(r.k, 3) + fmt_int(r.l, 3) + fmt_fixed(d, 8, 4) +
                        fmt_fixed(abscissa, 8, mode == AbscissaMode::Q ? 4 : 3) + fmt_fixed(k * r.intensity, 6, 1) +
                        fmt_fixed(r.lambda, 8, 5));
    }
}

}  // namespace

std::vector<std::string> phase_result_lines(const std::vector<MixturePhase>& phases,
                                            const std::vector<PhaseListItem>& items, AbscissaMode mode)
{
    std::vector<std::string> lines;
    if (phases.size() < 2 || items.size() != phases.size())
        return lines;
    lines.push_back("");
    lines.push_back("Phase 1: " + phase_list_text(items[0]) + " (the lines above)");
    for (std::size_t p = 1; p < phases.size(); ++p) {
        lines.push_back("Phase " + std::to_string(p + 1) + ": " + phase_list_text(items[p]));
        add_phase_rows(phases[p], mode, lines);
    }
    return lines;
}

}  // namespace kalidos
