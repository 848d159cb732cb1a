// Running the kalidos-batch program as a user would, and reading its JSON document.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gemmi/third_party/sajson.h>

namespace kalidos::testing {

struct ProgramRun {
    int status = -1;     // exit status; -1 when the program did not exit normally
    std::string out;     // standard output
    std::string err;     // standard error
};

// Runs kalidos-batch with `arguments` in `directory`, standard output and error captured.
ProgramRun run_batch_program(const std::vector<std::string>& arguments, const std::filesystem::path& directory);

std::string read_text_file(const std::filesystem::path& path);

// A parsed JSON text; the value tree stays valid as long as the object lives.
class JsonDocument {
public:
    explicit JsonDocument(std::string text);
    bool valid() const { return document_->is_valid(); }
    std::string error() const { return document_->get_error_message_as_string(); }
    sajson::value root() const { return document_->get_root(); }

private:
    std::string text_;
    std::unique_ptr<sajson::document> document_;
};

// Members of an object; `member` throws when the key is missing (sajson itself would assert).
bool has(const sajson::value& object, const char* key);
sajson::value member(const sajson::value& object, const char* key);
double number(const sajson::value& object, const char* key);
std::string text(const sajson::value& object, const char* key);
std::vector<double> numbers(const sajson::value& array);

}  // namespace kalidos::testing
