// Mass attenuation coefficients μ/ρ of the elements against photon energy, from the program's data file
// mass_attenuation.dat (tools/gen_mass_attenuation.py: xraylib's total cross sections, H to Cf, 3-200 keV).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kalidos {

inline constexpr const char* kMassAttenuationFile = "mass_attenuation.dat";

struct AttenuationPoint {
    double energy = 0;  // keV
    double mu = 0;      // cm²/g
};

struct MassAttenuationTable {
    // Indexed by atomic number (0 unused); points with increasing energy, an edge twice at its energy.
    std::vector<std::vector<AttenuationPoint>> elements;
};

// The table in `text`; false with `error` ("line 12: ...") when a line is not as the file's header says.
bool parse_mass_attenuation(const std::string& text, MassAttenuationTable& table, std::string& error);

// The table of the data folder, read once per process; null with `error` when it is missing or damaged.
std::shared_ptr<const MassAttenuationTable> mass_attenuation_table(const std::filesystem::path& dataDirectory,
                                                                   std::string& error);

// μ/ρ of element `z` at the wavelength `lambda` (Å), linear in log E and log μ/ρ between the table's
// points (at an edge's energy the value above it); NaN when the element or the energy is not in the table.
double mass_attenuation(const MassAttenuationTable& table, int z, double lambda);

}  // namespace kalidos
