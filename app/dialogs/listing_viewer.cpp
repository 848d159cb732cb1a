#include "dialogs/listing_viewer.hpp"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace kalidos::app {

ListingViewer::ListingViewer(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("ListingViewer");
    setWindowFlag(Qt::Window);
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel("Find:"));
    search_ = new QLineEdit;
    search_->setObjectName("SearchText");
    auto* next = new QPushButton("Next");
    next->setObjectName("FindNext");
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(next);
    text_ = new QPlainTextEdit;
    text_->setObjectName("ListingText");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addLayout(searchRow);
    column->addWidget(text_, 1);
    setCentralWidget(central);
    connect(next, &QPushButton::clicked, this, [this] { find_next(search_->text()); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { find_next(search_->text()); });
    resize(820, 600);
}

void ListingViewer::show_file(const QString& path)
{
    QFile file(path);
    setWindowTitle(QFileInfo(path).fileName());
    if (file.open(QIODevice::ReadOnly))
        text_->setPlainText(QString::fromLatin1(file.readAll()).remove(QLatin1Char('\r')));
    else
        text_->setPlainText(QString("Cannot read %1").arg(path));
    text_->moveCursor(QTextCursor::Start);
    show();
    raise();
}

bool ListingViewer::find_next(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (text_->find(text))
        return true;
    text_->moveCursor(QTextCursor::Start);
    return text_->find(text);
}

QString ListingViewer::text() const { return text_->toPlainText(); }

}  // namespace kalidos::app
