// The diagram window's Refine command and the refinement's curves drawn in its picture.
#include "diagram/tfplecran.hpp"
#include "refinement/tfrefine.hpp"

namespace kalidos::app {

void Tfplecran::show_refinement()
{
    refine_->start();
    refine_->raise();
}

void Tfplecran::draw_refinement(const AgreementCurves* curves, const drawing::FitLegend* legend)
{
    refinementShown_ = curves && legend;
    if (refinementShown_) {
        refinementCurves_ = *curves;
        refinementLegend_ = *legend;
    }
    hide_difference();
    workspace_.model.recalculatePending = true;
    dessine();
}

}  // namespace kalidos::app
