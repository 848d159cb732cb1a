// The command line: defaults, each option's value, and the usage errors.
#include <gtest/gtest.h>

#include "batch_options.hpp"

namespace kalidos::batch {
namespace {

ParsedCommandLine parse(std::vector<std::string> arguments) { return parse_command_line(arguments); }

TEST(BatchOptions, DefaultsAreTheWindowsStartUpValues)
{
    const ParsedCommandLine parsed = parse({"quartz.cif"});
    ASSERT_EQ(parsed.error, "");
    const BatchOptions& o = parsed.options;
    EXPECT_EQ(o.structureFile, "quartz.cif");
    EXPECT_EQ(o.anode, "CuKa1");
    EXPECT_FALSE(o.lambda);
    EXPECT_FALSE(o.neutron);
    EXPECT_EQ(o.twoTheta1, 10);
    EXPECT_EQ(o.twoTheta2, 50);
    EXPECT_EQ(o.u, 0.001);
    EXPECT_EQ(o.v, 0);
    EXPECT_EQ(o.w, 0.005);
    EXPECT_EQ(o.block, 0);
    EXPECT_FALSE(o.overwrite);
}

TEST(BatchOptions, ReadsEveryOption)
{
    const ParsedCommandLine parsed =
        parse({"--format", "CIF", "--block", "2", "--space-group", "P 21/c", "--lambda", "1.5406", "--synchrotron",
               "0.25", "--range", "5", "90.5", "--uvw", "0.01", "-0.002", "0.004", "--anomalous", "Sasaki", "--data",
               "/d", "--listings", "/l", "--export", "out.CPD", "--observed", "a.raw", "--observed", "b.rd",
               "--json", "-", "--force", "file.txt"});
    ASSERT_EQ(parsed.error, "");
    const BatchOptions& o = parsed.options;
    EXPECT_EQ(o.format, "cif");
    EXPECT_EQ(o.block, 2);
    EXPECT_EQ(o.spaceGroup, "P 21/c");
    EXPECT_EQ(o.anode, "");
    EXPECT_DOUBLE_EQ(*o.lambda, 1.5406);
    EXPECT_DOUBLE_EQ(*o.synchrotron, 0.25);
    EXPECT_EQ(o.twoTheta1, 5);
    EXPECT_EQ(o.twoTheta2, 90.5);
    EXPECT_EQ(o.v, -0.002);
    EXPECT_EQ(o.anomalous, "sasaki");
    EXPECT_EQ(o.dataDirectory, "/d");
    EXPECT_EQ(o.listingsDirectory, "/l");
    EXPECT_EQ(o.exportFile, "out.CPD");
    EXPECT_EQ(o.observed, (std::vector<std::string>{"a.raw", "b.rd"}));
    EXPECT_EQ(o.jsonFile, "-");
    EXPECT_TRUE(o.overwrite);
    EXPECT_EQ(o.structureFile, "file.txt");
}

TEST(BatchOptions, MixtureKeepsTheLinesInTheOrderGiven)
{
    const ParsedCommandLine parsed = parse({"--mixture", "1.54439:50,1.54056:100", "x.cry"});
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.options.mixture.size(), 2u);
    EXPECT_DOUBLE_EQ(parsed.options.mixture[0].lambda, 1.54439);
    EXPECT_DOUBLE_EQ(parsed.options.mixture[0].intensity, 50);
    EXPECT_DOUBLE_EQ(parsed.options.mixture[1].lambda, 1.54056);
    EXPECT_EQ(parsed.options.anode, "");
}

TEST(BatchOptions, UsageErrors)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},                                              // no structure file
        {"a.cif", "b.cif"},                              // two files
        {"--bogus", "a.cif"},                            // unknown option
        {"a.cif", "--range", "10"},                      // missing value
        {"a.cif", "--lambda", "1,54"},                   // not a number
        {"a.cif", "--lambda", "1.5x"},                   // trailing garbage
        {"a.cif", "--lambda", "1e400"},                  // beyond a double
        {"a.cif", "--range", "10", "inf"},               // not finite
        {"a.cif", "--lambda", "-1"},                     // not positive
        {"a.cif", "--anode", "CuKa1", "--lambda", "1"},  // two wavelength sources
        {"a.cif", "--neutron"},                          // neutrons without a wavelength
        {"a.cif", "--neutron", "--lambda", "1.2", "--synchrotron", "0.5"},
        {"a.cif", "--neutron", "--lambda", "1.2", "--anomalous", "brcow"},
        {"a.cif", "--synchrotron", "1.01"},
        {"a.cif", "--synchrotron", "-0.1"},
        {"a.cif", "--mixture", "1.5"},
        {"a.cif", "--mixture", "1:1,2:1,3:1,4:1,5:1"},
        {"a.cif", "--format", "pdb"},
        {"a.cif", "--anomalous", "henke"},
        {"a.cif", "--block", "0"},
        {"a.cif", "--block", "1.5"},
        {"a.cif", "--export", "out.png"},
        {"a.cif", "--export-xy", "out.txt"},
        {"a.cif", "--observed", "o.rd", "--compare", "--fit", "zero,cell"},  // not (yet) a parameter
        {"a.cif", "--observed", "o.rd", "--compare", "--background", "13"},
        {"a.cif", "--observed", "o.rd", "--background", "2"},             // without --compare
        {"a.cif", "--compare"},                                           // nothing to compare
        {"a.cif", "--scan", "0"},
        {"a.cif", "--observed", "d", "--series", "sequential", "--json", "s.jsonl"},           // no stages
        {"a.cif", "--series", "sequential", "--refine", "scale", "--json", "s.jsonl"},        // no diagram
        {"a.cif", "--observed", "d", "--series", "sequential", "--refine", "scale"},          // no --json
        {"a.cif", "--observed", "d", "--series", "both", "--refine", "scale", "--json", "s"},
        {"a.cif", "--observed", "d", "--series", "independent", "--refine", "scale", "--json", "s",
         "--series-block", "4"},                                                                // blocks chain
        {"a.cif", "--observed", "d", "--series", "sequential", "--refine", "scale", "--json", "s",
         "--write-cif", "r.cif"},
        {"a.cif", "--observed", "d", "--refine", "scale", "--csv", "s.csv"},                   // without --series
    };
    for (const auto& arguments : wrong) {
        std::string line;
        for (const auto& a : arguments)
            line += a + " ";
        EXPECT_NE(parse(arguments).error, "") << line;
    }
}

TEST(BatchOptions, NumbersNotFiniteOrOutOfTheirRangeNameTheOption)
{
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{"--lambda", "inf"}, "option --lambda"},
        {{"--lambda", "2e6"}, "option --lambda"},
        {{"--mixture", "1.5:nan"}, "option --mixture"},
        {{"--mixture", "1.5:1,1e400:1"}, "option --mixture"},
        {{"--mixture", "1.5:1,2e6:1"}, "option --mixture"},
        {{"--range", "10", "1e400"}, "option --range"},
        {{"--range", "-200", "50"}, "option --range"},
        {{"--uvw", "0.01", "nan", "0.004"}, "option --uvw"},
        {{"--uvw", "0.01", "0", "1e300"}, "option --uvw"},
    };
    for (auto [arguments, option] : wrong) {
        arguments.insert(arguments.begin(), "a.cif");
        const std::string error = parse(arguments).error;
        EXPECT_EQ(error.rfind(option, 0), 0u) << arguments[1] << " " << arguments[2] << ": " << error;
    }
    EXPECT_EQ(parse({"a.cif", "--range", "-180", "180", "--uvw", "1e6", "-1e6", "0"}).error, "");
}

TEST(BatchOptions, HelpNeedsNoFileAndSynchrotronBoundsAreIncluded)
{
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_EQ(parse({"--help"}).error, "");
    EXPECT_EQ(parse({"a.cif", "--synchrotron", "1"}).error, "");
    EXPECT_EQ(parse({"a.cif", "--synchrotron", "0"}).error, "");
    EXPECT_EQ(parse({"--", "-odd-name.cif"}).options.structureFile, "-odd-name.cif");
}

TEST(BatchOptions, FormatFollowsTheExtensionWithoutRegardToCase)
{
    EXPECT_EQ(format_from_extension("dir.v2/x.CIF"), "cif");
    EXPECT_EQ(format_from_extension("x.ins"), "shelx");
    EXPECT_EQ(format_from_extension("x.inp"), "shelx");
    EXPECT_EQ(format_from_extension("x.RES"), "shelx");
    EXPECT_EQ(format_from_extension("x.cel"), "cel");
    EXPECT_EQ(format_from_extension("x.lzy"), "lzy");
    EXPECT_EQ(format_from_extension("x.cry"), "cry");
    EXPECT_EQ(format_from_extension("dir.cif/x"), "");
    EXPECT_EQ(format_from_extension("x.pdb"), "");
    EXPECT_EQ(export_kind("a.Sim"), "sim");
    EXPECT_EQ(export_kind("a.cpi"), "cpi");
    EXPECT_EQ(export_kind("a.cpd.bak"), "");
}

TEST(BatchOptions, HelpDocumentsEveryOptionAndTheExitStatuses)
{
    const std::string help = usage_text();
    for (const char* option : {"--format", "--block", "--list-blocks", "--space-group", "--anode", "--lambda",
                               "--mixture", "--neutron", "--synchrotron", "--range", "--uvw", "--anomalous", "--data",
                               "--listings", "--export", "--observed", "--json", "--operators", "--overwrite",
                               "--help", "--series", "--series-block", "--observed-list", "--csv", "--no-curves",
                               "Exit status"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace kalidos::batch
