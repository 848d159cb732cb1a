// Readers of today's measured-diagram formats, each from the file's bytes already in memory.
//
// Every reader returns true and fills `diagram` (scans, wavelengths, format; not the file name),
// or returns false with `error` saying what is wrong in words a user can act on ("the scan has
// 512 intensities for 513 positions", "no 2θ axis: this is a time-of-flight bank"). A reader
// never reads past the end of `bytes`, refuses every number that is not finite and every diagram
// above kMaxMeasuredPoints points, and leaves `diagram` unspecified when it refuses.
#pragma once

#include <string>
#include <string_view>

#include "model/measured_diagram.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// XML and zip based formats.
bool read_xrdml(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);  // PANalytical 1.x and 2.x
bool read_brml(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);   // Bruker DIFFRAC.SUITE (zip)
bool read_rasx(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);   // Rigaku (zip)

// Binary and text formats.
bool read_raw4(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);   // Bruker "RAW4.00"
bool read_ras(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);    // Rigaku RAS text
bool read_xy_text(std::string_view bytes, MeasuredDiagram& diagram, std::string& error); // .xy .xye .csv .txt
bool read_gsas_raw(std::string_view bytes, MeasuredDiagram& diagram, std::string& error); // STD, ESD, FXYE
bool read_uxd(std::string_view bytes, MeasuredDiagram& diagram, std::string& error);    // Bruker UXD text
bool read_powder_cif(std::string_view bytes, MeasuredDiagram& diagram, std::string& error); // _pd_meas_*, _pd_proc_*

// The format of a file recognised from its content (its name only breaks ties between text
// layouts that look alike); an empty string when no reader claims it. The names are those of
// MeasuredDiagram::format, and "raw" for Bruker RAW 1 to 3, which read_measured_file reads
// through the described RAW reader, its limits included.
std::string detect_measured_format(std::string_view bytes, std::string_view fileName);

// Reads `path` (at most 256 MB) in whatever format its content shows, through the reader above
// (Bruker RAW 1 to 3 through the described reader). xylib is not used at run time: of these
// formats it reads none both completely and rightly. Refusals are told through `messages` as
// "<file name>: <what is wrong>"; false then, and `diagram` is left as it was.
bool read_measured_file(const std::string& path, MeasuredDiagram& diagram, Messages& messages);

}  // namespace kalidos
