#include "program/start_folders.hpp"

#include <QDir>

#include "entry/startup_files.hpp"
#include "util/data_location.hpp"

namespace kalidos::app {

StartFolders choose_start_folders(const QString& current, const std::filesystem::path& executable,
                                  const QString& lastWork, const QString& home)
{
    StartFolders folders;
    if (!missing_data_file_message(current.toStdString())) {
        folders.work = current.toStdString();
        return folders;
    }
    folders.data = default_data_directory(executable).string();
    const QString work = lastWork.isEmpty() ? QDir(home).filePath("kalidos-work") : lastWork;
    // A folder that cannot be made is left to the listings' own message at the first calculation.
    QDir().mkpath(work);
    folders.work = QDir(work).absolutePath().toStdString();
    folders.chosen = true;
    return folders;
}

QString listings_folder_text(const std::string& work)
{
    return QString("Listings (fstr.out, fstr2.out) in %1").arg(QString::fromStdString(work));
}

}  // namespace kalidos::app
