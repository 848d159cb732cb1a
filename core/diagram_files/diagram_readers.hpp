// Readers of measured diagram files: each reads the file named in the RawScan into the RawScan.
#pragma once

#include <string_view>

#include "model/observed.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// Each reader returns an error flag: true when the file was refused (the user has been told
// why, naming the file). On success the RawScan holds 1..30000 points with finite angles and
// intensities scaled to 0..100. Nothing outside the RawScan changes.

// Siemens/Bruker RAW: the "RAW " (v1), "RAW2" and "RAW1" (v3) variants; the .sim files
// written by this program are RAW2.
bool lit_raw(RawScan& scan, Messages& messages);
// Philips PC-APD .rd, versions up to "V5".
bool lit_philips(RawScan& scan, Messages& messages);
// Rietveld .dat: a header line (or an empty line 1), start/step/end on line 5, then counts.
bool lit_rietveld(RawScan& scan, Messages& messages);
// CPI and CPD text files, one item per line.
bool lit_cpi(RawScan& scan, Messages& messages);

// The same readers over the file's bytes already in memory (`scan.fileName` names it in messages).
bool read_raw_bytes(RawScan& scan, std::string_view bytes, Messages& messages);
bool read_philips_bytes(RawScan& scan, std::string_view bytes, Messages& messages);
bool read_rietveld_text(RawScan& scan, std::string_view text, Messages& messages);
bool read_cpi_text(RawScan& scan, std::string_view text, Messages& messages);

}  // namespace kalidos
