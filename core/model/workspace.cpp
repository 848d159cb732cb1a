#include "model/workspace.hpp"

#include <ctime>

namespace kalidos {

std::string current_date_time_text()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
    return text;
}

std::unique_ptr<Workspace> make_workspace(const std::string& startDirectory)
{
    auto workspace = std::make_unique<Workspace>();
    workspace->model.startDirectory = startDirectory;
    workspace->clock = current_date_time_text;
    return workspace;
}

}  // namespace kalidos
