// The diagram picture: axis, titles, legend, calculated and observed curves, selection marker.
// One routine serves the window, the clipboard and the picture files.
#pragma once

#include "drawing/diagram_geometry.hpp"

#include <QPainter>
#include <limits>
#include <QSize>

namespace kalidos::drawing {

struct PhaseOverlay;

// What the window shows besides the workspace's data.
struct DiagramOptions {
    AbscissaMode mode = AbscissaMode::TwoTheta;
    IntensityScale scale = IntensityScale::Linear;
    double verticalScale = 1.0; // S
    int selectedReflection = 0; // merged reflection marked on the picture, 0 = none
    const PhaseOverlay* phases = nullptr; // a mixture's phases over its total; none: one structure
};

// What a redraw leaves behind for the window: its mapping, the curves drawn and the
// pixel rows of the first two curves (the difference window's input).
struct RenderOutcome {
    bool drawn = false; // false when the upper limit is 0: the picture was left as it was
    DiagramView view;
    int curveCount = 0;
    DifferenceRows rows;
};

// dessine: draws the whole picture of the given size.
RenderOutcome render_diagram(QPainter& painter, QSize picture, const Workspace& workspace,
                             const DiagramOptions& options);

// The picture's small sans-serif font.
QFont picture_font();

// efface_ecran: white picture with a black frame.
void efface_ecran(QPainter& painter, QSize picture);

// trace_axe: the abscissa line from x1 to x2 at intensity y, its ticks and labels; a label that
// would reach past `labelsEnd` (pixels, where the axis title begins) is left out.
void trace_axe(QPainter& painter, const DiagramView& view, double x1, double x2, double y,
               int labelsEnd = std::numeric_limits<int>::max());

// A reflection marker: its number on yellow at the top and under the baseline, a navy line.
void draw_reflection_marker(QPainter& painter, const DiagramView& view, int number, int px);

// The abscissa of merged reflection s in the unit of the mode; 0 when s is not a record.
double selected_abscissa(const Workspace& workspace, AbscissaMode mode, int s);

}  // namespace kalidos::drawing
