// Starts the program in the current directory, which holds its data files.
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "diagram/tfplecran.hpp"
#include "dialogs/scan_wavelength_request.hpp"
#include "main_window/tfmain.hpp"
#include "platform/qt_file_dialogs.hpp"
#include "platform/qt_messages.hpp"

int main(int argc, char* argv[])
{
    using namespace kalidos::app;
    QApplication application(argc, argv);
    QApplication::setApplicationName("KALIDOS");
    // Numbers are read and written with a decimal point whatever the user's locale.
    QLocale::setDefault(QLocale::c());

    auto workspace = kalidos::make_workspace(QDir::currentPath().toStdString());
    QtMessages messages;
    QtFileDialogs fileDialogs;
    Tfmain fmain(*workspace, {&messages, &fileDialogs});
    messages.set_parent(&fmain);
    fileDialogs.set_parent(&fmain);

    DiagramServices services;
    services.messages = &messages;
    services.fileDialogs = &fileDialogs;
    services.printDialog = [&fmain](QPrinter& printer) {
        QPrintDialog dialog(&printer, &fmain);
        return dialog.exec() == QDialog::Accepted;
    };
    services.selectResultLine = [&fmain](int row) { fmain.select_result_line(row); };
    services.showHelp = [&fmain](int topic) { fmain.aide(topic); };
    services.radiationAdopted = [&fmain] { fmain.show_range(); };
    services.askScanWavelengths = [&fmain] { return ask_scan_wavelengths(fmain.lambda_dialog()); };
    services.resultsListChanged = [&fmain] { fmain.show_results_list(); };
    services.chooseScan = [&fmain](const std::vector<std::string>& names) -> std::optional<int> {
        QStringList items;
        for (std::size_t i = 0; i < names.size(); ++i)
            items << QString("Scan %1 %2").arg(i + 1).arg(QString::fromStdString(names[i]));
        bool accepted = false;
        const QString item = QInputDialog::getItem(&fmain, "Scan", "The file holds several scans:", items, 0, false,
                                                   &accepted);
        if (!accepted)
            return std::nullopt;
        return static_cast<int>(items.indexOf(item));
    };
    Tfplecran plecran(*workspace, services);

    DiagramHooks hooks;
    hooks.redraw = [&plecran] { plecran.dessine(); };
    hooks.blank = [&plecran] { plecran.efface_ecran(); };
    hooks.reset = [&plecran] { plecran.reset_diag(); };
    hooks.showAfterCalculation = [&plecran] { plecran.show_after_calculation(); };
    hooks.selectReflection = [&plecran](int s) { plecran.set_selected_reflection(s); };
    fmain.set_diagram_hooks(hooks);

    if (!fmain.init_creation())
        return 1;
    fmain.show();
    return QApplication::exec();
}
