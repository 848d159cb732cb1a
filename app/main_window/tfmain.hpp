// The main window: the structure and experiment entries, the results list, the menus and commands.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "entry/entry_form.hpp"
#include "model/workspace.hpp"
#include "platform/file_dialogs.hpp"
#include "ui/messages.hpp"

class QAbstractButton;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kalidos::app {

class HelpWindow;
class SampleProfileDialog;
class ListingViewer;
class TFLP;
class TForm3;
class Tfgroupes;
class Tfimpur;
class Tflilambda;
class Tform2;
class Tfstructure;

// What the main window asks of the diagram window; main() connects them, tests leave them unset.
struct DiagramHooks {
    std::function<void()> redraw;                // dessine
    std::function<void()> blank;                 // the picture emptied
    std::function<void()> reset;                 // back to the calculated range, scales reset
    std::function<void()> showAfterCalculation;  // sized, drawn and shown after a calculation
    std::function<void(int)> selectReflection;   // the merged reflection to mark: results line - 1
    std::function<void()> forgetObserved;        // the observed diagrams and the last scan dropped
};

struct MainServices {
    Messages* messages = nullptr;
    FileDialogs* fileDialogs = nullptr;
};

class Tfmain : public QMainWindow {
    Q_OBJECT
public:
    Tfmain(Workspace& workspace, MainServices services, QWidget* parent = nullptr);
    ~Tfmain() override;

    Workspace& workspace() { return workspace_; }
    void set_diagram_hooks(DiagramHooks hooks) { diagram_ = std::move(hooks); }
    // Told the path of every structure file read (File › Recent keeps them).
    void set_structure_read_hook(std::function<void(const std::string&)> hook) { structureRead_ = std::move(hook); }

    // Start-up: false (after the message) when a data file is missing and the program must end.
    bool init_creation();
    void reset_donnees();

    // Data entry, as the other windows and the readers call it.
    bool read_entries();
    void apply_system();
    void show_cell();
    void show_range();
    void show_atoms();
    void rebuild_elements();
    void show_anomalous();
    void clear_anomalous_grid();
    void clear_grids();
    void clear_results();
    void reset_spectre_res();
    void set_data_caption(const std::string& fileName);
    // The structure's cell, atoms, U V W and profile changed elsewhere (the refinement's Keep):
    // the entries, and the Sample and profile dialog when open, show them.
    void show_refined_structure();

    // Handlers of the controls, under their names.
    void numero_case(int field);
    void entree_lambda();
    void verif_frappe_edit();
    void lecture_donnees();
    void maj_to_min(int radiation, int leftRow, int leftColumn, int enteredRow);
    void StringGrid1DblClick();
    void optionX();
    void choixN();
    void change_theta_2theta(int item);
    void set_lambda(int item);
    void BitBtn4Click();
    void ecrit(int line);
    void recalcule();
    void acces_panel5();

    // Menu commands.
    void open_structure(int format);
    // A structure file named on the command line, dropped or chosen again: read as File › Open
    // of its format reads it, with the same messages. A file that cannot be read leaves an empty
    // structure.
    bool open_structure_named(const std::string& path);
    // The line of the Anode list with this name (any case), chosen as a click chooses it.
    bool choose_anode_named(const std::string& name);
    void cif_format();
    void sauve_donnees();
    void edit_resultats();
    void edition_fstr_out();
    void rase_general();
    void rase_coordonnees();
    void rase_resultats();
    void rase_dif_ano();
    void aide(int topic = 14);
    void about();

    // The anomalous-dispersion reading panel.
    void bouton_lecture_ano();
    void Acquisition_f_ano();
    void cancel_panel2();

    // Marks a row of the results list (the diagram window's peak indexing) without redrawing.
    void select_result_line(int row);
    // Refreshes the results list from the workspace's lines.
    void show_results_list();
    // The results of the last calculation written again in the current unit.
    void rewrite_results_list();

    TFLP& source_dialog() { return *flp_; }
    Tform2& about_box() { return *about_; }
    Tfimpur& composition_dialog() { return *impur_; }
    Tflilambda& lambda_dialog() { return *lilambda_; }
    Tfgroupes& space_group_dialog() { return *groupes_; }
    TForm3& block_dialog() { return *form3_; }
    ListingViewer& listing_viewer() { return *viewer_; }
    HelpWindow& help_window() { return *help_; }
    SampleProfileDialog& sample_profile_dialog() { return *sampleProfile_; }
    Tfstructure& structure_window() { return *structure_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void build_layout();
    QWidget* build_header();
    QWidget* build_cell_group();
    QWidget* build_atom_group();
    QWidget* build_anomalous_group();
    QWidget* build_experiment_group();
    QWidget* build_wavelength_group();
    QWidget* build_space_group_row();
    QWidget* build_results_panel();
    void build_reading_panel(QWidget* parent);
    void build_menus();
    void build_dialogs();
    void connect_entries();
    QLineEdit* make_edit(const char* name, int width);
    QLineEdit* make_label_edit(const char* name, const QString& text, int width);
    QTableWidget* make_atom_grid(const char* name, bool neutron);

    // The bridge between the controls and the data entry.
    void controls_to_form();
    void form_to_controls();
    void show_source_line();
    void set_radiation_buttons(bool xrays);
    void set_limit_labels(int item);
    bool run_open_dialog(int format);
    void prepare_for_read(int format, const std::string& path);
    bool read_structure(int format);
    void forget_structure();
    void after_structure_read();
    std::string data_path(const std::string& name) const;
    void show_listing(const std::string& name);
    // The Structure window draws the model again when it is shown and the structure changed.
    void structure_changed();
    // The atom grid's row of atom `atom` selected (a click in the Structure window).
    void select_atom_row(int atom);
    void connect_structure_window();

    Workspace& workspace_;
    MainServices services_;
    DiagramHooks diagram_;
    std::function<void(const std::string&)> structureRead_;
    std::unique_ptr<EntryForm> form_;
    bool reading_ = false;  // an entry read is under way: focus changes during its messages are ignored

    QLineEdit* cellEdits_[6] = {};
    QLineEdit* edit8_ = nullptr;
    QLineEdit* edit9_ = nullptr;
    QLineEdit* edit12_ = nullptr;
    QLineEdit* edit11_ = nullptr;
    QLineEdit* edit13_ = nullptr;
    QLineEdit* edit14_ = nullptr;
    QLineEdit* edit15_ = nullptr;
    QLineEdit* edit17_ = nullptr;
    QLineEdit* edit19_ = nullptr;
    QLineEdit* edit21_ = nullptr;
    QLineEdit* edit25_ = nullptr;
    QLineEdit* edit29_ = nullptr;
    QListWidget* listBox2_ = nullptr;
    QListWidget* listBox3_ = nullptr;
    QListWidget* listBox4_ = nullptr;
    QGroupBox* radioGroup1_ = nullptr;
    QButtonGroup* unitButtons_ = nullptr;
    QTableWidget* stringGrid1_ = nullptr;
    QTableWidget* stringGrid2_ = nullptr;
    QTableWidget* stringGrid4_ = nullptr;
    QLabel* anomalousLabel_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QPushButton* bitBtn2_ = nullptr;
    QPushButton* bitBtn3_ = nullptr;
    QPushButton* bitBtn4_ = nullptr;
    QPushButton* color95Button4_ = nullptr;
    QPushButton* structureButton_ = nullptr;
    QFrame* panel4_ = nullptr;
    QFrame* panel5_ = nullptr;
    QLabel* panel4Caption_ = nullptr;
    QLabel* panel7_ = nullptr;
    QFrame* panel2_ = nullptr;
    QGroupBox* radioGroup2_ = nullptr;
    QButtonGroup* tableButtons_ = nullptr;
    QLineEdit* panel2Wait_ = nullptr;

    TFLP* flp_ = nullptr;
    Tform2* about_ = nullptr;
    Tfimpur* impur_ = nullptr;
    Tflilambda* lilambda_ = nullptr;
    Tfgroupes* groupes_ = nullptr;
    TForm3* form3_ = nullptr;
    ListingViewer* viewer_ = nullptr;
    HelpWindow* help_ = nullptr;
    SampleProfileDialog* sampleProfile_ = nullptr;
    Tfstructure* structure_ = nullptr;
};

}  // namespace kalidos::app
