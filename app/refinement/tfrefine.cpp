#include "refinement/tfrefine.hpp"

#include "diagram/phase_mixture.hpp"
#include "dialogs/help_window.hpp"
#include "refinement/parameter_tree.hpp"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace kalidos::app {

static_assert(RefinementSettings{}.cycles == kDefaultRefinementCycles, "the remembered default is the engine's");

namespace {

QPushButton* make_button(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

Tfrefine::Tfrefine(Workspace& workspace, PhaseMixture& mixture, DiagramServices services, RefineHooks hooks,
                   QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace), mixture_(mixture), services_(std::move(services)),
      hooks_(std::move(hooks))
{
    setObjectName("frefine");
    setWindowTitle("Refinement");
    build_layout();
    resize(760, 640);
}

Tfrefine::~Tfrefine()
{
    if (worker_) {
        stop_ = true;
        worker_->wait();
    }
}

void Tfrefine::build_layout()
{
    tree_ = new ParameterTree(this);
    figures_ = new QTableWidget(0, 5, this);
    figures_->setObjectName("CycleFigures");
    figures_->setHorizontalHeaderLabels({"Stage", "Cycle", "Rp %", "Rwp %", QString::fromUtf8("χ²")});
    figures_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figures_->verticalHeader()->hide();
    figures_->verticalHeader()->setDefaultSectionSize(figures_->fontMetrics().height() + 6);
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    notes_ = new QPlainTextEdit(this);
    notes_->setObjectName("RefinementNotes");
    notes_->setReadOnly(true);
    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->addWidget(figures_);
    lower->addWidget(notes_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tree_);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    status_ = new QLabel(this);
    status_->setObjectName("RefineStatus");
    status_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(build_settings());
    layout->addWidget(build_buttons());
    layout->addWidget(status_);
}

QWidget* Tfrefine::build_settings()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    cycles_ = new QSpinBox(row);
    cycles_->setObjectName("Cycles");
    cycles_->setRange(1, 1000);
    cycles_->setValue(kDefaultRefinementCycles);
    cycles_->setToolTip("Cycles at most, per stage");
    damping_ = new QDoubleSpinBox(row);
    damping_->setObjectName("Damping");
    damping_->setDecimals(6);
    damping_->setRange(0, 1000);
    damping_->setValue(RefinementSettings{}.damping);
    damping_->setToolTip("Marquardt damping of a stage's first cycle");
    background_ = new QSpinBox(row);
    background_->setObjectName("BackgroundOrder");
    background_->setRange(0, 12);
    background_->setValue(RefinementSettings{}.backgroundOrder);
    background_->setToolTip("Order of the Chebyshev background");
    stagesEdit_ = new QLineEdit(row);
    stagesEdit_->setObjectName("Stages");
    stagesEdit_->setToolTip("The stages refined so far, as kalidos-batch --refine names them; "
                            "Refine stages runs them one after the other");
    layout->addWidget(new QLabel("Cycles", row));
    layout->addWidget(cycles_);
    layout->addWidget(new QLabel("Damping", row));
    layout->addWidget(damping_);
    layout->addWidget(new QLabel("Background order", row));
    layout->addWidget(background_);
    layout->addWidget(new QLabel("Stages", row));
    layout->addWidget(stagesEdit_, 1);
    connect(background_, &QSpinBox::valueChanged, this, [this] { background_order_changed(); });
    return row;
}

QWidget* Tfrefine::build_buttons()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    refine_ = make_button(row, "Refine", "Refine");
    refineStages_ = make_button(row, "RefineStages", "Refine stages");
    stopButton_ = make_button(row, "Stop", "Stop");
    undoButton_ = make_button(row, "Undo", "Undo");
    keep_ = make_button(row, "Keep", "Keep");
    saveCif_ = make_button(row, "SaveRefinedCif", "Save refined CIF...");
    for (QPushButton* button : {refine_, refineStages_, stopButton_, undoButton_, keep_, saveCif_})
        layout->addWidget(button);
    layout->addStretch(1);
    QPushButton* help = make_button(row, "RefineHelp", "Help");
    layout->addWidget(help);
    connect(help, &QPushButton::clicked, this, [this] {
        if (services_.showHelp)
            services_.showHelp(kRefinementHelpTopic);
    });
    connect(refine_, &QPushButton::clicked, this, &Tfrefine::refine_checked);
    connect(refineStages_, &QPushButton::clicked, this, &Tfrefine::refine_stages);
    connect(stopButton_, &QPushButton::clicked, this, &Tfrefine::stop);
    connect(undoButton_, &QPushButton::clicked, this, &Tfrefine::undo);
    connect(keep_, &QPushButton::clicked, this, &Tfrefine::keep);
    connect(saveCif_, &QPushButton::clicked, this, &Tfrefine::save_refined_cif);
    set_running(false);
    return row;
}

bool Tfrefine::start()
{
    if (running()) {
        show();
        return true;
    }
    notes_->clear();
    status_->clear();
    figures_->setRowCount(0);
    RefinementStart made;
    const std::string why = refinement_start(workspace_, mixture_, made);
    show();
    if (!why.empty()) {
        note(QString::fromStdString(why));
        tree_->clear();
        current_.clear();
        set_running(false);
        return false;
    }
    start_ = std::move(made);
    current_ = start_.phases;
    result_.reset();
    undo_.clear();
    const RefinementSettings& remembered = workspace_.model.refinement;
    stages_.clear();
    stagesEdit_->setText(QString::fromStdString(remembered.stages));
    cycles_->setValue(remembered.cycles);
    damping_->setValue(remembered.damping);
    const QSignalBlocker quiet(background_);
    background_->setValue(remembered.backgroundOrder);
    shownBackgroundOrder_ = remembered.backgroundOrder;
    rebuild_tree();
    // A first Refine does something: the scales and the background, as a first stage usually is.
    tree_->set_checked(remembered.released.empty()
                           ? released_names(parameters_, {"scale", "background"})
                           : std::set<std::string>(remembered.released.begin(), remembered.released.end()));
    set_running(false);
    return true;
}

void Tfrefine::calculation_changed()
{
    if (isVisible() && !running())
        start();
}

void Tfrefine::rebuild_tree()
{
    if (current_.empty())
        return;
    std::set<std::string> checked = tree_->checked();
    std::vector<RefinementParameter> parameters;
    const std::string why = refinement_parameters(request({}), parameters);
    if (!why.empty()) {
        note(QString::fromStdString(why));
        return;
    }
    // A group checked whole stays so with the terms it gains (a higher background order).
    for (const std::string& group : stage_names(parameters_, checked))
        for (const std::string& name : released_names(parameters, {group}))
            checked.insert(name);
    parameters_ = std::move(parameters);
    std::vector<std::string> names;
    for (const RefinementPhase& phase : current_)
        names.push_back(phase.name);
    tree_->build(parameters_, names, checked);
}

RefinementRequest Tfrefine::request(std::vector<std::vector<std::string>> stages) const
{
    RefinementRequest r;
    r.phases = current_;
    r.observed = start_.observed;
    r.low = start_.low;
    r.high = start_.high;
    r.backgroundOrder = background_->value();
    r.stages = std::move(stages);
    r.cycles = cycles_->value();
    r.damping = damping_->value();
    return r;
}

void Tfrefine::set_running(bool running)
{
    const bool ready = !current_.empty();
    refine_->setEnabled(!running && ready);
    refineStages_->setEnabled(!running && ready);
    stopButton_->setEnabled(running);
    undoButton_->setEnabled(!running && !undo_.empty());
    keep_->setEnabled(!running && result_.has_value());
    saveCif_->setEnabled(!running && result_.has_value());
    for (QWidget* setting : std::initializer_list<QWidget*>{cycles_, damping_, background_, stagesEdit_})
        setting->setEnabled(!running);
}

void Tfrefine::note(const QString& text)
{
    notes_->appendPlainText(text);
}

void Tfrefine::tell(const QString& text)
{
    status_->setText(text);
}

QString Tfrefine::notes() const
{
    return notes_->toPlainText();
}

QString Tfrefine::status() const
{
    return status_->text();
}

void Tfrefine::remember_settings()
{
    RefinementSettings& s = workspace_.model.refinement;
    const std::set<std::string> checked = tree_->checked();
    s.released.assign(checked.begin(), checked.end());
    s.stages = stagesEdit_->text().toStdString();
    s.cycles = cycles_->value();
    s.damping = damping_->value();
    s.backgroundOrder = background_->value();
}

}  // namespace kalidos::app
