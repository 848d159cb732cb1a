// What leaves the window: saved pictures, the clipboard, the printed page as PDF, and the PNG
// pictures of the window and of the page written into the build folder for a look.
#include "diagram/tfdifference.hpp"
#include "diagram/tfprint.hpp"
#include "drawing/print_page.hpp"
#include "support/paths.hpp"
#include "window_fixture.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace kalidos::testing {
namespace {

std::string read_all(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path picture_dir()
{
    std::filesystem::create_directories(KALIDOS_PICTURE_DIR);
    return KALIDOS_PICTURE_DIR;
}

// The first MediaBox of a PDF: width and height in points.
std::pair<double, double> media_box(const std::string& pdf)
{
    std::smatch match;
    const std::regex box(R"(/MediaBox\s*\[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])");
    if (!std::regex_search(pdf, match, box))
        return {0, 0};
    return {std::stod(match[1]), std::stod(match[2])};
}

TEST_F(DiagramWindowTest, SaveImageWritesEachFormatAndReportsTheName)
{
    add_calculated_peaks(*workspace, {30}, {80});
    open_window();
    const auto dir = make_scratch_dir("diagram-pictures");
    const std::string bare = (dir / "diagram").string();
    dialogs.answers = {app::ChosenFile{bare, 0}, app::ChosenFile{(dir / "d.png").string(), 0},
                       app::ChosenFile{(dir / "d.svg").string(), 0},
                       app::ChosenFile{(dir / "d.pdf").string(), 0}, std::nullopt};
    for (int i = 0; i < 5; ++i)
        trigger("Saveimage1");
    ASSERT_EQ(dialogs.requests.size(), 5u);
    EXPECT_EQ(dialogs.requests[0].filters.front().caption, "Bitmaps");
    EXPECT_EQ(dialogs.requests[0].filters.front().patterns, "*.bmp");
    ASSERT_EQ(messages.warnings.size(), 4u); // the cancelled dialog says nothing
    EXPECT_EQ(messages.warnings[0], "The picture was save in the " + bare + ".bmp file");

    const QImage bitmap(QString::fromStdString(bare + ".bmp"));
    EXPECT_EQ(bitmap.size(), window->picture().size());
    EXPECT_EQ(read_all(bare + ".bmp").substr(0, 2), "BM");
    EXPECT_EQ(QImage(QString::fromStdString((dir / "d.png").string())).size(), window->picture().size());
    const std::string svg = read_all(dir / "d.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Calculated"), std::string::npos);
    const std::string pdf = read_all(dir / "d.pdf");
    EXPECT_EQ(pdf.substr(0, 4), "%PDF");
    const auto [width, height] = media_box(pdf);
    EXPECT_NEAR(width, window->picture().width(), 1);
    EXPECT_NEAR(height, window->picture().height(), 1);
}

TEST_F(DiagramWindowTest, CopyPicturePutsTheDiagramOnTheClipboardOnlyWhenAsked)
{
    add_calculated_peaks(*workspace, {30}, {80});
    QApplication::clipboard()->setText("kept");
    open_window();
    trigger("Calculateddiagram1");
    window->dessine();
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    trigger("Copypicture1");
    EXPECT_EQ(QApplication::clipboard()->image().size(), window->picture().size());
}

TEST_F(DiagramWindowTest, PrintedPageGoesToPdfAsOneLandscapePageAndTrimsTheTitle)
{
    add_calculated_peaks(*workspace, {20, 30}, {100, 50});
    add_observed_peak(*workspace, "first.raw", 20.5, 50);
    const auto dir = make_scratch_dir("diagram-print");
    const std::string pdfPath = (dir / "page.pdf").string();
    bool confirm = false;
    int dialogs_shown = 0;
    open_window([&](QPrinter& printer) {
        ++dialogs_shown;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdfPath));
        return confirm;
    });
    trigger("ImpressionDiagramme1");
    app::Tfprint& dialog = window->print_window();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Print ");
    dialog.findChild<QLineEdit*>("Edit1")->setText("Comment line");

    // A cancelled print dialog prints nothing and leaves the comment dialog open.
    dialog.findChild<QPushButton*>("BitBtn1")->click();
    EXPECT_EQ(dialogs_shown, 1);
    EXPECT_FALSE(std::filesystem::exists(pdfPath));
    EXPECT_TRUE(dialog.isVisible());

    confirm = true;
    dialog.findChild<QPushButton*>("BitBtn1")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(workspace->model.title, "Sample structure");
    const std::string pdf = read_all(pdfPath);
    ASSERT_EQ(pdf.substr(0, 4), "%PDF");
    const auto [width, height] = media_box(pdf);
    EXPECT_NEAR(width, 841.9, 1); // A4 landscape in points
    EXPECT_NEAR(height, 595.3, 1);
    EXPECT_EQ(std::count(pdf.begin(), pdf.end(), '\n') > 0, true);
    std::size_t pages = 0;
    for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
         at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_EQ(pages, 1u);
}

// Pictures for a look: the window after a calculation with two observed diagrams, in 2θ and in Q,
// the difference window, and the printed page.
TEST_F(DiagramWindowTest, WritesPicturesOfTheWindowAndOfThePrintedPage)
{
    add_calculated_peaks(*workspace, {18.3, 26.1, 30.0, 30.2, 37.4, 44.9}, {35, 100, 60, 40, 25, 15});
    add_observed_peak(*workspace, "measured_1.raw", 26.3, 60);
    add_observed_peak(*workspace, "measured_2.cpi", 30.1, 40);
    open_window();
    window->set_selected_reflection(2);
    trigger("Difference1");
    window->dessine();
    const auto dir = picture_dir();
    ASSERT_TRUE(window->grab().save(QString::fromStdString((dir / "diagram_window_2theta.png").string())));
    ASSERT_TRUE(window->difference_window().grab().save(
        QString::fromStdString((dir / "difference_window.png").string())));

    workspace->abscissaMode = AbscissaMode::Q;
    trigger("Squareroot1");
    window->dessine();
    ASSERT_TRUE(window->grab().save(QString::fromStdString((dir / "diagram_window_q.png").string())));

    QImage page(drawing::kPageWidthDots, drawing::kPageHeightDots, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    drawing::render_print_page(
        painter, *workspace,
        {AbscissaMode::TwoTheta, drawing::IntensityScale::Linear, 1.0, "Two measured diagrams"});
    painter.end();
    ASSERT_TRUE(
        page.scaled(page.width() / 2, page.height() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .save(QString::fromStdString((dir / "printed_page.png").string())));
    EXPECT_TRUE(std::filesystem::exists(dir / "printed_page.png"));
}

}  // namespace
}  // namespace kalidos::testing
