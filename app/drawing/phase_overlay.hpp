// The phases of a mixture drawn over its total: each shown phase's curve in its colour, and the
// phase list as a legend.
#pragma once

#include "drawing/diagram_geometry.hpp"

#include <QColor>
#include <QPainter>
#include <QString>
#include <functional>
#include <vector>

namespace kalidos::drawing {

// One line of a phase in Q: Q = 2π/d and its height in % of the mixture's largest line.
struct PhaseStick {
    double q = 0;
    double percent = 0;
};

struct PhaseLine {
    QString label;  // name and weight fraction
    QColor colour;
    bool shown = true;
    std::vector<double> intensity;  // on the calculated diagram's points, in its units
    std::vector<PhaseStick> sticks;
};

struct PhaseOverlay {
    std::vector<double> twoTheta;  // the calculated diagram's points
    std::vector<PhaseLine> phases;
};

// The shown phases' curves in θ or 2θ, and the legend of every phase at the picture's top right.
// (In Q the phases' sticks stand for the calculated diagram: draw_phase_sticks.)
void draw_phase_overlay(QPainter& painter, const DiagramView& view, const PhaseOverlay& overlay, AbscissaMode mode,
                        IntensityScale scale);

// In Q, each shown phase's lines as sticks of `width` in its colour, placed by `place`
// (abscissa, display value → point), lines outside [xmin, xmax] left out.
void draw_phase_sticks(QPainter& painter, const PhaseOverlay& overlay, IntensityScale scale, int width, double xmin,
                       double xmax, const std::function<QPoint(double, double)>& place);

}  // namespace kalidos::drawing
