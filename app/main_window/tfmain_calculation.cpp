// The calculation behind "Calcul.": the main window as the calculation's host.
#include <QApplication>
#include <QCursor>
#include <QListWidget>

#include "dialogs/tfgroupes.hpp"
#include "main_window/tfmain.hpp"

#include "computation/calculation_driver.hpp"
#include "computation/results_list.hpp"

namespace kalidos::app {


namespace {

// What the calculation asks of the windows, answered by the main window and the diagram hooks.
class MainCalculationHost : public CalculationHost {
public:
    explicit MainCalculationHost(Tfmain& window, const DiagramHooks& diagram, const Tfgroupes& groups)
        : window_(window), diagram_(diagram), groups_(groups)
    {
    }
    ~MainCalculationHost() override
    {
        if (busy_)
            QApplication::restoreOverrideCursor();
    }
    bool read_entries() override { return window_.read_entries(); }
    void set_busy(bool busy) override
    {
        if (busy == busy_)
            return;
        busy_ = busy;
        if (busy)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::restoreOverrideCursor();
    }
    void clear_displayed_results() override { window_.clear_results(); }
    void results_list_changed() override { window_.show_results_list(); }
    void show_diagram() override
    {
        if (diagram_.showAfterCalculation)
            diagram_.showAfterCalculation();
    }
    bool catalogue_row_selected() const override { return groups_.catalogue_row_selected(); }

private:
    Tfmain& window_;
    const DiagramHooks& diagram_;
    const Tfgroupes& groups_;
    bool busy_ = false;
};

}  // namespace

void Tfmain::recalcule()
{
    MainCalculationHost host(*this, diagram_, *groupes_);
    kalidos::recalcule(workspace_, host, *services_.messages);
}

void Tfmain::rewrite_results_list()
{
    fill_results_list(workspace_);
    show_results_list();
}

}  // namespace kalidos::app
