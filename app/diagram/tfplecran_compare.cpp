// The diagram window's Compare menu and the export of columns of numbers.
#include "comparison/agreement_report.hpp"
#include "comparison/calculated_points.hpp"
#include "comparison/column_export.hpp"
#include "comparison/compare_observed.hpp"
#include "diagram/tfplecran.hpp"
#include "diagram_files/save_target.hpp"

#include <QMenu>
#include <QMenuBar>

namespace kalidos::app {
namespace {

const std::vector<FileFilter> kColumnFilters = {
    {"Columns x y", "*.xy"}, {"Columns x y sigma", "*.xye"}, {"Comma-separated columns", "*.csv"}};
const char* const kColumnExtensions[] = {".xy", ".xye", ".csv"};

}  // namespace

void Tfplecran::build_compare_menu(QMenuBar* bar)
{
    QMenu* menu = bar->addMenu("&Compare");
    menu->menuAction()->setObjectName("Compare1");
    QAction* plain = menu->addAction("&Scale and background");
    plain->setObjectName("Comparescale1");
    connect(plain, &QAction::triggered, this, [this] { compare(false); });
    QAction* zero = menu->addAction("Scale, background and &zero shift");
    zero->setObjectName("Comparezero1");
    connect(zero, &QAction::triggered, this, [this] { compare(true); });
}

void Tfplecran::compare(bool withZeroShift)
{
    if (!services_.messages)
        return;
    AgreementSettings settings;
    settings.fitZeroShift = withZeroShift;
    std::vector<Agreement> made =
        compare_observed(workspace_, calculated_intensity(workspace_), settings, *services_.messages);
    if (made.empty())
        return;  // every refusal has been told; the picture and the lists stay as they were
    workspace_.agreements = std::move(made);
    report_agreements(workspace_, workspace_.agreements, *services_.messages);
    if (services_.resultsListChanged)
        services_.resultsListChanged();
    comparisonShown_ = true;
    refinementShown_ = false;
    hide_difference();
    dessine();
}

void Tfplecran::export_columns()
{
    if (!services_.fileDialogs || !services_.messages ||
        !check_calculated_diagram(workspace_.results.pattern, *services_.messages))
        return;
    FileRequest request;
    request.title = workspace_.agreements.empty() ? "Save the calculated diagram" : "Save the comparison";
    request.filters = kColumnFilters;
    int filter = 0;
    const auto target = choose_target(
        [&] {
            const auto chosen = services_.fileDialogs->save_file(request);
            filter = chosen ? std::clamp(chosen->filterIndex, 0, 2) : 0;
            const std::string path = chosen ? chosen->path : std::string();
            return path.empty() || column_layout(path) ? path : path + kColumnExtensions[filter];
        },
        "", *services_.messages);
    if (!target)
        return;
    const ColumnLayout layout = *column_layout(*target);
    if (!workspace_.agreements.empty()) {
        write_target(*target, phase_list_header() + agreement_columns(layout, workspace_.agreements.front()),
                     *services_.messages);
        return;
    }
    const CalculatedPattern& pattern = workspace_.results.pattern;
    const std::vector<double> twoTheta(pattern.angles, pattern.angles + pattern.pointCount);
    const std::vector<double> intensity(pattern.intensities, pattern.intensities + pattern.pointCount);
    write_target(*target, phase_list_header() + pattern_columns(layout, twoTheta, intensity), *services_.messages);
}

}  // namespace kalidos::app
