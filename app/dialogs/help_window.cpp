#include "dialogs/help_window.hpp"

#include <QAction>
#include <QFile>
#include <QTextBrowser>
#include <QUrl>

// Resources of a static library are registered by name, outside any namespace.
static void init_help_resources() { Q_INIT_RESOURCE(help); }

namespace kalidos::app {

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent)
{
    init_help_resources();
    setObjectName("HelpWindow");
    setWindowFlag(Qt::Window);
    setWindowTitle("KALIDOS help");
    browser_ = new QTextBrowser;
    browser_->setObjectName("HelpText");
    browser_->setSearchPaths({":/help"});
    setCentralWidget(browser_);
    auto* close = new QAction(this);
    close->setObjectName("CloseHelp");
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence::Close});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    resize(560, 480);
}

void HelpWindow::show_topic(int topic)
{
    const QString page = QString("topic%1.html").arg(topic);
    browser_->setSource(QUrl(QFile::exists(":/help/" + page) ? page : QString("contents.html")));
    show();
    raise();
}

QString HelpWindow::page_text() const { return browser_->toPlainText(); }

}  // namespace kalidos::app
