// The main window's controls: the data panel on the left, the results on the right.
#include <QButtonGroup>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "entry/atom_grid.hpp"
#include "dialogs/sample_profile_dialog.hpp"
#include "main_window/tfmain.hpp"
#include "model/workspace.hpp"

namespace kalidos::app {

namespace {

const char* const kAnodeItems[] = {"Multiple W.L.", "MoKa1", "MoKa2", "MoKmoy", "MokBet", "CuKa1",
                                   "CuKa2", "CuKmoy", "CukBet", "CoKa1", "CoKa2", "CoKmoy",
                                   "CokBet", "FeKa1", "FeKa2", "FeKmoy", "FekBet", "CrKa1",
                                   "CrKa2", "CrKmoy", "CrkBet", ""};

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

QLineEdit* Tfmain::make_edit(const char* name, int width)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    edit->installEventFilter(this);
    return edit;
}

// The labels of the range and resolution edits are read-only edits of their own.
QLineEdit* Tfmain::make_label_edit(const char* name, const QString& text, int width)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setFixedWidth(width);
    edit->setAlignment(Qt::AlignCenter);
    edit->setStyleSheet("QLineEdit { background: #c0c0c0; border: none; }");
    return edit;
}

QTableWidget* Tfmain::make_atom_grid(const char* name, bool neutron)
{
    auto* grid = new QTableWidget(kAtomGridRows - 1, neutron ? kNeutronGridColumns : kXrayGridColumns);
    grid->setObjectName(name);
    QStringList headers{"Atom", "Lab.", "X", "Y", "Z", "B", "Pop"};
    // Wide enough for the fixed-width texts with blanks the cells hold.
    QList<int> widths{46, 36, 74, 74, 74, 62, 62};
    if (neutron) {
        headers << "B Fermi";
        widths << 66;
    }
    grid->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < widths.size(); ++c)
        grid->setColumnWidth(c, widths[c]);
    grid->setMinimumHeight(220);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->verticalHeader()->setFixedWidth(30);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setMinimumWidth(500);
    grid->viewport()->installEventFilter(this);
    return grid;
}

QWidget* Tfmain::build_header()
{
    panel4_ = new QFrame;
    panel4_->setObjectName("Panel4");
    panel4_->setFrameShape(QFrame::Panel);
    panel4_->setStyleSheet("#Panel4 { background: #000080; } #Panel4 QLabel { color: white; font-weight: bold; }");
    auto* row = new QHBoxLayout(panel4_);
    row->setContentsMargins(6, 2, 6, 2);
    panel4Caption_ = new QLabel("Data");
    panel4Caption_->setObjectName("Panel4Caption");
    row->addWidget(panel4Caption_, 1);
    bitBtn2_ = new QPushButton("X rays");
    bitBtn2_->setObjectName("BitBtn2");
    bitBtn2_->setToolTip("X rays case");
    bitBtn3_ = new QPushButton("Neutrons");
    bitBtn3_->setObjectName("BitBtn3");
    bitBtn3_->setToolTip("Neutrons case");
    bitBtn1_ = new QPushButton("Calcul.");
    bitBtn1_->setObjectName("BitBtn1");
    bitBtn1_->setToolTip("Lauch the diagram calculation");
    for (QPushButton* button : {bitBtn2_, bitBtn3_, bitBtn1_})
        row->addWidget(button);
    return panel4_;
}

QWidget* Tfmain::build_cell_group()
{
    auto* group = new QGroupBox("Cell parameters");
    auto* grid = new QGridLayout(group);
    const char* names[6] = {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "edit7"};
    const QString labels[6] = {"a", "b", "c", QString::fromUtf8("\u03b1"), QString::fromUtf8("\u03b2"),
                               QString::fromUtf8("\u03b3")};
    for (int i = 0; i < 6; ++i) {
        cellEdits_[i] = make_edit(names[i], 70);
        grid->addWidget(caption(labels[i], group), i % 3, (i / 3) * 2);
        grid->addWidget(cellEdits_[i], i % 3, (i / 3) * 2 + 1);
    }
    return group;
}

QWidget* Tfmain::build_atom_group()
{
    auto* group = new QGroupBox("Atom coordinates of the asymetric unit");
    auto* grid = new QGridLayout(group);
    stringGrid1_ = make_atom_grid("StringGrid1", false);
    stringGrid4_ = make_atom_grid("StringGrid4", true);
    stringGrid1_->setToolTip("Double click: insert a row");
    // Both grids take the same place; only the grid of the current radiation is visible.
    grid->addWidget(stringGrid1_, 0, 0);
    grid->addWidget(stringGrid4_, 0, 0);
    stringGrid4_->hide();
    structureButton_ = new QPushButton("Structure...");
    structureButton_->setObjectName("StructureButton");
    structureButton_->setToolTip("The structure drawn: the cell, every atom of the group, bonds");
    grid->addWidget(structureButton_, 1, 0, Qt::AlignLeft);
    return group;
}

QWidget* Tfmain::build_anomalous_group()
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    anomalousLabel_ = new QLabel("Anomalous dispersion");
    anomalousLabel_->setObjectName("AnomalousLabel");
    stringGrid2_ = new QTableWidget(kAnomalousGridRows, 5);
    stringGrid2_->setObjectName("StringGrid2");
    stringGrid2_->horizontalHeader()->hide();
    stringGrid2_->verticalHeader()->hide();
    stringGrid2_->horizontalHeader()->setDefaultSectionSize(60);
    stringGrid2_->setColumnWidth(0, 44);
    stringGrid2_->verticalHeader()->setDefaultSectionSize(20);
    stringGrid2_->setMinimumWidth(240);
    stringGrid2_->viewport()->installEventFilter(this);
    color95Button4_ = new QPushButton("Read Anomalous Factors");
    color95Button4_->setObjectName("Color95Button4");
    color95Button4_->setStyleSheet("QPushButton { background: #ffff80; }");
    column->addWidget(anomalousLabel_);
    column->addWidget(stringGrid2_, 1);
    column->addWidget(color95Button4_);
    return box;
}

QWidget* Tfmain::build_experiment_group()
{
    auto* group = new QGroupBox("Experiment");
    auto* grid = new QGridLayout(group);
    radioGroup1_ = new QGroupBox;
    radioGroup1_->setObjectName("RadioGroup1");
    auto* units = new QHBoxLayout(radioGroup1_);
    units->setContentsMargins(4, 2, 4, 2);
    unitButtons_ = new QButtonGroup(this);
    const char* items[3] = {"Th.", "2Th", "Q"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(items[i]);
        button->setObjectName(QString("RadioGroup1Item%1").arg(i));
        unitButtons_->addButton(button, i);
        units->addWidget(button);
    }
    edit13_ = make_label_edit("Edit13", QString::fromUtf8("2\u03b81"), 36);
    edit15_ = make_label_edit("Edit15", QString::fromUtf8("2\u03b82"), 36);
    edit14_ = make_edit("Edit14", 64);
    edit17_ = make_edit("Edit17", 64);
    edit19_ = make_edit("Edit19", 64);
    edit21_ = make_edit("Edit21", 64);
    edit25_ = make_edit("Edit25", 64);
    grid->addWidget(radioGroup1_, 0, 0, 1, 4);
    grid->addWidget(edit13_, 1, 0);
    grid->addWidget(edit14_, 1, 1);
    grid->addWidget(edit15_, 1, 2);
    grid->addWidget(edit17_, 1, 3);
    grid->addWidget(make_label_edit("Edit18", "U", 24), 2, 0);
    grid->addWidget(edit19_, 2, 1);
    grid->addWidget(make_label_edit("Edit20", "V", 24), 2, 2);
    grid->addWidget(edit21_, 2, 3);
    grid->addWidget(make_label_edit("Edit22", "W", 24), 3, 0);
    grid->addWidget(edit25_, 3, 1);
    auto* profile = new QPushButton("Profile...");
    profile->setObjectName("SampleProfileButton");
    profile->setToolTip("Sample and profile");
    grid->addWidget(profile, 3, 2, 1, 2);
    connect(profile, &QPushButton::clicked, this, [this] { sampleProfile_->start(); });
    return group;
}

QWidget* Tfmain::build_wavelength_group()
{
    auto* group = new QGroupBox("Wavelength");
    auto* grid = new QGridLayout(group);
    edit11_ = make_edit("Edit11", 80);
    listBox4_ = new QListWidget;
    listBox4_->setObjectName("ListBox4");
    for (const char* item : kAnodeItems)
        listBox4_->addItem(item);
    listBox4_->setFixedHeight(70);
    grid->addWidget(make_label_edit("Edit10", QString::fromUtf8("\u03bb"), 24), 0, 0);
    grid->addWidget(edit11_, 0, 1);
    grid->addWidget(new QLabel("Anode"), 1, 0, 1, 2);
    grid->addWidget(listBox4_, 2, 0, 1, 2);
    return group;
}

QWidget* Tfmain::build_space_group_row()
{
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    bitBtn4_ = new QPushButton("Select space group");
    bitBtn4_->setObjectName("BitBtn4");
    edit8_ = make_edit("Edit8", 110);
    edit9_ = make_edit("Edit9", 130);
    edit12_ = make_edit("Edit12", 50);
    for (QLineEdit* edit : {edit8_, edit9_, edit12_}) {
        edit->setReadOnly(true);
        edit->setStyleSheet("QLineEdit { background: #c0c0c0; }");
    }
    grid->addWidget(bitBtn4_, 1, 0);
    grid->addWidget(new QLabel("Hermann-Mauguin"), 0, 1);
    grid->addWidget(new QLabel("Hall"), 0, 2);
    grid->addWidget(new QLabel("Space Group Nb."), 0, 3);
    grid->addWidget(edit8_, 1, 1);
    grid->addWidget(edit9_, 1, 2);
    grid->addWidget(edit12_, 1, 3);
    return box;
}

QWidget* Tfmain::build_results_panel()
{
    auto* panel3 = new QFrame;
    panel3->setObjectName("Panel3");
    panel3->setFrameShape(QFrame::Panel);
    auto* column = new QVBoxLayout(panel3);
    auto* header = new QLabel("Results");
    header->setAlignment(Qt::AlignCenter);
    header->setStyleSheet("QLabel { background: #000080; color: white; font-weight: bold; }");
    listBox3_ = new QListWidget;
    listBox3_->setObjectName("ListBox3");
    listBox3_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(header);
    column->addWidget(listBox3_, 1);
    panel3->setMinimumWidth(300);
    return panel3;
}

void Tfmain::build_layout()
{
    auto* central = new QWidget;
    central->setObjectName("CentralWidget");
    setCentralWidget(central);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(2, 2, 2, 2);

    panel5_ = new QFrame;
    panel5_->setObjectName("Panel5");
    auto* layout = new QGridLayout(panel5_);
    layout->setContentsMargins(2, 2, 2, 2);
    panel7_ = new QLabel("Source: X ray tube");
    panel7_->setObjectName("Panel7");
    panel7_->setFrameShape(QFrame::Panel);
    panel7_->setStyleSheet("QLabel { background: #ffffc0; }");

    auto* systemGroup = new QGroupBox("System");
    auto* systemLayout = new QVBoxLayout(systemGroup);
    listBox2_ = new QListWidget;
    listBox2_->setObjectName("ListBox2");
    for (const char* name : kSystemNames)
        listBox2_->addItem(name);
    listBox2_->setFixedWidth(80);
    systemLayout->addWidget(listBox2_);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new QLabel("Title:"));
    edit29_ = make_edit("Edit29", 300);
    edit29_->setMinimumWidth(300);
    edit29_->setMaximumWidth(QWIDGETSIZE_MAX);
    titleRow->addWidget(edit29_, 1);

    layout->addWidget(build_header(), 0, 0, 1, 4);
    layout->addWidget(panel7_, 1, 0, 1, 4);
    layout->addWidget(build_cell_group(), 2, 0);
    layout->addWidget(systemGroup, 2, 1, 2, 1);
    layout->addWidget(build_experiment_group(), 2, 2);
    layout->addWidget(build_wavelength_group(), 2, 3);
    layout->addWidget(build_space_group_row(), 3, 0);
    layout->addLayout(titleRow, 3, 2, 1, 2);
    layout->addWidget(build_atom_group(), 4, 0, 1, 2);
    layout->addWidget(build_anomalous_group(), 4, 2, 1, 2);
    layout->setRowStretch(4, 1);
    columns->addWidget(panel5_, 3);
    columns->addWidget(build_results_panel(), 1);
    build_reading_panel(central);
}

void Tfmain::build_reading_panel(QWidget* parent)
{
    panel2_ = new QFrame(parent);
    panel2_->setObjectName("Panel2");
    panel2_->setFrameShape(QFrame::Panel);
    panel2_->setFrameShadow(QFrame::Raised);
    panel2_->setAutoFillBackground(true);
    panel2_->setStyleSheet("#Panel2, #Panel2 QGroupBox { background: #bde4ff; }");  // 16770237, light blue
    auto* column = new QVBoxLayout(panel2_);
    auto* label1 = new QLabel("Read f' and f\" values in a file");
    label1->setObjectName("Label1");
    radioGroup2_ = new QGroupBox;
    radioGroup2_->setObjectName("RadioGroup2");
    auto* items = new QVBoxLayout(radioGroup2_);
    tableButtons_ = new QButtonGroup(this);
    const char* tables[2] = {"Brenann and Cowan", "Sasaki"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(tables[i]);
        button->setObjectName(QString("RadioGroup2Item%1").arg(i));
        tableButtons_->addButton(button, i);
        items->addWidget(button);
    }
    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton("Cancel");
    cancel->setObjectName("Color95Button1");
    auto* ok = new QPushButton("OK");
    ok->setObjectName("Color95Button2");
    ok->setStyleSheet("QPushButton { color: red; font-weight: bold; }");
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    panel2Wait_ = new QLineEdit("Wait...");
    panel2Wait_->setObjectName("Edit1");
    panel2Wait_->setReadOnly(true);
    panel2Wait_->hide();
    column->addWidget(label1);
    column->addWidget(radioGroup2_);
    column->addWidget(panel2Wait_);
    column->addLayout(buttons);
    panel2_->setGeometry(260, 120, 260, 180);
    panel2_->hide();
    connect(cancel, &QPushButton::clicked, this, &Tfmain::cancel_panel2);
    connect(ok, &QPushButton::clicked, this, &Tfmain::Acquisition_f_ano);
}

}  // namespace kalidos::app
