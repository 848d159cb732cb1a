// The command-line options of the library index and of phase identification: --index, --index-file,
// --rebuild, --identify, --elements, --top, --sensitivity.
#pragma once

#include <string>
#include <vector>

#include "profile_options.hpp"

namespace kalidos::batch {

struct IdentifyOptions {
    std::string indexFolder;  // --index: the library folder to index
    std::string indexFile;    // --index-file: empty: the default file inside the library folder
    bool rebuild = false;     // --rebuild: calculate every file again and replace a damaged index
    bool identify = false;    // --identify: search the index for the phases of --observed
    std::string elements;     // --elements: +X must, -X must not, X may contain
    int top = 20;             // --top: candidates listed
    double sensitivity = 5;   // --sensitivity: of the peak search, 1 to 10

    bool active() const { return !indexFolder.empty() || identify; }
};

// Reads option `name` (already taken) and its values from arguments[next...], moving `next` past them.
OptionRead read_identify_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                                IdentifyOptions& options, std::string& error);

// Why the identification options do not go with the rest; empty when they do.
std::string identify_options_problem(const IdentifyOptions& options, bool structureFiles, std::size_t observed,
                                     bool json);

}  // namespace kalidos::batch
