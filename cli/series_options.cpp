#include "series_options.hpp"

#include <cmath>

#include "batch_options.hpp"  // for decimal_number

namespace kalidos::batch {

OptionRead read_series_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                              SeriesOptions& series, std::string& error)
{
    if (name == "--no-curves") {
        series.curves = false;
        return OptionRead::Read;
    }
    if (name != "--series" && name != "--series-block" && name != "--observed-list" && name != "--csv")
        return OptionRead::NotProfile;
    if (next >= arguments.size()) {
        error = "option " + name + " needs a value";
        return OptionRead::Error;
    }
    const std::string& text = arguments[next++];
    if (name == "--series") {
        series.active = true;
        if (text == "sequential" || text == "independent") {
            series.mode = text == "sequential" ? SeriesMode::Sequential : SeriesMode::Independent;
            return OptionRead::Read;
        }
        error = "option --series: expected sequential or independent, not \"" + text + "\"";
        return OptionRead::Error;
    }
    if (name == "--series-block") {
        const auto block = decimal_number(text);
        if (!block || *block < 1 || *block > 1e9 || *block != std::floor(*block)) {
            error = "option --series-block: expected a whole number of diagrams from 1";
            return OptionRead::Error;
        }
        series.block = static_cast<int>(*block);
        series.blockGiven = true;
    } else if (name == "--observed-list") {
        series.listFiles.push_back(text);
    } else {
        series.csvFile = text;
    }
    return OptionRead::Read;
}

std::string series_options_problem(const SeriesOptions& series, std::size_t observed, bool refined,
                                   const std::string& jsonFile)
{
    if (!series.active) {
        if (series.blockGiven || !series.listFiles.empty() || !series.csvFile.empty() || !series.curves)
            return "--series-block, --observed-list, --csv and --no-curves need --series";
        return {};
    }
    if (!refined)
        return "--series needs --refine: the stages each diagram is refined with";
    if (observed == 0 && series.listFiles.empty())
        return "--series needs its diagrams: --observed FILE or FOLDER (may be repeated) or --observed-list FILE";
    if (jsonFile.empty())
        return "--series needs --json FILE (or - for standard output): the records are written there as each "
               "diagram is done, and a run stopped half way continues from them";
    if (series.blockGiven && series.mode != SeriesMode::Sequential)
        return "--series-block applies to a sequential series";
    return {};
}

}  // namespace kalidos::batch
