#include "diagram/tfidentify.hpp"

#include "identification/index_run.hpp"
#include "util/pascal_format.hpp"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kalidos::app {
namespace {

namespace fs = std::filesystem;

const char* const kHeaders[Tfidentify::ColumnCount] = {"Rank", "Formula", "Group", "File", "Score",
                                                       "Rwp %", "Fraction", "Phase"};

QString qs(const std::string& text) { return QString::fromStdString(text); }

QPushButton* button(QWidget* parent, const char* name, const char* text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

Tfidentify::Tfidentify(Workspace& workspace, DiagramServices services,
                       std::function<void(const std::vector<StickLine>&)> showSticks,
                       std::function<bool(const std::string&)> addPhase, QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace), services_(std::move(services)),
      showSticks_(std::move(showSticks)), addPhase_(std::move(addPhase))
{
    setObjectName("fidentify");
    setWindowTitle("Identify");
    indexFile_ = new QLineEdit(this);
    indexFile_->setObjectName("IndexFile");
    indexFile_->setReadOnly(true);
    elements_ = new QLineEdit(this);
    elements_->setObjectName("Elements");
    elements_->setPlaceholderText("+Ca, F, O, -Pb: must, may, must not contain");
    sensitivity_ = new QDoubleSpinBox(this);
    sensitivity_->setObjectName("Sensitivity");
    sensitivity_->setRange(1, 10);
    sensitivity_->setValue(kDefaultSensitivity);
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("CandidateTable");
    for (int c = 0; c < ColumnCount; ++c)
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[c]));
    table_->horizontalHeader()->setSectionResizeMode(File, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    note_ = new QLabel(this);
    note_->setObjectName("IdentifyNote");
    note_->setWordWrap(true);
    QPushButton* chooseIndex = button(this, "ChooseIndex", "Index...");
    QPushButton* chooseFolder = button(this, "IndexFolder", "Index folder...");
    QPushButton* searchButton = button(this, "Search", "Search");
    add_ = button(this, "AddAsPhase", "Add as phase");
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(indexFile_, 1);
    indexRow->addWidget(chooseIndex);
    indexRow->addWidget(chooseFolder);
    auto* form = new QFormLayout;
    form->addRow("Library index", indexRow);
    form->addRow("Elements", elements_);
    form->addRow("Sensitivity", sensitivity_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(searchButton);
    buttons->addWidget(add_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    connect(chooseIndex, &QPushButton::clicked, this, &Tfidentify::choose_index);
    connect(chooseFolder, &QPushButton::clicked, this, &Tfidentify::choose_folder);
    connect(searchButton, &QPushButton::clicked, this, &Tfidentify::search);
    connect(add_, &QPushButton::clicked, this, &Tfidentify::add_selected);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { select_row(row); });
    resize(900, 420);
}

void Tfidentify::start()
{
    show();
    raise();
}

void Tfidentify::refuse(const std::string& text)
{
    if (services_.messages)
        beep_and_warn(*services_.messages, text);
}

void Tfidentify::choose_index()
{
    if (!services_.fileDialogs)
        return;
    const auto chosen = services_.fileDialogs->open_file({"Library index", {{"Library index", "*.sqlite"}}, 0, "", "", ""});
    if (chosen)
        open_index(chosen->path);
}

void Tfidentify::choose_folder()
{
    if (!services_.fileDialogs)
        return;
    const auto chosen = services_.fileDialogs->open_file(
        {"A structure file of the library folder", {{"Structure files", "*.cry *.ins *.inp *.res *.cel *.lzy *.cif"}}, 0,
         "", "", ""});
    if (chosen)
        index_folder(fs::path(chosen->path).parent_path().string());
}

bool Tfidentify::open_index(const std::string& file)
{
    std::string error;
    auto index = LibraryIndex::open(file, error);
    try {
        if (index)
            entries_ = index->entries();
    } catch (const IndexError& damaged) {
        error = std::string(damaged.what()) + ": index the library again to rebuild it";
        index.reset();
    }
    if (!index) {
        refuse(error);
        return false;
    }
    indexFile_->setText(qs(file));
    note_->setText(qs(std::to_string(entries_.size()) + " structures in the index"));
    return true;
}

bool Tfidentify::index_folder(const std::string& folder)
{
    const fs::path file = default_index_file(folder);
    std::string error;
    auto index = LibraryIndex::open(file, error);
    if (!index && services_.messages && services_.messages->ask(error + "\n\nReplace it?") == Answer::Yes) {
        std::error_code ignored;
        fs::remove(file, ignored);
        index = LibraryIndex::open(file, error);
    }
    if (!index) {
        refuse(error);
        return false;
    }
    IndexRunSettings settings;
    settings.jobs = 2;
    IndexRunReport report;
    try {
        report = index_files(library_files(folder), *index, data_folder(workspace_.model), settings);
    } catch (const IndexError& failure) {
        refuse(failure.what());
        return false;
    }
    index.reset();
    if (!open_index(file.string()))
        return false;
    note_->setText(note_->text() + qs("; " + std::to_string(report.refused.size()) + " files could not be read"));
    return true;
}

bool Tfidentify::search()
{
    const ObservedSlot& slot = workspace_.observed.slots[1];
    if (workspace_.observed.count < 1 || !slot.measured) {
        refuse("Open a measured diagram first");
        return false;
    }
    if (entries_.empty()) {
        refuse("Choose a library index first");
        return false;
    }
    std::string error;
    const auto filter = parse_element_filter(elements_->text().toStdString(), error);
    if (!filter) {
        refuse("Elements: " + error);
        return false;
    }
    MeasuredWavelengths wavelengths = slot.measured->wavelengths;
    if (!wavelengths.stated())
        wavelengths.lambda1 = slot.lambda;
    IdentifySettings settings;
    settings.elements = *filter;
    settings.sensitivity = sensitivity_->value();
    lambda1_ = wavelengths.lambda1;
    found_ = identify_phases(slot.measured->scans.at(static_cast<std::size_t>(slot.scan)), wavelengths, entries_,
                             settings, data_folder(workspace_.model));
    fill_table();
    note_->setText(qs(std::to_string(primary_peaks(found_.search).size()) + " peaks; phases found: " +
                      std::to_string(found_.phases.size()) +
                      (found_.phases.empty() ? "" : ", Rwp " + fmt_fixed(100 * found_.fit.agreement.rwp, 0, 2) + " %")));
    return true;
}

void Tfidentify::fill_table()
{
    table_->setRowCount(static_cast<int>(found_.candidates.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const Candidate& c = found_.candidates[static_cast<std::size_t>(row)];
        const LibraryEntry& e = entries_[c.entry];
        std::string phase;
        for (std::size_t p = 0; p < found_.phases.size(); ++p)
            if (found_.phases[p].entry == c.entry)
                phase = std::to_string(p + 1) + ": " + fmt_fixed(100 * found_.phases[p].fraction, 0, 1) + " %";
        const std::string texts[ColumnCount] = {std::to_string(row + 1), e.formula, e.group,
                                                fs::path(e.file).filename().string(),
                                                fmt_fixed(c.figure.score, 0, 1),
                                                c.checked() ? fmt_fixed(100 * c.rwp, 0, 2) : "",
                                                c.checked() ? fmt_fixed(c.fraction, 0, 3) : "", phase};
        for (int column = 0; column < ColumnCount; ++column)
            table_->setItem(row, column, new QTableWidgetItem(qs(texts[column])));
        table_->item(row, File)->setToolTip(qs(e.file));
    }
}

int Tfidentify::selected_row() const
{
    const int row = table_->currentRow();
    return row >= 0 && row < static_cast<int>(found_.candidates.size()) ? row : -1;
}

void Tfidentify::select_row(int row)
{
    if (row < 0 || row >= static_cast<int>(found_.candidates.size()) || !showSticks_)
        return;
    table_->setCurrentCell(row, table_->currentColumn() < 0 ? 0 : table_->currentColumn());
    const LibraryEntry& e = entries_[found_.candidates[static_cast<std::size_t>(row)].entry];
    const std::vector<double>& t = found_.search.twoTheta;
    showSticks_(t.empty() ? std::vector<StickLine>{} : stick_lines(e, lambda1_, t.front(), t.back(), 0));
}

bool Tfidentify::add_selected()
{
    const int row = selected_row();
    if (row < 0) {
        refuse("Select a candidate first");
        return false;
    }
    return addPhase_ && addPhase_(entries_[found_.candidates[static_cast<std::size_t>(row)].entry].file);
}

QString Tfidentify::note() const
{
    return note_->text();
}

}  // namespace kalidos::app
