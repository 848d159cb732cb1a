// The program's desktop habits: files dropped on either window, File › Recent and the other
// remembered settings across a restart (in a settings file of the test's own, never the user's),
// the last folder of a file dialog, and the folders chosen at start.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include "main_window_fixture.hpp"
#include "platform/remembering_file_dialogs.hpp"
#include "program/program.hpp"
#include "program/recent_files.hpp"
#include "program/remembered_settings.hpp"
#include "program/start_folders.hpp"

namespace kalidos::app::testing {
namespace {

std::string example(const char* name)
{
    return (kalidos::testing::program_data_dir().parent_path() / "examples" / name).string();
}

void drop_file(QWidget& window, const std::string& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

class DesktopHabitsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = kalidos::testing::make_scratch_dir(std::string("habits-") + info->name());
        previous = QDir::currentPath();
        provide_data_files(dir);
        QDir::setCurrent(QString::fromStdString(dir.string()));
        settingsFile = QString::fromStdString((dir / "settings.ini").string());
    }
    void TearDown() override
    {
        stop();
        QDir::setCurrent(previous);
    }
    // A session: the program over the test's settings file, as main.cpp starts it.
    void start()
    {
        settings = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
        program = std::make_unique<Program>(dir.string(), messages, dialogs, nullptr);
        program->remember_with(*settings);
        ASSERT_TRUE(program->start());
        program->open_at_start("", "");
    }
    void stop()
    {
        if (program)
            program->store_settings();
        program.reset();
        settings.reset();
    }
    QStringList recent_items()
    {
        QStringList items;
        for (QAction* action : program->main_window().findChild<QMenu*>("Recent1")->actions())
            items << action->data().toString();
        return items;
    }

    std::filesystem::path dir;
    QString previous, settingsFile;
    kalidos::testing::RecordingMessages messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<Program> program;
};

TEST_F(DesktopHabitsTest, DroppedFilesOpenAsTheirKindsOpenThem)
{
    start();
    drop_file(program->main_window(), example("quartz.cry"));
    EXPECT_EQ(program->workspace().model.atomCount, 2);
    EXPECT_EQ(program->workspace().model.title, "alpha-Quartz SiO2");
    program->main_window().choose_anode_named("CuKa1");
    program->main_window().findChild<QPushButton*>("BitBtn1")->click();
    ASSERT_GT(program->workspace().results.pattern.pointCount, 0);

    // A CPI scan (its wavelength stated) dropped on the diagram window is read and drawn.
    const std::string scan = (dir / "scan.cpi").string();
    std::ofstream(scan) << "SIETRONICS XRD SCAN\n20\n20.1\n0.02\nCu\n1.54060\n00:00:00\n1\nSampleIdent s\nSCANDATA\n"
                        << "10\n20\n90\n20\n10\n10\n";
    drop_file(program->diagram_window(), scan);
    EXPECT_EQ(program->workspace().observed.count, 1);
    EXPECT_EQ(program->workspace().observed.slots[1].fileName, "scan.cpi");
    EXPECT_TRUE(messages.warnings.empty()) << messages.warnings.front();
}

TEST_F(DesktopHabitsTest, RecentFilesAndChoicesSurviveARestartUntilForgotten)
{
    start();
    // Nothing stored: the start-up values stay those of a program without settings.
    EXPECT_TRUE(is_default(program->workspace().model.profile));
    EXPECT_TRUE(recent_items().isEmpty());
    const std::filesystem::path copy = dir / "gone.cry";
    std::filesystem::copy_file(example("quartz.cry"), copy);
    for (const std::string& file : {example("nacl.cry"), copy.string(), example("rutile.cif"), example("nacl.cry")})
        ASSERT_TRUE(program->main_window().open_structure_named(file)) << file;
    program->main_window().choose_anode_named("MoKa1");
    program->workspace().model.profile.zeroShift = 0.25;
    program->workspace().model.sample.preferred.ratio = 0.8;
    const QSize size = program->main_window().size() + QSize(37, 23);
    program->main_window().resize(size);
    stop();

    start();
    const QStringList expected{QString::fromStdString(example("nacl.cry")), QString::fromStdString(example("rutile.cif")),
                               QString::fromStdString(copy.string())};
    EXPECT_EQ(recent_items(), expected);
    EXPECT_EQ(program->workspace().model.profile.zeroShift, 0.25);
    EXPECT_EQ(program->workspace().model.sample.preferred.ratio, 0.8);
    EXPECT_EQ(program->main_window().size(), size);
    EXPECT_EQ(program->main_window().findChild<QListWidget*>("ListBox4")->currentItem()->text(), "MoKa1");
    // A file gone since is removed with a message; one still there is read.
    std::filesystem::remove(copy);
    program->main_window().findChild<QMenu*>("Recent1")->actions().at(2)->trigger();
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings.back().find("gone.cry"), std::string::npos);
    EXPECT_EQ(recent_items(), expected.mid(0, 2));
    program->main_window().findChild<QMenu*>("Recent1")->actions().at(1)->trigger();
    EXPECT_EQ(program->workspace().model.crystalSystem, "TETR");  // rutile, not the rock salt read before

    program->main_window().findChild<QAction*>("Forgetsettings1")->trigger();
    EXPECT_TRUE(recent_items().isEmpty());
    stop();
    start();
    EXPECT_TRUE(recent_items().isEmpty());
    EXPECT_TRUE(is_default(program->workspace().model.profile));
    EXPECT_EQ(program->main_window().findChild<QListWidget*>("ListBox4")->currentItem(), nullptr);
}

// Ctrl+O opens any structure file, its format taken from the extension; F5 presses "Calcul.".
TEST_F(DesktopHabitsTest, KeysOpenAnyStructureAndCalculate)
{
    start();
    Tfmain& window = program->main_window();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    dialogs.answers = {ChosenFile{example("rutile.cif"), 0}};
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filters[0].patterns, "*.cry *.ins *.inp *.res *.cel *.lzy *.cif");
    EXPECT_EQ(program->workspace().model.crystalSystem, "TETR");
    EXPECT_EQ(window.findChild<QAction*>("Allstructurefiles1")->shortcut().toString(), "Ctrl+O");
    window.choose_anode_named("CuKa1");
    QTest::keyClick(&window, Qt::Key_F5);  // the button shows itself pressed, then clicks
    for (int wait = 0; wait < 100 && program->workspace().results.pattern.pointCount == 0; ++wait)
        QTest::qWait(20);
    EXPECT_GT(program->workspace().results.pattern.pointCount, 0);
}

TEST_F(DesktopHabitsTest, RecentListKeepsTheLastTen)
{
    settings = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    QMenu menu;
    std::vector<std::string> opened;
    RecentFiles recent(menu, *settings, messages, [&opened](const std::string& path) { opened.push_back(path); });
    for (int i = 0; i < 12; ++i) {
        const auto file = dir / ("s" + std::to_string(i) + ".cry");
        std::ofstream(file) << "";
        recent.add(file.string());
    }
    ASSERT_EQ(recent.files().size(), RecentFiles::kMaximum);
    EXPECT_TRUE(recent.files().front().endsWith("s11.cry"));
    EXPECT_TRUE(recent.files().back().endsWith("s2.cry"));
    menu.actions().at(3)->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(opened.front()).endsWith("s8.cry"));
}

TEST_F(DesktopHabitsTest, EachFileDialogOpensWhereItsLastChoiceWasMade)
{
    QSettings store(settingsFile, QSettings::IniFormat);
    RememberingFileDialogs remembering(dialogs, store);
    const auto elsewhere = dir / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    FileRequest open{"Open", {}, 0, dir.string(), "", ""};
    FileRequest other{"Open a diagram", {}, 0, dir.string(), "", ""};
    dialogs.answers = {ChosenFile{(elsewhere / "a.cry").string(), 0}, std::nullopt, std::nullopt, std::nullopt};
    remembering.open_file(open);
    remembering.open_file(open);
    remembering.open_file(other);
    remembering.save_file(other);
    ASSERT_EQ(dialogs.requests.size(), 4u);
    EXPECT_EQ(dialogs.requests[0].directory, dir.string());  // nothing remembered yet: where the window asks
    EXPECT_EQ(dialogs.requests[1].directory, elsewhere.string());
    EXPECT_EQ(dialogs.requests[2].directory, dir.string());  // another dialog keeps its own
    EXPECT_EQ(dialogs.requests[3].directory, dir.string());  // a cancel remembers nothing
}

TEST_F(DesktopHabitsTest, StartFoldersKeepAFolderWithDataElseUseTheInstalledDataAndAWorkFolder)
{
    const StartFolders here = choose_start_folders(QString::fromStdString(dir.string()), "/proc/self/exe", "", "");
    EXPECT_EQ(here.work, dir.string());
    EXPECT_EQ(here.data, "");
    EXPECT_FALSE(here.chosen);

    // An installed tree: <prefix>/bin/kalidos beside <prefix>/share/kalidos.
    const auto prefix = dir / "prefix";
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::create_directories(prefix / "share" / "kalidos");
    std::ofstream(prefix / "bin" / "kalidos") << "";
    std::ofstream(prefix / "share" / "kalidos" / "spgr2.dat") << "";
    const auto empty = dir / "empty";
    std::filesystem::create_directory(empty);
    const QString home = QString::fromStdString((dir / "home").string());
    const StartFolders menu = choose_start_folders(QString::fromStdString(empty.string()), prefix / "bin" / "kalidos",
                                                   "", home);
    EXPECT_EQ(menu.data, (prefix / "share" / "kalidos").string());
    EXPECT_EQ(menu.work, (dir / "home" / "kalidos-work").string());
    EXPECT_TRUE(std::filesystem::is_directory(menu.work));
    EXPECT_TRUE(menu.chosen);
    const QString last = QString::fromStdString((dir / "last").string());
    EXPECT_EQ(choose_start_folders(QString::fromStdString(empty.string()), prefix / "bin" / "kalidos", last, home).work,
              (dir / "last").string());
    EXPECT_NE(listings_folder_text(menu.work).indexOf(QString::fromStdString(menu.work)), -1);
}

}  // namespace
}  // namespace kalidos::app::testing
