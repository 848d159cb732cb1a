#include "computation/mass_attenuation.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "util/data_files.hpp"
#include "util/file_cache.hpp"

namespace kalidos {
namespace {

constexpr double kKeVAngstrom = 12.398419843320026;  // E = hc/λ
constexpr int kLargestZ = 118;
constexpr long kMostPoints = 100000;

bool refuse(std::string& error, int line, const std::string& why)
{
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

struct Parsed {
    MassAttenuationTable table;
    std::string error;
};

}  // namespace

bool parse_mass_attenuation(const std::string& text, MassAttenuationTable& table, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    MassAttenuationTable read;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream header(line);
        int z = 0;
        long count = 0;
        std::string symbol;
        if (!(header >> z >> symbol >> count) || z < 1 || z > kLargestZ || count < 2 || count > kMostPoints)
            return refuse(error, number, "expected 'Z symbol count'");
        if (read.elements.size() <= static_cast<std::size_t>(z))
            read.elements.resize(static_cast<std::size_t>(z) + 1);
        std::vector<AttenuationPoint>& points = read.elements[static_cast<std::size_t>(z)];
        points.clear();
        for (long k = 0; k < count; ++k) {
            ++number;
            AttenuationPoint p;
            if (!std::getline(in, line) || !(std::istringstream(line) >> p.energy >> p.mu) ||
                !std::isfinite(p.energy) || !std::isfinite(p.mu) || !(p.energy > 0) || !(p.mu > 0) ||
                (!points.empty() && p.energy < points.back().energy))
                return refuse(error, number, "expected 'energy mu' with positive numbers, energies increasing");
            points.push_back(p);
        }
    }
    if (read.elements.empty())
        return refuse(error, number, "no element");
    table = std::move(read);
    return true;
}

std::shared_ptr<const MassAttenuationTable> mass_attenuation_table(const std::filesystem::path& dataDirectory,
                                                                   std::string& error)
{
    const std::filesystem::path file = find_file_ignoring_case(dataDirectory, kMassAttenuationFile);
    const auto parsed = read_file_once<Parsed>(file, "mass attenuation", [&file] {
        Parsed p;
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            p.error = "cannot read " + file.string();
            return p;
        }
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        if (!parse_mass_attenuation(text, p.table, p.error))
            p.error = file.string() + ", " + p.error;
        return p;
    });
    if (!parsed->error.empty()) {
        error = parsed->error;
        return nullptr;
    }
    return std::shared_ptr<const MassAttenuationTable>(parsed, &parsed->table);
}

double mass_attenuation(const MassAttenuationTable& table, int z, double lambda)
{
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    if (z < 1 || static_cast<std::size_t>(z) >= table.elements.size() || !(lambda > 0))
        return kNone;
    const std::vector<AttenuationPoint>& points = table.elements[static_cast<std::size_t>(z)];
    const double energy = kKeVAngstrom / lambda;
    if (points.size() < 2 || energy < points.front().energy || energy > points.back().energy)
        return kNone;
    // The last point at or below the energy (above an edge at its energy), and the next one.
    const auto above = std::upper_bound(points.begin(), points.end(), energy,
                                        [](double e, const AttenuationPoint& p) { return e < p.energy; });
    if (above == points.end())
        return points.back().mu;
    const AttenuationPoint& a = *std::prev(above);
    const AttenuationPoint& b = *above;
    const double t = std::log(energy / a.energy) / std::log(b.energy / a.energy);
    return std::exp(std::log(a.mu) + t * std::log(b.mu / a.mu));
}

}  // namespace kalidos
