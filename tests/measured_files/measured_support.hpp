// Reading real and fixture files in the tests of the measured-format readers.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diagram_files/measured_readers.hpp"
#include "support/measured_reading.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {

inline std::filesystem::path real_file(const std::string& relative) { return realdata_dir() / relative; }

// The x and y columns of a file as xylib reads them (block `block`); empty without xylib.
struct XyColumns {
    std::vector<double> x, y, z;
};
XyColumns xylib_columns(const std::filesystem::path& path, const char* format, int block = 0);

}  // namespace kalidos::testing
