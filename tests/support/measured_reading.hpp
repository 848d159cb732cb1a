// What the tests of the measured-diagram readers share: a file's bytes and one checked read.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "diagram_files/measured_readers.hpp"

namespace kalidos::testing {

using MeasuredReader = bool (*)(std::string_view, MeasuredDiagram&, std::string&);

inline std::string file_bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Reads `bytes` and fails the test, with the reader's refusal, when it does not read.
inline MeasuredDiagram read_or_fail(MeasuredReader reader, std::string_view bytes, const std::string& what)
{
    MeasuredDiagram diagram;
    std::string error;
    EXPECT_TRUE(reader(bytes, diagram, error)) << what << ": " << error;
    return diagram;
}

}  // namespace kalidos::testing
