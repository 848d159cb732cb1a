// The comparison picture: a measured diagram at its own points with the fitted calculation
// over it and the difference in a strip below; the figures of the fit in the legend.
#pragma once

#include "drawing/diagram_render.hpp"

namespace kalidos::drawing {

// Draws `agreement` over the DisplayRange: observed (colour of diagram 1), the scaled
// calculation plus background (black), the background (grey), and observed − calculated in
// a strip of a quarter of the height, all on one intensity scale (the largest observed value
// in view = 100). The returned view maps the upper part, for the readout and the zoom box.
RenderOutcome render_comparison(QPainter& painter, QSize picture, const Workspace& workspace,
                                const Agreement& agreement, const DiagramOptions& options);

}  // namespace kalidos::drawing
