// The refinement window's instrument: Save instrument... writes the instrument of the values shown,
// Load instrument... puts a calibrated instrument (KALIDOS's or GSAS-II's .instprm) into the phases, and
// a note says when the diagram states other lines than the calculation's.
#include <cmath>

#include "diagram_files/measured_radiation.hpp"
#include "diagram_files/save_target.hpp"
#include "readers/instrument_file.hpp"
#include "refinement/parameter_tree.hpp"
#include "refinement/tfrefine.hpp"

namespace kalidos::app {
namespace {

// The parameters an instrument file gives: after loading one they are left unchecked.
const std::set<std::string> kInstrumentParameters = {"zero", "U", "V", "W", "X", "Y", "SL", "HL"};

const std::vector<FileFilter> kInstrumentFilters = {{"KALIDOS instrument (*.instrument)", "*.instrument"},
                                                    {"GSAS-II instrument parameters (*.instprm)", "*.instprm"},
                                                    {"All files (*)", "*"}};

bool same_wavelengths(const Instrument& instrument, const StructureModel& model)
{
    if (instrument.wavelengths.empty())
        return true;
    if (static_cast<int>(instrument.wavelengths.size()) != model.wavelengths.count)
        return false;
    double sum = 0;
    for (const InstrumentLine& line : instrument.wavelengths)
        sum += line.weight;
    for (int w = 1; w <= model.wavelengths.count; ++w) {
        const InstrumentLine& line = instrument.wavelengths[static_cast<std::size_t>(w - 1)];
        if (std::fabs(line.lambda - model.wavelengths.values[w]) > 1e-5 ||
            std::fabs(line.weight / sum - model.wavelengths.weights[w]) > 1e-3)
            return false;
    }
    return true;
}

// Whether the model's wavelengths are the lines (same wavelengths, same relative weights).
bool same_lines(const MeasuredRadiation& stated, const WavelengthSet& set)
{
    if (static_cast<int>(stated.lines.size()) != set.count)
        return false;
    double sum = 0;
    for (const StatedLine& line : stated.lines)
        sum += line.weight;
    for (int w = 1; w <= set.count; ++w) {
        const StatedLine& line = stated.lines[static_cast<std::size_t>(w - 1)];
        if (std::fabs(line.lambda - set.values[w]) > 1e-5 || std::fabs(line.weight / sum - set.weights[w]) > 1e-3)
            return false;
    }
    return true;
}

}  // namespace

void Tfrefine::note_stated_radiation()
{
    const ObservedSlot& slot = workspace_.observed.slots[1];
    if (workspace_.observed.count < 1 || !slot.measured)
        return;
    const MeasuredRadiation stated = measured_radiation(slot.measured->wavelengths, slot.measured->format);
    if (!stated.lines.empty() && !same_lines(stated, workspace_.model.wavelengths))
        note(QString::fromStdString(slot.fileName + " states " + stated.description +
                                    "; the calculation uses the main window's wavelengths: choose the file's "
                                    "lines there (Multiple wavelengths) and calculate again to refine with them"));
}

void Tfrefine::save_instrument()
{
    if (running() || current_.empty() || !services_.fileDialogs || !services_.messages)
        return;
    FileRequest request;
    request.title = "Save instrument";
    request.filters = {kInstrumentFilters.front()};
    request.defaultExtension = "instrument";
    const auto target = choose_target(
        [&] {
            const auto chosen = services_.fileDialogs->save_file(request);
            return chosen ? chosen->path : std::string();
        },
        ".instrument", *services_.messages);
    const std::string comment = (result_ ? "Refined with " : "Calculated with ") + current_.front().name +
                                " against " + start_.observedName;
    if (target &&
        write_target(*target, format_instrument(instrument_of(current_.front().model), comment), *services_.messages))
        note(QString::fromStdString("Instrument written: " + *target));
}

void Tfrefine::load_instrument()
{
    if (running() || current_.empty() || !services_.fileDialogs)
        return;
    FileRequest request;
    request.title = "Load instrument";
    request.filters = kInstrumentFilters;
    const auto chosen = services_.fileDialogs->open_file(request);
    if (!chosen)
        return;
    Instrument instrument;
    std::vector<std::string> notes;
    std::string error;
    if (!read_instrument_file(chosen->path, instrument, notes, error)) {
        note(QString::fromStdString(error));
        return;
    }
    undo_.push_back(snapshot());
    result_.reset();  // the values shown are no longer a refinement's: Refine again before Keep
    for (RefinementPhase& phase : current_) {
        const int radiation = phase.model.radiation;
        apply_instrument(instrument, phase.model);
        phase.model.radiation = radiation;  // the calculation's, which made its reflections
    }
    for (const std::string& text : notes)
        note(QString::fromStdString(text));
    note(QString::fromStdString("Instrument loaded: " + chosen->path +
                                "; its zero shift, widths and asymmetry are refined only when checked"));
    if (!same_wavelengths(instrument, current_.front().model))
        note("Its wavelengths differ from the calculation's: choose them in the main window and calculate again");
    std::set<std::string> checked = tree_->checked();
    for (const std::string& name : kInstrumentParameters)
        checked.erase(name);
    rebuild_tree();
    tree_->set_checked(checked);
    show_result();
    set_running(false);
}

}  // namespace kalidos::app
