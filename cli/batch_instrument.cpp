#include "batch_instrument.hpp"

#include "diagram_files/save_target.hpp"
#include "readers/instrument_file.hpp"
#include "readers/reader_text.hpp"  // for file_name_only

namespace kalidos::batch {

std::optional<Instrument> read_options_instrument(const BatchOptions& options, StreamMessages& messages)
{
    Instrument instrument;
    std::vector<std::string> notes;
    std::string error;
    if (!read_instrument_file(options.instrumentFile, instrument, notes, error)) {
        messages.note("--instrument: " + error);
        return std::nullopt;
    }
    if (!options.observed.empty() || options.radiationFile.empty())
        for (const std::string& note : notes)
            messages.note(file_name_only(options.instrumentFile) + ": " + note);
    return instrument;
}

std::string instrument_comment(const BatchOptions& options, bool refined)
{
    std::string text = refined ? "Refined with " : "Calculated with ";
    for (const std::string& file : options.structureFiles)
        text += file_name_only(file) + ' ';
    if (refined)
        text += "against " + file_name_only(options.observed.front()) + " (" + options.refine.text + ")";
    return text;
}

bool save_instrument(const StructureModel& model, const BatchOptions& options, const std::string& comment,
                     StreamMessages& messages)
{
    const std::string& file = options.saveInstrumentFile;
    const std::optional<std::string> target = choose_target([&file] { return file; }, "", messages);
    return target && write_target(*target, format_instrument(instrument_of(model), comment), messages);
}

}  // namespace kalidos::batch
