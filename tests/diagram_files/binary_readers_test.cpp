// RAW and RD files built field by field: every variant's offsets, formulas and refusals.
#include <gtest/gtest.h>

#include "byte_builder.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::ByteBuilder;
using testing::RecordingMessages;

struct Reading {
    std::unique_ptr<RawScan> scan = std::make_unique<RawScan>();
    RecordingMessages messages;
    bool error = false;
};

Reading read_raw(const std::string& bytes, const std::string& name = "/some/dir/scan.raw")
{
    Reading r;
    r.scan->fileName = name;
    r.error = read_raw_bytes(*r.scan, bytes, r.messages);
    return r;
}

Reading read_rd(const std::string& bytes)
{
    Reading r;
    r.scan->fileName = "/some/dir/scan.rd";
    r.error = read_philips_bytes(*r.scan, bytes, r.messages);
    return r;
}

ByteBuilder raw_v1(int n)
{
    ByteBuilder b(156);
    b.text(0, "RAW ").put<std::int32_t>(4, n).put<float>(12, 0.5f).put<float>(24, 10.0f);
    b.text(40, "QUARTZ").put<float>(72, 1.5406f).put<float>(76, 1.5444f);
    const float counts[] = {10, 20, 30, 20, 10};
    for (int i = 0; i < 5; ++i)
        b.put<float>(156 + 4 * i, counts[i]);
    return b;
}

TEST(RawReader, VersionOneFieldsAndScaling)
{
    auto r = read_raw(raw_v1(5).bytes());
    ASSERT_FALSE(r.error) << ::testing::PrintToString(r.messages.warnings);
    const RawScan& s = *r.scan;
    ASSERT_EQ(s.pointCount, 5);
    EXPECT_EQ(s.sampleIdentification, "QUARTZ (RAW)");
    EXPECT_EQ(s.anode, "?");
    EXPECT_NEAR(s.meanLambda, (2 * 1.5406 + 1.5444) / 3, 1e-6);
    EXPECT_FLOAT_EQ(s.angle[3], 11.0f);
    EXPECT_FLOAT_EQ(s.intensity[1], 0.0f);
    EXPECT_FLOAT_EQ(s.intensity[2], 50.0f);
    EXPECT_FLOAT_EQ(s.intensity[3], 100.0f);
    EXPECT_DOUBLE_EQ(s.imax, 30);
    EXPECT_DOUBLE_EQ(s.imin, 10);
    EXPECT_DOUBLE_EQ(s.firstAngle, 10);
    EXPECT_DOUBLE_EQ(s.lastAngle, 12);
}

TEST(RawReader, VersionOneWithoutSecondWavelengthUsesTheFirst)
{
    auto b = raw_v1(5);
    b.put<float>(76, 0.0f);
    auto r = read_raw(b.bytes());
    ASSERT_FALSE(r.error);
    EXPECT_FLOAT_EQ(static_cast<float>(r.scan->meanLambda), 1.5406f);
}

TEST(RawReader, CountsPointingPastTheEndAreRefusedAndTheScanKept)
{
    auto r = read_raw(raw_v1(5).bytes());
    ASSERT_FALSE(r.error);
    for (const int n : {6, -3, 2000000000}) {
        r.scan->fileName = "/x/bad.raw";
        r.error = read_raw_bytes(*r.scan, raw_v1(n).bytes(), r.messages);
        EXPECT_TRUE(r.error) << n;
        ASSERT_FALSE(r.messages.warnings.empty());
        EXPECT_NE(r.messages.warnings.back().find("bad.raw"), std::string::npos) << r.messages.warnings.back();
        EXPECT_EQ(r.scan->pointCount, 5);  // the earlier reading stays
        EXPECT_EQ(r.scan->sampleIdentification, "QUARTZ (RAW)");
    }
}

TEST(RawReader, UnknownSignaturesAreRefused)
{
    for (const std::string signature : {"RAW4.00", "RAW_1.06", "Y3FE2(AL", "RA", ""}) {
        auto r = read_raw(signature + std::string(2000, '\1'));
        EXPECT_TRUE(r.error) << signature;
        ASSERT_EQ(r.messages.warnings.size(), 1u);
        EXPECT_EQ(r.messages.warnings[0], "Unknown file type");
    }
}

ByteBuilder raw_v2(std::int16_t headerLength, std::int16_t n)
{
    ByteBuilder b(256);
    b.text(0, "RAW2").put<std::int16_t>(4, 1).text(8, "ZINCITE").text(188, "Cu");
    b.put<float>(190, 1.5406f).put<float>(194, 1.5444f).put<float>(198, 0.5f);
    b.put<std::int16_t>(256, headerLength).put<std::int16_t>(258, n);
    b.put<float>(268, 0.02f).put<float>(272, 5.0f);
    for (int i = 0; i < n; ++i)
        b.put<float>(256 + static_cast<std::size_t>(headerLength) + 4 * i, static_cast<float>(i % 7));
    return b;
}

TEST(RawReader, VersionTwoRangeHeaderLength)
{
    for (const std::int16_t h : {std::int16_t{60}, std::int16_t{90}}) {
        auto r = read_raw(raw_v2(h, 20).bytes());
        ASSERT_FALSE(r.error) << h;
        const RawScan& s = *r.scan;
        EXPECT_EQ(s.pointCount, 20);
        EXPECT_EQ(s.sampleIdentification, "ZINCITE (RAW2)");
        EXPECT_EQ(s.anode, "Cu");
        EXPECT_NEAR(s.meanLambda, (1.5444 * 0.5 + 1.5406) / 1.5, 1e-6);
        EXPECT_NEAR(s.intensity[7], 100.0f, 1e-5);  // value 6 is the largest
        EXPECT_NEAR(s.angle[20], 5.38f, 1e-5);
        EXPECT_NEAR(s.lastAngle, 5.38, 1e-5);
    }
    auto shortHeader = read_raw(raw_v2(40, 20).bytes());
    EXPECT_TRUE(shortHeader.error);
    auto truncated = raw_v2(60, 20);
    truncated.bytes().resize(316 + 4 * 19);
    EXPECT_TRUE(read_raw(truncated.bytes()).error);
    EXPECT_TRUE(read_raw(raw_v2(60, -5).bytes()).error);
}

ByteBuilder raw_v3(std::int32_t ranges, std::int32_t rangeCount, std::int32_t supplement, int values)
{
    ByteBuilder b(1016);
    b.text(0, "RAW1.01").put<std::int32_t>(12, ranges).text(330, "BT86").text(608, "Cu");
    b.put<double>(616, 1.54184).put<double>(624, 1.5406).put<double>(632, 1.54439);
    b.put<std::int32_t>(712, 304).put<std::int32_t>(716, rangeCount).put<double>(728, 3.0);
    b.put<double>(888, 0.25).put<std::int32_t>(968, supplement);
    for (int i = 0; i < values; ++i)
        b.put<float>(1016 + static_cast<std::size_t>(supplement) + 4 * i, static_cast<float>(100 + i));
    return b;
}

TEST(RawReader, VersionThreeOneRangeReadsToTheEndOfTheFile)
{
    auto r = read_raw(raw_v3(1, 3, 40, 12).bytes());  // the header's count of 3 is not used
    ASSERT_FALSE(r.error);
    const RawScan& s = *r.scan;
    EXPECT_EQ(s.pointCount, 12);
    EXPECT_EQ(s.sampleIdentification, "BT86 (RAW1)");
    EXPECT_DOUBLE_EQ(s.meanLambda, 1.54184);
    EXPECT_DOUBLE_EQ(s.lambda2, 1.54439);
    EXPECT_DOUBLE_EQ(s.firstAngle, 3.0);
    EXPECT_DOUBLE_EQ(s.lastAngle, 3.0 + 11 * 0.25);
    EXPECT_DOUBLE_EQ(s.imax, 111);
}

TEST(RawReader, VersionThreeSeveralRangesReadsTheFirstOnly)
{
    auto r = read_raw(raw_v3(3, 4, 0, 30).bytes());
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.scan->pointCount, 4);
    EXPECT_DOUBLE_EQ(r.scan->imax, 103);
    EXPECT_TRUE(read_raw(raw_v3(2, 31, 0, 30).bytes()).error);   // first range past the end
    EXPECT_TRUE(read_raw(raw_v3(1, 3, -8, 12).bytes()).error);   // negative supplement
    EXPECT_TRUE(read_raw(raw_v3(1, 3, 5000, 0).bytes()).error);  // supplement past the end
    EXPECT_TRUE(read_raw(raw_v3(1, 3, 0, 0).bytes()).error);     // no points
}

TEST(RawReader, FlatOrDamagedValuesAreRefusedWithAMessage)
{
    auto flat = raw_v1(5);
    for (int i = 0; i < 5; ++i)
        flat.put<float>(156 + 4 * i, 7.0f);
    auto r = read_raw(flat.bytes());
    EXPECT_TRUE(r.error);
    ASSERT_EQ(r.messages.warnings.size(), 1u);
    EXPECT_NE(r.messages.warnings[0].find("cannot be scaled"), std::string::npos);

    auto nan = raw_v1(5);
    nan.put<float>(160, std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(read_raw(nan.bytes()).error);
    auto badStep = raw_v1(5);
    badStep.put<float>(12, -0.5f);
    EXPECT_TRUE(read_raw(badStep.bytes()).error);
    auto farStart = raw_v1(5);
    farStart.put<float>(24, 1e30f);
    EXPECT_TRUE(read_raw(farStart.bytes()).error);
}

ByteBuilder rd(const std::string& version, double start, double end, double step, int values)
{
    ByteBuilder b(250);
    b.text(0, version + "RD").put<std::uint8_t>(85, 3);
    b.put<double>(94, 1.93604).put<double>(102, 1.93998).put<double>(110, 0.5);
    b.text(146, "  FLUORITE    ").put<double>(214, step).put<double>(222, start).put<double>(230, end);
    const std::size_t data = version == "V5" ? 810 : 250;
    for (int i = 0; i < values; ++i)
        b.put<std::uint16_t>(data + 2 * i, static_cast<std::uint16_t>(100 * (i % 300 + 1)));
    return b;
}

TEST(PhilipsReader, HeaderFieldsAndSquaredCounts)
{
    auto r = read_rd(rd("V3", 5, 5.1, 0.02, 6).bytes());
    ASSERT_FALSE(r.error) << ::testing::PrintToString(r.messages.warnings);
    const RawScan& s = *r.scan;
    EXPECT_EQ(s.pointCount, 6);
    EXPECT_EQ(s.anode, "Fe");
    EXPECT_EQ(s.sampleIdentification, "FLUORITE");
    EXPECT_NEAR(s.meanLambda, (0.5 * 1.93998 + 1.93604) / 1.5, 1e-9);
    EXPECT_DOUBLE_EQ(s.imax, 3600);  // (600·0.1)²
    EXPECT_DOUBLE_EQ(s.imin, 100);
    EXPECT_DOUBLE_EQ(s.firstAngle, 5);
    EXPECT_DOUBLE_EQ(s.lastAngle, 5.1);
    EXPECT_NEAR(s.intensity[2], (400 - 100) * 100.0 / 3500, 1e-4);
}

TEST(PhilipsReader, VersionFiveDataAtOffset810)
{
    auto r = read_rd(rd("V5", 5, 5.1, 0.02, 6).bytes());
    ASSERT_FALSE(r.error);
    EXPECT_DOUBLE_EQ(r.scan->imax, 3600);
    auto v3 = rd("V5", 5, 5.1, 0.02, 6);  // a V3 header over V5 data reads zeros at 250
    v3.text(0, "V3");
    auto wrong = read_rd(v3.bytes());
    EXPECT_TRUE(wrong.error);  // every value at 250 is 0: nothing to scale
}

TEST(PhilipsReader, CountIsRoundedAndValuesUnsigned)
{
    // Limits that went through 32-bit values give 4656.99986 points: 4657, not 4656.
    auto b = rd("V3", 10, 103.1199972, 0.02, 4658);
    b.put<std::uint16_t>(250, 40000);
    auto r = read_rd(b.bytes());
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.scan->pointCount, 4657);
    EXPECT_DOUBLE_EQ(r.scan->imax, 4000.0 * 4000.0);  // 40000 is not a negative int16
}

TEST(PhilipsReader, RefusesOtherFilesAndShortData)
{
    auto notRd = rd("V3", 5, 5.1, 0.02, 6);
    notRd.text(2, "XY");
    auto r = read_rd(notRd.bytes());
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.messages.warnings, std::vector<std::string>{"It seems not to be a .RD Philips file"});
    EXPECT_TRUE(read_rd("V3").error);
    EXPECT_TRUE(read_rd(rd("V3", 5, 5.1, 0.02, 5).bytes()).error);   // one value short
    EXPECT_TRUE(read_rd(rd("V3", 5, 4.0, 0.02, 6).bytes()).error);   // end before start
    EXPECT_TRUE(read_rd(rd("V3", 5, 150, 1e-9, 6).bytes()).error);   // absurd count
    EXPECT_TRUE(read_rd(rd("V3", 5, 5.1, 0.0, 6).bytes()).error);    // zero step
    auto header = rd("V3", 5, 5.1, 0.02, 0);
    header.bytes().resize(200);
    EXPECT_TRUE(read_rd(header.bytes()).error);
}

}  // namespace
}  // namespace kalidos
