// What the tests of the XML and zip readers share: the real files, their bytes, and one read.
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

inline std::string bytes_of(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

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

// Reads `bytes`, failing the test with the reader's message when it refuses them.
inline MeasuredDiagram read_or_fail(MeasuredReader reader, const std::string& bytes, const std::string& what)
{
    MeasuredDiagram diagram;
    std::string error;
    EXPECT_TRUE(reader(bytes, diagram, error)) << what << ": " << error;
    return diagram;
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
