// The "Identify" window of the diagram window: the library index (chosen, or made from a folder),
// the element filter and the sensitivity of the peak search, the ranked candidates for the first
// observed diagram, the selected one's lines over the diagram and "Add as phase".
#pragma once

#include "diagram/diagram_services.hpp"
#include "identification/identification.hpp"
#include "model/workspace.hpp"

#include <QWidget>
#include <functional>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kalidos::app {

class Tfidentify : public QWidget {
    Q_OBJECT
  public:
    enum Column { Rank, Formula, Group, File, Score, Rwp, Fraction, Found, ColumnCount };

    // `showSticks` draws a candidate's lines over the diagram (an empty list: none);
    // `addPhase` adds a structure file to the Phases window.
    Tfidentify(Workspace& workspace, DiagramServices services,
               std::function<void(const std::vector<StickLine>&)> showSticks,
               std::function<bool(const std::string& file)> addPhase, QWidget* parent = nullptr);

    void start();
    // Index...: the open dialog for an index file; Index folder...: a structure file of the folder
    // chosen, the folder indexed into its default index file.
    void choose_index();
    void choose_folder();
    bool open_index(const std::string& file);
    bool index_folder(const std::string& folder);
    // Search: the first observed diagram identified; the candidates in the table.
    bool search();
    // The candidate of a row: its lines over the diagram.
    void select_row(int row);
    // Add as phase: the selected candidate's file added to the Phases window.
    bool add_selected();

    const Identification& identification() const { return found_; }
    const std::vector<LibraryEntry>& entries() const { return entries_; }
    QString note() const;

  private:
    void fill_table();
    void refuse(const std::string& text);
    int selected_row() const;

    Workspace& workspace_;
    DiagramServices services_;
    std::function<void(const std::vector<StickLine>&)> showSticks_;
    std::function<bool(const std::string&)> addPhase_;
    std::vector<LibraryEntry> entries_;
    Identification found_;
    double lambda1_ = 0;
    QLineEdit* indexFile_ = nullptr;
    QLineEdit* elements_ = nullptr;
    QDoubleSpinBox* sensitivity_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace kalidos::app
