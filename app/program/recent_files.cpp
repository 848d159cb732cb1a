#include "program/recent_files.hpp"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "ui/messages.hpp"

namespace kalidos::app {
namespace {

const QString kKey = "recent/files";

}  // namespace

RecentFiles::RecentFiles(QMenu& menu, QSettings& settings, Messages& messages,
                         std::function<void(const std::string&)> open)
    : QObject(&menu), menu_(menu), settings_(settings), messages_(messages), open_(std::move(open))
{
    files_ = settings_.value(kKey).toStringList().mid(0, kMaximum);
    store_and_show();
}

void RecentFiles::add(const std::string& path)
{
    const QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    files_.removeAll(file);
    files_.prepend(file);
    files_ = files_.mid(0, kMaximum);
    store_and_show();
}

void RecentFiles::choose(const QString& path)
{
    if (QFileInfo(path).isFile()) {
        open_(path.toStdString());
        return;
    }
    files_.removeAll(path);
    store_and_show();
    messages_.warning("The file " + QDir::toNativeSeparators(path).toStdString() +
                      " no longer exists: it is removed from File > Recent");
}

void RecentFiles::clear()
{
    files_.clear();
    store_and_show();
}

void RecentFiles::store_and_show()
{
    settings_.setValue(kKey, files_);
    menu_.clear();
    for (int i = 0; i < files_.size(); ++i) {
        const QString path = files_.at(i);
        // The number is the item's accelerator; the full path is its tip.
        QAction* item = menu_.addAction(QString("&%1 %2").arg((i + 1) % 10).arg(QFileInfo(path).fileName()));
        item->setToolTip(path);
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] { choose(path); });
    }
    menu_.setToolTipsVisible(true);
    menu_.setEnabled(!files_.isEmpty());
}

}  // namespace kalidos::app
