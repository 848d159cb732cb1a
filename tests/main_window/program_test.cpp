// The program as main.cpp assembles it: a structure and an anode line named at start, a file that
// cannot be read, and the pictures of README.md (docs/), written into the build folder.
#include <QAction>
#include <QImage>
#include <QPainter>

#include "diagram/phase_mixture.hpp"
#include "drawing/print_page.hpp"
#include "program_fixture.hpp"
#include "readers/open_structure_file.hpp" // for kFormatCry

namespace kalidos::app::testing {
namespace {

class ProgramTest : public ProgramFixture {
  protected:
    ProgramTest() : ProgramFixture("program-") {}
    static std::string example(const char* name)
    {
        return (kalidos::testing::program_data_dir().parent_path() / "examples" / name).string();
    }
    QString edit_text(const char* name) { return program->main_window().findChild<QLineEdit*>(name)->text(); }
};

// What ./kalidos.sh starts with: quartz and CuKa1, so that Calcul. shows a diagram.
TEST_F(ProgramTest, ExampleAndAnodeNamedAtStartCalculateAtOnePress)
{
    program->open_at_start(example("quartz.cry"), "cuka1");
    ASSERT_TRUE(messages.warnings.empty()) << messages.warnings.front();
    EXPECT_EQ(program->workspace().model.atomCount, 2);
    EXPECT_EQ(edit_text("Edit8").toStdString(), program->workspace().model.spaceGroupSymbol);
    EXPECT_EQ(edit_text("Edit11"), " 1.54056");
    program->main_window().findChild<QPushButton*>("BitBtn1")->click();
    ASSERT_EQ(program->workspace().results.pattern.pointCount, kPatternPoints)
        << (messages.warnings.empty() ? "" : messages.warnings.back());
    EXPECT_TRUE(program->diagram_window().isVisible());
    EXPECT_GT(program->main_window().findChild<QListWidget*>("ListBox3")->count(), 10);

    save_picture(program->main_window().grab().toImage(), "readme_main_window.png");
    save_picture(program->diagram_window().grab().toImage(), "readme_diagram_window.png");
    QImage page(drawing::kPageWidthDots, drawing::kPageHeightDots, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    drawing::render_print_page(painter, program->workspace(),
                               {AbscissaMode::TwoTheta, drawing::IntensityScale::Linear, 1.0, "Bundled example"});
    painter.end();
    save_picture(page.scaled(page.size() / 3, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                 "readme_printed_page.png");
}

// The main phase of a mixture is named after the file the user opened, not the copy a reader made.
TEST_F(ProgramTest, TheMainPhaseIsNamedAfterTheOpenedFile)
{
    program->open_at_start(example("zincite.cif"), "cuka1");
    program->main_window().findChild<QPushButton*>("BitBtn1")->click();
    program->diagram_window().findChild<QAction*>("Phases1")->trigger();
    ASSERT_EQ(program->diagram_window().mixture().entries().size(), 1u) << ::testing::PrintToString(messages.warnings);
    EXPECT_EQ(program->diagram_window().mixture().entries()[0].phase.name, "zincite.cif");
}

// A file that cannot be read says why, as File › Open says it, and leaves no structure behind.
TEST_F(ProgramTest, UnreadableFileLeavesAnEmptyModelAndSaysWhy)
{
    const std::string broken = (dir / "broken.cry").string();
    std::ofstream(broken) << "A title\nCUBI\nP m -3 m\n  4.0 4.0 4.0 90 90 90\nSI 1 not numbers\n";
    dialogs.answers.push_back(ChosenFile{broken, 0});
    program->main_window().open_structure(kFormatCry);
    const std::vector<std::string> fromDialog = messages.warnings;
    ASSERT_FALSE(fromDialog.empty());

    const StructureModel& model = program->workspace().model;
    for (const std::string& file : {broken, (dir / "missing.cif").string(), (dir / "notes.txt").string()}) {
        program->open_at_start(example("quartz.cry"), "");
        ASSERT_EQ(model.atomCount, 2);
        messages.warnings.clear();
        EXPECT_FALSE(program->main_window().open_structure_named(file));
        ASSERT_EQ(messages.warnings.size(), 1u) << file;
        EXPECT_EQ(model.atomCount, 0) << file;
        EXPECT_EQ(model.cell.a, 0) << file;
        EXPECT_TRUE(model.title.empty()) << file;
        EXPECT_TRUE(model.spaceGroupSymbol.empty()) << file;
        EXPECT_TRUE(edit_text("Edit2").isEmpty()) << file;
        EXPECT_TRUE(edit_text("Edit29").isEmpty()) << file;
    }
    program->main_window().open_structure_named(broken);
    EXPECT_EQ(messages.warnings.back(), fromDialog.back());
    program->main_window().open_structure_named((dir / "missing.cif").string());
    EXPECT_NE(messages.warnings.back().find("missing.cif"), std::string::npos);
    program->main_window().open_structure_named((dir / "notes.txt").string());
    EXPECT_NE(messages.warnings.back().find(".cry"), std::string::npos);
}

}  // namespace
}  // namespace kalidos::app::testing
