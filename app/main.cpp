// Starts the program in the current directory when it holds the data files; otherwise (from the
// desktop's menu) with the installed data files and a working folder of its own for the listings.
// A structure file and an anode line may be named on the command line (kalidos --help).
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>

#include "platform/qt_file_dialogs.hpp"
#include "platform/qt_messages.hpp"
#include "platform/remembering_file_dialogs.hpp"
#include "program/program.hpp"
#include "program/start_folders.hpp"
#include "program/start_options.hpp"

int main(int argc, char* argv[])
{
    using namespace kalidos::app;
    QApplication application(argc, argv);
    QApplication::setOrganizationName("KALIDOS");
    QApplication::setApplicationName("KALIDOS");
    QApplication::setApplicationVersion(KALIDOS_VERSION);
    const StartOptions options = read_start_options(QApplication::arguments());
    // Numbers are read and written with a decimal point whatever the user's locale.
    QLocale::setDefault(QLocale::c());

    QtMessages messages;
    QtFileDialogs qtFileDialogs;
    QSettings settings;  // ~/.config/KALIDOS/KALIDOS.conf
    RememberingFileDialogs fileDialogs(qtFileDialogs, settings);
    const StartFolders folders = choose_start_folders(QDir::currentPath(), "/proc/self/exe",
                                                      settings.value("folders/work").toString(), QDir::homePath());
    QDir::setCurrent(QString::fromStdString(folders.work));
    Program program(folders.work, messages, fileDialogs, [&program](QPrinter& printer) {
        QPrintDialog dialog(&printer, &program.main_window());
        return dialog.exec() == QDialog::Accepted;
    });
    messages.set_parent(&program.main_window());
    qtFileDialogs.set_parent(&program.main_window());
    program.workspace().model.dataDirectory = folders.data;
    program.remember_with(settings);
    if (!program.start())
        return 1;
    settings.setValue("folders/work", QString::fromStdString(folders.work));
    if (folders.chosen)
        program.announce_listings_folder(folders.work);
    program.open_at_start(options.structureFile, options.anodeLine);
    const int status = QApplication::exec();
    program.store_settings();
    return status;
}
