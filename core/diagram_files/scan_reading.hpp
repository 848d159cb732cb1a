// What the diagram-file readers share: loading, refusals, the points and the 0..100 scaling.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/observed.hpp"
#include "readers/reader_text.hpp"  // for file_name_only
#include "ui/messages.hpp"

namespace kalidos {

// Larger than any diagram of 30000 points in any of the formats; a bigger file is not read.
inline constexpr std::size_t kMaxDiagramFileBytes = 32u << 20;

// Beep, then "<file name>: <text>".
void refuse_file(Messages& messages, const std::string& path, const std::string& text);

// The whole file into `bytes`; false, with a message, when it cannot be read or is larger than
// `largest` bytes.
bool load_diagram_file(const std::string& path, std::string& bytes, Messages& messages,
                       std::uintmax_t largest = kMaxDiagramFileBytes);

// The frame of every reader: `read` fills a fresh RawScan (header cleared, same file name),
// which is checked and scaled by finish_scan and then replaces `scan`. A refused file leaves
// `scan` as it was. Returns the readers' error flag (true = refused).
bool read_into_scan(RawScan& scan, Messages& messages, const std::function<bool(RawScan&)>& read);

// Every reader starts here: wavelengths, ratio, angle limits and anode cleared.
void reset_scan_header(RawScan& scan);

// False, with a message, unless 1 <= count <= 30000.
bool check_point_count(long long count, const std::string& path, Messages& messages);

// False, with a message, when a header's start angle or step is unusable for a grid of points.
bool check_grid(double start, double step, const std::string& path, Messages& messages);

// The point count of a header giving start, end and step: round((end − start)/step) + 1 (the
// limits are 32-bit values held in doubles, so 4656.99986 means 4657). False, with a message,
// when the grid is unusable or the count is outside 1..30000.
bool header_point_count(double start, double end, double step, const std::string& path,
                        Messages& messages, int& count);

// Stores intensities[i] at 2θ = start + i·step (the count must have been checked).
void store_points(RawScan& scan, double start, double step, const std::vector<double>& intensities);

// First and last angle = the smallest and largest point angle (searches start at 180 and 0).
void set_limits_by_search(RawScan& scan);

// Checks that every value is a number and scales the intensities to 0..100 between the
// smallest and the largest raw value, kept as imin and imax. False, with a message, when a
// value is not a number or every intensity is the same.
bool finish_scan(RawScan& scan, Messages& messages);

// Text files: lines without their ends, tokens, and numbers written with a decimal point.
std::vector<std::string_view> split_lines(std::string_view text);
std::vector<std::string_view> split_tokens(std::string_view line, std::string_view separators);
std::string_view trim_blanks(std::string_view text);
std::optional<double> parse_number(std::string_view token);

}  // namespace kalidos
