// Where the window program reads its data files and writes its listings when it starts.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace kalidos::app {

struct StartFolders {
    std::string work;  // the listings fstr.out and fstr2.out and the scratch files
    std::string data;  // the data files; empty: the working folder
    // The working folder was chosen here rather than being the folder the program started in,
    // so the program says where its listings go.
    bool chosen = false;
};

// The folder the program starts in, for both, when it holds the data files (as kalidos.sh sets it
// up). Otherwise the data folder beside the installed `executable` and, for the listings,
// `lastWork` (the working folder of the last session) when given, or `home`/kalidos-work; the
// working folder is created when missing.
StartFolders choose_start_folders(const QString& current, const std::filesystem::path& executable,
                                  const QString& lastWork, const QString& home);

// "Listings (fstr.out, fstr2.out) in FOLDER": what the main window says of a chosen working folder.
QString listings_folder_text(const std::string& work);

}  // namespace kalidos::app
