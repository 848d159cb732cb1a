#include "diagram/tfphases.hpp"

#include "comparison/agreement_report.hpp"  // for agreement_legend
#include "drawing/palette.hpp"
#include "util/pascal_format.hpp"
#include "util/su_text.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <sstream>

namespace kalidos::app {
namespace {

const char* const kHeaders[Tfphases::ColumnCount] = {"Show", "", "File", "Weight fraction", "Size nm",
                                                     "Strain %", "Orientation h k l r", "Formula / Z"};

const std::vector<FileFilter> kStructureFilters = {
    {"Structure files", "*.cry *.ins *.inp *.res *.cel *.lzy *.cif"},
    {"KalidoS format (*.cry)", "*.cry"},
    {"Shelx format (*.ins, *.inp, *.res)", "*.inp *.ins *.res"},
    {"PowderCell format (*.cel)", "*.cel"},
    {"Lazy-Pulverix format (*.lzy)", "*.lzy"},
    {"Crystallographic Information File (*.cif)", "*.cif"}};

QString qs(const std::string& text) { return QString::fromStdString(text); }

std::string with_su(const FittedValue& value, double plain, bool fitted, int decimals)
{
    if (fitted && value.su > 0)
        return value_su_text(value.value, value.su);
    return fmt_fixed(plain, 0, decimals);
}

std::string orientation_text(const PreferredOrientation& p)
{
    if (!p.active())
        return "none";
    std::ostringstream text;
    text << p.h << ' ' << p.k << ' ' << p.l << ' ' << p.ratio;
    return text.str();
}

// "h k l r", or "none" (or nothing) for no preferred orientation.
bool parse_orientation(const QString& text, PreferredOrientation& p)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.compare("none", Qt::CaseInsensitive) == 0) {
        p = PreferredOrientation{};
        return true;
    }
    std::istringstream in(trimmed.toStdString());
    PreferredOrientation read;
    if (!(in >> read.h >> read.k >> read.l >> read.ratio) || !(read.ratio > 0) ||
        (read.h == 0 && read.k == 0 && read.l == 0))
        return false;
    p = read;
    return true;
}

// The first number of a cell, as typed or as shown with its uncertainty.
bool leading_number(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().section(' ', 0, 0).toDouble(&ok);
    return ok;
}

}  // namespace

Tfphases::Tfphases(PhaseMixture& mixture, DiagramServices services, std::function<void()> changed, QWidget* parent)
    : QWidget(parent, Qt::Window), mixture_(mixture), services_(std::move(services)), changed_(std::move(changed))
{
    setObjectName("fphases");
    setWindowTitle("Phases");
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("PhaseTable");
    for (int c = 0; c < ColumnCount; ++c)
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[c]));
    table_->horizontalHeader()->setSectionResizeMode(File, QHeaderView::Stretch);
    table_->setColumnWidth(Shown, 44);
    table_->setColumnWidth(Colour, 24);
    table_->setColumnWidth(Orientation, 130);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    add_ = new QPushButton("Add phase...", this);
    add_->setObjectName("AddPhase");
    remove_ = new QPushButton("Remove", this);
    remove_->setObjectName("RemovePhase");
    fit_ = new QPushButton("Fit fractions", this);
    fit_->setObjectName("FitFractions");
    fitSizes_ = new QCheckBox("Fit sizes", this);
    fitSizes_->setObjectName("FitSizes");
    fitCells_ = new QCheckBox("Fit cells", this);
    fitCells_->setObjectName("FitCells");
    note_ = new QLabel(this);
    note_->setObjectName("PhaseNote");
    note_->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{add_, remove_, fit_, fitSizes_, fitCells_})
        buttons->addWidget(w);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    layout->addWidget(note_);
    connect(add_, &QPushButton::clicked, this, &Tfphases::add_phase);
    connect(remove_, &QPushButton::clicked, this, &Tfphases::remove_phase);
    connect(fit_, &QPushButton::clicked, this, &Tfphases::fit_fractions);
    connect(table_, &QTableWidget::itemChanged, this, &Tfphases::cell_changed);
    resize(900, 240);
}

void Tfphases::start()
{
    if (!mixture_.has_main() && services_.messages)
        mixture_.main_calculated(*services_.messages);
    refresh();
    show();
    raise();
}

void Tfphases::refresh()
{
    filling_ = true;
    table_->setRowCount(static_cast<int>(mixture_.entries().size()));
    for (int row = 0; row < table_->rowCount(); ++row)
        fill_row(row);
    filling_ = false;
}

// Items are kept and rewritten, never replaced: a row is filled again from inside its own
// itemChanged signal.
QTableWidgetItem* Tfphases::set_cell(int row, int column, const QString& text, bool editable)
{
    QTableWidgetItem* item = table_->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        table_->setItem(row, column, item);
    }
    item->setText(text);
    item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                            : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

void Tfphases::fill_row(int row)
{
    const PhaseEntry& entry = mixture_.entries()[static_cast<std::size_t>(row)];
    const MixturePhase& phase = entry.phase;
    const bool fitted = entry.fitted.has_value();
    const FittedPhase values = entry.fitted.value_or(FittedPhase{});
    QTableWidgetItem* shown = set_cell(row, Shown, "", false);
    shown->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    shown->setCheckState(phase.shown ? Qt::Checked : Qt::Unchecked);
    set_cell(row, Colour, "", false)->setBackground(drawing::phase_colour(row));
    set_cell(row, File, qs(phase.name), false);
    set_cell(row, Fraction, qs(with_su(values.fraction, phase.fraction, fitted, 4)), true);
    // The first phase's sample settings are the main window's (Sample and profile).
    const bool extra = row > 0;
    const double strain = extra ? entry.settings.strainPercent : phase.model->profile.strainPercent;
    const PreferredOrientation& orientation = extra ? entry.settings.preferred : phase.model->sample.preferred;
    set_cell(row, Size, qs(with_su(values.sizeNm, phase.sizeNm, fitted, 1)), extra);
    set_cell(row, Strain, qs(fmt_fixed(strain, 0, 3)), extra);
    set_cell(row, Orientation, qs(orientation_text(orientation)), extra);
    set_cell(row, Formula, qs(phase.content.formula + " / " + std::to_string(phase.content.z)), false);
}

void Tfphases::cell_changed(QTableWidgetItem* item)
{
    if (filling_)
        return;
    const auto index = static_cast<std::size_t>(item->row());
    const auto column = static_cast<Column>(item->column());
    if (column == Shown)
        mixture_.set_shown(index, item->checkState() == Qt::Checked);
    else if (column == Fraction)
        edit_fraction(index, item->text());
    else
        edit_settings(index, column, item->text());
    refresh();
    if (changed_)
        changed_();
}

void Tfphases::edit_fraction(std::size_t index, const QString& text)
{
    double fraction = 0;
    if (!leading_number(text, fraction) || !(fraction >= 0)) {
        refuse("A weight fraction is a number of 0 or more");
        return;
    }
    mixture_.set_fraction(index, fraction);
}

void Tfphases::edit_settings(std::size_t index, Column column, const QString& text)
{
    PhaseSettings settings = mixture_.entries()[index].settings;
    double value = 0;
    if (column == Orientation) {
        if (!parse_orientation(text, settings.preferred))
            return refuse("A preferred orientation is h k l r with r above 0, or none");
    } else if (!leading_number(text, value)) {
        return refuse("Not a number: " + text.toStdString());
    } else if (column == Size) {
        const std::string problem = out_of_range_message(kSizeLimit, value);
        if (!problem.empty())
            return refuse(problem);
        settings.sizeNm = value;
    } else if (column == Strain) {
        const std::string problem = out_of_range_message(kStrainLimit, value);
        if (!problem.empty())
            return refuse(problem);
        settings.strainPercent = value;
    }
    if (services_.messages)
        mixture_.change_settings(index, settings, *services_.messages);
}

void Tfphases::refuse(const std::string& text)
{
    if (services_.messages)
        beep_and_warn(*services_.messages, text);
}

void Tfphases::add_phase()
{
    if (!services_.fileDialogs)
        return;
    FileRequest request;
    request.title = "Add a phase";
    request.filters = kStructureFilters;
    const auto chosen = services_.fileDialogs->open_file(request);
    if (chosen && !chosen->path.empty())
        add_phase_file(chosen->path);
}

bool Tfphases::add_phase_file(const std::string& path, std::optional<double> fraction)
{
    if (!services_.messages || !mixture_.add(path, *services_.messages))
        return false;
    if (fraction)
        mixture_.set_fraction(mixture_.entries().size() - 1, *fraction);
    refresh();
    if (changed_)
        changed_();
    return true;
}

void Tfphases::remove_phase()
{
    const int row = table_->currentRow();
    if (row < 1) {
        refuse("Select an added phase: the main window's structure stays the first");
        return;
    }
    mixture_.remove(static_cast<std::size_t>(row));
    refresh();
    if (changed_)
        changed_();
}

void Tfphases::fit_fractions()
{
    PhaseFitSettings settings;
    settings.fitSize = fitSizes_->isChecked();
    settings.fitCell = fitCells_->isChecked();
    PhaseFit fit;
    const std::string refused = mixture_.fit(settings, fit);
    if (!refused.empty())
        return refuse(refused);
    std::string figures = agreement_legend(fit.agreement) + "  Zero shift=" +
                          value_su_text(fit.agreement.zeroShift.value, fit.agreement.zeroShift.su);
    for (const std::string& note : fit.notes)
        figures += "\n" + note;
    show_note(qs(figures));
    refresh();
    if (changed_)
        changed_();
}

void Tfphases::show_note(const QString& text) { note_->setText(text); }

QString Tfphases::note() const { return note_->text(); }

}  // namespace kalidos::app
