// The listing viewer: fstr2.out or fstr.out, read-only in a fixed-pitch font, with a search line.
#pragma once

#include <QMainWindow>

class QLineEdit;
class QPlainTextEdit;

namespace kalidos::app {

class ListingViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit ListingViewer(QWidget* parent = nullptr);

    // Loads the file as it is now and shows it; an unreadable file shows a line saying so.
    void show_file(const QString& path);
    // Selects the next occurrence of the text after the cursor, wrapping to the top once.
    bool find_next(const QString& text);
    QString text() const;

private:
    QPlainTextEdit* text_ = nullptr;
    QLineEdit* search_ = nullptr;
};

}  // namespace kalidos::app
