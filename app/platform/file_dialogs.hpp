// Choosing files: the open and save dialogs behind an interface that tests replace.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalidos::app {

// One line of a dialog's type list: caption and patterns, e.g. {"Structure files", "*.cry"}.
struct FileFilter {
    std::string caption;
    std::string patterns;  // blank-separated glob patterns
};

struct FileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    int filterIndex = 0;            // the filter selected when the dialog opens, from 0
    std::string directory;          // where the dialog opens; empty: the current directory
    std::string fileName;           // proposed name (save dialogs)
    std::string defaultExtension;   // added to a typed name without extension, without the dot
};

// What a dialog returned: the full path and the filter the user ended on.
struct ChosenFile {
    std::string path;
    int filterIndex = 0;
};

// A cancelled dialog returns nothing; callers then change nothing.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<ChosenFile> open_file(const FileRequest& request) = 0;
    virtual std::optional<ChosenFile> save_file(const FileRequest& request) = 0;
    // A folder (the path of the ChosenFile); the filters are not used.
    virtual std::optional<ChosenFile> open_folder(const FileRequest& request) = 0;
};

// The filter text Qt's dialogs take: "Caption (*.a *.b)" lines joined by ";;".
std::string qt_filter_text(const std::vector<FileFilter>& filters);

}  // namespace kalidos::app
