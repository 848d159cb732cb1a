// Rietveld .dat and CPI/CPD text files: headers, separators, limits and refusals.
#include <gtest/gtest.h>

#include "diagram_files/diagram_readers.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

struct Reading {
    std::unique_ptr<RawScan> scan = std::make_unique<RawScan>();
    RecordingMessages messages;
    bool error = false;
};

Reading read_dat(const std::string& text)
{
    Reading r;
    r.scan->fileName = "/data/quartz.dat";
    r.error = read_rietveld_text(*r.scan, text, r.messages);
    return r;
}

Reading read_cpi(const std::string& text)
{
    Reading r;
    r.scan->fileName = "/data/quartz.cpi";
    r.error = read_cpi_text(*r.scan, text, r.messages);
    return r;
}

const std::string kRietveldHeader =
    "SampleIdent=Quartz sample 3  DataFileName=q3.dat\n"
    "skipped\n"
    "Alpha1=1.5406 Alpha2= 1.5444 Ratio 0.5\n"
    "skipped\n";

TEST(RietveldReader, HeaderGivesIdentificationAndWavelengths)
{
    auto r = read_dat(kRietveldHeader + "10.0 0.5 12.0\n1 2 3\n4,5\n");
    ASSERT_FALSE(r.error) << ::testing::PrintToString(r.messages.warnings);
    const RawScan& s = *r.scan;
    EXPECT_EQ(s.sampleIdentification, "Quartz sample 3");
    EXPECT_DOUBLE_EQ(s.lambda1, 1.5406);
    EXPECT_DOUBLE_EQ(s.lambda2, 1.5444);
    EXPECT_DOUBLE_EQ(s.ratio, 0.5);
    EXPECT_DOUBLE_EQ(s.meanLambda, (0.5 * 1.5444 + 1.5406) / 1.5);
    ASSERT_EQ(s.pointCount, 5);  // commas separate like blanks
    EXPECT_FLOAT_EQ(s.angle[5], 12.0f);
    EXPECT_FLOAT_EQ(s.intensity[4], 75.0f);
    EXPECT_DOUBLE_EQ(s.firstAngle, 10);
    EXPECT_DOUBLE_EQ(s.lastAngle, 12);
}

TEST(RietveldReader, KeywordsMissingOrUnreadableGiveZero)
{
    auto r = read_dat(
        "SampleIdent X DataFileName y\n\nAlpha1=1.789 Ratio=abc\n\n1 1 3\n5 6 7\n");
    ASSERT_FALSE(r.error);
    EXPECT_DOUBLE_EQ(r.scan->lambda1, 1.789);
    EXPECT_DOUBLE_EQ(r.scan->lambda2, 0);
    EXPECT_DOUBLE_EQ(r.scan->ratio, 0);
    EXPECT_DOUBLE_EQ(r.scan->meanLambda, 1.789);
    // out of order: Alpha2 before Alpha1 is not found after Alpha1
    auto swapped = read_dat("SampleIdent X DataFileName y\n\nAlpha2=1.6 Alpha1=1.5\n\n1 1 3\n5 6 7\n");
    ASSERT_FALSE(swapped.error);
    EXPECT_DOUBLE_EQ(swapped.scan->lambda1, 1.5);
    EXPECT_DOUBLE_EQ(swapped.scan->lambda2, 0);
}

TEST(RietveldReader, EmptyFirstLineLeavesTheWavelengthToTheUser)
{
    auto r = read_dat("\nAlpha1=1.5406 not read\n\n\n-10 0.1 -9.8\n0.8 0.3 0.3\n");
    ASSERT_FALSE(r.error);
    EXPECT_DOUBLE_EQ(r.scan->meanLambda, 0);
    EXPECT_DOUBLE_EQ(r.scan->lambda1, 0);
    EXPECT_EQ(r.scan->pointCount, 3);
    EXPECT_NEAR(r.scan->angle[2], -9.9f, 1e-6);
}

TEST(RietveldReader, ValuesBeyondTheHeaderCountAreNotRead)
{
    // Some programs append the standard deviations after the counts.
    auto r = read_dat(kRietveldHeader + "10 1 12\n1 2 3 0.1 0.1 zz\n");
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.scan->pointCount, 3);
    EXPECT_DOUBLE_EQ(r.scan->imax, 3);
}

TEST(RietveldReader, Refusals)
{
    auto noIdent = read_dat("D1A5 Title: 1.9114 A\n\n\n\n10 1 12\n1 2 3\n");
    EXPECT_TRUE(noIdent.error);
    EXPECT_EQ(noIdent.messages.warnings,
              std::vector<std::string>{"Error while reading the wavelength in Rietvelf File"});
    auto badToken = read_dat(kRietveldHeader + "10 1 12\n1 x2 3\n");
    EXPECT_TRUE(badToken.error);
    EXPECT_EQ(badToken.messages.warnings, std::vector<std::string>{"Read error!"});
    auto badRange = read_dat(kRietveldHeader + "10 1\n1 2 3\n");
    EXPECT_EQ(badRange.messages.warnings, std::vector<std::string>{"Read error!"});
    auto shortData = read_dat(kRietveldHeader + "10 1 13\n1 2 3\n");
    EXPECT_TRUE(shortData.error);
    ASSERT_EQ(shortData.messages.warnings.size(), 1u);
    EXPECT_NE(shortData.messages.warnings[0].find("quartz.dat"), std::string::npos);
    EXPECT_TRUE(read_dat(kRietveldHeader).error);                               // no range line
    EXPECT_TRUE(read_dat(kRietveldHeader + "10 0 12\n1 2 3\n").error);          // zero step
    EXPECT_TRUE(read_dat(kRietveldHeader + "0 0.001 179\n1 2 3\n").error);     // 179001 points
}

const std::string kCpiHeader =
    "SIETRONICS XRD SCAN\n10.000\n10.060\n0.0200\nCu\n1.54056\n00:00:00\n1\nSampleIdent Quartz 3\nSCANDATA\n";

TEST(CpiReader, HeaderLinesAndOneValuePerNumber)
{
    auto r = read_cpi(kCpiHeader + "10\n20 30\n\n-10\n\n   \n");
    ASSERT_FALSE(r.error) << ::testing::PrintToString(r.messages.warnings);
    const RawScan& s = *r.scan;
    ASSERT_EQ(s.pointCount, 4);  // blank lines at the end add no point
    EXPECT_EQ(s.anode, "Cu");
    EXPECT_DOUBLE_EQ(s.meanLambda, 1.54056);
    EXPECT_DOUBLE_EQ(s.lambda1, 0);
    EXPECT_EQ(s.sampleIdentification, "Quartz 3");
    EXPECT_DOUBLE_EQ(s.firstAngle, 10);
    EXPECT_DOUBLE_EQ(s.lastAngle, 10.06);
    EXPECT_NEAR(s.angle[4], 10.06f, 1e-5);
    EXPECT_DOUBLE_EQ(s.imin, -10);
    EXPECT_FLOAT_EQ(s.intensity[1], 50.0f);
}

TEST(CpiReader, DecimalCommaWavelengthAndPlainSampleLine)
{
    auto r = read_cpi(
        "SIETRONICS XRD SCAN\r\n3.01\r\n3.05\r\n0.02\r\nCu\r\n1,5406\r\n11/10/2012 14:41:24\r\n2,0\r\n"
        "08-946 Sample\r\nSCANDATA\r\n60.0\r\n-2.6\r\n18.1\r\n");
    ASSERT_FALSE(r.error);
    EXPECT_DOUBLE_EQ(r.scan->meanLambda, 1.5406);
    EXPECT_EQ(r.scan->sampleIdentification, "08-946 Sample");
    EXPECT_EQ(r.scan->pointCount, 3);
}

TEST(CpiReader, Refusals)
{
    EXPECT_TRUE(read_cpi("SIETRONICS XRD SCAN\n10\n20\n").error);
    auto bad = read_cpi(kCpiHeader + "10\n2O\n");
    EXPECT_TRUE(bad.error);
    ASSERT_EQ(bad.messages.warnings.size(), 1u);
    EXPECT_NE(bad.messages.warnings[0].find("quartz.cpi"), std::string::npos);
    EXPECT_TRUE(read_cpi(kCpiHeader).error);                  // no points
    EXPECT_TRUE(read_cpi(kCpiHeader + "5\n5\n5\n").error);    // nothing to scale
    std::string many = kCpiHeader;
    for (int i = 0; i <= kRawScanCapacity; ++i)
        many += std::to_string(i % 50) + "\n";
    auto tooMany = read_cpi(many);
    EXPECT_TRUE(tooMany.error);
    EXPECT_NE(tooMany.messages.warnings.at(0).find("30000"), std::string::npos);
    std::string badStart = kCpiHeader;
    badStart.replace(badStart.find("10.000"), 6, "start");
    EXPECT_TRUE(read_cpi(badStart + "1\n2\n").error);
}

}  // namespace
}  // namespace kalidos
