// The running program: one workspace, the main window and the diagram window joined by their hooks.
#pragma once

#include "diagram/tfplecran.hpp"
#include "main_window/tfmain.hpp"

#include <functional>
#include <memory>
#include <string>

class QPrinter;
class QSettings;

namespace kalidos::app {

class RememberedSettings;

class Program {
  public:
    // `printDialog` runs the system print dialog; the messages and dialogs are the platform's in
    // the program, recorders in the tests.
    Program(const std::string& startDirectory, Messages& messages, FileDialogs& fileDialogs,
            std::function<bool(QPrinter&)> printDialog);
    ~Program();

    // After this call the program remembers its windows, choices and recent files in `settings`
    // (which outlives it) and puts the windows where they were; without it nothing is remembered.
    void remember_with(QSettings& settings);
    // What the session leaves for the next one; nothing when nothing is remembered.
    void store_settings();
    RememberedSettings* remembered() { return remembered_.get(); }

    // The main window's start-up; false when a data file is missing (the message has been shown).
    bool start();
    // The remembered choices (anode line, sample and profile settings) first; then a structure
    // named on the command line, read as File › Open of its format; then the anode line named,
    // chosen as a click in the Anode list chooses it. Either may be empty.
    void open_at_start(const std::string& structureFile, const std::string& anodeLine);

    // The working folder shown in the main window's status bar, when the program chose it.
    void announce_listings_folder(const std::string& work);

    Workspace& workspace() { return *workspace_; }
    Tfmain& main_window() { return *main_; }
    Tfplecran& diagram_window() { return *diagram_; }

  private:
    Messages& messages_;
    std::unique_ptr<Workspace> workspace_;
    std::unique_ptr<Tfmain> main_;
    std::unique_ptr<Tfplecran> diagram_;
    std::unique_ptr<RememberedSettings> remembered_;
};

}  // namespace kalidos::app
