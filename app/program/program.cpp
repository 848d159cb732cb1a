#include "program/program.hpp"

#include "dialogs/scan_wavelength_request.hpp"
#include "platform/file_drop.hpp"
#include "program/remembered_settings.hpp"
#include "program/shortcuts.hpp"
#include "program/start_folders.hpp"
#include "structure/tfstructure.hpp"

#include <QInputDialog>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>
#include <optional>

namespace kalidos::app {

Program::Program(const std::string& startDirectory, Messages& messages, FileDialogs& fileDialogs,
                 std::function<bool(QPrinter&)> printDialog)
    : messages_(messages), workspace_(make_workspace(startDirectory))
{
    main_ = std::make_unique<Tfmain>(*workspace_, MainServices{&messages, &fileDialogs});
    main_->structure_window().set_print_dialog(printDialog);
    Tfmain* fmain = main_.get();

    DiagramServices services;
    services.messages = &messages;
    services.fileDialogs = &fileDialogs;
    services.printDialog = std::move(printDialog);
    services.selectResultLine = [fmain](int row) { fmain->select_result_line(row); };
    services.showHelp = [fmain](int topic) { fmain->aide(topic); };
    services.radiationAdopted = [fmain] { fmain->show_range(); };
    services.askScanWavelengths = [fmain] { return ask_scan_wavelengths(fmain->lambda_dialog()); };
    services.resultsListChanged = [fmain] { fmain->show_results_list(); };
    services.structureRefined = [fmain] { fmain->show_refined_structure(); };
    services.chooseScan = [fmain](const std::vector<std::string>& names) -> std::optional<int> {
        QStringList items;
        for (std::size_t i = 0; i < names.size(); ++i)
            items << QString("Scan %1 %2").arg(i + 1).arg(QString::fromStdString(names[i]));
        bool accepted = false;
        const QString item =
            QInputDialog::getItem(fmain, "Scan", "The file holds several scans:", items, 0, false, &accepted);
        if (!accepted)
            return std::nullopt;
        return static_cast<int>(items.indexOf(item));
    };
    diagram_ = std::make_unique<Tfplecran>(*workspace_, services);

    Tfplecran* plecran = diagram_.get();
    DiagramHooks hooks;
    hooks.redraw = [plecran] { plecran->dessine(); };
    hooks.blank = [plecran] { plecran->efface_ecran(); };
    hooks.reset = [plecran] { plecran->reset_diag(); };
    hooks.showAfterCalculation = [plecran] { plecran->show_after_calculation(); };
    hooks.selectReflection = [plecran](int s) { plecran->set_selected_reflection(s); };
    main_->set_diagram_hooks(hooks);
    accept_file_drops(*main_, [fmain](const std::string& path) { fmain->open_structure_named(path); });
    accept_file_drops(*diagram_, [plecran](const std::string& path) { plecran->open_diagram_named(path); });
    add_shortcuts(*main_, *diagram_, fileDialogs);
}

Program::~Program() = default;

void Program::remember_with(QSettings& settings)
{
    remembered_ = std::make_unique<RememberedSettings>(*this, settings, messages_);
}

void Program::store_settings()
{
    if (remembered_)
        remembered_->store();
}

bool Program::start()
{
    if (!main_->init_creation())
        return false;
    main_->show();
    return true;
}

void Program::announce_listings_folder(const std::string& work)
{
    auto* label = new QLabel(listings_folder_text(work));
    label->setObjectName("ListingsFolder");
    main_->statusBar()->addPermanentWidget(label, 1);
}

void Program::open_at_start(const std::string& structureFile, const std::string& anodeLine)
{
    if (remembered_)
        remembered_->restore_choices();
    if (!structureFile.empty())
        main_->open_structure_named(structureFile);
    if (!anodeLine.empty())
        main_->choose_anode_named(anodeLine);
}

}  // namespace kalidos::app
