// The help window: this program's help pages, opened at the topic of the window that asks.
#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace kalidos::app {

// The page of the "Sample and profile" dialog.
inline constexpr int kSampleProfileHelpTopic = 20;

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Topics 1 (main window), 3 (wavelengths), 14 (getting started), 17 (atom grid) and 18
    // (anomalous grid), 20 (sample and profile); any other topic opens the contents.
    void show_topic(int topic);
    QString page_text() const;

private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace kalidos::app
