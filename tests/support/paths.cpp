#include "support/paths.hpp"

#include <unistd.h>

namespace kalidos::testing {

std::filesystem::path make_scratch_dir(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kalidos-test-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace kalidos::testing
