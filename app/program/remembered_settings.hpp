// What the program remembers between sessions: the windows' places and sizes, the anode line, the
// sample and profile settings and File › Recent, with File › Forget remembered settings.
#pragma once

#include <QSettings>
#include <memory>
#include <string>

namespace kalidos {
class Messages;
}

namespace kalidos::app {

class Program;
class RecentFiles;

class RememberedSettings {
public:
    // Adds File › Recent and File › Forget remembered settings to the main window and puts the
    // windows where they were; nothing stored leaves everything as it starts without settings.
    RememberedSettings(Program& program, QSettings& settings, Messages& messages);
    ~RememberedSettings();

    // The anode line and the sample and profile settings of the last session, into the model.
    void restore_choices();
    // At the end of a session (unless forgotten during it).
    void store();
    // Everything stored is removed, File › Recent emptied, and this session is not stored at its end.
    void forget();
    RecentFiles& recent() { return *recent_; }

private:
    void add_menu_items();

    Program& program_;
    QSettings& settings_;
    Messages& messages_;
    std::unique_ptr<RecentFiles> recent_;
    bool forgotten_ = false;
};

}  // namespace kalidos::app
