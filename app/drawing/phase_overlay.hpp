// The phases of a mixture drawn over its total: each shown phase's curve in its colour, and the
// phase list as a legend.
#pragma once

#include "drawing/diagram_geometry.hpp"

#include <QColor>
#include <QPainter>
#include <QString>
#include <vector>

namespace kalidos::drawing {

struct PhaseLine {
    QString label;  // name and weight fraction
    QColor colour;
    bool shown = true;
    std::vector<double> intensity;  // on the calculated diagram's points, in its units
};

struct PhaseOverlay {
    std::vector<double> twoTheta;  // the calculated diagram's points
    std::vector<PhaseLine> phases;
};

// The shown phases' curves in θ or 2θ (in Q the calculated diagram is sticks: no curves) and the
// legend of every phase at the picture's top right.
void draw_phase_overlay(QPainter& painter, const DiagramView& view, const PhaseOverlay& overlay, AbscissaMode mode,
                        IntensityScale scale);

}  // namespace kalidos::drawing
