// What a calculation asks of the windows: read the entries, the hourglass, the results and the diagram.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kalidos {

// The main window implements this; tests and the batch runner use RecordingCalculationHost.
class CalculationHost {
public:
    virtual ~CalculationHost() = default;
    // Reads every edit and grid into the model (the data-entry read, which also clears the
    // displayed results). False when the read was refused and the calculation must stop.
    virtual bool read_entries() = 0;
    // The hourglass cursor while the passes run.
    virtual void set_busy(bool busy) = 0;
    // Empties the shown results list and erases the diagram picture to white.
    virtual void clear_displayed_results() = 0;
    // results.resultsList was rebuilt: show it (list colour RGB 189, 228, 255).
    virtual void results_list_changed() = 0;
    // Diagram window: height 290 pixels, redraw, show.
    virtual void show_diagram() = 0;
    // Whether a row of the space-group dialog's catalogue list is selected (the monoclinic check
    // of the Q abscissa).
    virtual bool catalogue_row_selected() const = 0;
};

// Records every call in order; read_entries runs `onReadEntries` when set (true otherwise).
class RecordingCalculationHost : public CalculationHost {
public:
    bool read_entries() override
    {
        events.push_back("read_entries");
        return onReadEntries ? onReadEntries() : true;
    }
    void set_busy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
    void clear_displayed_results() override { events.push_back("clear_displayed_results"); }
    void results_list_changed() override { events.push_back("results_list_changed"); }
    void show_diagram() override { events.push_back("show_diagram"); }
    bool catalogue_row_selected() const override { return catalogueRowSelected; }

    std::function<bool()> onReadEntries;
    bool catalogueRowSelected = false;
    std::vector<std::string> events;
};

}  // namespace kalidos
