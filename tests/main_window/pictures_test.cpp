// Pictures of the main window and of each dialog, written into the build folder to be looked at.
#include <QDir>
#include <QPixmap>

#include "dialogs/help_window.hpp"
#include "dialogs/listing_viewer.hpp"
#include "dialogs/tflp.hpp"
#include "dialogs/tform2.hpp"
#include "dialogs/tform3.hpp"
#include "dialogs/tfgroupes.hpp"
#include "dialogs/tfimpur.hpp"
#include "dialogs/tflilambda.hpp"
#include "main_window_fixture.hpp"

namespace kalidos::app::testing {
namespace {

using Pictures = MainWindowTest;

void save_picture(QWidget& widget, const QString& name)
{
    QDir().mkpath(KALIDOS_PICTURE_DIR);
    widget.show();
    QApplication::processEvents();
    const QPixmap picture = widget.grab();
    EXPECT_FALSE(picture.isNull()) << name.toStdString();
    EXPECT_GT(picture.width(), 100) << name.toStdString();
    EXPECT_TRUE(picture.save(QString(KALIDOS_PICTURE_DIR) + "/" + name + ".png")) << name.toStdString();
}

TEST_F(Pictures, MainWindowAndDialogs)
{
    type_into("Edit2", "5.431");
    click_list_row("ListBox2", 0);
    edit("Edit29")->setText("Silicon");
    click_list_row("ListBox4", 5);  // CuKa1
    set_cell("StringGrid1", 0, 0, "Si");
    set_cell("StringGrid1", 0, 2, "0.125");
    set_cell("StringGrid1", 0, 3, "0.125");
    set_cell("StringGrid1", 0, 4, "0.125");
    set_cell("StringGrid1", 0, 5, "0.5");
    ASSERT_TRUE(window->read_entries());
    window->rebuild_elements();
    EXPECT_EQ(edit("Edit11")->text(), " 1.54056");
    save_picture(*window, "tfmain");

    window->findChild<QWidget*>("Panel2")->show();
    save_picture(*window, "tfmain_panel2");
    window->cancel_panel2();

    save_picture(window->source_dialog(), "tflp");
    save_picture(window->about_box(), "tform2");
    save_picture(window->composition_dialog(), "tfimpur");
    window->composition_dialog().set_lambda(1);
    save_picture(window->composition_dialog(), "tfimpur_cu");
    save_picture(window->lambda_dialog(), "tflilambda");
    window->space_group_dialog().init();
    save_picture(window->space_group_dialog(), "tfgroupes");
    window->block_dialog().initialise({"block_one", "block_two"});
    save_picture(window->block_dialog(), "tform3");
    std::ofstream(dir / "fstr.out") << "KALIDOS listing\n  h  k  l   2theta\n  1  1  1   28.442\n";
    window->listing_viewer().show_file(QString::fromStdString((dir / "fstr.out").string()));
    save_picture(window->listing_viewer(), "listing_viewer");
    window->aide(14);
    save_picture(window->help_window(), "help");
}

}  // namespace
}  // namespace kalidos::app::testing
