// File › Open of the diagram window: the dialog's types, the reading, the redraw and the
// "Lambda missing" path of a Rietveld file without header.
#include "support/paths.hpp"
#include "window_fixture.hpp"

#include <QAction>
#include <cmath>
#include <fstream>

namespace kalidos::testing {
namespace {

// A CPI file with one Gaussian peak over a flat background, 2θ from `start` to `end`.
std::string write_cpi(const std::filesystem::path& path, double start, double end, double peak)
{
    std::ofstream out(path);
    const double step = 0.02;
    out << "SIETRONICS XRD SCAN\n"
        << start << "\n"
        << end << "\n"
        << step << "\nCu\n1.54060\n00:00:00\n1\n"
        << "SampleIdent measured\nSCANDATA\n";
    for (double x = start; x <= end + 1e-9; x += step)
        out << static_cast<int>(100 + 900 * std::exp(-std::pow((x - peak) / 0.2, 2))) << "\n";
    return path.string();
}

TEST_F(DiagramWindowTest, OpenReadsTheChosenKindAndDrawsIt)
{
    const auto dir = make_scratch_dir("open-cpi");
    open_window();
    dialogs.answers = {std::nullopt, app::ChosenFile{write_cpi(dir / "scan.cpi", 10, 50, 25), 4}};
    trigger("CPIformatcpi1"); // cancelled: nothing read
    EXPECT_EQ(workspace->observed.count, 0);
    trigger("CPIformatcpi1");
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].filterIndex, 4);
    ASSERT_EQ(dialogs.requests[1].filters.size(), 6u);
    EXPECT_EQ(dialogs.requests[1].filters[2].caption, "KalidoIS format");
    EXPECT_EQ(dialogs.requests[1].filters[5].patterns, "*.cpd");
    ASSERT_EQ(workspace->observed.count, 1);
    EXPECT_EQ(workspace->observed.slots[1].fileName, "scan.cpi");
    EXPECT_EQ(window->last_drawing().curveCount, 1);
    // The peak of the observed curve is drawn in red at full height.
    const QPoint top = pixel(25, 100);
    EXPECT_NE(topmost_row(window->picture(), top.x(), drawing::observed_colour(1), 1, view().baseline), -1);
    EXPECT_TRUE(messages.warnings.empty());
}

// A RAW4 file keeps the .raw name: the Bruker kind and "All diagram files" read it by content.
TEST_F(DiagramWindowTest, Raw4FileNamedRawOpensThroughTheRawKindAndAllFiles)
{
    KALIDOS_REQUIRE_REALDATA();
    const std::string co2 = (realdata_dir() / "modern/raw4/xrdpattern_CO-2.raw").string();
    open_window();
    dialogs.answers = {app::ChosenFile{co2, 0}, app::ChosenFile{co2, 0}};
    trigger("RawformatSiemens1");
    trigger("Alldiagramfiles1");
    EXPECT_EQ(messages.warnings, std::vector<std::string>{});
    ASSERT_EQ(workspace->observed.count, 2);
    EXPECT_EQ(workspace->observed.slots[1].measured->format, "raw4");
}

TEST_F(DiagramWindowTest, FirstDiagramWithoutRadiationRefreshesTheMainWindow)
{
    const auto dir = make_scratch_dir("open-first");
    workspace->model.wavelengths = WavelengthSet{};
    int refreshed = 0;
    app::DiagramServices services;
    services.messages = &messages;
    services.fileDialogs = &dialogs;
    services.radiationAdopted = [&refreshed] { ++refreshed; };
    window = std::make_unique<app::Tfplecran>(*workspace, services);
    window->show();
    dialogs.answers = {app::ChosenFile{write_cpi(dir / "first.cpd", 20, 40, 30), 5}};
    trigger("CPDformatcpd1");
    EXPECT_EQ(refreshed, 1);
    EXPECT_DOUBLE_EQ(workspace->model.wavelengths.values[1], 1.5406);
    EXPECT_NEAR(workspace->model.twoTheta1, 20, 1e-9);
    EXPECT_TRUE(window->last_drawing().drawn);
    EXPECT_NEAR(view().xmax, 40, 0.01);
}

TEST_F(DiagramWindowTest, RietveldFileWithoutHeaderAsksForTheWavelength)
{
    const auto dir = make_scratch_dir("open-rietveld");
    const auto path = dir / "neutrons.dat";
    {
        std::ofstream out(path);
        out << "\nskipped\nskipped\nskipped\n10.0 0.1 50.0\n";
        for (int i = 0; i <= 400; ++i)
            out << (i == 200 ? 900 : 100) << (i % 10 == 9 ? "\n" : " ");
        out << "\n";
    }
    int asked = 0;
    std::optional<ScanWavelengths> answer;
    app::DiagramServices services;
    services.messages = &messages;
    services.fileDialogs = &dialogs;
    services.askScanWavelengths = [&] {
        ++asked;
        return answer;
    };
    window = std::make_unique<app::Tfplecran>(*workspace, services);
    window->show();
    dialogs.answers = {app::ChosenFile{path.string(), 3}, app::ChosenFile{path.string(), 3}};
    trigger("RietVeldformatdat1"); // the dialog is cancelled
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(workspace->observed.count, 0);
    answer = ScanWavelengths{1.5406, 1.5406, 0, 0, "Cu"};
    trigger("RietVeldformatdat1");
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(workspace->observed.count, 1);
    EXPECT_DOUBLE_EQ(workspace->observed.slots[1].lambda, 1.5406);
    EXPECT_EQ(window->last_drawing().curveCount, 1);
}

}  // namespace
}  // namespace kalidos::testing

namespace kalidos::testing {
namespace {

std::string first_line(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();  // the text files are written with CR LF line ends
    return line;
}

TEST_F(DiagramWindowTest, SaveWritesTheCalculatedDiagramInTheChosenFormat)
{
    const auto dir = make_scratch_dir("save-diagram");
    open_window();
    trigger("CPIformatcpi2");  // nothing calculated: refused before the dialog
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: No calculated diagram!"}));
    EXPECT_TRUE(dialogs.requests.empty());

    add_calculated_peaks(*workspace, {30}, {80});
    dialogs.answers = {app::ChosenFile{(dir / "pattern").string(), 3}, app::ChosenFile{(dir / "pattern").string(), 0},
                       std::nullopt};
    trigger("CPIformatcpi2");
    trigger("DUNTARformatsim1");
    trigger("Kalidosformatcpd1");  // cancelled
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[0].filterIndex, 3);
    EXPECT_EQ(dialogs.requests[1].filterIndex, 0);
    EXPECT_EQ(dialogs.requests[2].filterIndex, 4);
    EXPECT_EQ(dialogs.requests[0].filters[1].caption, "Reflections file (DIF)");
    EXPECT_EQ(first_line(dir / "pattern.cpi"), "SIETRONICS XRD SCAN");
    EXPECT_EQ(first_line(dir / "pattern.sim").substr(0, 4), "RAW2");
    EXPECT_FALSE(std::filesystem::exists(dir / "pattern.cpd"));

    // The .sim file reads back through File › Open as a diagram of the same shape.
    dialogs.answers = {app::ChosenFile{(dir / "pattern.sim").string(), 2}};
    trigger("SimformatDUNTAR1");
    ASSERT_EQ(workspace->observed.count, 1);
    EXPECT_EQ(window->last_drawing().curveCount, 2);
}

}  // namespace
}  // namespace kalidos::testing
