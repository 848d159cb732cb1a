#include "readers/reader_text.hpp"
#include "readers/separate_label_digit.hpp"
#include "readers/split_numbers.hpp"
#include "readers/system_from_cell.hpp"

#include <gtest/gtest.h>

namespace kalidos
{

TEST(SplitNumbers, CommasAndBlanksSeparate)
{
    const SplitNumbers n = split_numbers("1.5, 2 ,3");
    EXPECT_EQ(n.count, 3);
    EXPECT_EQ(n.code, 0);
    EXPECT_DOUBLE_EQ(n[0], 1.5);
    EXPECT_DOUBLE_EQ(n[1], 2);
    EXPECT_DOUBLE_EQ(n[2], 3);
    EXPECT_EQ(split_numbers("   ").count, 0);
    const SplitNumbers tabs = split_numbers("\t-0.25\t+1E-2  .5");
    ASSERT_EQ(tabs.count, 3);
    EXPECT_DOUBLE_EQ(tabs[0], -0.25);
    EXPECT_DOUBLE_EQ(tabs[1], 0.01);
    EXPECT_DOUBLE_EQ(tabs[2], 0.5);
}

TEST(SplitNumbers, ReportsTheFirstFieldThatIsNotANumber)
{
    const SplitNumbers n = split_numbers("1 2 x3 4 nan");
    EXPECT_EQ(n.code, 3);
    EXPECT_EQ(n.count, 5);
    EXPECT_DOUBLE_EQ(n[3], 4);
    EXPECT_EQ(split_numbers("1 inf").code, 2);
    EXPECT_EQ(split_numbers("0x10").code, 1);
    EXPECT_EQ(split_numbers("1.0.0").code, 1);
}

TEST(SplitNumbers, KeepsTwelveNumbersAndFlagsTheRest)
{
    const SplitNumbers n = split_numbers("1 2 3 4 5 6 7 8 9 10 11 12 13 14");
    EXPECT_EQ(n.count, kMaxNumbersPerLine);
    EXPECT_TRUE(n.overflow);
    EXPECT_DOUBLE_EQ(n[11], 12);
    EXPECT_FALSE(split_numbers("1 2 3 4 5 6 7 8 9 10 11 12").overflow);
}

TEST(SeparateLabelDigit, InsertsABlankOnlyBeforeADigitInSecondPlace)
{
    std::string c1 = "C1", cl1 = "CL1", o = "O", empty, o12 = "O12";
    separate_label_digit(c1);
    separate_label_digit(cl1);
    separate_label_digit(o);
    separate_label_digit(empty);
    separate_label_digit(o12);
    EXPECT_EQ(c1, "C 1");
    EXPECT_EQ(cl1, "CL1");
    EXPECT_EQ(o, "O");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(o12, "O 12");
}

namespace
{
CellParameters cell(double a, double b, double c, double al, double be, double ga)
{
    CellParameters p;
    p.a = a, p.b = b, p.c = c, p.alpha = al, p.beta = be, p.gamma = ga;
    return p;
}
} // namespace

TEST(SystemFromCell, FollowsTheLengthAndAngleRules)
{
    EXPECT_EQ(crystal_system_of_cell(cell(5, 5.0005, 5, 90, 90, 90)), "CUBI");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 5, 7, 90, 90, 90)), "QUAD");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 6, 7, 90, 90, 90)), "ORTH");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 7, 7, 90, 90, 90)), "");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 5, 9, 90, 90, 120)), "HEXA");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 5, 5, 60, 60, 60)), "RHOM");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 6, 7, 90, 100, 90)), "MONO");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 6, 7, 90, 90, 100)), "MONO");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 6, 7, 100, 90, 90)), "TRIC");
    EXPECT_EQ(crystal_system_of_cell(cell(5, 6, 7, 80, 95, 100)), "TRIC");
}

TEST(SystemFromCell, StoresTetragonalAsTetrAndKeepsTheSystemWhenNoRuleFits)
{
    StructureModel model;
    model.cell = cell(4, 4, 6, 90, 90, 90);
    system_from_cell(model);
    EXPECT_EQ(model.crystalSystem, "TETR");
    model.crystalSystem.clear();
    model.cell = cell(5, 7, 7, 90, 90, 90);
    system_from_cell(model);
    EXPECT_EQ(model.crystalSystem, "");
}

TEST(ReaderText, CifNumbersDropQuotesAndUncertainties)
{
    double v = 0;
    ASSERT_TRUE(parse_cif_number("0.1234(5)", v));
    EXPECT_DOUBLE_EQ(v, 0.1234);
    ASSERT_TRUE(parse_cif_number("'16.1930(15)'", v));
    EXPECT_DOUBLE_EQ(v, 16.193);
    ASSERT_TRUE(parse_cif_number("1/3", v));
    EXPECT_NEAR(v, 1.0 / 3, 1e-15);
    ASSERT_TRUE(parse_cif_number("-2/3", v));
    EXPECT_NEAR(v, -2.0 / 3, 1e-15);
    EXPECT_FALSE(parse_cif_number("?", v));
    EXPECT_FALSE(parse_cif_number(".", v));
    EXPECT_FALSE(parse_cif_number("1/0", v));
    EXPECT_FALSE(parse_cif_number("", v));
}

TEST(ReaderText, LinesEndWithLfCrLfOrCr)
{
    const TextLines lines = split_text_lines("a\r\nb\nc\rd");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[3], "d");
    EXPECT_EQ(split_text_lines("a\n\nb\n").size(), 3u);
    // A CR before CR LF ends an empty line; an LF after a lone CR another; a last CR no more.
    EXPECT_EQ(split_text_lines("a\r\r\nb"), (TextLines{"a", "", "b"}));
    EXPECT_EQ(split_text_lines("\n\rx\r"), (TextLines{"", "", "x"}));
    EXPECT_EQ(split_line_views("a\r\nb\n"), (LineViews{"a", "b"}));
    EXPECT_EQ(file_name_only("/x/y/quartz.cry"), "quartz.cry");
    EXPECT_EQ(file_name_only("C:\\data\\q.cif"), "q.cif");
}

} // namespace kalidos
