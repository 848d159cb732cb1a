// The diagram window's wheel zoom around the pointer and its middle-button pan. Both change the
// shown range as the zoom box does (the vertical scale stays) and redraw.
#include "diagram/tfplecran.hpp"
#include "drawing/view_navigation.hpp"

namespace kalidos::app {

void Tfplecran::wheel_zoom(QPoint position, double notches)
{
    if (!outcome_.drawn || notches == 0)
        return;
    drawing::set_display_abscissa(workspace_.model, workspace_.abscissaMode,
                                  drawing::zoomed_limits(outcome_.view, workspace_.abscissaMode, position.x(), notches));
    dessine();
}

void Tfplecran::pan_to(QPoint position)
{
    drawing::set_display_abscissa(workspace_.model, workspace_.abscissaMode,
                                  drawing::panned_limits(panView_, workspace_.abscissaMode, position.x() - panFrom_.x()));
    dessine();
}

}  // namespace kalidos::app
