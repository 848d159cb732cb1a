#include "find_cell_options.hpp"

#include <cmath>
#include <sstream>

#include "batch_options.hpp"  // for decimal_number

namespace kalidos::batch {
namespace {

struct NumberOption {
    const char* name;
    double low, high;
    bool whole;
};

constexpr NumberOption kNumbers[] = {
    {"--tolerance", 0.001, 1, false},  {"--impurities", 0, 10, true}, {"--zero-range", 0, 1, false},
    {"--max-volume", 1, 1e6, false},   {"--time-limit", 0, 1e6, false}, {"--cells", 1, 1000, true},
    {"--check-cells", 0, 20, true},
};

void store(const std::string& name, double value, IndexingSettings& s)
{
    if (name == "--tolerance")
        s.tolerance = value;
    else if (name == "--impurities")
        s.allowedMissing = static_cast<int>(value);
    else if (name == "--zero-range")
        s.zeroRange = value;
    else if (name == "--max-volume")
        s.maxVolume = value;
    else if (name == "--time-limit")
        s.timeLimit = value;
    else if (name == "--check-cells")
        s.checked = static_cast<std::size_t>(value);
    else
        s.listed = static_cast<std::size_t>(value);
}

}  // namespace

bool parse_systems(const std::string& text, std::array<bool, kLatticeSystems>& systems, std::string& error)
{
    systems.fill(false);
    std::istringstream words(text);
    std::string word;
    bool any = false;
    while (std::getline(words, word, ',')) {
        int found = -1;
        for (int s = 0; s < kLatticeSystems; ++s)
            if (word == system_name(static_cast<LatticeSystem>(s), 'P'))
                found = s;
        if (found < 0) {
            error = "option --systems: '" + word +
                    "' is none of cubic, tetragonal, hexagonal, orthorhombic, monoclinic, triclinic";
            return false;
        }
        systems[static_cast<std::size_t>(found)] = any = true;
    }
    if (!any)
        error = "option --systems: name at least one system";
    return any;
}

OptionRead read_find_cell_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                                 FindCellOptions& options, std::string& error)
{
    if (name == "--find-cell") {
        options.findCell = true;
        return OptionRead::Read;
    }
    const NumberOption* number = nullptr;
    for (const NumberOption& n : kNumbers)
        if (name == n.name)
            number = &n;
    if (!number && name != "--peaks" && name != "--systems")
        return OptionRead::NotProfile;
    if (next >= arguments.size()) {
        error = "option " + name + " needs a value";
        return OptionRead::Error;
    }
    const std::string& text = arguments[next++];
    options.settingGiven = true;
    if (name == "--peaks") {
        options.peaksFile = text;
        return OptionRead::Read;
    }
    if (name == "--systems")
        return parse_systems(text, options.settings.systems, error) ? OptionRead::Read : OptionRead::Error;
    const auto value = decimal_number(text);
    if (!value || *value < number->low || *value > number->high || (number->whole && *value != std::floor(*value))) {
        std::ostringstream range;
        range << "option " << name << ": expected " << (number->whole ? "a whole number" : "a number") << " from "
              << number->low << " to " << number->high;
        error = range.str();
        return OptionRead::Error;
    }
    store(name, *value, options.settings);
    return OptionRead::Read;
}

std::string find_cell_options_problem(const FindCellOptions& o, bool structureFiles, std::size_t observed,
                                      bool identifying)
{
    if (!o.findCell)
        return o.settingGiven ? "--peaks, --tolerance, --impurities, --zero-range, --max-volume, --systems, "
                                "--time-limit, --cells and --check-cells need --find-cell"
                              : std::string();
    if (identifying)
        return "--find-cell and --identify or --index are separate runs";
    if (structureFiles)
        return "--find-cell takes no structure file";
    if ((observed == 1) == !o.peaksFile.empty())
        return "--find-cell needs either one --observed diagram or --peaks";
    return {};
}

}  // namespace kalidos::batch
