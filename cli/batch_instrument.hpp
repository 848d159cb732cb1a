// kalidos-batch --instrument and --save-instrument: the instrument's part of a run read from or
// written to an instrument file (readers/instrument_file.hpp).
#pragma once

#include <optional>
#include <string>

#include "batch_options.hpp"
#include "model/instrument.hpp"
#include "model/structure_model.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// The file of --instrument; nothing, after the reason was told, when it cannot be read. What was read
// differently (a GSAS-II file's polarisation, its keys left out) is told by the run that reads the
// observed diagram, once.
std::optional<Instrument> read_options_instrument(const BatchOptions& options, StreamMessages& messages);

// What an instrument file says of where its values come from: "Refined with a.cif against b.rd (stages)".
std::string instrument_comment(const BatchOptions& options, bool refined);

// Writes the instrument of `model` into the file of --save-instrument, the comment after the header.
bool save_instrument(const StructureModel& model, const BatchOptions& options, const std::string& comment,
                     StreamMessages& messages);

}  // namespace kalidos::batch
