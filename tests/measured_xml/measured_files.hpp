// What the tests of the XML and zip readers share beside the common reading: the real files and refusals.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diagram_files/measured_readers.hpp"
#include "support/measured_reading.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {

// The real files of one folder of modern/ whose names end in `extension`, sorted.
inline std::vector<std::filesystem::path> modern_files(const std::string& folder, const std::string& extension)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(realdata_dir() / "modern" / folder))
        if (entry.path().extension() == extension)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The message of a refusal; empty (and a failed test) when the reader accepts the bytes.
inline std::string refusal(MeasuredReader reader, const std::string& bytes)
{
    MeasuredDiagram diagram;
    std::string error;
    EXPECT_FALSE(reader(bytes, diagram, error));
    EXPECT_FALSE(error.empty());
    return error;
}

}  // namespace kalidos::testing
