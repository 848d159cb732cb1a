#include "identify_options.hpp"

#include <cmath>

#include "batch_options.hpp"
#include "identification/element_filter.hpp"

namespace kalidos::batch {
namespace {

bool take(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next, std::string& value,
          std::string& error)
{
    if (next >= arguments.size()) {
        error = "option " + name + " needs a value";
        return false;
    }
    value = arguments[next++];
    return true;
}

}  // namespace

OptionRead read_identify_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                                IdentifyOptions& options, std::string& error)
{
    std::string text;
    if (name == "--identify") {
        options.identify = true;
        return OptionRead::Read;
    }
    if (name == "--rebuild") {
        options.rebuild = true;
        return OptionRead::Read;
    }
    if (name != "--index" && name != "--index-file" && name != "--elements" && name != "--top" &&
        name != "--sensitivity")
        return OptionRead::NotProfile;
    if (!take(name, arguments, next, text, error))
        return OptionRead::Error;
    if (name == "--index") {
        options.indexFolder = text;
    } else if (name == "--index-file") {
        options.indexFile = text;
    } else if (name == "--elements") {
        options.elements = text;
        if (!parse_element_filter(text, error)) {
            error = "option --elements: " + error;
            return OptionRead::Error;
        }
    } else {
        const auto number = decimal_number(text);
        const bool top = name == "--top";
        if (!number || (top && (*number < 1 || *number > 1000 || *number != std::floor(*number))) ||
            (!top && (*number < 1 || *number > 10))) {
            error = top ? "option --top: expected a whole number from 1 to 1000"
                        : "option --sensitivity: expected a number from 1 to 10";
            return OptionRead::Error;
        }
        if (top)
            options.top = static_cast<int>(*number);
        else
            options.sensitivity = *number;
    }
    return OptionRead::Read;
}

std::string identify_options_problem(const IdentifyOptions& o, bool structureFiles, std::size_t observed, bool json)
{
    if (!o.active()) {
        const bool stray = !o.indexFile.empty() || o.rebuild || !o.elements.empty();
        return stray ? "--index-file, --rebuild and --elements need --index or --identify" : std::string();
    }
    if (!o.indexFolder.empty() && o.identify)
        return "--index and --identify are separate runs";
    if (structureFiles)
        return "--index and --identify take no structure file";
    if (o.identify && (observed != 1 || o.indexFile.empty() || !json))
        return "--identify needs one --observed diagram, --index-file and --json";
    return {};
}

}  // namespace kalidos::batch
