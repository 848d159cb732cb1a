// The "Sample and profile" dialog from the main window: shown values, refusals, help, the model changed.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>

#include "dialogs/help_window.hpp"
#include "dialogs/sample_profile_dialog.hpp"
#include "main_window_fixture.hpp"

namespace kalidos::app::testing {
namespace {

using SampleProfile = MainWindowTest;

void press_ok(SampleProfileDialog& dialog)
{
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

TEST_F(SampleProfile, MenuOpensTheSettingsAndOkStoresThemOrRefusesAValueOutOfRange)
{
    ws->model.profile.sizeNm = 35;
    window->findChild<QAction*>("SampleProfile1")->trigger();
    SampleProfileDialog& dialog = window->sample_profile_dialog();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.field(kFieldSize)->text(), "35");
    EXPECT_EQ(dialog.field(kFieldGaussW)->text(), "0.02");
    EXPECT_EQ(dialog.sample_field(kFieldRatio)->text(), "1");

    dialog.function_box()->setCurrentIndex(1);
    dialog.field(kFieldZero)->setText("9");
    press_ok(dialog);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_FALSE(messages.warnings.empty());
    EXPECT_EQ(messages.warnings.back(), "Zero shift must lie between -5 and 5 deg!");
    EXPECT_EQ(ws->model.profile.function, ProfileFunction::Seed);

    dialog.field(kFieldZero)->setText("-0.05");
    dialog.field(kFieldTransparency)->setText("0.08");
    dialog.field(kFieldMonochromator)->setText("26.6");
    dialog.monochromator_place_box()->setCurrentIndex(1);
    dialog.field(kFieldRoughnessP)->setText("0.4");
    dialog.field(kFieldRoughnessQ)->setText("0.3");
    dialog.sample_field(kFieldRatio)->setText("0.7");
    dialog.isotropic_box()->setChecked(true);
    press_ok(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ws->model.profile.function, ProfileFunction::Tch);
    EXPECT_EQ(ws->model.profile.zeroShift, -0.05);
    EXPECT_EQ(ws->model.profile.transparency, 0.08);
    EXPECT_EQ(ws->model.profile.corrections,
              (IntensityCorrections{26.6, MonochromatorPlace::Incident, 0, 0, 0.4, 0.3, 0, 0}));
    EXPECT_EQ(ws->model.sample.preferred.ratio, 0.7);
    EXPECT_TRUE(ws->model.sample.isotropic);

    window->findChild<QPushButton*>("SampleProfileButton")->click();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.field(kFieldZero)->text(), "-0.05");
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
    EXPECT_TRUE(window->help_window().page_text().contains("Thompson"));
    EXPECT_TRUE(window->help_window().page_text().contains("four times the main window's values"));
    dialog.grab().save(QString::fromStdString((dir / "sample_profile.png").string()));
}

}  // namespace
}  // namespace kalidos::app::testing
