#include "dialogs/tfgroupes.hpp"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "main_window/grid_bridge.hpp"
#include "symmetry/operator_text.hpp"
#include "symmetry/space_group_lookup.hpp"
#include "symmetry/standard_settings.hpp"

namespace kalidos::app {

Tfgroupes::Tfgroupes(Workspace& workspace, Messages& messages, QWidget* parent)
    : QDialog(parent), workspace_(workspace), messages_(messages)
{
    setObjectName("fgroupes");
    setWindowTitle("Select a space group");
    auto* grid = new QGridLayout(this);
    auto* memo = new QPlainTextEdit(
        "     To select a space group click on the Getspec symbol or standard Hermann_Mauguin symbol");
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->setFixedHeight(44);
    memo->setStyleSheet("QPlainTextEdit { background: #ffff80; }");
    grid->addWidget(memo, 0, 0, 1, 3);
    grid->addWidget(new QLabel("Getspec symbols (H-M and Hall)"), 1, 0);
    auto* headings = new QHBoxLayout;
    for (const char* heading : {"Hermann-Maugin", "Hall", "Group Nb."})
        headings->addWidget(new QLabel(heading));
    grid->addLayout(headings, 2, 0);
    listBox3_ = new QListWidget;
    listBox3_->setObjectName("ListBox3");
    listBox3_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    listBox3_->setMinimumWidth(300);
    grid->addWidget(listBox3_, 3, 0);
    grid->addWidget(new QLabel("Standard H-M symbols"), 1, 1, 2, 1);
    listBox1_ = new QListWidget;
    listBox1_->setObjectName("ListBox1");
    listBox1_->setFixedWidth(120);
    grid->addWidget(listBox1_, 3, 1);
    grid->addWidget(new QLabel("Equivalent positions"), 1, 2, 2, 1);
    stringGrid1_ = new QTableWidget(1, 4);
    stringGrid1_->setObjectName("StringGrid1");
    stringGrid1_->horizontalHeader()->hide();
    stringGrid1_->verticalHeader()->hide();
    stringGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stringGrid1_->setColumnWidth(0, 36);
    stringGrid1_->setMinimumWidth(290);
    grid->addWidget(stringGrid1_, 3, 2);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("OK");
    ok->setObjectName("BitBtn1");
    auto* cancel = new QPushButton("Cancel");
    cancel->setObjectName("BitBtn2");
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 3);
    connect(listBox3_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { selecte_groupe_getspec(listBox3_->row(item)); });
    connect(listBox1_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { selecte_groupe_HM(listBox1_->row(item)); });
    connect(ok, &QPushButton::clicked, this, [this] { sortie_ok(); });
    connect(cancel, &QPushButton::clicked, this, &Tfgroupes::sortie_cancel);
    resize(780, 420);
}

bool Tfgroupes::event(QEvent* event)
{
    // Returning to the dialog refills its lists and re-applies the current group.
    if (event->type() == QEvent::WindowActivate)
        init();
    return QDialog::event(event);
}

void Tfgroupes::init()
{
    StructureModel& model = workspace_.model;
    if (model.crystalSystem.empty())
        return;
    const std::filesystem::path dataDir = data_folder(model);
    fill_lists();
    if (model.spaceGroupSymbol.empty())
        return;
    const GroupLookup lookup = look_up_and_apply_space_group(model, model.spaceGroupSymbol, catalogue_, standard_,
                                                             dataDir, messages_);
    if (lookup.catalogueIndex >= 0)
        listBox3_->setCurrentRow(lookup.catalogueIndex);
    if (lookup.standardIndex >= 0)
        listBox1_->setCurrentRow(lookup.standardIndex);
    if (lookup.source == GroupSource::Catalogue || lookup.source == GroupSource::Standard)
        after_selection(SelectionResult{lookup.applied, lookup.fields});
}

void Tfgroupes::fill_lists()
{
    const StructureModel& model = workspace_.model;
    catalogue_ = read_catalogue_rows(data_folder(model), model.crystalSystem);
    standard_ = read_standard_symbols(data_folder(model), model.crystalSystem);
    listBox3_->clear();
    for (const CatalogueRow& row : catalogue_)
        listBox3_->addItem(QString::fromStdString(row.text));
    listBox1_->clear();
    for (const std::string& row : standard_)
        listBox1_->addItem(QString::fromStdString(row));
}

namespace {

std::string squeezed(const std::string& text)
{
    std::string result;
    for (char c : text)
        if (c != ' ')
            result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

void Tfgroupes::show_group_of_model()
{
    const StructureModel& model = workspace_.model;
    listBox3_->clear();
    listBox1_->clear();
    if (!model.crystalSystem.empty())
        fill_lists();
    GroupFields fields{model.spaceGroupSymbol, {}, {}};
    const std::string symbol = squeezed(model.spaceGroupSymbol);
    for (std::size_t i = 0; i < catalogue_.size() && !symbol.empty(); ++i) {
        const CatalogueRow& row = catalogue_[i];
        if (squeezed(row.hermannMauguin) == symbol || squeezed(row.hall) == symbol) {
            listBox3_->setCurrentRow(static_cast<int>(i));
            fields = GroupFields{row.hermannMauguin, row.hall, row.number};
            break;
        }
    }
    show_operators();
    if (on_group_applied)
        on_group_applied(fields);
}

void Tfgroupes::selecte_groupe_getspec(int row)
{
    if (row < 0 || row >= static_cast<int>(catalogue_.size()) || catalogue_[static_cast<std::size_t>(row)].hermannMauguin.empty())
        return;
    after_selection(kalidos::selecte_groupe_getspec(workspace_.model, catalogue_[static_cast<std::size_t>(row)],
                                                    messages_));
}

void Tfgroupes::selecte_groupe_HM(int row)
{
    if (row < 0 || row >= static_cast<int>(standard_.size()) || standard_[static_cast<std::size_t>(row)].empty())
        return;
    after_selection(kalidos::selecte_groupe_HM(workspace_.model, standard_[static_cast<std::size_t>(row)],
                                               data_folder(workspace_.model), messages_));
}

void Tfgroupes::after_selection(const SelectionResult& result)
{
    show_operators();
    if (result.applied && on_group_applied)
        on_group_applied(result.fields);
}

void Tfgroupes::show_operators()
{
    const TextGrid positions = equivalent_positions_grid(workspace_.model);
    stringGrid1_->clearContents();
    write_text_table(*stringGrid1_, positions);
}

bool Tfgroupes::catalogue_row_selected() const { return !listBox3_->selectedItems().isEmpty(); }

bool Tfgroupes::sortie_ok()
{
    if (workspace_.model.spaceGroupSymbol.empty()) {
        beep_and_warn(messages_, "No selected group!");
        return false;
    }
    hide();
    return true;
}

}  // namespace kalidos::app
