// The help window: this program's help pages, opened at the topic of the window that asks.
#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace kalidos::app {

// The pages of the "Sample and profile" dialog, the refinement window and the structure window.
inline constexpr int kSampleProfileHelpTopic = 20;
inline constexpr int kRefinementHelpTopic = 22;
inline constexpr int kStructureHelpTopic = 24;

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Topics 1 (main window), 2 (diagram window), 3 (wavelengths), 14 (getting started), 17 (atom
    // grid) and 18 (anomalous grid), 20 (sample and profile), 21 (comparison), 22 (refinement), 23
    // (identification), 24 (structure window); any other topic opens the contents.
    void show_topic(int topic);
    QString page_text() const;

private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace kalidos::app
