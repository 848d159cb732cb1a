// The refinement window as users drive it: a structure and a measured diagram, two stages through
// the window's controls beside the same stages through kalidos-batch, Stop, Undo and Keep.
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "batch_program.hpp"
#include "dialogs/help_window.hpp"
#include "dialogs/tfimpur.hpp"
#include "comparison/calculated_points.hpp"
#include "diagram/tfplecran.hpp"
#include "program_fixture.hpp"
#include "refinement/parameter_tree.hpp"
#include "refinement/tfrefine.hpp"

namespace kalidos::app::testing {
namespace {

using kalidos::testing::JsonDocument;
using kalidos::testing::member;
using kalidos::testing::number;
using kalidos::testing::realdata_dir;

class RefinementWindowTest : public ProgramFixture {
  protected:
    RefinementWindowTest() : ProgramFixture("refine-") {}
    void SetUp() override
    {
        KALIDOS_REQUIRE_REALDATA();
        ProgramFixture::SetUp();
        if (HasFatalFailure())
            return;
        // The measured corundum and its structure, calculated over the file's range.
        ASSERT_TRUE(program->main_window().open_structure_named(cif));
        program->diagram_window().open_diagram_named(rd);
        program->main_window().findChild<QPushButton*>("BitBtn1")->click();
        ASSERT_GT(program->workspace().results.pattern.pointCount, 0)
            << (messages.warnings.empty() ? "" : messages.warnings.back());
        program->diagram_window().findChild<QAction*>("Refine1")->trigger();
        ASSERT_TRUE(window().isVisible());
        ASSERT_FALSE(window().phases().empty()) << window().notes().toStdString();
    }

    Tfrefine& window() { return program->diagram_window().refinement_window(); }
    QPushButton* button(const char* name) { return window().findChild<QPushButton*>(name); }
    // The tree's item of that caption (a group, a heading or a parameter of one).
    QTreeWidgetItem* item(const QString& caption)
    {
        const auto found = window().tree().findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    void check(std::initializer_list<const char*> captions)
    {
        for (const char* caption : captions) {
            QTreeWidgetItem* found = item(caption);
            ASSERT_NE(found, nullptr) << caption;
            found->setCheckState(ParameterTree::Name, Qt::Checked);
        }
    }
    void press_and_wait(const char* name, int seconds = 300)
    {
        button(name)->click();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !window().running(); }, seconds * 1000));
    }
    // The values the tree shows, by parameter name.
    std::map<std::string, double> shown_values()
    {
        std::map<std::string, double> values;
        for (QTreeWidgetItem* leaf : window().tree().leaves())
            values[leaf->data(ParameterTree::Name, ParameterTree::kNameRole).toString().toStdString()] =
                leaf->text(ParameterTree::Value).toDouble();
        return values;
    }
    // The batch runner's refinement of the same structure and diagram with the window's wavelengths and
    // range and the options `refine`: the text of its JSON (empty, with a failure, when it refused).
    std::string batch_refinement_json(const std::vector<std::string>& refine) const
    {
        const WavelengthSet& set = program->workspace().model.wavelengths;
        std::string mixture;
        for (int i = 1; i <= set.count; ++i)
            mixture += (i > 1 ? "," : "") + std::to_string(set.values[i]) + ":" + std::to_string(set.weights[i]);
        const CalculatedRange range = calculated_range(program->workspace());
        std::vector<std::string> arguments{"--mixture", mixture, "--range", std::to_string(range.low),
                                           std::to_string(range.high), "--observed", rd};
        arguments.insert(arguments.end(), refine.begin(), refine.end());
        arguments.insert(arguments.end(), {"--json", "r.json", cif});
        const kalidos::testing::ProgramRun run = kalidos::testing::run_batch_program(arguments, dir);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0 ? kalidos::testing::read_text_file(dir / "r.json") : std::string();
    }

    const std::string cif = (realdata_dir() / "cif" / "amcsd_corundum_Sapphire.cif").string();
    const std::string rd = (realdata_dir() / "rd" / "qarr_CORUNDUM.RD").string();
};

// Two Refine presses give what kalidos-batch gives for the stages the window records; the
// diagram window draws the refined curves; Keep and File › Save carry the values and the
// settings, from which a reopened structure refines again to the same values.
TEST_F(RefinementWindowTest, TwoStagesAgreeWithTheBatchRunnerAndTheDrawing)
{
    QTreeWidgetItem* b = item("b");
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->flags() & Qt::ItemIsUserCheckable);  // hexagonal axes: b = a
    EXPECT_FALSE(b->toolTip(ParameterTree::Name).isEmpty());
    check({"Scale", "Background"});
    press_and_wait("Refine");
    check({"Zero shift", "Cell", "Profile"});
    press_and_wait("Refine");
    const QString stages = window().findChild<QLineEdit*>("Stages")->text();
    EXPECT_EQ(stages, "scale,background;zero,profile,cell");
    ASSERT_TRUE(window().result().has_value());
    const RefinementResult& result = *window().result();

    const std::string text = batch_refinement_json({"--refine", stages.toStdString(), "--export-xy", "c.xy"});
    ASSERT_FALSE(text.empty());
    const JsonDocument json(text);
    const sajson::value refinement = member(json.root(), "refinement");
    EXPECT_NEAR(result.rwp, number(refinement, "rwp"), 1e-6);
    const std::map<std::string, double> shown = shown_values();
    const sajson::value parameters = member(refinement, "parameters");
    const auto refined = std::count_if(result.parameters.begin(), result.parameters.end(),
                                       [](const RefinementParameter& p) { return p.refined; });
    ASSERT_EQ(parameters.get_length(), static_cast<std::size_t>(refined));  // the JSON lists the refined ones
    for (std::size_t i = 0; i < parameters.get_length(); ++i) {
        const sajson::value p = parameters.get_array_element(i);
        const std::string name = kalidos::testing::text(p, "name");
        ASSERT_TRUE(shown.count(name)) << name;
        const double value = number(p, "value"), su = number(p, "su");
        // Both stop when every shift is below 0.01 su; the tree shows 8 digits.
        EXPECT_NEAR(shown.at(name), value, std::max(0.01 * su, 1e-7 * std::fabs(value))) << name;
    }
    // The diagram window draws the refined curves, which are the batch runner's columns.
    Tfplecran& diagram = program->diagram_window();
    ASSERT_TRUE(diagram.refinement_shown());
    const std::string columns = kalidos::testing::read_text_file(dir / "c.xy");
    std::istringstream lines(columns);
    std::string line;
    std::size_t row = 0;
    double largest = 0;
    const AgreementCurves& drawn = diagram.refinement_curves();
    while (std::getline(lines, line)) {
        double x = 0, y = 0, yc = 0;
        if (line.empty() || line[0] == '#' || !(std::istringstream(line) >> x >> y >> yc))
            continue;
        ASSERT_LT(row, drawn.twoTheta.size());
        EXPECT_NEAR(drawn.twoTheta[row], x, 1e-6);
        largest = std::max(largest, std::fabs(drawn.calculated[row] - yc) / std::max(yc, 1.0));
        ++row;
    }
    EXPECT_EQ(row, drawn.twoTheta.size());
    EXPECT_LT(largest, 1e-5);
    EXPECT_TRUE(diagram.refinement_legend().figures.front().contains(QString::number(100 * result.rwp, 'f', 2)));

    // Keep: the main window's entries and the model take the refined values.
    button("Keep")->click();
    const StructureModel& model = program->workspace().model;
    const double a = result.find("0::a")->value;
    EXPECT_EQ(program->main_window().findChild<QLineEdit*>("Edit2")->text().trimmed(), QString::number(a, 'f', 4));
    EXPECT_EQ(model.cell.c, result.find("0::c")->value);
    EXPECT_EQ(model.profile.zeroShift, result.find("zero")->value);
    EXPECT_EQ(model.w, result.find("W")->value);
    // File › Save keeps the settings beside the .cry; reopened, the stages refine again alike.
    dialogs.answers.push_back(ChosenFile{(dir / "kept.cry").string(), 0});
    program->main_window().sauve_donnees();
    ASSERT_TRUE(program->main_window().open_structure_named((dir / "kept.cry").string()));
    EXPECT_EQ(model.refinement.stages, stages.toStdString());
    program->main_window().findChild<QPushButton*>("BitBtn1")->click();
    program->diagram_window().findChild<QAction*>("Refine1")->trigger();
    EXPECT_EQ(window().findChild<QLineEdit*>("Stages")->text(), stages);
    EXPECT_EQ(item("Zero shift")->checkState(ParameterTree::Name), Qt::Checked);
    EXPECT_EQ(item("Shift"), nullptr);
    press_and_wait("RefineStages");
    ASSERT_TRUE(window().result().has_value());
    for (const char* name : {"0::a", "0::c", "zero", "W"})
        EXPECT_NEAR(window().result()->find(name)->value, result.find(name)->value, 0.05 * result.find(name)->su)
            << name;
}

// Stop keeps the last finished cycle and ends a long refinement within one cycle while the window
// goes on handling events; Undo goes back one press at a time, a change of the background order
// among them, and takes back all the press changed.
TEST_F(RefinementWindowTest, StopEndsWithinOneCycleAndUndoGoesBackPressByPress)
{
    button("RefineHelp")->click();
    EXPECT_TRUE(program->main_window().help_window().page_text().contains("transparency"));
    // However narrow the window is made, every button shows its caption whole.
    window().resize(300, 640);
    QApplication::processEvents();
    for (QPushButton* b : window().findChildren<QPushButton*>())
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString() << " in " << window().width();
    const std::map<std::string, double> start = shown_values();
    auto* stages = window().findChild<QLineEdit*>("Stages");
    auto* figures = window().findChild<QTableWidget*>("CycleFigures");
    // Scale and background are checked from the start; nothing checked is refused in the status line.
    const std::set<std::string> checked = window().tree().checked();
    window().tree().set_checked({});
    button("Refine")->click();
    EXPECT_EQ(window().status(), "Check the parameters to refine first");
    EXPECT_FALSE(window().notes().contains("Check"));
    window().tree().set_checked(checked);
    EXPECT_EQ(window().tree().checked().count("bkg3"), 1u);
    EXPECT_EQ(window().tree().checked().count("zero"), 0u);
    press_and_wait("Refine");
    EXPECT_TRUE(window().status().isEmpty());
    const std::map<std::string, double> first = shown_values();
    ASSERT_NE(first.at("0::scale"), start.at("0::scale"));
    const int firstRows = figures->rowCount();
    press_and_wait("Refine");  // nothing new released: no stage of its own
    EXPECT_EQ(stages->text(), "scale,background");

    // A higher background order runs the stages again with its terms; Undo takes all of it back.
    auto* order = window().findChild<QSpinBox*>("BackgroundOrder");
    order->setValue(5);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window().running(); }, 300000));
    EXPECT_EQ(window().result()->find("bkg5")->refined, true);
    EXPECT_NE(shown_values().at("bkg5"), 0);
    button("Undo")->click();
    EXPECT_EQ(order->value(), 3);
    EXPECT_EQ(shown_values().count("bkg5"), 0u);
    button("Undo")->click();  // the second press
    EXPECT_EQ(shown_values(), first);
    EXPECT_EQ(figures->rowCount(), firstRows);
    EXPECT_EQ(stages->text(), "scale,background");

    window().findChild<QSpinBox*>("Cycles")->setValue(500);
    for (int top = 0; top < 2; ++top)  // the diagram's and the phase's: everything
        window().tree().topLevelItem(top)->setCheckState(ParameterTree::Name, Qt::Checked);
    const int rowsBefore = figures->rowCount();
    int reports = 0, ticksAtFirstReport = 0, ticks = 0;
    std::map<std::string, double> lastReported;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    QObject::connect(figures->model(), &QAbstractItemModel::rowsInserted, [&] {
        lastReported = shown_values();
        if (++reports == 1) {
            ticksAtFirstReport = ticks;
            EXPECT_TRUE(window().running());
            button("Stop")->click();
        }
    });
    ticker.start(1);
    press_and_wait("Refine");
    ticker.stop();
    EXPECT_GT(ticksAtFirstReport, 0);  // the window went on handling events while the worker refined
    ASSERT_TRUE(window().result().has_value());
    const RefinementStage& stage = window().result()->stages.back();
    EXPECT_TRUE(stage.stopped);
    EXPECT_LE(stage.cycles, 2);  // the cycle under way when Stop was pressed, at most
    EXPECT_EQ(figures->rowCount() - rowsBefore, reports);
    EXPECT_EQ(shown_values(), lastReported);  // the values of the last finished cycle stay

    ASSERT_EQ(window().undo_levels(), 2);
    button("Undo")->click();
    EXPECT_EQ(shown_values(), first);
    EXPECT_EQ(figures->rowCount(), firstRows);
    EXPECT_TRUE(program->diagram_window().refinement_legend().figures.back().startsWith("Stage 1,"));
    button("Undo")->click();
    EXPECT_EQ(shown_values(), start);
    EXPECT_EQ(figures->rowCount(), 0);
    EXPECT_TRUE(stages->text().isEmpty());
    EXPECT_FALSE(button("Undo")->isEnabled());
    EXPECT_FALSE(program->diagram_window().refinement_shown());
}

// Save instrument writes the values shown; Load instrument puts a calibrated instrument (here GSAS-II's
// .instprm) into the phases, leaves its parameters unchecked, and Undo takes it back.
TEST_F(RefinementWindowTest, InstrumentSavedAndLoaded)
{
    // The diagram's doublet was taken with it: no note. Kα1 alone in the main window: the note says so.
    EXPECT_FALSE(window().notes().contains("states"));
    WavelengthSet& set = program->workspace().model.wavelengths;
    set.count = 1;
    window().start();
    EXPECT_TRUE(window().notes().contains(QString::fromUtf8("qarr_CORUNDUM.RD states Kα1 1.540562 Å, Kα2 1.54439 Å")))
        << window().notes().toStdString();
    set.count = 2;
    window().start();
    check({"Zero shift", "Scale"});
    const std::map<std::string, double> start = shown_values();
    dialogs.answers.push_back(ChosenFile{(dir / "shown.instrument").string(), 0});
    button("SaveInstrument")->click();
    const std::string saved = kalidos::testing::read_text_file(dir / "shown.instrument");
    EXPECT_EQ(saved.rfind("KALIDOS instrument\n# Calculated with", 0), 0u) << saved;
    EXPECT_NE(saved.find("zero " + QString::number(start.at("zero")).toStdString()), std::string::npos) << saved;

    std::ofstream(dir / "lab.instprm") << "#GSAS-II instrument parameter file\nType:PXC\nLam1:1.540562\n"
                                          "Lam2:1.54439\nI(L2)/I(L1):0.5\nZero:0.012\nPolariz.:0.5\nU:2\n"
                                          "V:-1\nW:3\nX:1.5\nY:0.5\nSH/L:0.04\n";
    dialogs.answers.push_back(ChosenFile{(dir / "lab.instprm").string(), 1});
    button("LoadInstrument")->click();
    const ProfileSettings& loaded = window().phases().front().model.profile;
    EXPECT_EQ(loaded.function, ProfileFunction::Tch);
    EXPECT_DOUBLE_EQ(loaded.zeroShift, 0.012);
    EXPECT_DOUBLE_EQ(loaded.lorentzY, 0.015);
    EXPECT_DOUBLE_EQ(shown_values().at("zero"), 0.012);
    EXPECT_EQ(item("Zero shift")->checkState(ParameterTree::Name), Qt::Unchecked);
    EXPECT_EQ(item("Scale")->checkState(ParameterTree::Name), Qt::Checked);
    EXPECT_TRUE(window().notes().contains("Instrument loaded"));
    button("Undo")->click();
    const std::map<std::string, double> undone = shown_values();
    for (const auto& [name, value] : start)
        EXPECT_EQ(undone.count(name) ? undone.at(name) : -999, value) << name;
    EXPECT_EQ(undone.size(), start.size());
}

// README's pictures: three presses as a user makes them on the measured corundum from 15 to 145°,
// with the Thompson-Cox-Hastings profile and a background of order 6, reach the figures kalidos-batch
// gives these stages (Rwp 0.104, as RefinementRealData.CorundumCellAndProfile finds); Save refined
// CIF... proposes a name; after Keep a new calculation draws the calculation, not the refinement.
TEST_F(RefinementWindowTest, ThreePressesReachTheBatchFiguresForTheReadme)
{
    StructureModel& model = program->workspace().model;
    model.profile.function = ProfileFunction::Tch;
    model.profile.gaussU = model.profile.gaussW = 0.003;
    model.profile.gaussV = 0;
    model.profile.lorentzX = 0.01;
    model.profile.lorentzY = 0.04;
    Tfimpur& tube = program->main_window().composition_dialog();  // Multiple W.L.: copper's Kα1 and Kα2
    tube.set_lambda(1);
    for (const char* kBeta : {"Edit3", "Edit7"})  // filtered out
        tube.findChild<QLineEdit*>(kBeta)->clear();
    tube.findChild<QPushButton*>("BitBtn1")->click();
    program->main_window().findChild<QLineEdit*>("Edit14")->setText("15");
    program->main_window().findChild<QLineEdit*>("Edit17")->setText("145");
    program->main_window().findChild<QPushButton*>("BitBtn1")->click();
    program->diagram_window().findChild<QAction*>("Refine1")->trigger();
    window().findChild<QSpinBox*>("BackgroundOrder")->setValue(6);
    press_and_wait("Refine");
    check({"Zero shift", "Cell"});
    press_and_wait("Refine");
    check({"Profile", "Asymmetry"});
    press_and_wait("Refine");
    EXPECT_EQ(window().findChild<QLineEdit*>("Stages")->text(), "scale,background;zero,cell;profile,asymmetry");
    ASSERT_TRUE(window().result().has_value());
    EXPECT_NEAR(window().result()->rwp, 0.104, 0.002);
    Tfplecran& diagram = program->diagram_window();
    diagram.resize(1030, 500);
    window().resize(760, 640);
    QApplication::processEvents();
    save_picture(window().grab().toImage(), "readme_refinement_window.png");
    save_picture(diagram.grab().toImage(), "readme_refinement_diagram.png");

    dialogs.answers.push_back(std::nullopt);
    button("SaveRefinedCif")->click();
    ASSERT_FALSE(dialogs.requests.empty());
    EXPECT_EQ(dialogs.requests.back().fileName, "amcsd_corundum_Sapphire_refined.cif");
    button("Keep")->click();
    EXPECT_EQ(model.profile.gaussU, window().result()->find("U")->value);
    program->main_window().findChild<QPushButton*>("BitBtn1")->click();
    EXPECT_FALSE(diagram.refinement_shown());
}

// The phase's Le Bail box: its scale is no longer a parameter, and a Refine press gives what
// kalidos-batch --le-bail gives for the same stage.
TEST_F(RefinementWindowTest, LeBailBoxRefinesAsTheBatchRunnerDoes)
{
    auto* box = window().findChild<QCheckBox*>("LeBail1");
    ASSERT_NE(box, nullptr);
    box->setChecked(true);
    EXPECT_EQ(window().phases().front().intensities, IntensityMethod::LeBail);
    QTreeWidgetItem* scale = item("Scale");
    ASSERT_NE(scale, nullptr);
    EXPECT_FALSE(scale->flags() & Qt::ItemIsUserCheckable);  // the intensities carry it
    check({"Background"});
    press_and_wait("Refine");
    ASSERT_TRUE(window().result().has_value());
    window().grab().save(QString::fromStdString((dir / "lebail-window.png").string()));
    const std::string text = batch_refinement_json({"--refine", "background", "--le-bail", "1"});
    ASSERT_FALSE(text.empty());
    const JsonDocument json(text);
    const sajson::value refinement = member(json.root(), "refinement");
    EXPECT_NEAR(window().result()->rwp, number(refinement, "rwp"), 1e-6);
}

}  // namespace
}  // namespace kalidos::app::testing
