// Starts the program in the current directory, which holds its data files; a structure file and
// an anode line may be named on the command line (kalidos --help).
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/qt_file_dialogs.hpp"
#include "platform/qt_messages.hpp"
#include "program/program.hpp"
#include "program/start_options.hpp"

int main(int argc, char* argv[])
{
    using namespace kalidos::app;
    QApplication application(argc, argv);
    QApplication::setApplicationName("KALIDOS");
    QApplication::setApplicationVersion(KALIDOS_VERSION);
    const StartOptions options = read_start_options(QApplication::arguments());
    // Numbers are read and written with a decimal point whatever the user's locale.
    QLocale::setDefault(QLocale::c());

    QtMessages messages;
    QtFileDialogs fileDialogs;
    Program program(QDir::currentPath().toStdString(), messages, fileDialogs, [&program](QPrinter& printer) {
        QPrintDialog dialog(&printer, &program.main_window());
        return dialog.exec() == QDialog::Accepted;
    });
    messages.set_parent(&program.main_window());
    fileDialogs.set_parent(&program.main_window());
    if (!program.start())
        return 1;
    program.open_at_start(options.structureFile, options.anodeLine);
    return QApplication::exec();
}
