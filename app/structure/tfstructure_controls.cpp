// The Structure window's controls: the views along the axes, the cells shown, the bonds, the
// polyhedra and the ellipsoids, the picture, and the menus.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include "diagram/picture_widget.hpp"
#include "dialogs/help_window.hpp"
#include "structure/tfstructure.hpp"

namespace kalidos::app {
namespace {

QSpinBox* range_box(const QString& name, int value)
{
    auto* box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(-5, 6);
    box->setValue(value);
    return box;
}

}  // namespace

QWidget* Tfstructure::build_view_row()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel("View along"));
    const char* names[6] = {"a", "b", "c", "a*", "b*", "c*"};
    const char* objects[6] = {"ViewA", "ViewB", "ViewC", "ViewAStar", "ViewBStar", "ViewCStar"};
    for (int axis = 0; axis < 6; ++axis) {
        auto* button = new QPushButton(names[axis]);
        button->setObjectName(objects[axis]);
        button->setFixedWidth(36);
        connect(button, &QPushButton::clicked, this, [this, axis] { look_along(axis); });
        layout->addWidget(button);
    }
    layout->addSpacing(16);
    layout->addWidget(new QLabel("Cells"));
    const char* axes[3] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        rangeFrom_[i] = range_box(QString("From%1").arg(axes[i]), 0);
        rangeTo_[i] = range_box(QString("To%1").arg(axes[i]), 1);
        layout->addWidget(new QLabel(QString(axes[i]).toLower()));
        layout->addWidget(rangeFrom_[i]);
        layout->addWidget(new QLabel("-"));
        layout->addWidget(rangeTo_[i]);
        for (QSpinBox* box : {rangeFrom_[i], rangeTo_[i]})
            connect(box, &QSpinBox::valueChanged, this, [this] { options_changed(); });
    }
    layout->addStretch(1);
    return row;
}

QWidget* Tfstructure::build_content_row()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 2, 4, 2);
    bonds_ = new QCheckBox("Bonds, tolerance (Å)");
    bonds_->setObjectName("ShowBonds");
    bonds_->setChecked(true);
    bonds_->setToolTip("Atoms closer than the sum of their covalent radii (Cordero et al. 2008) plus the tolerance");
    tolerance_ = new QDoubleSpinBox;
    tolerance_->setObjectName("BondTolerance");
    tolerance_->setRange(-1, 3);
    tolerance_->setSingleStep(0.05);
    tolerance_->setValue(kDefaultBondTolerance);
    pairRule_ = new QComboBox;
    pairRule_->setObjectName("BondPairRule");
    pairRule_->addItems({"expected pairs", "all pairs"});
    pairRule_->setToolTip("Expected: every element pair but two metals (cation–anion and covalent bonds); "
                          "all: every pair within reach of the covalent radii");
    pairEdits_ = new QLineEdit;
    pairEdits_->setObjectName("BondPairs");
    pairEdits_->setPlaceholderText("+Cu-Cu -O-H");
    pairEdits_->setFixedWidth(110);
    pairEdits_->setToolTip("Element pairs to bond (Cu-Cu or +Cu-Cu) or to leave out (-O-H), "
                           "as kalidos-batch --bond-pairs takes them");
    polyhedra_ = new QLineEdit;
    polyhedra_->setObjectName("PolyhedronElements");
    polyhedra_->setPlaceholderText("e.g. Si Ti");
    polyhedra_->setFixedWidth(90);
    ellipsoids_ = new QCheckBox("Ellipsoids, %");
    ellipsoids_->setObjectName("ShowEllipsoids");
    probability_ = new QSpinBox;
    probability_->setObjectName("Probability");
    probability_->setRange(1, 99);
    probability_->setValue(50);
    layout->addWidget(bonds_);
    layout->addWidget(tolerance_);
    layout->addWidget(pairRule_);
    layout->addWidget(new QLabel("Pairs"));
    layout->addWidget(pairEdits_);
    layout->addSpacing(12);
    layout->addWidget(new QLabel("Polyhedra around"));
    layout->addWidget(polyhedra_);
    layout->addSpacing(12);
    layout->addWidget(ellipsoids_);
    layout->addWidget(probability_);
    layout->addStretch(1);
    connect(bonds_, &QCheckBox::toggled, this, [this] { options_changed(); });
    connect(tolerance_, &QDoubleSpinBox::valueChanged, this, [this] { options_changed(); });
    connect(pairRule_, &QComboBox::currentIndexChanged, this, [this] { options_changed(); });
    connect(pairEdits_, &QLineEdit::editingFinished, this, [this] { options_changed(); });
    connect(polyhedra_, &QLineEdit::editingFinished, this, [this] { options_changed(); });
    connect(ellipsoids_, &QCheckBox::toggled, this, [this] { options_changed(); });
    connect(probability_, &QSpinBox::valueChanged, this, [this] { options_changed(); });
    return row;
}

void Tfstructure::build_controls()
{
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(build_view_row());
    column->addWidget(build_content_row());
    pairs_ = new QLabel;
    pairs_->setObjectName("BondPairSummary");
    pairs_->setWordWrap(true);
    pairs_->setContentsMargins(8, 0, 8, 2);
    column->addWidget(pairs_);
    canvas_ = new PictureWidget;
    canvas_->setObjectName("StructurePicture");
    canvas_->setMinimumSize(300, 300);
    column->addWidget(canvas_, 1);
    setCentralWidget(central);
    atomInfo_ = new QLabel(kClickAtomText);
    atomInfo_->setObjectName("AtomInfo");
    statusBar()->addWidget(atomInfo_, 1);
    connect(canvas_, &PictureWidget::pressed, this, [this](QPoint at, Qt::MouseButton button) {
        dragButton_ = button;
        lastDrag_ = pressedAt_ = at;
    });
    connect(canvas_, &PictureWidget::moved, this, [this](QPoint at) { drag(at); });
    // A left press and release in one place (within 3 pixels) is a click; farther, a turn.
    connect(canvas_, &PictureWidget::released, this, [this](QPoint at, Qt::MouseButton button) {
        dragButton_ = Qt::NoButton;
        if (button == Qt::LeftButton && (at - pressedAt_).manhattanLength() <= 3)
            click_at(at);
    });
    connect(canvas_, &PictureWidget::wheeled, this, [this](QPoint at, double notches) { wheel(at, notches); });
    connect(canvas_, &PictureWidget::resized, this, [this] { redraw(); });
}

void Tfstructure::build_menus()
{
    QMenu* file = menuBar()->addMenu("&File");
    QAction* save = file->addAction("&Save picture...");
    save->setObjectName("SavePicture");
    connect(save, &QAction::triggered, this, &Tfstructure::export_picture);
    QAction* print = file->addAction("&Print...");
    print->setObjectName("PrintStructure");
    connect(print, &QAction::triggered, this, &Tfstructure::print);
    file->addSeparator();
    QAction* close = file->addAction("&Close");
    close->setObjectName("CloseStructure");
    close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction* help = menuBar()->addMenu("&Help")->addAction("&Structure window");
    help->setObjectName("StructureHelp");
    connect(help, &QAction::triggered, this, [this] {
        if (services_.showHelp)
            services_.showHelp(kStructureHelpTopic);
    });
}

// The elements of the polyhedra as typed: "si, Ti" gives Si and Ti.
SceneOptions Tfstructure::scene_options() const
{
    SceneOptions options;
    for (int i = 0; i < 3; ++i) {
        options.range.from[i] = rangeFrom_[i]->value();
        options.range.to[i] = std::max(rangeTo_[i]->value(), rangeFrom_[i]->value() + 1);
    }
    // A pair list that cannot be read is shown in red and leaves the pairs as the rule says them.
    const std::string pairs = (pairRule_->currentIndex() == 1 ? "all " : "expected ") + pairEdits_->text().toStdString();
    const bool read = parse_bond_pairs(pairs, options.bonds).empty();
    pairEdits_->setStyleSheet(read ? QString() : QString("color: red"));
    if (!read)
        parse_bond_pairs(pairRule_->currentIndex() == 1 ? "all" : "expected", options.bonds);
    options.bonds.tolerance = tolerance_->value();
    for (QString name : polyhedra_->text().split(QRegularExpression("[\\s,;]+"), Qt::SkipEmptyParts)) {
        name = name.left(1).toUpper() + name.mid(1).toLower();
        options.polyhedronElements.push_back(name.toStdString());
    }
    return options;
}

void Tfstructure::options_changed()
{
    options_.bonds = bonds_->isChecked();
    options_.ellipsoids = ellipsoids_->isChecked();
    options_.probability = probability_->value() / 100.0;
    rebuild_scene();
    redraw();
}

}  // namespace kalidos::app
