// Peak-list files: what they hold, what they are refused for, and damaged copies that either read
// into a sound list or are refused with a message (run under the sanitizer build for the rest).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "diagram_files/peak_list_reader.hpp"
#include "support/paths.hpp"

namespace kalidos {
namespace {

const char* const kQuartz = "# quartz, peak search of a Cu Ka1 diagram\r\n"
                            "Wavelength 1.540593\n"
                            "positions 2THETA   # the default\n"
                            "\n"
                            "20.859  22.1\n"
                            "\t26.639\t100   # the strongest\n"
                            "36.544 7.5\n"
                            "39.465 1e1";

TEST(PeakList, ReadsPositionsIntensitiesAndSettings)
{
    PeakList list;
    std::string error;
    ASSERT_TRUE(read_peak_list(kQuartz, list, error)) << error;
    EXPECT_EQ(list.kind, PeakPositionKind::TwoTheta);
    EXPECT_DOUBLE_EQ(list.wavelength, 1.540593);
    EXPECT_EQ(list.position, (std::vector<double>{20.859, 26.639, 36.544, 39.465}));
    EXPECT_EQ(list.intensity, (std::vector<double>{22.1, 100, 7.5, 10}));

    ASSERT_TRUE(read_peak_list("positions d\n4.2567\n3.3435\n", list, error)) << error;
    EXPECT_EQ(list.kind, PeakPositionKind::D);
    EXPECT_EQ(list.wavelength, 0);
    EXPECT_EQ(list.position, (std::vector<double>{4.2567, 3.3435}));
    EXPECT_TRUE(list.intensity.empty());
}

TEST(PeakList, RefusesBadInputNamingTheLine)
{
    const std::pair<const char*, const char*> refused[] = {
        {"", "no peak position in the list"},
        {"# nothing\n\n", "no peak position in the list"},
        {"20.5\nabc\n", "line 2: expected a peak position or one of the words wavelength and positions, found 'abc'"},
        {"20.5 1 2\n", "line 1: a peak is a position and at most an intensity; found 3 values"},
        {"20.5 10\n30.1\n", "line 2: either every peak has an intensity or none has"},
        {"20.5\n30.1 10\n", "line 2: either every peak has an intensity or none has"},
        {"190\n", "line 1: 2θ must lie between 0 and 180 degrees, not 190"},
        {"positions d\n-3\n", "line 2: d must lie between 0 and 1000 Å, not -3"},
        {"20.5 -1\n", "line 1: the intensity must be a number of 0 or more, not '-1'"},
        {"20.5 nan\n", "line 1: the intensity must be a number of 0 or more, not 'nan'"},
        {"inf\n", "line 1: expected a peak position or one of the words wavelength and positions, found 'inf'"},
        {"20.5\nwavelength 1.54\n", "line 2: wavelength must come before the peaks"},
        {"wavelength 0\n20\n", "line 1: the wavelength must be a number of Å between 0.01 and 100, not '0'"},
        {"wavelength 1.5 1.6\n", "line 1: wavelength takes one value"},
        {"wavelength 1.5\nwavelength 1.6\n", "line 2: wavelength is given twice"},
        {"positions q\n", "line 1: positions are 2theta or d, not 'q'"},
    };
    for (const auto& [text, message] : refused) {
        PeakList list;
        std::string error;
        EXPECT_FALSE(read_peak_list(text, list, error)) << text;
        EXPECT_EQ(error, message) << text;
        EXPECT_TRUE(list.position.empty());
    }
    PeakList list;
    std::string error;
    EXPECT_FALSE(read_peak_list(std::string_view("20.5\n\0 30\n", 10), list, error));
    EXPECT_EQ(error, "not a text file: it holds a zero byte");
    std::string many;
    for (std::size_t i = 0; i <= kMaxPeakListLines; ++i)
        many += "45.0\n";
    EXPECT_FALSE(read_peak_list(many, list, error));
    EXPECT_EQ(error, "line 2001: more than 2000 peaks");
    EXPECT_FALSE(read_peak_list_file(testing::test_data_dir() / "no such file.txt", list, error));
    EXPECT_NE(error.find("Cannot read"), std::string::npos);
}

// A read either gives a list whose every value is usable, or an empty list and a message.
void check_damaged(const std::string& text, int& read, int& refused)
{
    PeakList list;
    std::string error;
    if (!read_peak_list(text, list, error)) {
        ASSERT_FALSE(error.empty());
        ASSERT_TRUE(list.position.empty());
        ++refused;
        return;
    }
    ASSERT_TRUE(error.empty());
    ASSERT_FALSE(list.position.empty());
    ASSERT_LE(list.position.size(), kMaxPeakListLines);
    ASSERT_TRUE(list.intensity.empty() || list.intensity.size() == list.position.size());
    for (const double x : list.position)
        ASSERT_TRUE(x > 0 && (list.kind == PeakPositionKind::D ? x < 1000 : x < 180));
    for (const double y : list.intensity)
        ASSERT_TRUE(std::isfinite(y) && y >= 0);
    ASSERT_TRUE(list.wavelength == 0 || (list.wavelength > 0.01 && list.wavelength < 100));
    ++read;
}

TEST(PeakList, DamagedCopiesReadOrAreRefused)
{
    std::mt19937 random(4711);
    const std::string original = std::string(kQuartz) + "\n42.45 3\n45.79 4\n50.14 14\n54.87 4\n";
    int read = 0, refused = 0;
    for (std::size_t length = 0; length <= original.size(); ++length)
        check_damaged(original.substr(0, length), read, refused);
    for (int copy = 0; copy < 2000; ++copy) {
        std::string damaged = original;
        for (int f = 0; f <= copy % 4; ++f) {
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random);
            if (copy % 5 == 0)
                damaged[at] = static_cast<char>(random() % 256);  // any byte, zero and high ones included
            else
                damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
        }
        check_damaged(damaged, read, refused);
    }
    EXPECT_GT(read, 300);
    EXPECT_GT(refused, 300);
}

}  // namespace
}  // namespace kalidos
