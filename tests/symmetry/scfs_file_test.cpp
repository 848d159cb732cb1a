#include <gtest/gtest.h>

#include <fstream>

#include "support/paths.hpp"
#include "symmetry/scfs_file.hpp"

namespace kalidos {
namespace {

std::filesystem::path write_file(const std::string& name, const std::string& text)
{
    const auto path = testing::make_scratch_dir("scfs_" + name) / "scfs.dat";
    std::ofstream(path) << text;
    return path;
}

TEST(ParseOperatorLine, LeadingPointsSignsAndCommas)
{
    double values[12] = {};
    ASSERT_EQ(parse_operator_line(" 1 0 0 .5 0,-1,0 -.25 0 0 1 0.75", values, 12), 12);
    EXPECT_DOUBLE_EQ(values[3], 0.5);
    EXPECT_DOUBLE_EQ(values[5], -1);
    EXPECT_DOUBLE_EQ(values[7], -0.25);
    EXPECT_DOUBLE_EQ(values[11], 0.75);
}

TEST(ParseOperatorLine, RefusesTooManyNumbersAndNonNumbers)
{
    double values[12] = {};
    EXPECT_EQ(parse_operator_line("1 0 0 0 0 1 0 0 0 0 1 0 7", values, 12), kTooManyNumbers);
    EXPECT_EQ(parse_operator_line("1 0 0 x 0 1 0 0 0 0 1 0", values, 12), kNotANumber);
    EXPECT_EQ(parse_operator_line("1   0", values, 12), 2);
}

const char* const kTwoOperators =
    "Space group P -1\n"
    "  1 0 0 0  0 1 0 0  0 0 1 0\n"
    " -1 0 0 .5 0 -1 0 0 0 0 -1 -.25\n"
    "\n"
    "a\nb\nc\nd\n";

TEST(ReadScfsFile, OperatorsSinglePrecisionAndInversionFlag)
{
    StructureModel model;
    model.inversionAdded = 1;
    const auto file = write_file("inversion", std::string(kTwoOperators) + "    1  X, Y, Z\n    2  -X,-Y,-Z\n");
    const ScfsReadResult result = read_scfs_file(file, model);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(model.operatorCount, 2);
    EXPECT_EQ(model.inversionAdded, 0);
    EXPECT_TRUE(model.centrosymmetric);
    EXPECT_DOUBLE_EQ(model.operators[2].m[0][3], 0.5);
    EXPECT_DOUBLE_EQ(model.operators[2].m[2][3], -0.25);
    EXPECT_DOUBLE_EQ(model.operators[2].m[1][1], -1);

    const auto third = write_file("third", "t\n1 0 0 0.3333333333 0 1 0 0 0 0 1 0\n\na\nb\nc\nd\n");
    ASSERT_TRUE(read_scfs_file(third, model).ok);
    EXPECT_EQ(model.operators[1].m[0][3], static_cast<double>(0.3333333333f));
    EXPECT_FALSE(model.centrosymmetric);
}

TEST(ReadScfsFile, InversionBeyondTheCountedLinesIsNotSeen)
{
    StructureModel model;
    const auto file =
        write_file("late", std::string(kTwoOperators) + "    1  X, Y, Z\n    2  X, -Y, Z\n    3  -X,-Y,-Z\n");
    ASSERT_TRUE(read_scfs_file(file, model).ok);
    EXPECT_FALSE(model.centrosymmetric);
}

TEST(ReadScfsFile, FailuresLeaveTheTable)
{
    StructureModel model;
    model.operatorCount = 1;
    model.operators[1].m[0][0] = 7;
    EXPECT_FALSE(read_scfs_file(write_file("missing", "") / "absent", model).ok);
    EXPECT_FALSE(read_scfs_file(write_file("short", "t\n1 0 0 0 0 1 0 0 0 0 1\n\n"), model).ok);
    const ScfsReadResult thirteen = read_scfs_file(write_file("long", "t\n1 0 0 0 0 1 0 0 0 0 1 0 0\n\n"), model);
    EXPECT_EQ(thirteen.message, "More than 12 numbers on an operator line of scfs.dat: 1 0 0 0 0 1 0 0 0 0 1 0 0");
    std::string many = "t\n";
    for (int i = 0; i < 193; ++i)
        many += "1 0 0 0 0 1 0 0 0 0 1 0\n";
    const ScfsReadResult tooMany = read_scfs_file(write_file("many", many + "\n"), model);
    EXPECT_FALSE(tooMany.ok);
    EXPECT_EQ(tooMany.message, "More than 192 operators in scfs.dat");
    EXPECT_EQ(model.operatorCount, 1);
    EXPECT_EQ(model.operators[1].m[0][0], 7);
}

}  // namespace
}  // namespace kalidos
