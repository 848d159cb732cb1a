// Read peak-list files: the line positions indexing starts from, as 2θ or d, with or without
// intensities.
//
// The format, one item a line; '#' starts a comment that runs to the end of its line:
//
//     # quartz, peak search of a Cu Kα1 diagram
//     wavelength 1.540593      (Å; optional, before the peaks)
//     positions 2theta         (2theta, the default, or d in Å; optional, before the peaks)
//     20.859   22.1            (a position, then optionally its intensity)
//     26.639   100
//
// Either every peak has an intensity or none has. At most kMaxPeakListLines peaks.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "model/peak_list.hpp"

namespace kalidos {

inline constexpr std::size_t kMaxPeakListLines = 2000;
inline constexpr std::uintmax_t kMaxPeakListBytes = 4u << 20;

// Reads the text of a peak list. False with `error` naming the line and what is wrong with it
// (the list is then left empty).
bool read_peak_list(std::string_view text, PeakList& list, std::string& error);

// The same from a file; a file that cannot be read or is larger than kMaxPeakListBytes is refused.
bool read_peak_list_file(const std::filesystem::path& file, PeakList& list, std::string& error);

}  // namespace kalidos
