// The main window's menu bar: File (Open, Save, Quit), Results, Erase, Help, About, Quit.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QApplication>
#include <QTableWidget>

#include "dialogs/sample_profile_dialog.hpp"
#include "main_window/tfmain.hpp"
#include "structure/tfstructure.hpp"

namespace kalidos::app {

namespace {

QAction* add_item(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction* add_bar_item(QMenuBar* bar, const char* name, const QString& caption)
{
    QAction* action = bar->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

void Tfmain::build_menus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("File1");
    QMenu* open = file->addMenu("&Open");
    open->setObjectName("Open1");
    connect(add_item(open, "KalidoSformat1", "Kalido&S format (*.cry)"), &QAction::triggered, this,
            [this] { open_structure(1); });
    connect(add_item(open, "ShelXformat1", "&ShelX format (*.inp, *.ins, *.res)"), &QAction::triggered, this,
            [this] { open_structure(2); });
    connect(add_item(open, "PowderCellformat1", "Powder &Cell format (*.cel)"), &QAction::triggered, this,
            [this] { open_structure(3); });
    connect(add_item(open, "LazyPulverixformat1", "&Lazy-Pulverix format (*.lzy)"), &QAction::triggered, this,
            [this] { open_structure(4); });
    add_item(open, "ICSDformat1", "&ICSD format (*.ics)")->setEnabled(false);
    connect(add_item(open, "CIF1", "CIF (*.cif)"), &QAction::triggered, this, &Tfmain::cif_format);
    connect(add_item(file, "Save1", "&Save"), &QAction::triggered, this, &Tfmain::sauve_donnees);
    connect(add_item(file, "Quit1", "&Quit"), &QAction::triggered, this, &QWidget::close);

    QMenu* results = bar->addMenu("&Results");
    results->setObjectName("Results1");
    connect(add_item(results, "Detailedresultsedition1", "&Detailed results edition"), &QAction::triggered,
            this, &Tfmain::edit_resultats);
    connect(add_item(results, "Shortresultsedition1", "&Short results edition"), &QAction::triggered, this,
            &Tfmain::edition_fstr_out);

    QMenu* erase = bar->addMenu("&Erase");
    erase->setObjectName("Erase1");
    connect(add_item(erase, "General1", "&General"), &QAction::triggered, this, &Tfmain::rase_general);
    connect(add_item(erase, "Coordinates1", "&Coordinates"), &QAction::triggered, this,
            &Tfmain::rase_coordonnees);
    connect(add_item(erase, "Results2", "&Results"), &QAction::triggered, this, &Tfmain::rase_resultats);
    connect(add_item(erase, "Anomaldiffusion1", "&Anomal diffusion"), &QAction::triggered, this,
            &Tfmain::rase_dif_ano);

    connect(add_bar_item(bar, "SampleProfile1", "Sample and &profile"), &QAction::triggered, this,
            [this] { sampleProfile_->start(); });
    connect(add_bar_item(bar, "Structure1", "S&tructure"), &QAction::triggered, this,
            [this] { structure_->start(); });
    connect(add_bar_item(bar, "Help1", "&Help"), &QAction::triggered, this, [this] { aide(14); });
    connect(add_bar_item(bar, "About1", "&About"), &QAction::triggered, this, &Tfmain::about);
    connect(add_bar_item(bar, "Quit2", "&Quit"), &QAction::triggered, this, &QWidget::close);

    // Context help: the atom grid has topic 17, the anomalous grid 18, the rest of the window 1.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        QWidget* focus = QApplication::focusWidget();
        const auto within = [focus](QWidget* grid) { return focus && (focus == grid || grid->isAncestorOf(focus)); };
        aide(within(stringGrid1_) ? 17 : within(stringGrid2_) ? 18 : 1);
    });
}

}  // namespace kalidos::app
