// The diagram window's mixture: the Phases window, the phases' curves and list, and the
// reflection a click names.
#include "diagram/phase_mixture.hpp"
#include "diagram/picture_widget.hpp"
#include "diagram/tfphases.hpp"
#include "diagram/tfplecran.hpp"
#include "drawing/palette.hpp"
#include "mixture/phase_list_text.hpp"
#include "mixture/phase_results_list.hpp"
#include "util/pascal_format.hpp"

#include <QPainter>

namespace kalidos::app {
namespace {

constexpr int kNamingReach = 3;  // pixels either side of a click

std::vector<PhaseListItem> phase_list(const PhaseMixture& mixture)
{
    std::vector<PhaseListItem> items;
    const std::vector<double> fractions = mixture.normalised_fractions();
    for (std::size_t p = 0; p < mixture.entries().size(); ++p) {
        const PhaseEntry& entry = mixture.entries()[p];
        items.push_back({entry.phase.name, fractions[p], entry.fitted ? entry.fitted->fraction.su : 0.0});
    }
    return items;
}

drawing::PhaseOverlay make_overlay(const PhaseMixture& mixture)
{
    drawing::PhaseOverlay overlay;
    const MixtureCurves& curves = mixture.curves();
    overlay.twoTheta = curves.twoTheta;
    const std::vector<PhaseListItem> items = phase_list(mixture);
    const std::vector<std::vector<MixtureStick>> sticks = mixture.sticks();
    for (std::size_t p = 0; p < items.size() && p < curves.phases.size() && p < sticks.size(); ++p) {
        drawing::PhaseLine& line = overlay.phases.emplace_back();
        line.label = QString::fromStdString(phase_list_text(items[p]));
        line.colour = drawing::phase_colour(static_cast<int>(p));
        line.shown = mixture.entries()[p].phase.shown;
        line.intensity = curves.phases[p];
        for (const MixtureStick& stick : sticks[p])
            line.sticks.push_back({stick.q, stick.percent});
    }
    return overlay;
}

std::string reflection_name(const PhaseMixture& mixture, const NamedReflection& named)
{
    const Reflection& r = named.reflection;
    return mixture.entries()[named.phase].phase.name + "  " + std::to_string(r.h) + " " + std::to_string(r.k) +
           " " + std::to_string(r.l) + "  2Theta=" + fmt_fixed(r.twoTheta, 0, 3);
}

}  // namespace

void Tfplecran::show_phases()
{
    phases_->start();
    phases_changed();
}

// The results list of the main window says which phase each line belongs to.
void Tfplecran::show_phase_lines()
{
    std::vector<MixturePhase> phases;
    for (const PhaseEntry& entry : mixture_->entries())
        phases.push_back(entry.phase);
    std::vector<std::string> lines;
    if (mixture_->active())
        lines = phase_result_lines(phases, phase_list(*mixture_), workspace_.abscissaMode);
    if (lines == workspace_.results.phaseLines)
        return;
    workspace_.results.phaseLines = std::move(lines);
    if (services_.resultsListChanged)
        services_.resultsListChanged();
}

void Tfplecran::phases_changed()
{
    overlay_ = make_overlay(*mixture_);
    show_phase_lines();
    workspace_.model.recalculatePending = true;
    dessine();
}

void Tfplecran::phases_after_calculation()
{
    if ((!mixture_->has_main() && !phases_->isVisible()) || !services_.messages)
        return;  // no mixture was ever made: the window is the one structure's
    mixture_->main_calculated(*services_.messages);
    overlay_ = make_overlay(*mixture_);
    show_phase_lines();
    phases_->refresh();
}

const drawing::PhaseOverlay* Tfplecran::phase_overlay() const
{
    return mixture_ && mixture_->active() ? &overlay_ : nullptr;
}

std::string Tfplecran::phase_list_header() const
{
    return phase_overlay() ? phase_list_comment(phase_list(*mixture_)) : std::string();
}

void Tfplecran::name_phase_reflection(int releaseX)
{
    const AbscissaMode mode = workspace_.abscissaMode;
    const double low = drawing::point_monde(outcome_.view, releaseX - kNamingReach, 0).x;
    const double high = drawing::point_monde(outcome_.view, releaseX + kNamingReach, 0).x;
    const std::optional<NamedReflection> named = mixture_->strongest_between(low, high, mode);
    if (!named)
        return;
    const QString text = QString::fromStdString(reflection_name(*mixture_, *named));
    const int x = drawing::point_ecran(outcome_.view, drawing::reflection_abscissa(named->reflection, mode), 0).x;
    QPainter painter(&image_->picture());
    painter.setFont(drawing::picture_font());
    painter.setPen(QPen(drawing::phase_colour(static_cast<int>(named->phase)), 1));
    painter.drawLine(x, outcome_.view.baseline, x, 20);
    painter.setPen(Qt::black);
    drawing::text_out_on(painter, x + 3, 5, text, drawing::kMarkerBackground);
    painter.end();
    image_->update();
    phases_->show_note(text);
    if (named->phase == 0 && services_.selectResultLine)
        services_.selectResultLine(static_cast<int>(named->index) + 2);  // merged record index + 1, then the header
}

}  // namespace kalidos::app
