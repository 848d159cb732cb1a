// The "Index" window of the diagram window: the peaks of the first measured diagram (or a list typed
// or pasted, 2θ and optionally intensity a line), the search of the cells that index them, the
// selected cell's reflections over the diagram, and "Use as phase": the cell, with a space group and
// no atoms, added to the Phases window.
#pragma once

#include "diagram/diagram_services.hpp"
#include "identification/candidate_score.hpp"  // for StickLine
#include "indexing/cell_indexing.hpp"
#include "model/workspace.hpp"

#include <QWidget>
#include <functional>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kalidos::app {

class Tfindex : public QWidget {
    Q_OBJECT
  public:
    enum Column { Rank, System, A, B, C, Alpha, Beta, Gamma, Volume, M20, FN, Extinction, ColumnCount };

    // `showSticks` draws lines over the diagram (an empty list: none); `usePhase` adds a structure,
    // under a name, to the Phases window.
    Tfindex(Workspace& workspace, DiagramServices services, std::function<void(const std::vector<StickLine>&)> showSticks,
            std::function<bool(const StructureModel&, const std::string&)> usePhase, QWidget* parent = nullptr);

    // Shown; an empty peak list is filled from the first measured diagram.
    void start();
    // Shown with `peaks` (their strongest) in the list and their wavelength.
    void start_with(const PeakList& peaks);
    // Find peaks: the peak search of the first measured diagram, the strongest peaks into the list.
    bool find_peaks();
    // Index: the cells of the list's peaks, best first, in the table.
    bool index();
    // Stop: the search ends at its next look at the window, with what it found so far.
    void stop() { stopRequested_ = true; }
    // The cell of a row: its reflections over the diagram.
    void select_row(int row);
    // Use as phase: the selected cell with the group typed (P 1 by default) into the Phases window.
    bool use_selected();

    const IndexingResult& result() const { return result_; }
    QString note() const;

  private:
    void fill_table();
    void show_peaks(const PeakList& peaks);
    void refuse(const std::string& text);

    Workspace& workspace_;
    DiagramServices services_;
    std::function<void(const std::vector<StickLine>&)> showSticks_;
    std::function<bool(const StructureModel&, const std::string&)> usePhase_;
    IndexingLines lines_;
    IndexingResult result_;
    bool stopRequested_ = false;
    QPlainTextEdit* peaks_ = nullptr;
    QLineEdit* wavelength_ = nullptr;
    QDoubleSpinBox* tolerance_ = nullptr;
    QSpinBox* impurities_ = nullptr;
    QDoubleSpinBox* zeroRange_ = nullptr;
    QLineEdit* group_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* index_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* use_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace kalidos::app
