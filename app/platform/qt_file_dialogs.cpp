#include "platform/qt_file_dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace kalidos::app {

std::string qt_filter_text(const std::vector<FileFilter>& filters)
{
    std::string text;
    for (const auto& filter : filters) {
        if (!text.empty())
            text += ";;";
        text += filter.caption + " (" + filter.patterns + ")";
    }
    return text;
}

std::optional<ChosenFile> QtFileDialogs::open_file(const FileRequest& request)
{
    return run(request, false);
}

std::optional<ChosenFile> QtFileDialogs::save_file(const FileRequest& request)
{
    return run(request, true);
}

std::optional<ChosenFile> QtFileDialogs::open_folder(const FileRequest& request)
{
    const QString folder = QFileDialog::getExistingDirectory(
        parent_, QString::fromStdString(request.title),
        request.directory.empty() ? QDir::currentPath() : QString::fromStdString(request.directory));
    if (folder.isEmpty())
        return std::nullopt;
    return ChosenFile{folder.toStdString(), 0};
}

std::optional<ChosenFile> QtFileDialogs::run(const FileRequest& request, bool saving)
{
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite questions where it needs them.
    if (saving)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters =
        QString::fromStdString(qt_filter_text(request.filters)).split(QStringLiteral(";;"));
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 0 && request.filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex));
    dialog.setDirectory(request.directory.empty() ? QDir::currentPath()
                                                  : QString::fromStdString(request.directory));
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ChosenFile{dialog.selectedFiles().constFirst().toStdString(),
                      static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

}  // namespace kalidos::app
