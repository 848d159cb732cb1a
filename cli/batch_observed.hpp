// Measured diagrams of a headless run: read and resampled as the diagram window's Open does.
#pragma once

#include <filesystem>

#include "batch_options.hpp"
#include "model/workspace.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// lit_diagramme for one file of the described kinds (by extension); any other file is read
// in the format its content shows, at its own resolution. A Rietveld file that does not state its wavelength is given
// the run's first wavelength, as a user would type it into the "Lambda missing" dialog
// without choosing an anode (λ1 = λ2 = 0, anode "?", ratio 1). False when the file was
// not added (the reason has been reported). `scan` (from 1) picks a scan of a multi-scan
// file; a file with fewer scans is refused.
bool read_observed_diagram(Workspace& workspace, const std::string& fileName, int scan, StreamMessages& messages);

// The wavelengths --lambda, --anode (its line; CuKa1's without any of them) or --mixture (its first
// two lines and their ratio) give.
MeasuredWavelengths given_wavelengths(const BatchOptions& options);
// The same when one of those options was given, else none (the file's own are then taken).
MeasuredWavelengths chosen_wavelengths(const BatchOptions& options);

// The points and wavelengths of scan `scan` of a diagram file, read as --observed reads it, for a
// search of its peaks: `given`'s wavelengths when stated, else the file's. False (told) when the
// file is refused, keeps no points of its own or has no wavelength.
bool read_measured_scan(const std::string& fileName, int scan, const std::filesystem::path& dataDirectory,
                        const MeasuredWavelengths& given, StreamMessages& messages, MeasuredScan& points,
                        MeasuredWavelengths& wavelengths);

}  // namespace kalidos::batch
