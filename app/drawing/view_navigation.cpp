#include "drawing/view_navigation.hpp"

#include <cmath>

namespace kalidos::drawing {
namespace {

constexpr double kZoomPerNotch = 0.8;
constexpr double kSmallestWidth = 1e-3;  // in the abscissa's unit: below it the picture shows nothing useful

// The highest abscissa of the unit: 2θ 180°, θ 90°; Q has no fixed bound here (4π/λ is applied
// when the limits are taken).
double upper_bound(AbscissaMode mode)
{
    switch (mode) {
    case AbscissaMode::Theta:
        return 90;
    case AbscissaMode::TwoTheta:
        return 180;
    case AbscissaMode::Q:
        break;
    }
    return HUGE_VAL;
}

// Moves [xmin, xmax] inside [0, upper] without changing its width where it fits.
AbscissaLimits kept_inside(AbscissaLimits limits, AbscissaMode mode)
{
    const double upper = upper_bound(mode);
    const double width = std::min(limits.xmax - limits.xmin, upper);
    if (limits.xmin < 0)
        limits = {0, width};
    if (limits.xmax > upper)
        limits = {upper - width, upper};
    return limits;
}

}  // namespace

AbscissaLimits zoomed_limits(const DiagramView& view, AbscissaMode mode, int px, double steps)
{
    if (view.xScale == 0)
        return {view.xmin, view.xmax};
    const double x = point_monde(view, px, view.baseline).x;
    double factor = std::pow(kZoomPerNotch, steps);
    if ((view.xmax - view.xmin) * factor < kSmallestWidth)
        factor = kSmallestWidth / (view.xmax - view.xmin);
    return kept_inside({x - (x - view.xmin) * factor, x + (view.xmax - x) * factor}, mode);
}

AbscissaLimits panned_limits(const DiagramView& view, AbscissaMode mode, int dx)
{
    if (view.xScale == 0)
        return {view.xmin, view.xmax};
    const double shift = dx / view.xScale;
    return kept_inside({view.xmin - shift, view.xmax - shift}, mode);
}

}  // namespace kalidos::drawing
