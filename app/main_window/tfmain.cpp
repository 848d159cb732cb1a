#include "main_window/tfmain.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "dialogs/help_window.hpp"
#include "dialogs/listing_viewer.hpp"
#include "dialogs/sample_profile_dialog.hpp"
#include "dialogs/tflp.hpp"
#include "dialogs/tform2.hpp"
#include "dialogs/tform3.hpp"
#include "dialogs/tfgroupes.hpp"
#include "dialogs/tfimpur.hpp"
#include "dialogs/tflilambda.hpp"
#include "entry/startup_files.hpp"
#include "structure/tfstructure.hpp"
#include "util/pascal_format.hpp"

namespace kalidos::app {

Tfmain::Tfmain(Workspace& workspace, MainServices services, QWidget* parent)
    : QMainWindow(parent), workspace_(workspace), services_(services), form_(std::make_unique<EntryForm>())
{
    setObjectName("fmain");
    setWindowTitle("KALIDOS (15/11/03)");
    setStyleSheet("QMainWindow, #CentralWidget, #Panel5 { background: #c0c0c0; }");
    build_layout();
    build_menus();
    build_dialogs();
    connect_entries();
    resize(1180, 640);  // room for the grids and the results list at today's font sizes
    move(0, 0);
}

Tfmain::~Tfmain()
{
    // Closing the window moves the focus: the data panel must not hear of it while it is destroyed.
    disconnect(qApp, nullptr, this, nullptr);
}

void Tfmain::build_dialogs()
{
    Messages& messages = *services_.messages;
    about_ = new Tform2(this);
    flp_ = new TFLP(workspace_, messages, this);
    impur_ = new Tfimpur(workspace_, messages, this);
    impur_->on_accepted = [this] {
        show_range();
        show_anomalous();
    };
    lilambda_ = new Tflilambda(messages, this);
    groupes_ = new Tfgroupes(workspace_, messages, this);
    groupes_->on_group_applied = [this](const GroupFields& fields) {
        edit8_->setText(QString::fromStdString(fields.hermannMauguin));
        edit9_->setText(QString::fromStdString(fields.hall));
        edit12_->setText(QString::fromStdString(fields.number));
        structure_changed();
    };
    form3_ = new TForm3(this);
    viewer_ = new ListingViewer(this);
    help_ = new HelpWindow(this);
    sampleProfile_ = new SampleProfileDialog(workspace_.model, messages, this);
    sampleProfile_->on_accepted = [this] { clear_results(); };
    sampleProfile_->on_help = [this] { aide(kSampleProfileHelpTopic); };
    connect(flp_, &QDialog::finished, this, [this] { reset_donnees(); });
    StructureServices structure{&messages, services_.fileDialogs, {}, [this](int atom) { select_atom_row(atom); },
                                [this](int topic) { aide(topic); }};
    structure_ = new Tfstructure(workspace_.model, std::move(structure), this);
}

void Tfmain::connect_entries()
{
    connect(bitBtn1_, &QPushButton::clicked, this, &Tfmain::recalcule);
    connect(bitBtn2_, &QPushButton::clicked, this, &Tfmain::optionX);
    connect(bitBtn3_, &QPushButton::clicked, this, &Tfmain::choixN);
    connect(bitBtn4_, &QPushButton::clicked, this, &Tfmain::BitBtn4Click);
    connect(color95Button4_, &QPushButton::clicked, this, &Tfmain::bouton_lecture_ano);
    connect_structure_window();
    connect(listBox2_, &QListWidget::itemClicked, this, [this] { lecture_donnees(); });
    connect(listBox3_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ecrit(listBox3_->row(item)); });
    connect(listBox4_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { set_lambda(listBox4_->row(item)); });
    connect(unitButtons_, &QButtonGroup::idClicked, this, &Tfmain::change_theta_2theta);
    connect(stringGrid1_, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });
    // The cell check runs once the grid has committed the cell being left.
    const auto on_select = [this](int radiation) {
        return [this, radiation](int row, int, int previousRow, int previousColumn) {
            QMetaObject::invokeMethod(
                this, [=, this] { maj_to_min(radiation, previousRow + 1, previousColumn, row + 1); },
                Qt::QueuedConnection);
        };
    };
    connect(stringGrid1_, &QTableWidget::currentCellChanged, this, on_select(kXrays));
    connect(stringGrid4_, &QTableWidget::currentCellChanged, this, on_select(kNeutrons));
    // Entering the data panel from elsewhere (the results list) empties the results list.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const auto inside = [this](QWidget* w) { return w && panel5_->isAncestorOf(w); };
        if (inside(now) && !inside(old))
            acces_panel5();
    });
}

namespace {

int field_of(const QObject* edit)
{
    static const char* const names[] = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "edit7",
                                        "Edit11", "Edit14", "Edit17", "Edit19", "Edit21", "Edit25"};
    for (int i = 0; i < 12; ++i)
        if (edit->objectName() == names[i])
            return i + 1;
    return 0;
}

bool is_checked_edit(const QObject* object)
{
    const QString name = object->objectName();
    return field_of(object) > 0 || name == "Edit8" || name == "Edit9" || name == "Edit12";
}

}  // namespace

bool Tfmain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const bool grid = watched == stringGrid1_->viewport() || watched == stringGrid4_->viewport();
        if (grid || (is_checked_edit(watched) && watched != edit29_))
            reset_spectre_res();
    }
    if (is_checked_edit(watched)) {
        if (event->type() == QEvent::FocusIn) {
            if (watched == edit11_)
                entree_lambda();
            else
                numero_case(field_of(watched));
        } else if (event->type() == QEvent::FocusOut) {
            // A message box or menu taking the focus does not end the editing.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                verif_frappe_edit();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                verif_frappe_edit();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Tfmain::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        reset_donnees();
    return QMainWindow::event(event);
}

void Tfmain::set_data_caption(const std::string& fileName)
{
    panel4Caption_->setText(fileName.empty() ? QString("Data")
                                             : QString("Data (%1)").arg(QString::fromStdString(fileName)));
}

std::string Tfmain::data_path(const std::string& name) const
{
    return (std::filesystem::path(workspace_.model.startDirectory) / name).string();
}

bool Tfmain::init_creation()
{
    StructureModel& model = workspace_.model;
    set_radiation_buttons(true);
    stringGrid1_->show();
    stringGrid2_->show();
    anomalousLabel_->show();
    stringGrid4_->hide();
    model.radiation = kXrays;
    model.polarisation = 0.5;
    const std::string here = QDir::currentPath().toStdString();
    if (const auto message = missing_data_file_message(model.dataDirectory.empty() ? here : model.dataDirectory)) {
        beep_and_warn(*services_.messages, *message);
        return false;
    }
    delete_old_listings(here);
    model.xraySource = kTubeSource;
    model.recalculatePending = false;
    model.startDirectory = here;
    model.twoTheta1 = model.enteredTwoTheta1 = 10;
    model.twoTheta2 = model.enteredTwoTheta2 = 50;
    model.typedWavelength = model.wavelengths.shortest = model.wavelengths.longest = 0;
    model.u = 0.001;
    model.v = 0;
    model.w = 0.005;
    model.spaceGroupSymbol.clear();
    edit14_->setText("10");
    edit17_->setText("50");
    edit11_->clear();
    edit19_->setText("0.001");
    edit21_->setText("0");
    edit25_->setText("0.005");
    workspace_.abscissaMode = AbscissaMode::TwoTheta;
    unitButtons_->button(1)->setChecked(true);
    set_limit_labels(1);
    listBox4_->clearSelection();
    listBox4_->setCurrentRow(-1);
    return true;
}

void Tfmain::reset_donnees()
{
    StructureModel& model = workspace_.model;
    if (!model.structureFileName.empty())
        show_cell();
    if (model.recalculatePending) {
        if (workspace_.results.reflections.count > 0)
            recalcule();
        model.recalculatePending = false;
    }
    show_source_line();
}

void Tfmain::show_source_line()
{
    const StructureModel& model = workspace_.model;
    if (model.radiation == kNeutrons)
        panel7_->setText("Source: Neutrons");
    else if (model.xraySource == kSynchrotronSource)
        panel7_->setText(QString::fromStdString("Source: X Synchr. p=" + fmt_fixed(model.polarisation, 4, 2)));
    else
        panel7_->setText("Source: X ray tube");
}

void Tfmain::set_radiation_buttons(bool xrays)
{
    bitBtn2_->setStyleSheet(xrays ? "QPushButton { color: red; }" : "QPushButton { color: gray; }");
    bitBtn3_->setStyleSheet(xrays ? "QPushButton { color: gray; }" : "QPushButton { color: red; }");
}

}  // namespace kalidos::app
