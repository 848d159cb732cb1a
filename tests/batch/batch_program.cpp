#include "batch_program.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kalidos::testing {
namespace {

std::string shell_quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string read_text_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ProgramRun run_batch_program(const std::vector<std::string>& arguments, const std::filesystem::path& directory)
{
    const std::filesystem::path out = directory / "batch.stdout";
    const std::filesystem::path err = directory / "batch.stderr";
    std::string command = "cd " + shell_quoted(directory.string()) + " && " + shell_quoted(KALIDOS_BATCH_EXECUTABLE);
    for (const std::string& argument : arguments)
        command += " " + shell_quoted(argument);
    command += " >" + shell_quoted(out.string()) + " 2>" + shell_quoted(err.string());
    const int raw = std::system(command.c_str());
    ProgramRun run;
    if (raw != -1 && WIFEXITED(raw))
        run.status = WEXITSTATUS(raw);
    run.out = read_text_file(out);
    run.err = read_text_file(err);
    return run;
}

JsonDocument::JsonDocument(std::string text) : text_(std::move(text))
{
    document_ = std::make_unique<sajson::document>(
        sajson::parse(sajson::dynamic_allocation(), sajson::mutable_string_view(text_.size(), text_.data())));
}

bool has(const sajson::value& object, const char* key)
{
    return object.get_type() == sajson::TYPE_OBJECT &&
           object.find_object_key(sajson::string(key, std::char_traits<char>::length(key))) < object.get_length();
}

sajson::value member(const sajson::value& object, const char* key)
{
    if (!has(object, key))
        throw std::runtime_error(std::string("JSON: no member ") + key);
    return object.get_value_of_key(sajson::string(key, std::char_traits<char>::length(key)));
}

double number(const sajson::value& object, const char* key) { return member(object, key).get_number_value(); }

std::string text(const sajson::value& object, const char* key) { return member(object, key).as_string(); }

std::vector<double> numbers(const sajson::value& array)
{
    std::vector<double> values;
    for (std::size_t i = 0; i < array.get_length(); ++i)
        values.push_back(array.get_array_element(i).get_number_value());
    return values;
}

}  // namespace kalidos::testing
