// The diagram window's identification: the Identify window, a candidate's lines over the diagram
// and a candidate added to the Phases window.
#include "diagram/picture_widget.hpp"
#include "diagram/tfidentify.hpp"
#include "diagram/tfphases.hpp"
#include "diagram/tfplecran.hpp"
#include "drawing/diagram_geometry.hpp"

#include <QPainter>
#include <cmath>

namespace kalidos::app {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
const QColor kCandidateColour(200, 0, 160);

}  // namespace

void Tfplecran::show_identify()
{
    identify_->start();
}

void Tfplecran::show_candidate_sticks(const std::vector<StickLine>& lines)
{
    dessine();
    if (lines.empty())
        return;
    const double lambda = workspace_.observed.slots[1].lambda > 0 ? workspace_.observed.slots[1].lambda
                                                                  : workspace_.model.wavelengths.values[1];
    QPainter painter(&image_->picture());
    painter.setPen(QPen(kCandidateColour, 1));
    const drawing::DiagramView& view = outcome_.view;
    const int reach = (view.baseline - 20) / 2;  // the strongest line: half the picture's height
    for (const StickLine& line : lines) {
        Reflection r;
        r.twoTheta = line.twoTheta;
        r.lambda = lambda;
        r.d = lambda / (2 * std::sin(line.twoTheta / 2 / kDegreesPerRadian));
        const int x = drawing::point_ecran(view, drawing::reflection_abscissa(r, workspace_.abscissaMode), 0).x;
        if (x < 0 || x >= view.imageWidth)
            continue;
        painter.drawLine(x, view.baseline, x, view.baseline - static_cast<int>(std::lround(line.intensity * reach)));
    }
    painter.end();
    image_->update();
}

bool Tfplecran::add_identified_phase(const std::string& file, std::optional<double> fraction)
{
    show_phases();
    return phases_->add_phase_file(file, fraction);
}

}  // namespace kalidos::app
