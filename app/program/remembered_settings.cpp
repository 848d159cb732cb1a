#include "program/remembered_settings.hpp"

#include <QAction>
#include <QListWidget>
#include <QMenu>

#include "program/program.hpp"
#include "program/recent_files.hpp"
#include "program/sample_profile_settings.hpp"
#include "ui/messages.hpp"

namespace kalidos::app {
namespace {

const QString kMainGeometry = "windows/main";
const QString kDiagramGeometry = "windows/diagram";
const QString kAnode = "anode/line";

QListWidget* anode_list(Tfmain& window) { return window.findChild<QListWidget*>("ListBox4"); }

}  // namespace

RememberedSettings::RememberedSettings(Program& program, QSettings& settings, Messages& messages)
    : program_(program), settings_(settings), messages_(messages)
{
    add_menu_items();
    program_.main_window().restoreGeometry(settings_.value(kMainGeometry).toByteArray());
    program_.diagram_window().restoreGeometry(settings_.value(kDiagramGeometry).toByteArray());
}

RememberedSettings::~RememberedSettings() = default;

void RememberedSettings::add_menu_items()
{
    Tfmain& window = program_.main_window();
    QMenu* file = window.findChild<QMenu*>("File1");
    QAction* quit = window.findChild<QAction*>("Quit1");
    auto* recentMenu = new QMenu("&Recent", file);
    recentMenu->setObjectName("Recent1");
    file->insertMenu(quit, recentMenu);
    recent_ = std::make_unique<RecentFiles>(*recentMenu, settings_, messages_,
                                            [&window](const std::string& path) { window.open_structure_named(path); });
    window.set_structure_read_hook([this](const std::string& path) { recent_->add(path); });
    auto* forgetItem = new QAction("&Forget remembered settings", file);
    forgetItem->setObjectName("Forgetsettings1");
    file->insertAction(quit, forgetItem);
    QObject::connect(forgetItem, &QAction::triggered, file, [this] { forget(); });
    file->insertSeparator(quit);
}

void RememberedSettings::restore_choices()
{
    Workspace& workspace = program_.workspace();
    read_sample_profile(settings_, workspace.model.sample, workspace.model.profile);
    const QString anode = settings_.value(kAnode).toString();
    QListWidget* list = anode_list(program_.main_window());
    // A line no longer in the list is passed over in silence: nothing was asked for today.
    if (!anode.isEmpty() && list && !list->findItems(anode, Qt::MatchFixedString).isEmpty())
        program_.main_window().choose_anode_named(anode.toStdString());
}

void RememberedSettings::store()
{
    if (forgotten_)
        return;
    settings_.setValue(kMainGeometry, program_.main_window().saveGeometry());
    // The diagram window's place is kept once it has been shown.
    if (program_.diagram_window().testAttribute(Qt::WA_WState_Created))
        settings_.setValue(kDiagramGeometry, program_.diagram_window().saveGeometry());
    QListWidget* list = anode_list(program_.main_window());
    if (list && list->currentItem() && list->currentItem()->isSelected())
        settings_.setValue(kAnode, list->currentItem()->text());
    write_sample_profile(settings_, program_.workspace().model.sample, program_.workspace().model.profile);
    settings_.sync();
}

void RememberedSettings::forget()
{
    settings_.clear();
    recent_->clear();
    settings_.sync();
    forgotten_ = true;
    messages_.warning("The remembered folders, window places, anode line, sample and profile settings and "
                      "recent files are forgotten.");
}

}  // namespace kalidos::app
