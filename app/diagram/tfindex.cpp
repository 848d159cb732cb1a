#include "diagram/tfindex.hpp"

#include "diagram_files/peak_list_reader.hpp"
#include "peaks/peak_search.hpp"
#include "indexing/cell_structure.hpp"
#include "platform/wait_cursor.hpp"
#include "util/pascal_format.hpp"

#include <QCoreApplication>
#include <cmath>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kalidos::app {
namespace {

const char* const kHeaders[Tfindex::ColumnCount] = {"Rank", "System", "a", "b", "c", "alpha", "beta", "gamma",
                                                    "Volume", "M20", "F(N)", "Extinction"};
constexpr double kTickHeight = 0.35;  // of the diagram's half height

QString qs(const std::string& text) { return QString::fromStdString(text); }

QPushButton* button(QWidget* parent, const char* name, const char* text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QDoubleSpinBox* number_box(QWidget* parent, const char* name, double low, double high, double value, int decimals)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setDecimals(decimals);
    box->setRange(low, high);
    box->setSingleStep(std::pow(10.0, -decimals));
    box->setValue(value);
    return box;
}

}  // namespace

Tfindex::Tfindex(Workspace& workspace, DiagramServices services, std::function<void(const std::vector<StickLine>&)> showSticks,
                 std::function<bool(const StructureModel&, const std::string&)> usePhase, QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace), services_(std::move(services)),
      showSticks_(std::move(showSticks)), usePhase_(std::move(usePhase))
{
    setObjectName("findex");
    setWindowTitle("Index");
    const IndexingSettings defaults;
    peaks_ = new QPlainTextEdit(this);
    peaks_->setObjectName("PeakList");
    peaks_->setPlaceholderText("2θ [intensity], one peak a line");
    peaks_->setMaximumWidth(190);
    wavelength_ = new QLineEdit(this);
    wavelength_->setObjectName("Wavelength");
    tolerance_ = number_box(this, "Tolerance", 0.005, 0.5, defaults.tolerance, 3);
    impurities_ = new QSpinBox(this);
    impurities_->setObjectName("Impurities");
    impurities_->setRange(0, 10);
    impurities_->setValue(defaults.allowedMissing);
    zeroRange_ = number_box(this, "ZeroRange", 0, 1, defaults.zeroRange, 2);
    group_ = new QLineEdit(kIndexedCellGroup, this);
    group_->setObjectName("Group");
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("CellTable");
    for (int c = 0; c < ColumnCount; ++c)
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[c]));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    note_ = new QLabel(this);
    note_->setObjectName("IndexNote");
    note_->setWordWrap(true);
    QPushButton* findPeaks = button(this, "FindPeaks", "Find peaks");
    index_ = button(this, "IndexCells", "Index");
    stop_ = button(this, "StopIndexing", "Stop");
    stop_->setEnabled(false);
    use_ = button(this, "UseAsPhase", "Use as phase");

    auto* form = new QFormLayout;
    form->addRow("Wavelength (Å)", wavelength_);
    form->addRow("Tolerance (° 2θ)", tolerance_);
    form->addRow("Impurity lines", impurities_);
    form->addRow("Zero error within ± (°)", zeroRange_);
    form->addRow("Space group", group_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {findPeaks, index_, stop_, use_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addLayout(buttons);
    right->addWidget(table_, 1);
    right->addWidget(note_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(peaks_);
    layout->addLayout(right, 1);
    connect(findPeaks, &QPushButton::clicked, this, &Tfindex::find_peaks);
    connect(index_, &QPushButton::clicked, this, &Tfindex::index);
    connect(stop_, &QPushButton::clicked, this, &Tfindex::stop);
    connect(use_, &QPushButton::clicked, this, &Tfindex::use_selected);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) { select_row(row); });
    resize(980, 440);
}

void Tfindex::start()
{
    show();
    raise();
    if (peaks_->toPlainText().trimmed().isEmpty() && workspace_.observed.count > 0)
        find_peaks();
}

void Tfindex::start_with(const PeakList& peaks)
{
    show();
    raise();
    show_peaks(strongest_peaks(peaks));
    if (peaks.wavelength > 0)
        wavelength_->setText(qs(fmt_fixed(peaks.wavelength, 0, 6)));
    note_->setText(qs(std::to_string(peaks.position.size()) + " peaks no phase found explains"));
}

void Tfindex::show_peaks(const PeakList& peaks)
{
    QString text;
    for (std::size_t i = 0; i < peaks.position.size(); ++i)
        text += qs(fmt_fixed(peaks.position[i], 0, 4) + "  " + fmt_fixed(peaks.intensity[i], 0, 1) + "\n");
    peaks_->setPlainText(text);
}

void Tfindex::refuse(const std::string& text)
{
    if (services_.messages)
        beep_and_warn(*services_.messages, text);
}

bool Tfindex::find_peaks()
{
    const ObservedSlot& slot = workspace_.observed.slots[1];
    if (workspace_.observed.count < 1 || !slot.measured) {
        refuse("Open a measured diagram first, or type the peaks");
        return false;
    }
    PeakSearchSettings settings;
    settings.wavelengths = slot.measured->wavelengths;
    if (!settings.wavelengths.stated())
        settings.wavelengths.lambda1 = slot.lambda;
    const PeakList chosen = peaks_to_index(slot.measured->scans.at(static_cast<std::size_t>(slot.scan)), settings);
    show_peaks(chosen);
    wavelength_->setText(qs(fmt_fixed(settings.wavelengths.lambda1, 0, 6)));
    note_->setText(qs(std::to_string(chosen.position.size()) + " peaks found (at most the " +
                      std::to_string(kMostIndexedLines) + " strongest)"));
    return true;
}

bool Tfindex::index()
{
    PeakList peaks;
    std::string error;
    if (!read_peak_list(peaks_->toPlainText().toStdString(), peaks, error)) {
        refuse("Peaks: " + error);
        return false;
    }
    bool number = false;
    const double lambda = wavelength_->text().trimmed().toDouble(&number);
    if (!number || !(lambda > 0.01 && lambda < 100)) {
        refuse("Give the wavelength in Å");
        return false;
    }
    if (!indexing_lines(peaks, lambda, lines_, error)) {
        refuse(error);
        return false;
    }
    IndexingSettings settings;
    settings.tolerance = tolerance_->value();
    settings.allowedMissing = impurities_->value();
    settings.zeroRange = zeroRange_->value();
    // The search runs here; the window answers its buttons (Stop) whenever the search looks up.
    settings.cancelled = [this] {
        QCoreApplication::processEvents();
        return stopRequested_;
    };
    settings.progress = [this](LatticeSystem system) {
        note_->setText(qs("Searching " + system_name(system, 'P') + " cells..."));
    };
    stopRequested_ = false;
    index_->setEnabled(false);
    stop_->setEnabled(true);
    {
        WaitCursor busy;
        result_ = find_cells(lines_, settings);
    }
    index_->setEnabled(true);
    stop_->setEnabled(false);
    fill_table();
    std::string text = std::to_string(lines_.twoTheta.size()) + " lines; " + std::to_string(result_.cells.size()) +
                       " cells";
    for (const std::string& n : result_.notes)
        text += ". " + n;
    note_->setText(qs(text + ". Rwp: no whole-pattern check is made yet."));
    if (!result_.cells.empty())
        table_->setCurrentCell(0, 0);
    return true;
}

void Tfindex::fill_table()
{
    table_->setRowCount(static_cast<int>(result_.cells.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const FoundCell& cell = result_.cells[static_cast<std::size_t>(row)];
        const UnitCell& c = cell.fit.cell;
        const std::string texts[ColumnCount] = {
            std::to_string(row + 1), cell.system_name() + " " + cell.centring(), fmt_fixed(c.a, 0, 4),
            fmt_fixed(c.b, 0, 4), fmt_fixed(c.c, 0, 4), fmt_fixed(c.alpha, 0, 2), fmt_fixed(c.beta, 0, 2),
            fmt_fixed(c.gamma, 0, 2), fmt_fixed(cell.volume, 0, 1), fmt_fixed(cell.fit.m20, 0, 1),
            fmt_fixed(cell.fit.fn, 0, 1), cell.extinctionSymbol};
        for (int column = 0; column < ColumnCount; ++column)
            table_->setItem(row, column, new QTableWidgetItem(qs(texts[column])));
        table_->item(row, System)->setToolTip(qs("zero " + fmt_fixed(cell.fit.zero, 0, 3) + "°, " +
                                                 std::to_string(cell.fit.unindexed) + " lines not indexed"));
    }
}

void Tfindex::select_row(int row)
{
    if (row < 0 || row >= static_cast<int>(result_.cells.size()) || !showSticks_ || lines_.twoTheta.empty())
        return;
    const CellFit& fit = result_.cells[static_cast<std::size_t>(row)].fit;
    const double qMax = q_of_two_theta(lines_.twoTheta.back() + 2, lines_.wavelength);
    std::vector<StickLine> ticks;
    for (const CalculatedLine& line : calculated_lines(fit.system, terms_of(fit.system, fit.parameters), fit.centring, qMax))
        ticks.push_back({two_theta_of_q(line.q, lines_.wavelength) + fit.zero, kTickHeight});
    showSticks_(ticks);
}

bool Tfindex::use_selected()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(result_.cells.size())) {
        refuse("Select a cell first");
        return false;
    }
    const FoundCell& cell = result_.cells[static_cast<std::size_t>(row)];
    const std::string name = "Indexed " + cell.system_name() + " " + cell.centring() + " (" + std::to_string(row + 1) + ")";
    StructureModel structure;
    if (!services_.messages ||
        !structure_of_cell(cell, group_->text().trimmed().toStdString(), name, data_folder(workspace_.model), structure,
                           *services_.messages))
        return false;
    return usePhase_ && usePhase_(structure, name);
}

QString Tfindex::note() const
{
    return note_->text();
}

}  // namespace kalidos::app
