// A diagram window over a sample workspace, with recorded messages, dialogs and list selections.
#pragma once

#include "diagram/picture_widget.hpp"
#include "diagram/tfplecran.hpp"
#include "drawing/palette.hpp"
#include "platform/scripted_file_dialogs.hpp"
#include "sample_workspace.hpp"
#include "support/recording_messages.hpp"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace kalidos::testing {

class DiagramWindowTest : public ::testing::Test {
  protected:
    void open_window(std::function<bool(QPrinter&)> printDialog = {})
    {
        app::DiagramServices services;
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        services.printDialog = std::move(printDialog);
        services.selectResultLine = [this](int index) { selectedRows.push_back(index); };
        services.showHelp = [this](int topic) { helpTopics.push_back(topic); };
        services.askScanWavelengths = [this] { return givenWavelengths; };
        window = std::make_unique<app::Tfplecran>(*workspace, services);
        window->resize(1040, 420);
        window->show();
        window->dessine();
    }
    app::PictureWidget* image() const { return window->findChild<app::PictureWidget*>("Image1"); }
    const drawing::DiagramView& view() const { return window->last_drawing().view; }
    QPoint pixel(double x, double intensity) const
    {
        const drawing::Pixel p = drawing::point_ecran(view(), x, intensity);
        return {p.x, p.y};
    }
    QColor colour_at(QPoint p) const { return window->picture().pixelColor(p); }
    void trigger(const char* action);
    // The workspace calculated, its pattern written into `dir` as the measured scan rock_salt.cpi and
    // opened as the window's observed diagram, as a user would.
    void open_calculation_as_scan(const std::filesystem::path& dir);

    std::unique_ptr<Workspace> workspace = make_empty_workspace();
    RecordingMessages messages;
    app::ScriptedFileDialogs dialogs;
    std::vector<int> selectedRows;
    std::vector<int> helpTopics;
    std::optional<ScanWavelengths> givenWavelengths;  // the Lambda missing dialog's answer; none = cancelled
    std::unique_ptr<app::Tfplecran> window;
};

// The topmost row of `column` painted in `colour` between rows `from` and `to`; −1 when none.
int topmost_row(const QImage& picture, int column, const QColor& colour, int from, int to);

}  // namespace kalidos::testing
