#include "platform/remembering_file_dialogs.hpp"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kalidos::app {
namespace {

QString folder_key(const FileRequest& request)
{
    // Slashes would make groups of the key.
    return "dialogs/" + QString::fromStdString(request.title).replace('/', '_');
}

}  // namespace

std::optional<ChosenFile> RememberingFileDialogs::open_file(const FileRequest& request)
{
    auto chosen = dialogs_.open_file(with_last_folder(request));
    remember(request, chosen);
    return chosen;
}

std::optional<ChosenFile> RememberingFileDialogs::save_file(const FileRequest& request)
{
    auto chosen = dialogs_.save_file(with_last_folder(request));
    remember(request, chosen);
    return chosen;
}

std::optional<ChosenFile> RememberingFileDialogs::open_folder(const FileRequest& request)
{
    auto chosen = dialogs_.open_folder(with_last_folder(request));
    remember(request, chosen);
    return chosen;
}

FileRequest RememberingFileDialogs::with_last_folder(const FileRequest& request) const
{
    FileRequest changed = request;
    const QString folder = settings_.value(folder_key(request)).toString();
    if (!folder.isEmpty() && QDir(folder).exists())
        changed.directory = folder.toStdString();
    return changed;
}

void RememberingFileDialogs::remember(const FileRequest& request, const std::optional<ChosenFile>& chosen)
{
    if (chosen && !chosen->path.empty())
        settings_.setValue(folder_key(request), QFileInfo(QString::fromStdString(chosen->path)).absolutePath());
}

}  // namespace kalidos::app
