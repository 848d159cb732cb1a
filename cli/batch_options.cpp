#include "batch_options.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "comparison/column_export.hpp"
#include "geometry/bonds.hpp"  // for --bond-pairs
#include "model/typed_ranges.hpp"
#include "profile_options.hpp"
#include "readers/open_structure_file.hpp" // for the format numbers
#include "readers/structure_format.hpp"

namespace kalidos::batch {
namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<double> to_number(const std::string& text)
{
    return decimal_number(text);
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : args_(arguments) {}
    ParsedCommandLine run();

private:
    bool take_value(const std::string& option, std::string& value);
    bool take_number(const std::string& option, double& value);
    bool option(const std::string& name);
    bool parse_mixture(const std::string& text);
    bool take_count(const std::string& option, int low, int high, int& value);
    void parse_fit(const std::string& text);
    void parse_preferred(const std::string& option);
    void check_combinations();
    void check_refinement();
    void check_series();
    void check_ranges();
    void fail(const std::string& text)
    {
        if (result_.error.empty())
            result_.error = text;
    }

    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
    ParsedCommandLine result_;
    int wavelengthSources_ = 0;
    bool backgroundGiven_ = false;
    std::string instrumentOption_;  // the first option of what an instrument file gives
};

// The options whose settings an instrument file gives (the radiation's wavelengths aside).
bool is_instrument_option(const std::string& name)
{
    for (const char* option : {"--profile", "--gauss", "--lorentz", "--asymmetry", "--zero", "--monochromator",
                               "--overspill"})
        if (name == option)
            return true;
    return false;
}

bool Parser::take_value(const std::string& option, std::string& value)
{
    if (next_ >= args_.size()) {
        fail("option " + option + " needs a value");
        return false;
    }
    value = args_[next_++];
    return true;
}

bool Parser::take_number(const std::string& option, double& value)
{
    std::string text;
    if (!take_value(option, text))
        return false;
    const auto number = to_number(text);
    if (!number) {
        fail("option " + option + ": \"" + text + "\" is not a number");
        return false;
    }
    value = *number;
    return true;
}

bool Parser::parse_mixture(const std::string& text)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string pair = text.substr(start, comma - start);
        const std::size_t colon = pair.find(':');
        const std::string lambdaText = pair.substr(0, colon);
        const std::string intensityText = colon == std::string::npos ? std::string() : pair.substr(colon + 1);
        const auto lambda = to_number(lambdaText);
        const auto intensity = to_number(intensityText);
        if (!lambda || !intensity) {
            fail("option --mixture: \"" + pair + "\" is not LAMBDA:INTENSITY");
            return false;
        }
        result_.options.mixture.push_back({*lambda, *intensity, lambdaText, intensityText});
        start = comma + 1;
    }
    if (result_.options.mixture.size() > 4) {
        fail("option --mixture: at most 4 wavelengths");
        return false;
    }
    return true;
}

bool Parser::take_count(const std::string& option, int low, int high, int& value)
{
    double number = 0;
    if (!take_number(option, number))
        return false;
    if (number < low || number > high || number != std::floor(number)) {
        fail("option " + option + ": expected a whole number from " + std::to_string(low) + " to " +
             std::to_string(high));
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

// The parameters a comparison refines beyond the scale and background, comma-separated.
void Parser::parse_fit(const std::string& text)
{
    static const std::vector<std::string> known = {"zero", "size", "cell"};
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = lower(text.substr(start, comma - start));
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            fail("option --fit: \"" + name + "\" is not a parameter that can be fitted (zero, size, cell)");
            return;
        }
        result_.options.fit.push_back(name);
        start = comma + 1;
    }
}

// --preferred H K L R [F]: F is taken when the next argument is a number.
void Parser::parse_preferred(const std::string& option)
{
    PreferredOrientation& p = result_.options.sample.preferred;
    double h = 0, k = 0, l = 0;
    if (!take_number(option, h) || !take_number(option, k) || !take_number(option, l) ||
        !take_number(option, p.ratio))
        return;
    if (next_ < args_.size() && to_number(args_[next_]))
        take_number(option, p.fraction);
    const auto whole = [](double x) { return x == std::floor(x) && std::fabs(x) <= 1000; };
    if (!whole(h) || !whole(k) || !whole(l) || (h == 0 && k == 0 && l == 0))
        fail("option --preferred: H K L must be whole numbers, not all 0");
    else if (!(p.ratio > 0))
        fail("option --preferred: the ratio R must be positive");
    else if (p.fraction < 0 || p.fraction > 1)
        fail("option --preferred: the fraction F must lie between 0 and 1");
    p.h = static_cast<int>(h), p.k = static_cast<int>(k), p.l = static_cast<int>(l);
}

// Handles one option (args_[next_ - 1] == name); false when it is not an option.
bool Parser::option(const std::string& name)
{
    BatchOptions& o = result_.options;
    std::string text;
    double number = 0;
    if (name == "--help" || name == "-h") {
        o.help = true;
    } else if (name == "--version") {
        o.version = true;
    } else if (name == "--format") {
        if (take_value(name, text)) {
            o.format = lower(text);
            if (o.format != "cry" && o.format != "shelx" && o.format != "cel" && o.format != "lzy" && o.format != "cif")
                fail("option --format: expected cry, shelx, cel, lzy or cif, not \"" + text + "\"");
        }
    } else if (name == "--block") {
        if (take_number(name, number)) {
            if (number < 1 || number != std::floor(number) || number > 1e6)
                fail("option --block: expected a block number from 1");
            o.block = static_cast<int>(number);
        }
    } else if (name == "--list-blocks") {
        o.listBlocks = true;
    } else if (name == "--space-group") {
        take_value(name, o.spaceGroup);
    } else if (name == "--anode") {
        ++wavelengthSources_;
        take_value(name, o.anode);
    } else if (name == "--lambda") {
        ++wavelengthSources_;
        if (take_number(name, number))
            o.lambda = number;
    } else if (name == "--mixture") {
        ++wavelengthSources_;
        if (take_value(name, text))
            parse_mixture(text);
    } else if (name == "--neutron") {
        o.neutron = true;
        instrumentOption_ = instrumentOption_.empty() ? name : instrumentOption_;
    } else if (name == "--synchrotron") {
        if (take_number(name, number))
            o.synchrotron = number;
        instrumentOption_ = instrumentOption_.empty() ? name : instrumentOption_;
    } else if (name == "--range") {
        if (take_number(name, o.twoTheta1))
            take_number(name, o.twoTheta2);
        o.rangeGiven = true;
    } else if (name == "--uvw") {
        if (take_number(name, o.u) && take_number(name, o.v))
            take_number(name, o.w);
        instrumentOption_ = instrumentOption_.empty() ? name : instrumentOption_;
    } else if (name == "--step") {
        if (take_number(name, number))
            o.step = number;
    } else if (name == "--anomalous") {
        if (take_value(name, text)) {
            o.anomalous = lower(text);
            if (o.anomalous != "brcow" && o.anomalous != "sasaki")
                fail("option --anomalous: expected brcow or sasaki, not \"" + text + "\"");
        }
    } else if (name == "--preferred") {
        parse_preferred(name);
    } else if (name == "--isotropic") {
        o.sample.isotropic = true;
    } else if (name == "--data") {
        take_value(name, o.dataDirectory);
    } else if (name == "--listings") {
        take_value(name, o.listingsDirectory);
    } else if (name == "--export") {
        take_value(name, o.exportFile);
    } else if (name == "--observed") {
        if (take_value(name, text))
            o.observed.push_back(text);
    } else if (name == "--scan") {
        o.scanGiven = take_count(name, 1, 1000000, o.scan);
    } else if (name == "--compare") {
        o.compare = true;
    } else if (name == "--fit") {
        if (take_value(name, text))
            parse_fit(text);
    } else if (name == "--background") {
        backgroundGiven_ = take_count(name, 0, 12, o.backgroundOrder);
    } else if (name == "--export-xy") {
        take_value(name, o.exportXy);
    } else if (name == "--json") {
        take_value(name, o.jsonFile);
    } else if (name == "--list") {
        take_value(name, o.listFile);
    } else if (name == "--out-dir") {
        take_value(name, o.outDirectory);
    } else if (name == "-j" || name == "--jobs") {
        if (take_number(name, number)) {
            if (number < 1 || number != std::floor(number) || number > 1024)
                fail("option " + name + ": expected a number of threads from 1");
            o.jobs = static_cast<int>(number);
        }
    } else if (name == "--bonds") {
        o.bonds = true;
    } else if (name == "--bond-tolerance") {
        if (take_number(name, number))
            o.bondTolerance = number;
    } else if (name == "--bond-pairs") {
        std::string pairs;
        BondRule rule;
        if (take_value(name, pairs)) {
            if (const std::string why = parse_bond_pairs(pairs, rule); !why.empty())
                fail("option --bond-pairs: " + why);
            o.bondPairs = pairs;
        }
    } else if (name == "--operators") {
        o.operatorsOnly = true;
    } else if (name == "--overwrite" || name == "--force") {
        o.overwrite = true;
    } else if (name == "--instrument") {
        take_value(name, o.instrumentFile);
    } else if (name == "--save-instrument") {
        take_value(name, o.saveInstrumentFile);
    } else {
        std::string error;
        if (is_instrument_option(name) && instrumentOption_.empty())
            instrumentOption_ = name;
        OptionRead read = read_profile_option(name, args_, next_, o.profile, error);
        if (read == OptionRead::NotProfile)
            read = read_phase_option(name, args_, next_, o.phases, error);
        if (read == OptionRead::NotProfile)
            read = read_refine_option(name, args_, next_, o.refine, error);
        if (read == OptionRead::NotProfile)
            read = read_identify_option(name, args_, next_, o.identification, error);
        if (read == OptionRead::NotProfile)
            read = read_find_cell_option(name, args_, next_, o.indexing, error);
        if (read == OptionRead::NotProfile)
            read = read_series_option(name, args_, next_, o.series, error);
        if (read == OptionRead::Error)
            fail(error);
        return read != OptionRead::NotProfile;
    }
    return true;
}

void Parser::check_combinations()
{
    result_.options.phases.refined = result_.options.refine.active() && result_.options.structureFiles.size() > 1;
    const BatchOptions& o = result_.options;
    if (wavelengthSources_ > 1)
        fail("give only one of --anode, --lambda and --mixture");
    if (!o.instrumentFile.empty() && !instrumentOption_.empty())
        fail("--instrument gives the radiation and the instrument's profile: " + instrumentOption_ +
             " cannot go with it (--anode, --lambda, --mixture and the sample's settings can)");
    if (o.neutron && !o.lambda)
        fail("--neutron needs --lambda");
    if (o.neutron && o.synchrotron)
        fail("--synchrotron and --neutron cannot go together");
    if (o.neutron && !o.anomalous.empty())
        fail("--anomalous applies to X-rays only");
    if (o.synchrotron && (*o.synchrotron < 0 || *o.synchrotron > 1))
        fail("option --synchrotron: p must lie between 0 and 1");
    if (o.lambda && *o.lambda <= 0)
        fail("option --lambda: the wavelength must be positive");
    check_ranges();
    if (o.step && (*o.step <= 0 || (o.twoTheta2 - o.twoTheta1) / *o.step > 2e7))
        fail("option --step: the step must be positive and give at most 20 000 000 points");
    if (o.observed.size() > 10 && !o.series.active)
        fail("at most 10 observed diagrams");
    if (!o.exportFile.empty() && export_kind(o.exportFile).empty())
        fail("option --export: the file name must end in .sim, .cpi or .cpd");
    if (!o.exportXy.empty() && !column_layout(o.exportXy))
        fail("option --export-xy: the file name must end in .xy, .xye or .csv");
    if ((!o.fit.empty() || (backgroundGiven_ && !o.refine.active())) && !o.compare && !o.phases.fitFractions)
        fail(std::string(o.fit.empty() ? "--background" : "--fit") + " needs --compare or --fit-fractions");
    const bool phaseFit = std::any_of(o.fit.begin(), o.fit.end(), [](const std::string& f) { return f != "zero"; });
    if (phaseFit && !o.phases.fitFractions)
        fail("--fit size and cell need --fit-fractions");
    if (const std::string problem = phase_options_problem(o.phases, o.structureFiles.size(), !o.observed.empty());
        !problem.empty())
        fail(problem);
    check_refinement();
    check_series();
    if (o.phases.mixture() && (!o.listFile.empty() || !o.outDirectory.empty() || o.compare || o.listBlocks ||
                               o.operatorsOnly || !o.exportFile.empty() || (!o.exportXy.empty() && !o.refine.active())))
        fail("--fractions and --fit-fractions calculate one sample: --list, --out-dir, --compare, --list-blocks, "
             "--operators, --export and --export-xy do not apply");
    if (o.bondTolerance && !o.bonds)
        fail("--bond-tolerance needs --bonds");
    if (o.bondPairs && !o.bonds)
        fail("--bond-pairs needs --bonds");
    if (o.bondTolerance && (*o.bondTolerance < -2 || *o.bondTolerance > 5))
        fail("option --bond-tolerance: the tolerance must lie between -2 and 5 angstroms");
    if (o.bonds && o.phases.mixture())
        fail("--bonds takes structures calculated alone, not the phases of a mixture");
    if (o.compare && o.observed.empty())
        fail("--compare needs at least one --observed diagram");
    if (const std::string problem = identify_options_problem(o.identification, !o.structureFiles.empty(),
                                                             o.observed.size(), !o.jsonFile.empty());
        !problem.empty())
        fail(problem);
    if (const std::string problem = find_cell_options_problem(o.indexing, !o.structureFiles.empty(), o.observed.size(),
                                                              o.identification.active());
        !problem.empty())
        fail(problem);
    if (o.structureFile.empty() && o.listFile.empty() && !o.help && !o.version && !o.identification.active() &&
        !o.indexing.active() && o.refine.cellPhases.empty())
        fail("no structure file given");
    if (several_structures(o) && (o.listBlocks || o.operatorsOnly || !o.exportFile.empty() || !o.exportXy.empty()))
        fail("--list-blocks, --operators, --export and --export-xy take a single structure file");
    if (several_structures(o) && o.jsonFile.empty() && o.outDirectory.empty() && o.listingsDirectory.empty())
        fail("several structures need --json, --out-dir or --listings");
}

void Parser::check_refinement()
{
    const BatchOptions& o = result_.options;
    if (!o.refine.active()) {
        if (const std::string problem = refine_options_problem(o.refine, 0, 0); !problem.empty())
            fail(problem);
        return;
    }
    if (o.compare)
        fail("--refine and --compare cannot go together: the refinement gives the agreement");
    if (o.phases.fitFractions)
        fail("--refine and --fit-fractions cannot go together: the refinement gives the fractions");
    if (!o.listFile.empty() || !o.outDirectory.empty())
        fail("--refine takes its structure files as the phases of one sample: --list and --out-dir do not apply");
    // A series gives each of its diagrams in turn as the one observed diagram.
    const std::size_t observed = o.series.active ? 1 : o.observed.size();
    if (!o.refine.cellPhases.empty() && o.series.active)
        fail("--cell-phase does not go with --series: give the cell's phase as a structure file");
    if (const std::string problem = refine_options_problem(o.refine, o.structureFiles.size(), observed);
        !problem.empty())
        fail(problem);
}

void Parser::check_series()
{
    const BatchOptions& o = result_.options;
    if (const std::string problem =
            series_options_problem(o.series, o.observed.size(), o.refine.active(), o.jsonFile);
        !problem.empty())
        fail(problem);
    if (o.series.active && (!o.refine.cifFile.empty() || !o.exportFile.empty() || !o.exportXy.empty() || o.bonds ||
                            o.operatorsOnly || o.listBlocks))
        fail("--series writes its records to --json and --csv: --write-cif, --export, --export-xy, --bonds, "
             "--operators and --list-blocks do not apply");
}

// The ranges the main window's entries accept (typed_ranges.hpp), said with the option's name.
void Parser::check_ranges()
{
    const BatchOptions& o = result_.options;
    if (o.lambda && !wavelength_in_range(*o.lambda))
        fail("option --lambda: the wavelength must be at most 1e6 angstroms");
    for (const MixtureLine& line : o.mixture)
        if (!wavelength_in_range(line.lambda))
            fail("option --mixture: the wavelength " + line.lambdaText + " must lie between 0 and 1e6 angstroms");
    if (!two_theta_in_range(o.twoTheta1) || !two_theta_in_range(o.twoTheta2))
        fail("option --range: the limits must lie between -180 and 180 degrees");
    if (!resolution_in_range(o.u) || !resolution_in_range(o.v) || !resolution_in_range(o.w))
        fail("option --uvw: U, V and W must lie between -1e6 and 1e6");
}

ParsedCommandLine Parser::run()
{
    bool onlyFiles = false;
    while (next_ < args_.size() && result_.error.empty()) {
        const std::string& arg = args_[next_++];
        if (!onlyFiles && arg == "--") {
            onlyFiles = true;
        } else if (!onlyFiles && arg.size() > 1 && arg[0] == '-') {
            if (!option(arg))
                fail("unknown option " + arg);
        } else {
            if (result_.options.structureFile.empty())
                result_.options.structureFile = arg;
            result_.options.structureFiles.push_back(arg);
        }
    }
    if (result_.error.empty())
        check_combinations();
    result_.options.radiationGiven = wavelengthSources_ > 0;
    if (wavelengthSources_ == 0 && !result_.options.neutron) {
        result_.options.anode = "CuKa1";
        if (!result_.options.observed.empty() && !result_.options.identification.active())
            result_.options.radiationFile = result_.options.observed.front();
    }
    return result_;
}

}  // namespace

std::optional<double> decimal_number(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments)
{
    return Parser(arguments).run();
}

bool several_structures(const BatchOptions& options)
{
    if (options.phases.mixture())
        return false;
    return options.structureFiles.size() > 1 || !options.listFile.empty() || !options.outDirectory.empty();
}

std::string export_kind(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return {};
    const std::string ext = lower(path.substr(dot + 1));
    return ext == "sim" || ext == "cpi" || ext == "cpd" ? ext : std::string();
}

std::string format_from_extension(const std::string& path)
{
    switch (structure_format_of(path)) {
    case kFormatCry:
        return "cry";
    case kFormatShelx:
        return "shelx";
    case kFormatPowderCell:
        return "cel";
    case kFormatLazyPulverix:
        return "lzy";
    case kFormatCif:
        return "cif";
    default:
        return {};
    }
}

}  // namespace kalidos::batch
