// File dialogs that answer from a script: for tests and for driving the windows without a user.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "platform/file_dialogs.hpp"

namespace kalidos::app {

// Each call takes the next answer (nullopt = the user cancelled) and records the request it was shown.
class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<ChosenFile> open_file(const FileRequest& request) override { return next(request); }
    std::optional<ChosenFile> save_file(const FileRequest& request) override { return next(request); }
    std::optional<ChosenFile> open_folder(const FileRequest& request) override { return next(request); }

    std::deque<std::optional<ChosenFile>> answers;
    std::vector<FileRequest> requests;

private:
    std::optional<ChosenFile> next(const FileRequest& request)
    {
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace kalidos::app
