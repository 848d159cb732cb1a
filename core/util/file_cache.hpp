// What a data file gives, read once per process and kept while the file stays the same.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <cstdint>
#include <string>
#include <system_error>

namespace kalidos {

// The same data file (space-group catalogue, settings lists) was read and parsed again for every
// structure: over many small structures that was a tenth of the time. The value read for
// (file, key) is kept with the file's modification time and size, and read again when either
// changes, so an edited data file is still seen. Safe to call from several threads at once.
template <class T, class Read>
std::shared_ptr<const T> read_file_once(const std::filesystem::path& file, const std::string& key, Read read)
{
    struct Entry {
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
        std::shared_ptr<const T> value;
    };
    static std::mutex mutex;
    static std::map<std::string, Entry> entries;
    std::error_code error;
    const std::filesystem::file_time_type time = std::filesystem::last_write_time(file, error);
    const std::uintmax_t size = error ? 0 : std::filesystem::file_size(file, error);
    if (error)  // missing or unreadable: read each time, nothing kept
        return std::make_shared<const T>(read());
    const std::string name = file.string() + '\n' + key;
    {
        std::lock_guard lock(mutex);
        const auto found = entries.find(name);
        if (found != entries.end() && found->second.time == time && found->second.size == size)
            return found->second.value;
    }
    auto value = std::make_shared<const T>(read());
    std::lock_guard lock(mutex);
    entries[name] = Entry{time, size, value};
    return value;
}

}  // namespace kalidos
