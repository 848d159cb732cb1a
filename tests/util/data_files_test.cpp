#include "util/data_files.hpp"

#include <fstream>

#include <gtest/gtest.h>

#include "support/paths.hpp"

namespace kalidos {

TEST(DataFiles, NamesMatchWithoutRegardToCase)
{
    const auto dir = testing::make_scratch_dir("data-files");
    std::ofstream(dir / "brcow.an") << "x";
    std::ofstream(dir / "q.pos") << "x";
    EXPECT_EQ(find_file_ignoring_case(dir, "Brcow.an"), dir / "brcow.an");
    EXPECT_EQ(find_file_ignoring_case(dir, "Q.POS"), dir / "q.pos");
    EXPECT_TRUE(data_file_exists(dir, "BRCOW.AN"));
    EXPECT_FALSE(data_file_exists(dir, "Sasaki.an"));
    EXPECT_EQ(find_file_ignoring_case(dir, "Sasaki.an"), dir / "Sasaki.an");
    EXPECT_FALSE(data_file_exists(dir / "missing", "q.pos"));
}

}  // namespace kalidos
