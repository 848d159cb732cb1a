#include "program/shortcuts.hpp"

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "diagram/tfplecran.hpp"
#include "main_window/tfmain.hpp"

namespace kalidos::app {
namespace {

void give_key(QWidget& window, const char* item, const QKeySequence& key,
              Qt::ShortcutContext context = Qt::WindowShortcut)
{
    if (auto* action = window.findChild<QAction*>(item)) {
        action->setShortcut(key);
        action->setShortcutContext(context);
    }
}

void add_open_any_structure(Tfmain& main, FileDialogs& fileDialogs)
{
    QMenu* open = main.findChild<QMenu*>("Open1");
    if (open == nullptr)
        return;
    auto* all = new QAction("&All structure files", open);
    all->setObjectName("Allstructurefiles1");
    all->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->insertAction(open->actions().value(0), all);
    QObject::connect(all, &QAction::triggered, &main, [&main, &fileDialogs] {
        FileRequest request;
        request.title = "Open";
        request.filters = {{"Structure files", "*.cry *.ins *.inp *.res *.cel *.lzy *.cif"}, {"All files", "*"}};
        request.directory = main.workspace().model.startDirectory;
        const auto chosen = fileDialogs.open_file(request);
        if (chosen && !chosen->path.empty())
            main.open_structure_named(chosen->path);
    });
}

}  // namespace

void add_shortcuts(Tfmain& main, Tfplecran& diagram, FileDialogs& fileDialogs)
{
    add_open_any_structure(main, fileDialogs);
    give_key(main, "Save1", QKeySequence(Qt::CTRL | Qt::Key_S));
    give_key(main, "Quit1", QKeySequence(Qt::CTRL | Qt::Key_Q), Qt::ApplicationShortcut);
    if (auto* calcul = main.findChild<QPushButton*>("BitBtn1")) {
        calcul->setShortcut(QKeySequence(Qt::Key_F5));
        calcul->setToolTip(calcul->toolTip() + " (F5)");
    }
    give_key(diagram, "Alldiagramfiles1", QKeySequence(Qt::CTRL | Qt::Key_O));
    give_key(diagram, "ImpressionDiagramme1", QKeySequence(Qt::CTRL | Qt::Key_P));
    give_key(diagram, "Refine1", QKeySequence(Qt::CTRL | Qt::Key_R));
}

}  // namespace kalidos::app
