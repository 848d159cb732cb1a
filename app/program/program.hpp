// The running program: one workspace, the main window and the diagram window joined by their hooks.
#pragma once

#include "diagram/tfplecran.hpp"
#include "main_window/tfmain.hpp"

#include <functional>
#include <memory>
#include <string>

class QPrinter;

namespace kalidos::app {

class Program {
  public:
    // `printDialog` runs the system print dialog; the messages and dialogs are the platform's in
    // the program, recorders in the tests.
    Program(const std::string& startDirectory, Messages& messages, FileDialogs& fileDialogs,
            std::function<bool(QPrinter&)> printDialog);

    // The main window's start-up; false when a data file is missing (the message has been shown).
    bool start();
    // A structure named on the command line, read as File › Open of its format; then the anode
    // line named, chosen as a click in the Anode list chooses it. Either may be empty.
    void open_at_start(const std::string& structureFile, const std::string& anodeLine);

    // The working folder shown in the main window's status bar, when the program chose it.
    void announce_listings_folder(const std::string& work);

    Workspace& workspace() { return *workspace_; }
    Tfmain& main_window() { return *main_; }
    Tfplecran& diagram_window() { return *diagram_; }

  private:
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<Tfmain> main_;
    std::unique_ptr<Tfplecran> diagram_;
};

}  // namespace kalidos::app
