#include "identification/library_index.hpp"

#include <sqlite3.h>

#include <cstring>
#include <sstream>

namespace kalidos {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFormatName = "KALIDOS library index 1";

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS files (path TEXT PRIMARY KEY, size INTEGER NOT NULL, modified INTEGER NOT NULL,
                                  reason TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS structures (
  id INTEGER PRIMARY KEY, path TEXT NOT NULL REFERENCES files(path), block INTEGER NOT NULL,
  block_name TEXT NOT NULL, formula TEXT NOT NULL, elements TEXT NOT NULL,
  a REAL, b REAL, c REAL, alpha REAL, beta REAL, gamma REAL, space_group TEXT NOT NULL,
  zmv REAL NOT NULL, reflections BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS structures_path ON structures(path);
)";

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, const fs::path& file) : db_(db), file_(file)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            fail();
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, const std::string& text)
    {
        sqlite3_bind_text(statement_, i, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, long long number)
    {
        sqlite3_bind_int64(statement_, i, number);
        return *this;
    }
    Statement& bind(int i, double number)
    {
        sqlite3_bind_double(statement_, i, number);
        return *this;
    }
    Statement& bind_blob(int i, const void* bytes, std::size_t size)
    {
        sqlite3_bind_blob64(statement_, i, bytes, size, SQLITE_TRANSIENT);
        return *this;
    }
    // True while a row comes.
    bool step()
    {
        const int status = sqlite3_step(statement_);
        if (status == SQLITE_ROW)
            return true;
        if (status != SQLITE_DONE)
            fail();
        return false;
    }
    void run()
    {
        step();
        sqlite3_reset(statement_);
    }
    std::string text(int i) const
    {
        const auto* bytes = sqlite3_column_text(statement_, i);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes)) : std::string();
    }
    long long integer(int i) const { return sqlite3_column_int64(statement_, i); }
    double real(int i) const { return sqlite3_column_double(statement_, i); }
    std::vector<IndexedReflection> reflections(int i) const
    {
        const int size = sqlite3_column_bytes(statement_, i);
        std::vector<IndexedReflection> lines(static_cast<std::size_t>(size) / sizeof(IndexedReflection));
        if (!lines.empty())
            std::memcpy(lines.data(), sqlite3_column_blob(statement_, i), lines.size() * sizeof(IndexedReflection));
        return lines;
    }

private:
    [[noreturn]] void fail() const
    {
        throw IndexError(file_.string() + ": " + sqlite3_errmsg(db_));
    }
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    const fs::path& file_;
};

std::string joined(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::vector<std::string> split(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The format stamp of an existing index; empty when the file holds no meta table.
std::string format_of(sqlite3* db, const fs::path& file)
{
    Statement exists(db, "SELECT count(*) FROM sqlite_master WHERE name = 'meta'", file);
    if (!exists.step() || exists.integer(0) == 0)
        return {};
    Statement format(db, "SELECT value FROM meta WHERE key = 'format'", file);
    return format.step() ? format.text(0) : std::string();
}

}  // namespace

FileStamp stamp_of(const fs::path& file)
{
    std::error_code error;
    FileStamp stamp;
    stamp.size = static_cast<long long>(fs::file_size(file, error));
    const auto time = fs::last_write_time(file, error);
    stamp.modified = error ? 0 : static_cast<long long>(time.time_since_epoch().count());
    return stamp;
}

std::unique_ptr<LibraryIndex> LibraryIndex::open(const fs::path& file, std::string& error)
{
    error.clear();
    std::error_code ignored;
    const bool fresh = !fs::exists(file, ignored) || fs::file_size(file, ignored) == 0;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        error = "Cannot open the library index " + file.string() + ": " + sqlite3_errmsg(db);
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<LibraryIndex> index(new LibraryIndex(db, file));
    try {
        index->execute("PRAGMA foreign_keys = ON");
        if (fresh) {
            index->execute(kSchema);
            Statement stamp(db, "INSERT INTO meta (key, value) VALUES ('format', ?)", file);
            stamp.bind(1, std::string(kFormatName)).run();
        } else if (format_of(db, file) != kFormatName) {
            error = file.string() + " is not a library index of KALIDOS";
        }
    } catch (const IndexError& damaged) {
        error = std::string(damaged.what());
    }
    if (error.empty())
        return index;
    error = "The library index " + file.string() + " cannot be used (" + error +
            "): index the library again to rebuild it";
    return nullptr;
}

LibraryIndex::~LibraryIndex()
{
    sqlite3_close(db_);
}

void LibraryIndex::execute(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = file_.string() + ": " + (message ? message : sqlite3_errmsg(db_));
        sqlite3_free(message);
        throw IndexError(text);
    }
}

void LibraryIndex::begin()
{
    execute("BEGIN IMMEDIATE");
}

void LibraryIndex::commit()
{
    execute("COMMIT");
}

std::map<std::string, FileStamp> LibraryIndex::stamps()
{
    std::map<std::string, FileStamp> known;
    Statement rows(db_, "SELECT path, size, modified FROM files", file_);
    while (rows.step())
        known[rows.text(0)] = FileStamp{rows.integer(1), rows.integer(2)};
    return known;
}

void LibraryIndex::remove_file(const std::string& file)
{
    Statement structures(db_, "DELETE FROM structures WHERE path = ?", file_);
    structures.bind(1, file).run();
    Statement files(db_, "DELETE FROM files WHERE path = ?", file_);
    files.bind(1, file).run();
}

void LibraryIndex::put_file(const std::string& file, const FileStamp& stamp, const std::vector<LibraryEntry>& entries,
                            const std::string& reason)
{
    remove_file(file);
    Statement files(db_, "INSERT INTO files (path, size, modified, reason) VALUES (?, ?, ?, ?)", file_);
    files.bind(1, file).bind(2, stamp.size).bind(3, stamp.modified).bind(4, reason).run();
    Statement add(db_,
                  "INSERT INTO structures (path, block, block_name, formula, elements, a, b, c, alpha, beta, gamma, "
                  "space_group, zmv, reflections) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  file_);
    for (const LibraryEntry& e : entries) {
        add.bind(1, file).bind(2, static_cast<long long>(e.block)).bind(3, e.blockName).bind(4, e.formula);
        add.bind(5, joined(e.elements));
        for (int i = 0; i < 6; ++i)
            add.bind(6 + i, e.cell[i]);
        add.bind(12, e.group).bind(13, e.zmv);
        add.bind_blob(14, e.reflections.data(), e.reflections.size() * sizeof(IndexedReflection)).run();
    }
}

std::vector<LibraryEntry> LibraryIndex::entries()
{
    std::vector<LibraryEntry> all;
    Statement rows(db_,
                   "SELECT id, path, block, block_name, formula, elements, a, b, c, alpha, beta, gamma, space_group, "
                   "zmv, reflections FROM structures ORDER BY path, block",
                   file_);
    while (rows.step()) {
        LibraryEntry& e = all.emplace_back();
        e.id = rows.integer(0);
        e.file = rows.text(1);
        e.block = static_cast<int>(rows.integer(2));
        e.blockName = rows.text(3);
        e.formula = rows.text(4);
        e.elements = split(rows.text(5));
        for (int i = 0; i < 6; ++i)
            e.cell[i] = rows.real(6 + i);
        e.group = rows.text(12);
        e.zmv = rows.real(13);
        e.reflections = rows.reflections(14);
    }
    return all;
}

std::vector<RefusedFile> LibraryIndex::refused_files()
{
    std::vector<RefusedFile> refused;
    Statement rows(db_, "SELECT path, reason FROM files WHERE reason != '' ORDER BY path", file_);
    while (rows.step())
        refused.push_back({rows.text(0), rows.text(1)});
    return refused;
}

long long LibraryIndex::entry_count()
{
    Statement count(db_, "SELECT count(*) FROM structures", file_);
    return count.step() ? count.integer(0) : 0;
}

}  // namespace kalidos
