// Start-up, the source dialog, the erase commands, the result viewers and help.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include "dialogs/help_window.hpp"
#include "dialogs/listing_viewer.hpp"
#include "dialogs/scan_wavelength_request.hpp"
#include "dialogs/tflilambda.hpp"
#include "dialogs/tflp.hpp"
#include "main_window_fixture.hpp"

namespace kalidos::app::testing {
namespace {

TEST(StartUp, LastMissingDataFileIsReportedAndEndsTheProgram)
{
    const auto dir = kalidos::testing::make_scratch_dir("startup-missing");
    std::ofstream(dir / "spgr2.dat") << "x";
    std::ofstream(dir / "BRCOW.AN") << "x";  // found without regard to case
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.string()));
    auto ws = make_workspace(dir.string());
    kalidos::testing::RecordingMessages messages;
    ScriptedFileDialogs dialogs;
    Tfmain window(*ws, {&messages, &dialogs});
    EXPECT_FALSE(window.init_creation());
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: File Csp.lst not found"}));
    QDir::setCurrent(previous);
}

TEST(StartUp, OldListingsAreDeletedAndDefaultsShown)
{
    const auto dir = kalidos::testing::make_scratch_dir("startup-defaults");
    provide_data_files(dir);
    std::ofstream(dir / "fstr.out") << "old";
    std::ofstream(dir / "fstr2.out") << "old";
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.string()));
    auto ws = make_workspace("");
    kalidos::testing::RecordingMessages messages;
    ScriptedFileDialogs dialogs;
    Tfmain window(*ws, {&messages, &dialogs});
    ASSERT_TRUE(window.init_creation());
    EXPECT_FALSE(std::filesystem::exists(dir / "fstr.out"));
    EXPECT_FALSE(std::filesystem::exists(dir / "fstr2.out"));
    EXPECT_EQ(std::filesystem::path(ws->model.startDirectory), std::filesystem::path(dir.string()));
    EXPECT_EQ(window.findChild<QLineEdit*>("Edit14")->text(), "10");
    EXPECT_EQ(window.findChild<QLineEdit*>("Edit17")->text(), "50");
    EXPECT_EQ(window.findChild<QLineEdit*>("Edit19")->text(), "0.001");
    EXPECT_EQ(window.findChild<QLineEdit*>("Edit25")->text(), "0.005");
    EXPECT_EQ(window.findChild<QLineEdit*>("Edit11")->text(), "");
    EXPECT_EQ(window.windowTitle(), "KALIDOS (15/11/03)");
    EXPECT_TRUE(messages.events.empty());
    QDir::setCurrent(previous);
}

using Commands = MainWindowTest;

TEST_F(Commands, SynchrotronPolarisationIsCheckedAndShown)
{
    child<QPushButton>("BitBtn2")->click();
    TFLP& flp = window->source_dialog();
    EXPECT_TRUE(flp.isVisible());
    auto* synchrotron = flp.findChild<QRadioButton*>("RadioGroup2Item1");
    auto* p = flp.findChild<QLineEdit*>("Edit1");
    auto* ok = flp.findChild<QPushButton*>("BitBtn1");
    ok->click();  // no source chosen: the dialog stays
    EXPECT_TRUE(flp.isVisible());
    synchrotron->click();
    EXPECT_TRUE(flp.findChild<QFrame*>("Panel1")->isVisible());
    for (const char* refused : {"1.01", "-0.1", "abc"}) {
        p->setText(refused);
        ok->click();
        EXPECT_TRUE(flp.isVisible()) << refused;
        EXPECT_EQ(messages.warnings.back(), "Erreur de frappe!");
    }
    const auto warnings = messages.warnings.size();
    p->setText("1");
    ok->click();
    EXPECT_FALSE(flp.isVisible());
    EXPECT_EQ(messages.warnings.size(), warnings);
    EXPECT_EQ(ws->model.polarisation, 1.0);
    EXPECT_EQ(ws->model.xraySource, kSynchrotronSource);
    EXPECT_EQ(child<QLabel>("Panel7")->text(), "Source: X Synchr. p=1.00");
    EXPECT_FALSE(ws->model.recalculatePending);  // consumed by the main window's refresh

    child<QPushButton>("BitBtn3")->click();
    EXPECT_EQ(child<QLabel>("Panel7")->text(), "Source: Neutrons");
    EXPECT_EQ(ws->model.radiation, kNeutrons);
    EXPECT_FALSE(child<QPushButton>("Color95Button4")->isVisibleTo(window.get()));
}

TEST_F(Commands, ViewersNeedACalculation)
{
    window->edit_resultats();
    EXPECT_EQ(messages.events, (std::vector<std::string>{"beep", "warning: No calculated diagram!"}));
    EXPECT_FALSE(window->listing_viewer().isVisible());
    ws->results.pattern.pointCount = kPatternPoints;
    std::ofstream(dir / "fstr.out") << "  h  k  l\n  1  1  1   28.44\n  2  2  0   47.30\n";
    window->edition_fstr_out();
    ListingViewer& viewer = window->listing_viewer();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_TRUE(viewer.text().contains("47.30"));
    EXPECT_TRUE(viewer.find_next("2  2  0"));
    EXPECT_FALSE(viewer.find_next("3  1  1"));
}

TEST_F(Commands, HelpOpensAtItsTopics)
{
    for (int topic : {1, 2, 3, 14, 17, 18, 23}) {
        window->aide(topic);
        EXPECT_TRUE(window->help_window().isVisible());
        EXPECT_FALSE(window->help_window().page_text().contains("KALIDOS help")) << topic;  // not the contents
    }
    // Esc closes it, as it closes the Identify and Structure windows.
    window->help_window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window->help_window()));
    QTest::keyClick(&window->help_window(), Qt::Key_Escape);
    EXPECT_FALSE(window->help_window().isVisible());
    window->aide(14);
    EXPECT_TRUE(window->help_window().page_text().contains("Getting started"));
    // U, V, W give the half width H that the profile draws at half height (Profile tests).
    EXPECT_TRUE(window->help_window().page_text().contains("FWHM = 2H"));
    window->aide(17);
    EXPECT_TRUE(window->help_window().page_text().contains("Typing atoms"));
}

TEST_F(Commands, EraseCoordinatesEmptiesTheGrids)
{
    set_cell("StringGrid1", 0, 0, "Si");
    ASSERT_TRUE(window->read_entries());
    window->rase_coordonnees();
    EXPECT_EQ(cell("StringGrid1", 0, 0), "");
    ASSERT_TRUE(window->read_entries());
    EXPECT_EQ(ws->model.atomCount, 0);
}

TEST_F(Commands, LambdaMissingDialogAnswersTheTypedWavelength)
{
    Tflilambda& dialog = window->lambda_dialog();
    QTimer::singleShot(0, [&dialog] {
        dialog.findChild<QLineEdit*>("Edit57")->setText("1.5406");
        dialog.findChild<QPushButton*>("BitBtn8")->click();
    });
    const std::optional<ScanWavelengths> answer = ask_scan_wavelengths(dialog);
    ASSERT_TRUE(answer.has_value());
    EXPECT_DOUBLE_EQ(answer->meanLambda, 1.5406);
    EXPECT_EQ(answer->anode, "?");
    EXPECT_FALSE(dialog.isVisible());

    QTimer::singleShot(0, [&dialog] { dialog.hide(); });  // closed without OK
    EXPECT_FALSE(ask_scan_wavelengths(dialog).has_value());
}

}  // namespace
}  // namespace kalidos::app::testing
