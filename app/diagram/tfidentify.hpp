// The "Identify" window of the diagram window: the library index (chosen, or made from a folder),
// the measured diagram searched, the element filter and the sensitivity of the peak search, the
// ranked candidates, the selected one's lines over the diagram and "Add as phase".
#pragma once

#include "diagram/diagram_services.hpp"
#include "identification/identification.hpp"
#include "model/workspace.hpp"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kalidos::app {

inline constexpr int kIdentifyHelpTopic = 23;

class Tfidentify : public QWidget {
    Q_OBJECT
  public:
    enum Column { Rank, Formula, Group, File, Copies, Score, Rwp, Found, ColumnCount };

    // `showSticks` draws a candidate's lines over the diagram (an empty list: none);
    // `addPhase` adds a structure file to the Phases window, at a weight fraction when given.
    Tfidentify(Workspace& workspace, DiagramServices services,
               std::function<void(const std::vector<StickLine>&)> showSticks,
               std::function<bool(const std::string& file, std::optional<double> fraction)> addPhase,
               QWidget* parent = nullptr);

    // Shows the window with the measured diagrams to search, the last opened chosen.
    void start();
    // Index...: the open dialog for an index file; Index folder...: a folder chosen and indexed
    // into its default index file, the files it cannot read listed with their reasons.
    void choose_index();
    void choose_folder();
    bool open_index(const std::string& file);
    bool index_folder(const std::string& folder);
    // Search: the chosen diagram identified; the candidates in the table, what the search tells
    // under it.
    bool search();
    // The candidate of a row: its lines over the diagram.
    void select_row(int row);
    // Add as phase: the selected candidate's file added to the Phases window (a phase found at its
    // found fraction); Add found phases: every phase found, at its fraction.
    bool add_selected();
    bool add_found();

    const Identification& identification() const { return found_; }
    const std::vector<LibraryEntry>& entries() const { return entries_; }
    QString note() const;
    // The files an indexing refused and what the search told, one a line.
    QString details() const;

  private:
    void fill_table();
    void forget_results();
    void list_diagrams();
    void refuse(const std::string& text);
    int selected_row() const;
    std::optional<double> found_fraction(std::size_t entry) const;

    Workspace& workspace_;
    DiagramServices services_;
    std::function<void(const std::vector<StickLine>&)> showSticks_;
    std::function<bool(const std::string&, std::optional<double>)> addPhase_;
    std::vector<LibraryEntry> entries_;
    QStringList refused_;  // the library's files that could not be read, with their reasons
    Identification found_;
    double lambda1_ = 0;
    int listed_ = 0;  // diagrams in the list when it was last made
    QLineEdit* indexFile_ = nullptr;
    QComboBox* diagram_ = nullptr;
    QLineEdit* elements_ = nullptr;
    QDoubleSpinBox* sensitivity_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QLabel* note_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
};

}  // namespace kalidos::app
