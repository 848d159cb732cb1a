// Starts the program in the current directory, which holds its data files.
#include <QApplication>
#include <QDir>
#include <QLocale>

#include "main_window/tfmain.hpp"
#include "platform/qt_file_dialogs.hpp"
#include "platform/qt_messages.hpp"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("KALIDOS");
    // Numbers are read and written with a decimal point whatever the user's locale.
    QLocale::setDefault(QLocale::c());

    auto workspace = kalidos::make_workspace(QDir::currentPath().toStdString());
    kalidos::app::QtMessages messages;
    kalidos::app::QtFileDialogs fileDialogs;
    kalidos::app::Tfmain fmain(*workspace, {&messages, &fileDialogs});
    messages.set_parent(&fmain);
    fileDialogs.set_parent(&fmain);
    if (!fmain.init_creation())
        return 1;
    fmain.show();
    return QApplication::exec();
}
