// What the diagram window asks of the rest of the program: dialogs, messages and the main window.
#pragma once

#include "diagram_files/diagram_import.hpp" // for ScanWavelengths
#include "platform/file_dialogs.hpp"
#include "ui/messages.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace kalidos::app {

// The running program passes its Qt services and the main window's hooks; tests pass recorders.
// An unset hook does nothing.
struct DiagramServices {
    Messages* messages = nullptr;
    FileDialogs* fileDialogs = nullptr;
    // The system print dialog over the printer; true when the user confirmed.
    std::function<bool(QPrinter&)> printDialog;
    // Selects row `index` (from 0) of the results list ListBox3: merged reflection i is on row i + 1.
    // Called after the picture is drawn; it must not redraw the diagram.
    std::function<void(int index)> selectResultLine;
    // Opens the help window at a topic.
    std::function<void(int topic)> showHelp;
    // The first imported diagram set the radiation and the range: refresh the main window's fields.
    std::function<void()> radiationAdopted;
    // Which scan of a file holding several to show (from 0; the names as the file gives them,
    // possibly empty); nothing when cancelled. Unset: the first.
    std::function<std::optional<int>(const std::vector<std::string>& scanNames)> chooseScan;
    // Lines were added to the results list (a comparison's figures): show it again.
    std::function<void()> resultsListChanged;
    // The refinement window's Keep wrote refined values into the workspace's structure: the main
    // window shows its entries again.
    std::function<void()> structureRefined;
    // The "Lambda missing" dialog for a Rietveld file without header; nothing when cancelled.
    std::function<std::optional<ScanWavelengths>()> askScanWavelengths;
};

}  // namespace kalidos::app
