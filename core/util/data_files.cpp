#include "util/data_files.hpp"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace kalidos {
namespace {

bool same_ignoring_case(const std::string& left, const std::string& right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::filesystem::path find_file_ignoring_case(const std::filesystem::path& directory, const std::string& name)
{
    const std::filesystem::path exact = directory / name;
    std::error_code error;
    if (std::filesystem::exists(exact, error))
        return exact;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        if (same_ignoring_case(entry.path().filename().string(), name))
            return entry.path();
    }
    return exact;
}

bool data_file_exists(const std::filesystem::path& directory, const std::string& name)
{
    std::error_code error;
    return std::filesystem::is_regular_file(find_file_ignoring_case(directory, name), error);
}

}  // namespace kalidos
