// The diagram window's view: redraw, scale, shift, reset, zoom box, readout and peak indexing.
#include "diagram/picture_widget.hpp"
#include "diagram/tfdifference.hpp"
#include "diagram/tfplecran.hpp"
#include "drawing/comparison_render.hpp"
#include "diagram/up_down.hpp"
#include "refinement/tfrefine.hpp"
#include "drawing/palette.hpp" // for kZoomBox

#include <QLineEdit>
#include <QPainter>
#include <cmath>

namespace kalidos::app {
namespace {

constexpr int kCalculatedHeight = 290;    // pixels, the window's height after a calculation
constexpr int kScaleMaximum = 500;        // UpDown2's maximum: S = 50
constexpr int kClickTolerance = 3;        // pixels: a shorter horizontal move is a click
constexpr int kHeightChangeForReset = 50; // pixels

}  // namespace

void Tfplecran::dessine()
{
    image_->fit_picture();
    QPainter painter(&image_->picture());
    const bool comparison = comparisonShown_ && !workspace_.agreements.empty();
    const QSize size = image_->picture().size();
    drawing::RenderOutcome outcome =
        refinementShown_ ? drawing::render_fit(painter, size, workspace_, refinementCurves_, refinementLegend_, options())
        : comparison     ? drawing::render_comparison(painter, size, workspace_, workspace_.agreements.front(), options())
                         : drawing::render_diagram(painter, size, workspace_, options());
    painter.end();
    if (!outcome.drawn)
        return; // nothing to show yet: the picture stays as it was
    outcome_ = std::move(outcome);
    edit3_->show();
    workspace_.model.recalculatePending = false;
    upDown1_->setValue(static_cast<int>(std::lround((outcome_.view.xmin + outcome_.view.xmax) / 2)));
    workspace_.model.twoThetaWidth = outcome_.view.xmax - outcome_.view.xmin;
    if (differenceShown_)
        difference_->draw(outcome_.rows);
    clean_ = image_->picture().copy();
    image_->update();
}

void Tfplecran::efface_ecran()
{
    image_->fit_picture();
    QPainter painter(&image_->picture());
    drawing::efface_ecran(painter, image_->picture().size());
    painter.end();
    clean_ = image_->picture().copy();
    image_->update();
}

void Tfplecran::reset_diag()
{
    drawing::reset_display_range(workspace_.model);
    verticalScale_ = 1.0;
    upDown2_->setValue(10);
    dessine();
}

void Tfplecran::initialise()
{
    rememberedHeight_ = height();
    verticalScale_ = 1.0;
    upDown2_->setValue(10);
    drawing::reset_display_range(workspace_.model);
    if (workspace_.model.recalculatePending)
        dessine();
}

void Tfplecran::show_after_calculation()
{
    resize(width(), kCalculatedHeight);
    phases_after_calculation();
    // A refinement drawn belongs to the calculation before: the new one is drawn, and an open
    // refinement window starts from it.
    refinementShown_ = false;
    initialise();
    dessine();
    show();
    refine_->calculation_changed();
}

void Tfplecran::resize_picture()
{
    // A large change of height starts the view afresh, as after a calculation.
    if (std::abs(height() - rememberedHeight_) > kHeightChangeForReset)
        initialise();
    if (differenceShown_)
        difference_->initialise(*this);
    if (outcome_.drawn)
        dessine();
}

void Tfplecran::change_echelle(int position)
{
    if (position == kScaleMaximum) {
        if (services_.messages)
            services_.messages->beep();
        return;
    }
    verticalScale_ = position * 0.1;
    dessine();
}

void Tfplecran::shifte_diagramme(int position)
{
    drawing::shift_display_range(workspace_.model, workspace_.abscissaMode, position);
    dessine();
}

void Tfplecran::OnMouseDown(QPoint position, Qt::MouseButton button)
{
    if (button == Qt::MiddleButton) {
        panning_ = outcome_.drawn;
        panFrom_ = position;
        panView_ = outcome_.view;
        return;
    }
    dragging_ = true;
    press_ = position;
}

void Tfplecran::Image1_OnMouseMove(QPoint position)
{
    const bool haveDiagram =
        workspace_.results.pattern.pointCount > 0 || !workspace_.rawScan.fileName.empty();
    if (!haveDiagram || !outcome_.drawn)
        return;
    if (panning_) {
        pan_to(position);
        return;
    }
    edit1_->setText(QString::fromStdString(drawing::cursor_readout(
        outcome_.view, workspace_.model, workspace_.abscissaMode, {position.x(), position.y()})));
    if (!dragging_ || std::abs(position.x() - press_.x()) <= kClickTolerance)
        return;
    image_->picture() = clean_.copy();
    QPainter painter(&image_->picture());
    painter.setPen(QPen(drawing::kZoomBox, 1));
    painter.drawPolyline(QPolygon(
        {press_, QPoint(position.x(), press_.y()), position, QPoint(press_.x(), position.y()), press_}));
    painter.end();
    image_->update();
}

void Tfplecran::ONMouseUp(QPoint position, Qt::MouseButton button)
{
    if (button == Qt::MiddleButton) {
        panning_ = false;
        return;
    }
    release_ = position;
    if (button == Qt::RightButton) {
        dragging_ = false;
        reset_diag();
        return;
    }
    if (std::abs(release_.x() - press_.x()) < kClickTolerance)
        index_peak(release_.x());
    else if (dragging_)
        zoom_to(release_.x());
    dragging_ = false;
}

void Tfplecran::index_peak(int releaseX)
{
    selected_ = 0;
    dessine();
    if (!outcome_.drawn)
        return;
    if (phase_overlay()) {
        name_phase_reflection(releaseX);
        return;
    }
    const std::vector<int> found = drawing::reflections_near(outcome_.view, workspace_.results.merged,
                                                             workspace_.abscissaMode, releaseX);
    if (found.empty())
        return;
    QPainter painter(&image_->picture());
    painter.setFont(drawing::picture_font());
    for (int i : found) {
        const double x = drawing::reflection_abscissa(workspace_.results.merged[i], workspace_.abscissaMode);
        drawing::draw_reflection_marker(painter, outcome_.view, i,
                                        drawing::point_ecran(outcome_.view, x, 0).x);
    }
    painter.end();
    image_->update();
    // Every reflection within reach is marked; the list ends on the last one.
    if (services_.selectResultLine)
        services_.selectResultLine(found.back() + 1);
}

void Tfplecran::zoom_to(int releaseX)
{
    if (!outcome_.drawn)
        return;
    verticalScale_ = drawing::apply_zoom(workspace_.model, workspace_.abscissaMode, outcome_.view,
                                         {press_.x(), press_.y()}, releaseX);
    upDown2_->setValue(static_cast<int>(std::lround(10 * verticalScale_)));
    dessine();
}

}  // namespace kalidos::app
