// The calculation's view of a run without windows.
#pragma once

#include "computation/calculation_host.hpp"
#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// Reading the entries makes the model ready by itself (there are no grids); the cursor, the
// results list and the diagram window have nothing to show. The run is complete when the
// driver asks to show the diagram, which it does only after every pass and the profile.
class HeadlessCalculationHost : public CalculationHost {
public:
    HeadlessCalculationHost(StructureModel& model, Messages& messages) : model_(model), messages_(messages) {}

    bool read_entries() override;
    void set_busy(bool) override {}
    void clear_displayed_results() override {}
    void results_list_changed() override {}
    void show_diagram() override { diagramShown_ = true; }
    // A group applied from the catalogue is what the window's catalogue list would show selected.
    bool catalogue_row_selected() const override { return model_.symbolNotation == "HALL"; }

    bool completed() const { return diagramShown_; }

private:
    StructureModel& model_;
    Messages& messages_;
    bool diagramShown_ = false;
};

}  // namespace kalidos
