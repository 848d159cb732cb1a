#include "calculated_structure.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "batch_calculation.hpp"
#include "support/paths.hpp"

namespace kalidos::testing {

std::filesystem::path example_structure(const char* name)
{
    return program_data_dir().parent_path() / "examples" / name;
}

std::unique_ptr<Workspace> calculated_structure(const std::filesystem::path& file, const batch::BatchOptions& settings)
{
    auto workspace = batch::make_memory_workspace();
    std::ostringstream err;
    batch::StreamMessages messages(err, false);
    batch::BatchOptions options = settings;
    options.structureFile = file.string();
    EXPECT_EQ(batch::load_and_calculate(*workspace, options, program_data_dir(), messages), 0) << err.str();
    return workspace;
}

}  // namespace kalidos::testing
