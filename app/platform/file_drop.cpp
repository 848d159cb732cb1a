#include "platform/file_drop.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace kalidos::app {
namespace {

QString first_local_file(const QMimeData* data)
{
    if (data == nullptr)
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

// Watches the window's own drag and drop events.
class FileDropFilter : public QObject {
public:
    FileDropFilter(QWidget& window, std::function<void(const std::string&)> open)
        : QObject(&window), open_(std::move(open))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter) {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if (!first_local_file(enter->mimeData()).isEmpty())
                enter->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = first_local_file(drop->mimeData());
            if (file.isEmpty())
                return true;
            drop->acceptProposedAction();
            open_(file.toStdString());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const std::string&)> open_;
};

}  // namespace

void accept_file_drops(QWidget& window, std::function<void(const std::string&)> open)
{
    window.setAcceptDrops(true);
    window.installEventFilter(new FileDropFilter(window, std::move(open)));
}

}  // namespace kalidos::app
