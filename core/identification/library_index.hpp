// The library index: one SQLite file holding, per structure file, its size and modification time
// (or why it could not be read) and, per structure block, its LibraryEntry.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "identification/library_entry.hpp"

struct sqlite3;

namespace kalidos {

// What the index remembers of a file of the library: enough to tell that it did not change.
struct FileStamp {
    long long size = 0;
    long long modified = 0;  // nanoseconds since the file clock's epoch
    bool operator==(const FileStamp&) const = default;
};

struct RefusedFile {
    std::string file;
    std::string reason;
};

FileStamp stamp_of(const std::filesystem::path& file);

class LibraryIndex {
public:
    // Opens the index file, creating it when it does not exist or is empty. Null with `error`
    // naming the file when it is no index of this program or is damaged.
    static std::unique_ptr<LibraryIndex> open(const std::filesystem::path& file, std::string& error);
    ~LibraryIndex();
    LibraryIndex(const LibraryIndex&) = delete;
    LibraryIndex& operator=(const LibraryIndex&) = delete;

    const std::filesystem::path& file() const { return file_; }

    // Every file the index knows, with its stamp when it was last read.
    std::map<std::string, FileStamp> stamps();
    // A file's structures (none when refused: `reason` says why) replace what the index held of it.
    void put_file(const std::string& file, const FileStamp& stamp, const std::vector<LibraryEntry>& entries,
                  const std::string& reason);
    void remove_file(const std::string& file);
    // Writes go in transactions: what was committed survives an interrupted run.
    void begin();
    void commit();

    std::vector<LibraryEntry> entries();
    std::vector<RefusedFile> refused_files();
    long long entry_count();

private:
    LibraryIndex(sqlite3* db, std::filesystem::path file) : db_(db), file_(std::move(file)) {}
    void execute(const char* sql);
    sqlite3* db_;
    std::filesystem::path file_;
};

// Thrown by LibraryIndex when SQLite refuses a read or write (a damaged file, a full disk); the
// text names the file.
class IndexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kalidos
