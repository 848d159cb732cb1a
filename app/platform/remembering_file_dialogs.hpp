// File dialogs that open in the folder their last choice was made in, between sessions.
#pragma once

#include "platform/file_dialogs.hpp"

class QSettings;

namespace kalidos::app {

// Wraps the program's dialogs: each dialog (told apart by its title) opens in the folder of the
// file last chosen in it, kept in `settings`; until one is chosen it opens where the window asks.
class RememberingFileDialogs : public FileDialogs {
public:
    RememberingFileDialogs(FileDialogs& dialogs, QSettings& settings) : dialogs_(dialogs), settings_(settings) {}

    std::optional<ChosenFile> open_file(const FileRequest& request) override;
    std::optional<ChosenFile> save_file(const FileRequest& request) override;
    std::optional<ChosenFile> open_folder(const FileRequest& request) override;

private:
    FileRequest with_last_folder(const FileRequest& request) const;
    void remember(const FileRequest& request, const std::optional<ChosenFile>& chosen);

    FileDialogs& dialogs_;
    QSettings& settings_;
};

}  // namespace kalidos::app
