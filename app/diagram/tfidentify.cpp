#include "diagram/tfidentify.hpp"

#include "identification/index_run.hpp"
#include "util/pascal_format.hpp"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kalidos::app {
namespace {

namespace fs = std::filesystem;

struct ColumnHead {
    const char* caption;
    const char* tip;
};

const ColumnHead kHeads[Tfidentify::ColumnCount] = {
    {"Rank", "The candidates fitted to the whole diagram by their Rwp, then the others by score"},
    {"Formula", "As the cell content gives it"},
    {"Group", "The space group applied"},
    {"File", "The structure file (the best scoring of its copies)"},
    {"Copies", "Entries of the library holding this phase: same formula and group, cell lengths within 1 %"},
    {"Score", "The figure of merit of its lines against the peaks (kalidos-batch --help tells it)"},
    {"Rwp alone %", "Rwp of the candidate fitted alone to the whole diagram (scale, background, zero), "
                    "before the search's later phases; empty when not fitted"},
    {"Found", "The phase's number and its weight fraction in the fit of every phase found"},
};

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
                       std::function<bool(const std::string&, std::optional<double>)> addPhase, QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace), services_(std::move(services)),
      showSticks_(std::move(showSticks)), addPhase_(std::move(addPhase))
{
    setObjectName("fidentify");
    setWindowTitle("Identify");
    indexFile_ = new QLineEdit(this);
    indexFile_->setObjectName("IndexFile");
    indexFile_->setReadOnly(true);
    diagram_ = new QComboBox(this);
    diagram_->setObjectName("SearchedDiagram");
    diagram_->setToolTip("The measured diagram searched");
    elements_ = new QLineEdit(this);
    elements_->setObjectName("Elements");
    elements_->setPlaceholderText("+Ca, F, O, -Pb: must, may, must not contain");
    sensitivity_ = new QDoubleSpinBox(this);
    sensitivity_->setObjectName("Sensitivity");
    sensitivity_->setRange(1, 10);
    sensitivity_->setValue(kDefaultSensitivity);
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("CandidateTable");
    for (int c = 0; c < ColumnCount; ++c) {
        auto* head = new QTableWidgetItem(kHeads[c].caption);
        head->setToolTip(kHeads[c].tip);
        table_->setHorizontalHeaderItem(c, head);
    }
    table_->horizontalHeader()->setSectionResizeMode(File, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    note_ = new QLabel(this);
    note_->setObjectName("IdentifyNote");
    note_->setWordWrap(true);
    details_ = new QPlainTextEdit(this);
    details_->setObjectName("IdentifyDetails");
    details_->setReadOnly(true);
    details_->setMaximumHeight(90);
    details_->hide();
    QPushButton* chooseIndex = button(this, "ChooseIndex", "Index...");
    QPushButton* chooseFolder = button(this, "IndexFolder", "Index folder...");
    QPushButton* searchButton = button(this, "Search", "Search");
    add_ = button(this, "AddAsPhase", "Add as phase");
    QPushButton* addFound = button(this, "AddFoundPhases", "Add found phases");
    QPushButton* help = button(this, "IdentifyHelp", "Help");
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(indexFile_, 1);
    indexRow->addWidget(chooseIndex);
    indexRow->addWidget(chooseFolder);
    auto* form = new QFormLayout;
    form->addRow("Library index", indexRow);
    form->addRow("Diagram", diagram_);
    form->addRow("Elements", elements_);
    form->addRow("Sensitivity", sensitivity_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(searchButton);
    buttons->addWidget(add_);
    buttons->addWidget(addFound);
    buttons->addStretch(1);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    layout->addWidget(details_);
    connect(chooseIndex, &QPushButton::clicked, this, &Tfidentify::choose_index);
    connect(chooseFolder, &QPushButton::clicked, this, &Tfidentify::choose_folder);
    connect(searchButton, &QPushButton::clicked, this, &Tfidentify::search);
    connect(add_, &QPushButton::clicked, this, &Tfidentify::add_selected);
    connect(addFound, &QPushButton::clicked, this, &Tfidentify::add_found);
    connect(help, &QPushButton::clicked, this, [this] {
        if (services_.showHelp)
            services_.showHelp(kIdentifyHelpTopic);
    });
    auto* close = new QAction(this);
    close->setObjectName("CloseIdentify");
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence::Close});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { select_row(row); });
    resize(900, 460);
}

void Tfidentify::start()
{
    list_diagrams();
    show();
    raise();
}

// The measured diagrams of the diagram window, the last opened chosen: the one the user looks at.
void Tfidentify::list_diagrams()
{
    const QString chosen = diagram_->currentText();
    const QSignalBlocker quiet(diagram_);
    diagram_->clear();
    for (int k = 1; k <= workspace_.observed.count; ++k)
        if (workspace_.observed.slots[k].measured)
            diagram_->addItem(qs(workspace_.observed.slots[k].fileName), k);
    // The user's choice stays while no diagram was opened or closed since.
    const int kept = diagram_->findText(chosen);
    diagram_->setCurrentIndex(kept >= 0 && diagram_->count() == listed_ ? kept : diagram_->count() - 1);
    listed_ = diagram_->count();
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
    FileRequest request;
    request.title = "The library folder: its structure files are indexed";
    const auto chosen = services_.fileDialogs->open_folder(request);
    if (chosen)
        index_folder(chosen->path);
}

// A new library or search: the candidates of the one before go; the library's refused files stay.
void Tfidentify::forget_results()
{
    found_ = {};
    table_->setRowCount(0);
    details_->setPlainText(refused_.join('\n'));
    details_->setVisible(!refused_.isEmpty());
    if (showSticks_)
        showSticks_({});
}

bool Tfidentify::open_index(const std::string& file)
{
    std::string error;
    auto index = LibraryIndex::open(file, error);
    std::vector<RefusedFile> refused;
    try {
        if (index) {
            entries_ = index->entries();
            refused = index->refused_files();
        }
    } catch (const IndexError& damaged) {
        error = std::string(damaged.what()) + ": index the library again to rebuild it";
        index.reset();
    }
    if (!index) {
        refuse(error);
        return false;
    }
    refused_.clear();
    for (const RefusedFile& r : refused)
        refused_ << qs("Not read: " + fs::path(r.file).filename().string() + ": " + r.reason);
    forget_results();
    indexFile_->setText(qs(file));
    note_->setText(qs(std::to_string(entries_.size()) + " structures in the index" +
                      (refused.empty() ? "" : "; " + std::to_string(refused.size()) + " files could not be read:")));
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
    try {
        index_files(library_files(folder), *index, data_folder(workspace_.model), settings);
    } catch (const IndexError& failure) {
        refuse(failure.what());
        return false;
    }
    index.reset();
    return open_index(file.string());
}

bool Tfidentify::search()
{
    list_diagrams();
    const int slotNumber = diagram_->currentData().toInt();
    if (slotNumber < 1 || slotNumber > workspace_.observed.count || !workspace_.observed.slots[slotNumber].measured) {
        refuse("Open a measured diagram first");
        return false;
    }
    if (indexFile_->text().isEmpty()) {
        refuse("Choose a library index first");
        return false;
    }
    if (entries_.empty()) {
        refuse("The library index " + indexFile_->text().toStdString() +
               " holds no structure: index a folder of structure files");
        return false;
    }
    std::string error;
    const auto filter = parse_element_filter(elements_->text().toStdString(), error);
    if (!filter) {
        refuse("Elements: " + error);
        return false;
    }
    const ObservedSlot& slot = workspace_.observed.slots[slotNumber];
    MeasuredWavelengths wavelengths = slot.measured->wavelengths;
    if (!wavelengths.stated())
        wavelengths.lambda1 = slot.lambda;
    IdentifySettings settings;
    settings.elements = *filter;
    settings.sensitivity = sensitivity_->value();
    lambda1_ = wavelengths.lambda1;
    forget_results();
    found_ = identify_phases(slot.measured->scans.at(static_cast<std::size_t>(slot.scan)), wavelengths, entries_,
                             settings, data_folder(workspace_.model));
    fill_table();
    note_->setText(qs("Searched " + slot.fileName + ": " + std::to_string(primary_peaks(found_.search).size()) +
                      " peaks; phases found: " + std::to_string(found_.phases.size()) +
                      (found_.phases.empty() ? "" : ", Rwp " + fmt_fixed(100 * found_.fit.agreement.rwp, 0, 2) + " %")));
    for (const std::string& text : found_.notes)
        details_->appendPlainText(qs(text));
    details_->setVisible(!details_->toPlainText().isEmpty());
    return true;
}

std::optional<double> Tfidentify::found_fraction(std::size_t entry) const
{
    for (const FoundPhase& phase : found_.phases)
        if (phase.entry == entry)
            return phase.fraction;
    return std::nullopt;
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
                                                std::to_string(c.alike.size() + 1),
                                                fmt_fixed(c.figure.score, 0, 1),
                                                c.checked() ? fmt_fixed(100 * c.rwp, 0, 2) : "", phase};
        for (int column = 0; column < ColumnCount; ++column)
            table_->setItem(row, column, new QTableWidgetItem(qs(texts[column])));
        QString files = qs(e.file);
        for (const std::size_t other : c.alike)
            files += "\n" + qs(entries_[other].file);
        table_->item(row, File)->setToolTip(files);
        table_->item(row, Copies)->setToolTip(files);
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setSectionResizeMode(File, QHeaderView::Stretch);
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
    const std::size_t entry = found_.candidates[static_cast<std::size_t>(row)].entry;
    return addPhase_ && addPhase_(entries_[entry].file, found_fraction(entry));
}

bool Tfidentify::add_found()
{
    if (found_.phases.empty()) {
        refuse("No phase found to add: search first");
        return false;
    }
    bool added = true;
    for (const FoundPhase& phase : found_.phases)
        added = addPhase_ && addPhase_(entries_[phase.entry].file, phase.fraction) && added;
    return added;
}

QString Tfidentify::note() const
{
    return note_->text();
}

QString Tfidentify::details() const
{
    return details_->toPlainText();
}

}  // namespace kalidos::app
