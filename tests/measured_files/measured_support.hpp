// Reading real and fixture files in the tests of the measured-format readers.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diagram_files/measured_readers.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {

using MeasuredReader = bool (*)(std::string_view, MeasuredDiagram&, std::string&);

inline std::string file_bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::filesystem::path real_file(const std::string& relative) { return realdata_dir() / relative; }

// Reads `bytes` and fails the test, with the reader's refusal, when it does not read.
inline MeasuredDiagram read_or_fail(MeasuredReader reader, std::string_view bytes, const std::string& what)
{
    MeasuredDiagram diagram;
    std::string error;
    EXPECT_TRUE(reader(bytes, diagram, error)) << what << ": " << error;
    return diagram;
}

// The x and y columns of a file as xylib reads them (block `block`); empty without xylib.
struct XyColumns {
    std::vector<double> x, y, z;
};
XyColumns xylib_columns(const std::filesystem::path& path, const char* format, int block = 0);

}  // namespace kalidos::testing
