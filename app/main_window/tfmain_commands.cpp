// The main window's commands: radiation, angle unit, wavelengths, space group, results, erasing.
#include <QButtonGroup>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "anomalous/anomalous_grid.hpp"
#include "anomalous/anomalous_reading.hpp"
#include "dialogs/help_window.hpp"
#include "dialogs/listing_viewer.hpp"
#include "dialogs/tflp.hpp"
#include "dialogs/tform2.hpp"
#include "dialogs/tfgroupes.hpp"
#include "dialogs/tfimpur.hpp"
#include "main_window/grid_bridge.hpp"
#include "main_window/tfmain.hpp"
#include "platform/wait_cursor.hpp"
#include "wavelengths/anode_lines.hpp"

namespace kalidos::app {

void Tfmain::clear_results()
{
    listBox3_->clear();
    workspace_.results.resultsList.clear();
    workspace_.results.phaseLines.clear();
    if (diagram_.blank)
        diagram_.blank();
}

void Tfmain::show_results_list()
{
    listBox3_->clear();
    for (const std::string& line : workspace_.results.resultsList)
        listBox3_->addItem(QString::fromStdString(line));
    for (const std::string& line : workspace_.results.phaseLines)
        listBox3_->addItem(QString::fromStdString(line));
}

void Tfmain::select_result_line(int row)
{
    if (row >= 0 && row < listBox3_->count())
        listBox3_->setCurrentRow(row);
}

void Tfmain::acces_panel5() { listBox3_->clear(); }

void Tfmain::optionX()
{
    set_radiation_buttons(true);
    if (diagram_.reset)
        diagram_.reset();
    listBox3_->clear();
    stringGrid1_->show();
    stringGrid2_->show();
    anomalousLabel_->show();
    color95Button4_->show();
    stringGrid4_->hide();
    workspace_.model.radiation = kXrays;
    flp_->show();
    flp_->raise();
}

void Tfmain::choixN()
{
    set_radiation_buttons(false);
    color95Button4_->hide();
    if (diagram_.reset)
        diagram_.reset();
    clear_results();
    stringGrid1_->hide();
    stringGrid2_->hide();
    anomalousLabel_->hide();
    stringGrid4_->show();
    workspace_.model.radiation = kNeutrons;
    show_source_line();
}

// The labels of the limit edits name the unit: theta, 2-theta or Q.
void Tfmain::set_limit_labels(int item)
{
    const QString symbols[3][2] = {{QString::fromUtf8("\u03b81"), QString::fromUtf8("\u03b82")},
                                   {QString::fromUtf8("2\u03b81"), QString::fromUtf8("2\u03b82")},
                                   {"Q1", "Q2"}};
    edit13_->setText(symbols[item][0]);
    edit15_->setText(symbols[item][1]);
}

void Tfmain::change_theta_2theta(int item)
{
    clear_anomalous_grid();
    StructureModel& model = workspace_.model;
    model.twoTheta1 = model.enteredTwoTheta1;
    model.twoTheta2 = model.enteredTwoTheta2;
    model.q1 = model.enteredQ1;
    model.q2 = model.enteredQ2;
    if (item == 2 && model.wavelengths.shortest * model.wavelengths.longest == 0) {
        services_.messages->warning("WaveLength not defined!");
        unitButtons_->setExclusive(false);
        for (QAbstractButton* button : unitButtons_->buttons())
            button->setChecked(false);
        unitButtons_->setExclusive(true);
        return;
    }
    workspace_.abscissaMode = static_cast<AbscissaMode>(item);
    set_limit_labels(item);
    show_range();
    read_entries();
    if (diagram_.redraw)
        diagram_.redraw();
    if (workspace_.results.pattern.pointCount > 0)
        rewrite_results_list();
}

void Tfmain::set_lambda(int item)
{
    const AnodeOutcome outcome = kalidos::set_lambda(workspace_, item);
    if (outcome.choice == AnodeChoice::Ignored)
        return;
    write_text_table(*stringGrid2_, workspace_.anomalousGrid);
    clear_results();
    if (outcome.choice == AnodeChoice::OpenComposition) {
        impur_->show();
        impur_->raise();
        return;
    }
    edit11_->setText(QString::fromStdString(outcome.edit11Text));
    read_entries();
    show_anomalous();
    show_range();
}

void Tfmain::BitBtn4Click()
{
    StructureModel& model = workspace_.model;
    if (model.crystalSystem.empty())
        return;
    model.anomalousRecords.reset();
    for (int w = 1; w <= kAnomalousWavelengths; ++w) {
        model.fPrime[w].fill(0);
        model.fSecond[w].fill(0);
    }
    show_anomalous();
    clear_results();
    groupes_->show();
    groupes_->raise();
    groupes_->init();
}

void Tfmain::ecrit(int line)
{
    if (diagram_.selectReflection)
        diagram_.selectReflection(line - 1);
    if (diagram_.redraw)
        diagram_.redraw();
}

void Tfmain::rase_general()
{
    listBox3_->clear();
    workspace_.results.resultsList.clear();
    clear_grids();
    workspace_.model.structureFileName.clear();
    workspace_.model.openedFileName.clear();
    set_data_caption("");
    if (diagram_.forgetObserved)
        diagram_.forgetObserved();
    workspace_.observed = ObservedPattern{};
    workspace_.rawScan = RawScan{};
    workspace_.results.reflections.count = 0;
    workspace_.results.merged.count = 0;
    workspace_.results.pattern.pointCount = 0;
    if (diagram_.blank)
        diagram_.blank();
}

void Tfmain::rase_coordonnees() { clear_grids(); }

void Tfmain::rase_resultats()
{
    listBox3_->clear();
    workspace_.results.resultsList.clear();
}

void Tfmain::rase_dif_ano()
{
    if (diagram_.blank)
        diagram_.blank();
    listBox3_->clear();
    erase_anomalous_factors(workspace_);
    write_text_table(*stringGrid2_, workspace_.anomalousGrid);
}

void Tfmain::show_listing(const std::string& name)
{
    if (workspace_.results.pattern.pointCount <= 0) {
        beep_and_warn(*services_.messages, "No calculated diagram!");
        return;
    }
    viewer_->show_file(QString::fromStdString(data_path(name)));
}

void Tfmain::edit_resultats() { show_listing("fstr2.out"); }

void Tfmain::edition_fstr_out() { show_listing("fstr.out"); }

void Tfmain::aide(int topic) { help_->show_topic(topic); }

void Tfmain::about()
{
    about_->show();
    about_->raise();
}

void Tfmain::bouton_lecture_ano()
{
    const AnomalousButtonOutcome outcome =
        prepare_anomalous_reading(workspace_, edit11_->text().trimmed().toStdString(), *services_.messages);
    if (outcome == AnomalousButtonOutcome::Refused)
        return;
    if (workspace_.model.elementCount > 0)
        show_anomalous();
    clear_results();
    if (outcome == AnomalousButtonOutcome::NoAtom)
        return;
    tableButtons_->setExclusive(false);
    for (QAbstractButton* button : tableButtons_->buttons())
        button->setChecked(false);
    tableButtons_->setExclusive(true);
    panel2_->show();
    panel2_->raise();
}

void Tfmain::Acquisition_f_ano()
{
    const int item = tableButtons_->checkedId();
    if (item < 0) {
        acquire_anomalous_factors(workspace_, item, *services_.messages);
        return;
    }
    panel2Wait_->show();
    panel2_->repaint();
    {
        WaitCursor hourglass;
        acquire_anomalous_factors(workspace_, item, *services_.messages);
    }
    write_text_table(*stringGrid2_, workspace_.anomalousGrid);
    panel2Wait_->hide();
    panel2_->hide();
}

void Tfmain::cancel_panel2() { panel2_->hide(); }

}  // namespace kalidos::app
