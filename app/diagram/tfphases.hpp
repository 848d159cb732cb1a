// The "Phases" window of the diagram window: the mixture's phases in a table (shown, colour, file,
// weight fraction, size, strain, preferred orientation, formula), extra phases added and removed,
// and the fit of the fractions to the first observed diagram.
#pragma once

#include <optional>
#include "diagram/diagram_services.hpp"
#include "diagram/phase_mixture.hpp"

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace kalidos::app {

class Tfphases : public QWidget {
    Q_OBJECT
  public:
    enum Column { Shown, Colour, File, Fraction, Size, Strain, Orientation, Formula, ColumnCount };

    // `changed` redraws the diagram after any change of the mixture.
    Tfphases(PhaseMixture& mixture, DiagramServices services, std::function<void()> changed,
             QWidget* parent = nullptr);

    // Takes the main window's calculation as the first phase when none is held yet, fills the
    // table and shows the window.
    void start();
    // Fills the table from the mixture (after a calculation or a fit).
    void refresh();
    // Add phase...: the open dialog, then the file calculated as an extra phase.
    void add_phase();
    // The file as an extra phase, at the weight fraction given (else an equal share).
    bool add_phase_file(const std::string& path, std::optional<double> fraction = {});
    // Remove: the selected extra phase.
    void remove_phase();
    // Fit fractions: the fit, its fractions in the table and its figures under it.
    void fit_fractions();
    // A line under the table (the figures of a fit, the reflection a click named).
    void show_note(const QString& text);
    QString note() const;

  private:
    void fill_row(int row);
    QTableWidgetItem* set_cell(int row, int column, const QString& text, bool editable);
    void cell_changed(QTableWidgetItem* item);
    void edit_fraction(std::size_t index, const QString& text);
    void edit_settings(std::size_t index, Column column, const QString& text);
    void refuse(const std::string& text);

    PhaseMixture& mixture_;
    DiagramServices services_;
    std::function<void()> changed_;
    bool filling_ = false;
    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* fit_ = nullptr;
    QCheckBox* fitSizes_ = nullptr;
    QCheckBox* fitCells_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace kalidos::app
