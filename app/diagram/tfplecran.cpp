// Construction of the diagram window: its picture, bottom panel and menus.
#include "diagram/tfplecran.hpp"

#include "diagram/phase_mixture.hpp"
#include "diagram/picture_widget.hpp"
#include "diagram/tfidentify.hpp"
#include "diagram/tfindex.hpp"
#include "diagram/tfphases.hpp"
#include "diagram/tfdifference.hpp"
#include "diagram/tfprint.hpp"
#include "diagram/tfseries.hpp"
#include "diagram/up_down.hpp"
#include "refinement/tfrefine.hpp"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalidos::app {
namespace {

constexpr int kCreatedHeight = 748; // pixels, the window's first height
constexpr int kPanelHeight = 36;
const char* const kHelpLine =
    "Click on a peak to index it, or click on a line of the list.   Click and drag a "
    "box to \"zoom\".  Click on the right button to \"unzoom\".";

QAction* add_item(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

Tfplecran::Tfplecran(Workspace& workspace, DiagramServices services, QWidget* parent)
    : QMainWindow(parent), workspace_(workspace), services_(std::move(services))
{
    if (!services_.printDialog) {
        services_.printDialog = [this](QPrinter& printer) {
            QPrintDialog dialog(&printer, this);
            return dialog.exec() == QDialog::Accepted;
        };
    }
    creation();
}

Tfplecran::~Tfplecran() = default;

void Tfplecran::creation()
{
    setObjectName("fplecran");
    setWindowTitle("Diffraction diagram");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    image_ = new PictureWidget(central);
    image_->setObjectName("Image1");
    image_->setCursor(Qt::CrossCursor);
    layout->addWidget(image_, 1);
    build_panel();
    layout->addWidget(panel_);
    setCentralWidget(central);
    build_menus();

    difference_ = new Tfdifference(this);
    print_ = new Tfprint(workspace_, services_.printDialog, this);
    mixture_ = std::make_unique<PhaseMixture>(workspace_);
    // A refinement drawn was of the phases before: the mixture's curve takes its place.
    phases_ = new Tfphases(*mixture_, services_, [this] { refinementShown_ = false, phases_changed(); }, this);
    RefineHooks refineHooks;
    refineHooks.draw = [this](const AgreementCurves* curves, const drawing::FitLegend* legend) {
        draw_refinement(curves, legend);
    };
    refineHooks.kept = [this] {
        if (services_.structureRefined)
            services_.structureRefined();
        phases_->refresh();
        phases_changed();
    };
    refine_ = new Tfrefine(workspace_, *mixture_, services_, std::move(refineHooks), this);
    identify_ = new Tfidentify(
        workspace_, services_, [this](const std::vector<StickLine>& lines) { show_candidate_sticks(lines); },
        [this](const std::string& file, std::optional<double> fraction) { return add_identified_phase(file, fraction); },
        this);
    indexing_ = new Tfindex(
        workspace_, services_, [this](const std::vector<StickLine>& lines) { show_candidate_sticks(lines); },
        [this](const StructureModel& structure, const std::string& name) { return add_indexed_phase(structure, name); },
        this);
    identify_->set_index_hook([this](const PeakList& peaks) { indexing_->start_with(peaks); });
    series_ = new Tfseries(services_, this);
    connect(image_, &PictureWidget::pressed, this, &Tfplecran::OnMouseDown);
    connect(image_, &PictureWidget::moved, this, &Tfplecran::Image1_OnMouseMove);
    connect(image_, &PictureWidget::released, this, &Tfplecran::ONMouseUp);
    connect(image_, &PictureWidget::resized, this, &Tfplecran::resize_picture);
    connect(image_, &PictureWidget::wheeled, this, &Tfplecran::wheel_zoom);
    workspace_.model.recalculatePending = false;
    resize(1030, kCreatedHeight);
    rememberedHeight_ = height();
}

void Tfplecran::build_panel()
{
    panel_ = new QFrame(this);
    panel_->setObjectName("Panel2");
    panel_->setFixedHeight(kPanelHeight);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setAutoFillBackground(true);
    panel_->setStyleSheet("QFrame#Panel2 { background-color: silver; }");
    auto* row = new QHBoxLayout(panel_);
    row->setContentsMargins(4, 2, 4, 2);

    upDown2_ = new UpDown(10, 500, 5, panel_);
    upDown2_->setObjectName("UpDown2");
    upDown2_->setToolTip("Modifiy the scale");
    upDown2_->setValue(10);
    upDown1_ = new UpDown(0, 180, 1, panel_);
    upDown1_->setObjectName("UpDown1");
    upDown1_->setToolTip("Shift the diagram");
    bitBtn1_ = new QPushButton("Reset", panel_);
    bitBtn1_->setObjectName("BitBtn1");
    bitBtn1_->setToolTip("Reset diagram");
    edit1_ = new QLineEdit(panel_);
    edit1_->setObjectName("Edit1");
    edit1_->setReadOnly(true);
    edit1_->setFixedWidth(144);
    edit1_->setStyleSheet("QLineEdit { background-color: aqua; }");
    edit3_ = new QLineEdit(kHelpLine, panel_);
    edit3_->setObjectName("Edit3");
    edit3_->setReadOnly(true);
    edit3_->setFixedWidth(745);
    edit3_->setCursorPosition(0);
    edit3_->hide(); // shown with the first drawing
    for (QWidget* widget :
         {static_cast<QWidget*>(upDown2_), static_cast<QWidget*>(upDown1_), static_cast<QWidget*>(bitBtn1_),
          static_cast<QWidget*>(edit1_), static_cast<QWidget*>(edit3_)})
        row->addWidget(widget);
    row->addStretch(1);

    connect(upDown2_, &UpDown::changeRequested, this, &Tfplecran::change_echelle);
    connect(upDown1_, &UpDown::changeRequested, this, &Tfplecran::shifte_diagramme);
    connect(bitBtn1_, &QPushButton::clicked, this, &Tfplecran::reset_diag);
}

void Tfplecran::build_menus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    QMenu* file = bar->addMenu("&File");
    file->menuAction()->setObjectName("File1");
    build_file_menu(file);

    QMenu* scaleMenu = bar->addMenu("&Y Scale");
    scaleMenu->menuAction()->setObjectName("Echelle1");
    linear_ = add_item(scaleMenu, "Linear1", "&Linear");
    logarithmic_ = add_item(scaleMenu, "Logarithmic1", "L&ogarithmic");
    squareRoot_ = add_item(scaleMenu, "Squareroot1", "&Square root");
    for (QAction* item : {linear_, logarithmic_, squareRoot_})
        item->setCheckable(true);
    linear_->setChecked(true);
    connect(linear_, &QAction::triggered, this, &Tfplecran::Linear1Click);
    connect(logarithmic_, &QAction::triggered, this, &Tfplecran::Logarithmic1Click);
    connect(squareRoot_, &QAction::triggered, this, &Tfplecran::Squareroot1Click);

    QMenu* erase = bar->addMenu("&Erase");
    erase->menuAction()->setObjectName("Erase1");
    connect(add_item(erase, "Calculateddiagram1", "&Calculated diagram"), &QAction::triggered, this,
            &Tfplecran::efface_diagramme_calcule);
    connect(add_item(erase, "Observeddiagrams1", "&Observed diagrams"), &QAction::triggered, this,
            &Tfplecran::efface_diagrammes_raw);

    build_compare_menu(bar);
    difference1_ = bar->addAction("&Difference");
    difference1_->setObjectName("Difference1");
    difference1_->setCheckable(true);
    connect(difference1_, &QAction::triggered, this, &Tfplecran::disp_difference);
    QAction* phases = bar->addAction("&Phases...");
    phases->setObjectName("Phases1");
    connect(phases, &QAction::triggered, this, &Tfplecran::show_phases);
    QAction* refine = bar->addAction("&Refine...");
    refine->setObjectName("Refine1");
    connect(refine, &QAction::triggered, this, &Tfplecran::show_refinement);
    QAction* identify = bar->addAction("&Identify...");
    identify->setObjectName("Identify1");
    connect(identify, &QAction::triggered, this, &Tfplecran::show_identify);
    QAction* indexing = bar->addAction("Inde&x...");
    indexing->setObjectName("Index1");
    connect(indexing, &QAction::triggered, this, &Tfplecran::show_index);
    QAction* series = bar->addAction("&Series...");
    series->setObjectName("Series1");
    connect(series, &QAction::triggered, this, &Tfplecran::show_series);
    QAction* help = bar->addAction("&Help");
    help->setObjectName("Help1");
    connect(help, &QAction::triggered, this, &Tfplecran::Aide);
}

void Tfplecran::build_file_menu(QMenu* file)
{
    QMenu* open = file->addMenu("&Open");
    open->menuAction()->setObjectName("Diagramimportation1");
    build_open_menu(open);
    QMenu* save = file->addMenu("&Save");
    save->menuAction()->setObjectName("Diagramexportation1");
    build_save_menu(save);
    file->addSeparator();
    connect(add_item(file, "ImpressionDiagramme1", "&Print"), &QAction::triggered, this,
            &Tfplecran::ImpressionDiagramme1Click);
    connect(add_item(file, "Saveimage1", "&Save image"), &QAction::triggered, this, &Tfplecran::sauve_image);
    QAction* copy = add_item(file, "Copypicture1", "&Copy picture");
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &Tfplecran::copy_picture);
}

bool Tfplecran::event(QEvent* event)
{
    // A change made elsewhere (source, scale) asked for a redraw the next time the window is used.
    if (event->type() == QEvent::WindowActivate && workspace_.model.recalculatePending)
        dessine();
    return QMainWindow::event(event);
}

const QImage& Tfplecran::picture() const
{
    return image_->picture();
}

drawing::DiagramOptions Tfplecran::options() const
{
    return {workspace_.abscissaMode, scale_, verticalScale_, selected_, phase_overlay()};
}

void Tfplecran::show_series()
{
    series_->start();
}

}  // namespace kalidos::app
