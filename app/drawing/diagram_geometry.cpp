#include "drawing/diagram_geometry.hpp"

#include "util/pascal_format.hpp" // for fmt_fixed

#include <algorithm>
#include <cmath>
#include <utility>

namespace kalidos::drawing {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;
constexpr double kInverseFourPi = 0.0795774715;
constexpr double kRadianToTwoTheta = 114.5914; // 360/π: asin result to 2θ in degrees
constexpr int kPickTolerance = 4;              // pixels

// 2θ of a Q with wavelength λ, the sine brought back into [−1, 1].
double two_theta_from_q(double q, double lambda)
{
    const double sine = std::clamp(q * lambda * kInverseFourPi, -1.0, 1.0);
    return std::asin(sine) * kRadianToTwoTheta;
}

}  // namespace

DiagramView make_view(int imageWidth, int imageHeight, double xmin, double xmax, double verticalScale)
{
    DiagramView view;
    view.imageWidth = imageWidth;
    view.imageHeight = imageHeight;
    view.baseline = imageHeight - kBottomMargin;
    view.xmin = xmin;
    view.xmax = xmax;
    view.xScale = xmax != xmin ? (imageWidth - kLeftMargin) / (xmax - xmin) : 0.0;
    view.verticalScale = verticalScale;
    view.yScale = view.baseline * verticalScale * 0.01;
    return view;
}

Pixel point_ecran(const DiagramView& view, double x, double intensity)
{
    return {static_cast<int>(std::lround((x - view.xmin) * view.xScale + kLeftMargin)),
            static_cast<int>(std::lround(view.baseline - intensity * view.yScale))};
}

WorldPoint point_monde(const DiagramView& view, int px, int py)
{
    WorldPoint point;
    if (view.xScale != 0)
        point.x = (px - kLeftMargin) / view.xScale + view.xmin;
    if (view.yScale != 0)
        point.intensity = (view.baseline - py) / view.yScale;
    return point;
}

AbscissaLimits display_limits(const StructureModel& model, AbscissaMode mode)
{
    switch (mode) {
    case AbscissaMode::Theta:
        return {model.twoTheta1 / 2, model.twoTheta2 / 2};
    case AbscissaMode::TwoTheta:
        return {model.twoTheta1, model.twoTheta2};
    case AbscissaMode::Q:
        break;
    }
    return {model.q1, model.q2};
}

double reflection_abscissa(const Reflection& reflection, AbscissaMode mode)
{
    switch (mode) {
    case AbscissaMode::Theta:
        return reflection.twoTheta / 2;
    case AbscissaMode::TwoTheta:
        return reflection.twoTheta;
    case AbscissaMode::Q:
        break;
    }
    return reflection.d != 0 ? kTwoPi / reflection.d : 0.0;
}

double q_from_two_theta(double twoTheta, double lambda)
{
    return kFourPi * std::sin(twoTheta * kHalfDegreeToRadian) / lambda;
}

double tick_step(double span)
{
    // The band from 0.1 to 0.5 has a step of its own (0.1) so that narrow zooms keep their ticks.
    if (span < 0.1)
        return 0.01;
    if (span <= 1)
        return 0.1;
    if (span <= 10)
        return 1;
    if (span <= 50)
        return 5;
    if (span <= 100)
        return 10;
    return 20;
}

std::vector<double> tick_values(double x1, double x2)
{
    const double step = tick_step(std::fabs(x2 - x1));
    // Ticks are whole multiples of the step, computed from their index rather than summed, so
    // that a tick at the very end of the span is not lost to accumulated rounding.
    double n = std::round(x1 / step);
    if (n * step < x1 - step * 1e-9)
        n += 1;
    std::vector<double> values;
    for (double t = n * step; t <= x2 + step * 1e-9; t = (++n) * step)
        values.push_back(t);
    return values;
}

std::vector<Tick> axis_ticks(double x1, double x2)
{
    std::vector<Tick> ticks;
    for (double t : tick_values(x1, x2))
        ticks.push_back({t, fmt_fixed(t, 5, 1)});
    return ticks;
}

void DifferenceRows::clear()
{
    std::fill(row1.begin(), row1.end(), -1);
    std::fill(row2.begin(), row2.end(), -1);
}

void DifferenceRows::record(int curve, Pixel pixel)
{
    if (pixel.x < 1 || pixel.x > kDifferenceColumns || curve < 1 || curve > 2)
        return;
    (curve == 1 ? row1 : row2)[static_cast<std::size_t>(pixel.x)] = pixel.y;
}

std::vector<Pixel> difference_points(const DifferenceRows& rows)
{
    std::vector<Pixel> points;
    for (int j = 1; j <= kDifferenceColumns; ++j) {
        const int y1 = rows.row1[static_cast<std::size_t>(j)];
        const int y2 = rows.row2[static_cast<std::size_t>(j)];
        if (y1 != -1 && y2 != -1)
            points.push_back({j, y2 - y1 + 100});
    }
    return points;
}

std::vector<int> reflections_near(const DiagramView& view, const CountedTable<Reflection>& merged,
                                  AbscissaMode mode, int px)
{
    std::vector<int> found;
    for (int i = 1; i <= merged.count; ++i) {
        const Pixel pixel = point_ecran(view, reflection_abscissa(merged[i], mode), 0);
        if (std::abs(pixel.x - px) < kPickTolerance)
            found.push_back(i);
    }
    return found;
}

void derive_q_limits(StructureModel& model)
{
    const WavelengthSet& set = model.wavelengths;
    if (set.longest <= 0 || set.shortest <= 0)
        return; // no radiation yet: the Q limits have no meaning
    model.q1 = q_from_two_theta(model.twoTheta1, set.longest);
    model.q2 = q_from_two_theta(model.twoTheta2, set.shortest);
}

double apply_zoom(StructureModel& model, AbscissaMode mode, const DiagramView& view, Pixel press,
                  int releaseX)
{
    set_display_abscissa(model, mode, {point_monde(view, press.x, press.y).x, point_monde(view, releaseX, press.y).x});
    // The intensity under the press point is brought to the top of the picture.
    const int divisor = view.imageHeight - press.y - kBottomMargin;
    if (divisor <= 0)
        return view.verticalScale;
    return view.verticalScale * (view.imageHeight - kBottomMargin) / divisor;
}

void set_display_abscissa(StructureModel& model, AbscissaMode mode, AbscissaLimits limits)
{
    double x1 = limits.xmin;
    double x2 = limits.xmax;
    if (x1 > x2)
        std::swap(x1, x2);
    const WavelengthSet& set = model.wavelengths;
    if (mode == AbscissaMode::Q) {
        if (set.longest > 0 && set.shortest > 0) {
            x1 = std::min(x1, kFourPi / set.longest);
            x2 = std::min(x2, kFourPi / set.shortest);
            model.twoTheta1 = two_theta_from_q(x1, set.longest);
            model.twoTheta2 = two_theta_from_q(x2, set.shortest);
        }
        model.q1 = x1;
        model.q2 = x2;
    } else {
        const double factor = mode == AbscissaMode::Theta ? 2.0 : 1.0;
        model.twoTheta1 = factor * x1;
        model.twoTheta2 = factor * x2;
        derive_q_limits(model);
    }
    model.twoThetaWidth = model.twoTheta2 - model.twoTheta1;
}

void reset_display_range(StructureModel& model)
{
    model.twoTheta1 = model.enteredTwoTheta1;
    model.twoTheta2 = model.enteredTwoTheta2;
    model.q1 = model.enteredQ1;
    model.q2 = model.enteredQ2;
}

void shift_display_range(StructureModel& model, AbscissaMode mode, int centre)
{
    const double halfWidth = model.twoThetaWidth / 2;
    const WavelengthSet& set = model.wavelengths;
    if (mode == AbscissaMode::Q) {
        // The Q view moves its own limits; the 2θ limits follow.
        model.q1 = std::max(0.0, centre - halfWidth);
        model.q2 = centre + halfWidth;
        if (set.longest > 0 && set.shortest > 0) {
            model.q1 = std::min(model.q1, kFourPi / set.longest);
            model.q2 = std::min(model.q2, kFourPi / set.shortest);
            model.twoTheta1 = two_theta_from_q(model.q1, set.longest);
            model.twoTheta2 = two_theta_from_q(model.q2, set.shortest);
        }
        return;
    }
    const double factor = mode == AbscissaMode::Theta ? 2.0 : 1.0;
    model.twoTheta1 = factor * (centre - halfWidth);
    model.twoTheta2 = factor * (centre + halfWidth);
    derive_q_limits(model);
}

std::string cursor_readout(const DiagramView& view, const StructureModel& model, AbscissaMode mode,
                           Pixel cursor)
{
    const double x = point_monde(view, cursor.x, cursor.y).x;
    const double lambda = model.typedWavelength;
    std::string text = mode == AbscissaMode::Theta ? "Th=" : mode == AbscissaMode::TwoTheta ? "2Th=" : "Q=";
    text += fmt_fixed(x, 8, 2);
    double d = 0;
    if (mode == AbscissaMode::Q) {
        d = x > 0 ? kTwoPi / x : 0;
    } else if (model.wavelengths.count <= 1) {
        const double sine = std::sin(x * (mode == AbscissaMode::Theta ? 0.0174533167 : 0.0087266127));
        d = sine > 0 ? lambda / (2 * sine) : 0;
    }
    // d is shown only where it is defined: one wavelength (or Q) and a positive angle.
    if (d > 0)
        text += "  d=" + fmt_fixed(d, 7, 3);
    return text;
}

}  // namespace kalidos::drawing
