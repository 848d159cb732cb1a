// Anomalous-dispersion table files (brcow.an, Sasaki.an): binary element records of f' and f''
// against photon energy, and the linear interpolation between their points.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalidos {

// Layout, little-endian, records up to the end of the file:
//   2 bytes  element symbol, ASCII (blanks and NULs ignored, any case)
//   int32    N, the number of points
//   N x 12   energy (eV), f', f'' as IEEE 32-bit floats, energies increasing
inline constexpr int kMaxAnomalousPoints = 4100;  // the most points one record may hold
inline constexpr std::size_t kAnomalousRecordHeader = 6;
inline constexpr std::size_t kAnomalousPointBytes = 12;

struct AnomalousPoint {
    double energy = 0;  // eV
    double fPrime = 0;
    double fSecond = 0;
};

struct AnomalousRecord {
    std::string key;  // upper case, blanks removed: "FE", "O"
    std::vector<AnomalousPoint> points;
};

// The look-up key of an element or ion symbol: its element part, that is its leading letters
// (at most two, blanks skipped) in upper case: "Fe3+" and "FE" give "FE", "O2-" and "O" give "O",
// "C." gives "C". For a plain element this is its first two characters.
std::string anomalous_key(std::string_view symbol);

// Parses a whole table. A negative count, a count above 4100, a record cut short by the end of
// the data or a value that is not a finite number makes the whole table unusable: false, with
// `error` saying which record and why, and `records` emptied. Nothing is read past the end.
bool parse_anomalous_table(std::string_view bytes, std::vector<AnomalousRecord>& records,
                           std::string& error);

// Reads and parses a table file; a file that cannot be read gives false with `error` set.
bool read_anomalous_table_file(const std::filesystem::path& file, std::vector<AnomalousRecord>& records,
                               std::string& error);

// f' and f'' of a record at `energy` (eV): linear between the point before and the first point
// whose energy is at or above it; the first point's values at or below the first energy.
// False, values untouched, when no point reaches the energy.
bool interpolate_anomalous(const AnomalousRecord& record, double energy, double& fPrime, double& fSecond);

}  // namespace kalidos
