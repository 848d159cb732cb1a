// The diagram window's menu commands: intensity scale, erase, difference, picture, print, help.
#include "diagram/picture_widget.hpp"
#include "diagram/tfdifference.hpp"
#include "diagram/tfplecran.hpp"
#include "diagram/tfprint.hpp"
#include "drawing/picture_export.hpp"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

namespace kalidos::app {
namespace {

constexpr int kHelpTopic = 2;  // the diagram window's page

const std::vector<FileFilter> kPictureFilters = {
    {"Bitmaps", "*.bmp"}, {"PNG pictures", "*.png"}, {"SVG drawings", "*.svg"}, {"PDF documents", "*.pdf"}};
const char* const kPictureExtensions[] = {".bmp", ".png", ".svg", ".pdf"};

}  // namespace

void Tfplecran::choose_scale(drawing::IntensityScale scale, QAction* chosen)
{
    for (QAction* item : {linear_, logarithmic_, squareRoot_})
        item->setChecked(item == chosen);
    scale_ = scale;
    if (workspace_.results.peaks.count == 0)
        return; // no calculation: the choice shows at the next drawing
    workspace_.model.recalculatePending = true;
    dessine();
}

void Tfplecran::Linear1Click()
{
    choose_scale(drawing::IntensityScale::Linear, linear_);
}

void Tfplecran::Logarithmic1Click()
{
    choose_scale(drawing::IntensityScale::Logarithmic, logarithmic_);
}

void Tfplecran::Squareroot1Click()
{
    choose_scale(drawing::IntensityScale::SquareRoot, squareRoot_);
}

void Tfplecran::hide_difference()
{
    difference_->hide();
    difference1_->setChecked(false);
    differenceShown_ = false;
}

void Tfplecran::efface_diagrammes_raw()
{
    workspace_.observed.count = 0;
    workspace_.observed.importCounter = 0;
    comparisonShown_ = false;
    refinementShown_ = false;
    hide_difference();
    dessine();
}

void Tfplecran::efface_diagramme_calcule()
{
    workspace_.results.pattern.pointCount = 0;
    comparisonShown_ = false;
    refinementShown_ = false;
    hide_difference();
    dessine();
}

void Tfplecran::disp_difference()
{
    if (outcome_.curveCount <= 1) {
        difference1_->setChecked(differenceShown_);
        return; // fewer than two curves: nothing to subtract
    }
    if (differenceShown_) {
        hide_difference();
        return;
    }
    differenceShown_ = true;
    difference1_->setChecked(true);
    difference_->initialise(*this);
    difference_->show();
    dessine();
}

void Tfplecran::sauve_image()
{
    if (!services_.fileDialogs)
        return;
    FileRequest request;
    request.title = "Save image";
    request.filters = kPictureFilters;
    const auto chosen = services_.fileDialogs->save_file(request);
    if (!chosen || chosen->path.empty())
        return;
    const int index = chosen->filterIndex >= 0 && chosen->filterIndex < 4 ? chosen->filterIndex : 0;
    QString name = QString::fromStdString(chosen->path);
    if (!name.contains('.'))
        name += kPictureExtensions[index];
    const auto format = drawing::picture_format_of(name, static_cast<drawing::PictureFormat>(index));
    const bool saved = drawing::save_picture(name, format, image_->picture(), [this](QPainter& painter) {
        drawing::render_diagram(painter, image_->picture().size(), workspace_, options());
    });
    if (!services_.messages)
        return;
    if (saved)
        services_.messages->warning("The picture was save in the " + name.toStdString() + " file");
    else
        beep_and_warn(*services_.messages, "The picture could not be written to " + name.toStdString());
}

void Tfplecran::copy_picture()
{
    QGuiApplication::clipboard()->setImage(dragging_ ? clean_ : image_->picture());
}

void Tfplecran::ImpressionDiagramme1Click()
{
    if (workspace_.results.peaks.count == 0 && workspace_.observed.importCounter == 0) {
        if (services_.messages)
            beep_and_warn(*services_.messages, "No calculated diagram!");
        return;
    }
    print_->set_view(workspace_.abscissaMode, scale_, verticalScale_);
    print_->set_phases(phase_overlay());
    print_->show();
}

void Tfplecran::Aide()
{
    if (services_.showHelp)
        services_.showHelp(kHelpTopic);
}

}  // namespace kalidos::app
