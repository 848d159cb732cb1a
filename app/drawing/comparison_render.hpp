// The comparison picture: a measured diagram at its own points with the fitted calculation
// over it and the difference in a strip below; the figures of the fit in the legend. A comparison
// and a refinement draw the same way, each with its own legend.
#pragma once

#include "drawing/diagram_render.hpp"

#include <QString>
#include <QStringList>

namespace kalidos::drawing {

// The legend's title ("Comparison with a.xy") and the lines of figures under the curves' names.
struct FitLegend {
    QString title;
    QStringList figures;
};

// The legend of a comparison: Rp, Rwp, Rexp, χ², the scale, the zero shift and the points.
FitLegend comparison_legend(const Agreement& agreement);

// The fitted curves over the DisplayRange with `legend`; as render_comparison below.
RenderOutcome render_fit(QPainter& painter, QSize picture, const Workspace& workspace, const AgreementCurves& curves,
                         const FitLegend& legend, const DiagramOptions& options);

// Draws `agreement` over the DisplayRange: observed (colour of diagram 1), the scaled
// calculation plus background (black), the background (grey), and observed − calculated in
// a strip of a quarter of the height, all on one intensity scale (the largest observed value
// in view = 100). The returned view maps the upper part, for the readout and the zoom box.
RenderOutcome render_comparison(QPainter& painter, QSize picture, const Workspace& workspace,
                                const Agreement& agreement, const DiagramOptions& options);

}  // namespace kalidos::drawing
