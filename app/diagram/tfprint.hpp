// The "Print " dialog: a comment line, then the system print dialog and one landscape page.
#pragma once

#include "drawing/print_page.hpp"

#include <QDialog>
#include <functional>

class QLineEdit;
class QPrinter;

namespace kalidos::app {

// Prints the page on a printer already set up: one page composed landscape in page dots, turned on
// portrait paper.
void print_page(QPrinter& printer, const Workspace& workspace, const drawing::PageOptions& options);

class Tfprint : public QDialog {
    Q_OBJECT
  public:
    Tfprint(Workspace& workspace, std::function<bool(QPrinter&)> printDialog, QWidget* parent = nullptr);

    // The view the page reproduces (abscissa unit, intensity scale, S), set by the diagram window.
    void set_view(AbscissaMode mode, drawing::IntensityScale scale, double verticalScale);
    // A mixture's phases printed with it; none for one structure.
    void set_phases(const drawing::PhaseOverlay* phases) { options_.phases = phases; }
    // OK: runs the print dialog and, when confirmed, prints the page and closes.
    void sortie();

  private:
    Workspace& workspace_;
    std::function<bool(QPrinter&)> printDialog_;
    drawing::PageOptions options_;
    QLineEdit* edit1_ = nullptr;
};

}  // namespace kalidos::app
