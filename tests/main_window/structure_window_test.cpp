// The Structure window over the main window: the cell contents drawn, selection both ways, the
// picture following the model, the mouse, and the PNG, SVG and printed copies of the picture.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPrinter>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QWheelEvent>
#include <map>

#include "dialogs/help_window.hpp"
#include "main_window_fixture.hpp"
#include "structure/tfstructure.hpp"

namespace kalidos::app::testing {
namespace {

using StructureWindow = MainWindowTest;

std::string source_file(const std::string& relative) { return (kalidos::testing::test_data_dir() / relative).string(); }

// The atom nearest to the viewer and where its centre is drawn.
const SceneAtom& frontmost(const Tfstructure& view, QPointF& at)
{
    const Projection projection(QRectF(view.picture().rect()), view.scene(), view.view());
    std::size_t best = 0;
    for (std::size_t i = 1; i < view.scene().atoms.size(); ++i)
        if (projection.viewed(view.scene().atoms[i].cartesian)[2] > projection.viewed(view.scene().atoms[best].cartesian)[2])
            best = i;
    at = projection.screen(projection.viewed(view.scene().atoms[best].cartesian));
    return view.scene().atoms[best];
}

// Pixels of the ring around the images of the selected atom.
int ring_pixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == QColor(255, 170, 0);
    return count;
}

// Pixels that differ by more than a third of the scale in some channel: not the antialiased edges
// that the two ways of painting place a fraction of a pixel apart, but anything drawn on one only.
int different_pixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            count += std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                               std::abs(p.blue() - q.blue())}) > 85;
        }
    return count;
}

void drag(QWidget* canvas, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mousePress(canvas, button, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas->mapToGlobal(QPointF(to)), Qt::NoButton, button, {});
    QApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, button, {}, to);
}

}  // namespace

TEST_F(StructureWindow, FollowsTheModelAndSelectsAtomsBothWays)
{
    ASSERT_TRUE(window->open_structure_named(source_file("../../examples/rutile.cif")));
    QTest::mouseClick(child<QPushButton>("StructureButton"), Qt::LeftButton);
    Tfstructure& view = window->structure_window();
    ASSERT_TRUE(view.isVisible());
    view.findChild<QAction*>("StructureHelp")->trigger();
    EXPECT_TRUE(window->help_window().page_text().contains("The structure window"));
    QApplication::processEvents();
    // The cell holds Z = 2 TiO2: each atom counted for the part of it inside the cell.
    std::map<std::string, double> content;
    for (const SceneAtom& atom : view.scene().atoms)
        content[atom.element] += atom.share * atom.population;
    EXPECT_NEAR(content["Ti"], 2, 1e-9);
    EXPECT_NEAR(content["O"], 4, 1e-9);
    EXPECT_EQ(ring_pixels(view.picture()), 0);
    // Ti–O bonds only: Ti–Ti along c (2.96 Å) is within the covalent reach but two metals.
    ASSERT_FALSE(view.scene().bonds.empty());
    for (const auto& [i, j] : view.scene().bonds)
        EXPECT_NE(view.scene().atoms[static_cast<std::size_t>(i)].element, view.scene().atoms[static_cast<std::size_t>(j)].element);
    EXPECT_TRUE(view.pairs_text().contains(QString::fromUtf8("Not bonded: Ti–Ti 2.959"))) << view.pairs_text().toStdString();

    QPointF at;
    const SceneAtom& atom = frontmost(view, at);
    const int row = atom.atom;
    QTest::mouseClick(view.findChild<QWidget*>("StructurePicture"), Qt::LeftButton, {}, at.toPoint());
    QTableWidget* atoms = grid("StringGrid1");
    ASSERT_FALSE(atoms->selectedItems().isEmpty());
    EXPECT_EQ(atoms->selectedItems().first()->row(), row - 1);
    const std::string multiplicity = row == 1 ? "multiplicity 2" : "multiplicity 4";  // Ti 2a, O 4f
    EXPECT_NE(view.atom_text().toStdString().find(multiplicity), std::string::npos) << view.atom_text().toStdString();
    EXPECT_GT(ring_pixels(view.picture()), 0);

    const int other = 3 - row;
    const QRect cell = atoms->visualRect(atoms->model()->index(other - 1, 0));
    QTest::mouseClick(atoms->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(view.options().highlightedAtom, other);

    const QImage before = view.picture().copy();
    type_into("Edit2", "5.0");
    EXPECT_EQ(view.scene().cell.a, 5.0);
    EXPECT_NE(view.picture(), before);
}

// The README's pictures (rutile, quartz, anisotropic quartz along c and in a general direction),
// saved through the window's own export; the SVG copy looks like the PNG, and the page prints.
TEST_F(StructureWindow, PicturesExportsAndPrint)
{
    ASSERT_TRUE(window->open_structure_named(source_file("../../examples/rutile.cif")));
    Tfstructure& view = window->structure_window();
    view.start();
    view.resize(760, 700);
    QApplication::processEvents();
    auto* polyhedra = view.findChild<QLineEdit*>("PolyhedronElements");
    polyhedra->setText("Ti");
    Q_EMIT polyhedra->editingFinished();
    ASSERT_FALSE(view.scene().polyhedra.empty());
    QDir().mkpath(KALIDOS_PICTURE_DIR);
    const QString pictures = QString(KALIDOS_PICTURE_DIR) + "/";
    view.findChild<QSpinBox*>("ToA")->setValue(2);
    drag(view.findChild<QWidget*>("StructurePicture"), Qt::LeftButton, {300, 300}, {330, 280});
    ASSERT_TRUE(view.save_picture(pictures + "readme_structure_rutile.png"));
    ASSERT_TRUE(view.save_picture(pictures + "structure_rutile.svg"));
    // Every stroke in the picture's own units: renderers that know no non-scaling strokes draw it too.
    QFile svg(pictures + "structure_rutile.svg");
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    EXPECT_FALSE(svgText.contains("non-scaling-stroke"));
    EXPECT_TRUE(svgText.contains("<title>Crystal structure"));
    QImage fromSvg(view.picture().size(), QImage::Format_RGB32);
    fromSvg.fill(Qt::white);
    QPainter painter(&fromSvg);
    QSvgRenderer(pictures + "structure_rutile.svg").render(&painter);
    painter.end();
    // The PNG copies its spheres from painted sprites, the SVG draws each one (224 pixels apart at
    // the edges); one O sphere (r = 0.33 A, 15 pixels here) alone would add about 700.
    EXPECT_LT(different_pixels(fromSvg, QImage(pictures + "readme_structure_rutile.png")), 300);

    ASSERT_TRUE(window->open_structure_named(source_file("../../examples/quartz.cif")));
    polyhedra->setText("Si");
    Q_EMIT polyhedra->editingFinished();
    view.findChild<QSpinBox*>("ToA")->setValue(1);
    view.look_along(2);
    ASSERT_TRUE(view.save_picture(pictures + "readme_structure_quartz.png"));

    ASSERT_TRUE(window->open_structure_named(source_file("structure/quartz_anisotropic.cif")));
    polyhedra->setText("");
    Q_EMIT polyhedra->editingFinished();
    view.findChild<QCheckBox*>("ShowEllipsoids")->setChecked(true);
    view.look_along(2);
    ASSERT_TRUE(view.save_picture(pictures + "readme_structure_ellipsoids_c.png"));
    const Mat3 alongC = view.view().rotation;
    QWidget* canvas = view.findChild<QWidget*>("StructurePicture");
    drag(canvas, Qt::LeftButton, {300, 300}, {360, 240});
    EXPECT_NE(view.view().rotation, alongC);
    QWheelEvent wheel(QPointF(300, 300), canvas->mapToGlobal(QPointF(300, 300)), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    EXPECT_NEAR(view.view().zoom, 1.2, 1e-12);
    const QPointF panned = view.view().pan;
    drag(canvas, Qt::MiddleButton, {300, 300}, {320, 310});
    EXPECT_EQ(view.view().pan - panned, QPointF(20, 10));
    ASSERT_TRUE(view.save_picture(pictures + "readme_structure_ellipsoids.png"));

    const std::string pdf = (dir / "structure.pdf").string();
    Tfstructure printing(ws->model, {&messages, &dialogs, [&](QPrinter& printer) {
                                         printer.setOutputFormat(QPrinter::PdfFormat);
                                         printer.setOutputFileName(QString::fromStdString(pdf));
                                         return true;
                                     }, {}, {}});
    printing.start();
    printing.print();
    std::ifstream printed(pdf, std::ios::binary);
    std::string head(4, '\0');
    printed.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
    EXPECT_GT(std::filesystem::file_size(pdf), 10000u);  // the drawing's paths: an empty page takes 1.5 kB

    // Another structure starts with the whole view, no polyhedra and no atom named.
    polyhedra->setText("Si");
    ASSERT_TRUE(window->open_structure_named(source_file("../../examples/quartz.cif")));
    EXPECT_EQ(view.view().zoom, 1);
    EXPECT_TRUE(polyhedra->text().isEmpty());
    EXPECT_EQ(view.atom_text(), kClickAtomText);
}

}  // namespace kalidos::app::testing
