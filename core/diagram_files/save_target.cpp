#include "diagram_files/save_target.hpp"

#include <filesystem>
#include <fstream>

#include "diagram_files/scan_reading.hpp"

namespace kalidos {

std::string with_extension(const std::string& name, const std::string& extension)
{
    return name.find(extension) == std::string::npos ? name + extension : name;
}

bool check_calculated_diagram(const CalculatedPattern& pattern, Messages& messages)
{
    if (pattern.pointCount > 0)
        return true;
    beep_and_warn(messages, "No calculated diagram!");
    return false;
}

std::optional<std::string> choose_target(const FileNameChooser& chooseName, const std::string& extension,
                                         Messages& messages)
{
    const std::string chosen = chooseName ? chooseName() : std::string();
    if (chosen.empty())
        return std::nullopt;
    const std::string path = with_extension(chosen, extension);
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        messages.beep();
        if (messages.ask("This file already exists. Do you want to continue?") != Answer::Yes)
            return std::nullopt;
    }
    return path;
}

bool write_target(const std::string& path, const std::string& contents, Messages& messages)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
        refuse_file(messages, path, "the file cannot be written");
        return false;
    }
    return true;
}

std::string file_time_text(const Workspace& workspace)
{
    return workspace.clock ? workspace.clock() : current_date_time_text();
}

}  // namespace kalidos
