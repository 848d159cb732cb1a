// The diagram window's wheel zoom and middle-button pan: new abscissa limits from the view drawn.
#pragma once

#include "drawing/diagram_geometry.hpp"

namespace kalidos::drawing {

// The limits after `steps` wheel notches at pixel column px (positive: towards the user's
// screen, i.e. zoom in): the width scaled by 0.8 per notch around the abscissa under px, which
// stays under it. Limits below 0 (and 2θ above 180°) are moved back inside with the width kept.
AbscissaLimits zoomed_limits(const DiagramView& view, AbscissaMode mode, int px, double steps);

// The limits after the pointer moved dx pixels with the middle button held: the diagram follows
// the pointer. Kept inside the same bounds as zoomed_limits.
AbscissaLimits panned_limits(const DiagramView& view, AbscissaMode mode, int dx);

}  // namespace kalidos::drawing
