#include "anomalous/anomalous_table_file.hpp"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "table_bytes.hpp"

namespace kalidos {

using testing::table_record;
using testing::TablePoint;

namespace {

const std::vector<TablePoint> kFePoints = {{7000, -3.0f, 0.5f}, {8000, -1.0f, 3.0f}, {9000, -0.5f, 2.5f}};

std::string two_record_table()
{
    return table_record("Fe", kFePoints) + table_record("O ", {{5000, 0.1f, 0.05f}});
}

}  // namespace

TEST(AnomalousTableFile, ParsesRecordsWithTheirKeysAndPoints)
{
    std::vector<AnomalousRecord> records;
    std::string error;
    ASSERT_TRUE(parse_anomalous_table(two_record_table(), records, error)) << error;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].key, "FE");
    EXPECT_EQ(records[1].key, "O");
    ASSERT_EQ(records[0].points.size(), 3u);
    EXPECT_EQ(records[0].points[1].energy, 8000);
    EXPECT_EQ(records[0].points[1].fSecond, 3.0);
    EXPECT_DOUBLE_EQ(records[1].points[0].fPrime, static_cast<double>(0.1f));
    EXPECT_TRUE(parse_anomalous_table("", records, error));
    EXPECT_TRUE(records.empty());
}

TEST(AnomalousTableFile, TableCutAnywhereInsideARecordIsRefusedWhole)
{
    const std::string whole = two_record_table();
    const std::size_t firstRecord = kAnomalousRecordHeader + 3 * kAnomalousPointBytes;
    for (std::size_t length = 1; length < whole.size(); ++length) {
        if (length == firstRecord)
            continue;  // a clean end after the first record
        // A copy of exactly `length` bytes, so that reading past its end is caught by the sanitizers.
        const std::string cut = whole.substr(0, length);
        std::vector<AnomalousRecord> records;
        std::string error;
        EXPECT_FALSE(parse_anomalous_table(cut, records, error)) << length;
        EXPECT_TRUE(records.empty()) << length;
        EXPECT_NE(error.find("cut short"), std::string::npos) << error;
    }
}

TEST(AnomalousTableFile, CountsOutsideZeroTo4100AreRefused)
{
    std::vector<AnomalousRecord> records;
    std::string error;
    EXPECT_FALSE(parse_anomalous_table(table_record("Fe", kFePoints) + table_record("CU", {}, -1), records, error));
    EXPECT_EQ(error, "record 2 (CU) has a negative number of points");
    EXPECT_TRUE(records.empty());

    const std::vector<TablePoint> many(kMaxAnomalousPoints + 1, TablePoint{1000, 0, 0});
    EXPECT_FALSE(parse_anomalous_table(table_record("U", many), records, error));
    EXPECT_EQ(error, "record 1 (U ) has 4101 points (at most 4100)");
    const std::vector<TablePoint> most(kMaxAnomalousPoints, TablePoint{1000, 0, 0});
    EXPECT_TRUE(parse_anomalous_table(table_record("U", most), records, error));
    EXPECT_TRUE(parse_anomalous_table(table_record("HE", {}), records, error));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].points.empty());
}

TEST(AnomalousTableFile, ValueThatIsNotANumberIsRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<AnomalousRecord> records;
    std::string error;
    EXPECT_FALSE(parse_anomalous_table(table_record("Fe", {{7000, nan, 0}}), records, error));
    EXPECT_EQ(error, "record 1 (Fe) holds a value that is not a number");
}

TEST(AnomalousTableFile, MissingFileIsReportedNotCrashedOn)
{
    std::vector<AnomalousRecord> records;
    std::string error;
    EXPECT_FALSE(read_anomalous_table_file("/nonexistent/brcow.an", records, error));
    EXPECT_EQ(error, "the file cannot be opened");
}

TEST(AnomalousTableFile, KeysUseTheFirstTwoCharactersWithoutBlanksInUpperCase)
{
    EXPECT_EQ(anomalous_key("FE3+"), "FE");
    EXPECT_EQ(anomalous_key("Fe"), "FE");
    EXPECT_EQ(anomalous_key("o "), "O");
    EXPECT_EQ(anomalous_key(std::string("O\0", 2)), "O");
    EXPECT_EQ(anomalous_key("O2-"), "O");  // an ion reads its element's record
    EXPECT_EQ(anomalous_key("C."), "C");
    EXPECT_EQ(anomalous_key(" SI4+"), "SI");
    EXPECT_EQ(anomalous_key(""), "");
}

TEST(AnomalousTableFile, InterpolationBetweenPointsAndAtTheEnds)
{
    AnomalousRecord record;
    record.points = {{7000, -3, 0.5}, {8000, -1, 3}, {9000, -0.5, 2.5}};
    double fp = 99, fpp = 99;
    ASSERT_TRUE(interpolate_anomalous(record, 7500, fp, fpp));
    EXPECT_DOUBLE_EQ(fp, -2);
    EXPECT_DOUBLE_EQ(fpp, 1.75);
    ASSERT_TRUE(interpolate_anomalous(record, 8000, fp, fpp));  // a point itself: no blend
    EXPECT_DOUBLE_EQ(fp, -1);
    EXPECT_DOUBLE_EQ(fpp, 3);
    ASSERT_TRUE(interpolate_anomalous(record, 6000, fp, fpp));  // below the first point
    EXPECT_EQ(fp, -3);
    EXPECT_EQ(fpp, 0.5);
    ASSERT_TRUE(interpolate_anomalous(record, 7000, fp, fpp));
    EXPECT_EQ(fp, -3);
    fp = fpp = 99;
    EXPECT_FALSE(interpolate_anomalous(record, 9000.5, fp, fpp));  // no point reaches it
    EXPECT_EQ(fp, 99);
    EXPECT_FALSE(interpolate_anomalous(AnomalousRecord{}, 8000, fp, fpp));
}

}  // namespace kalidos
