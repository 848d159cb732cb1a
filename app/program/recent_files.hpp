// File › Recent: the last structure files read, kept between sessions.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <string>

class QMenu;
class QSettings;

namespace kalidos {
class Messages;
}

namespace kalidos::app {

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaximum = 10;

    // Fills `menu` from `settings`; a chosen item is read with `open`.
    RecentFiles(QMenu& menu, QSettings& settings, Messages& messages, std::function<void(const std::string&)> open);

    // A structure read: first in the list, kept in the settings.
    void add(const std::string& path);
    // Chooses the item of `path`: a file gone since is removed from the list with a message.
    void choose(const QString& path);
    void clear();
    const QStringList& files() const { return files_; }

private:
    void store_and_show();

    QMenu& menu_;
    QSettings& settings_;
    Messages& messages_;
    std::function<void(const std::string&)> open_;
    QStringList files_;
};

}  // namespace kalidos::app
