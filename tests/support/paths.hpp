// Where the tests find data: the program's data files, their own fixtures and the real files.
#pragma once

#include <filesystem>
#include <string>

namespace kalidos::testing {

inline std::filesystem::path program_data_dir() { return KALIDOS_DATA_DIR; }
inline std::filesystem::path test_data_dir() { return KALIDOS_TEST_DATA_DIR; }

// The real files written by other software; absent outside CI and the developers' machines.
inline std::filesystem::path realdata_dir() { return KALIDOS_REALDATA_DIR; }
inline bool have_realdata() { return std::filesystem::is_directory(realdata_dir()); }

// A fresh, empty folder under the system's temporary directory for one test.
std::filesystem::path make_scratch_dir(const std::string& name);

}  // namespace kalidos::testing

// Skips the current test when the real files are not there.
#define KALIDOS_REQUIRE_REALDATA()                                                   \
    do {                                                                             \
        if (!::kalidos::testing::have_realdata())                                    \
            GTEST_SKIP() << "skipped: no real data at " << KALIDOS_REALDATA_DIR;     \
    } while (0)
