// The Structure window: the crystal structure of the main window's model, drawn as the calculation
// sees it (the cell, every atom the group generates, bonds, polyhedra, ellipsoids).
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "geometry/structure_scene.hpp"
#include "platform/file_dialogs.hpp"
#include "structure/structure_render.hpp"
#include "ui/messages.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QSpinBox;

namespace kalidos::app {

class PictureWidget;

inline constexpr const char* kClickAtomText = "Click an atom to name it";

struct StructureServices {
    Messages* messages = nullptr;
    FileDialogs* fileDialogs = nullptr;
    std::function<bool(QPrinter&)> printDialog;  // the system print dialog; true when confirmed
    std::function<void(int atom)> selectAtom;    // a click chose this row of the asymmetric unit
    std::function<void(int topic)> showHelp;     // opens the help window at a topic
};

class Tfstructure : public QMainWindow {
    Q_OBJECT
public:
    Tfstructure(const StructureModel& model, StructureServices services, QWidget* parent = nullptr);

    void set_print_dialog(std::function<bool(QPrinter&)> dialog) { services_.printDialog = std::move(dialog); }
    // Shows the window with the model as it is now.
    void start();
    // Draws again when the cell, the group or the atoms changed since the last picture.
    void follow_model();
    // Another structure was opened: the view, the polyhedra and the atom named start afresh.
    void structure_opened();
    // Rings the images of atom `atom` (a row of the asymmetric unit; 0: none).
    void highlight_atom(int atom);
    // Looks along a, b, c (0..2) or a*, b*, c* (3..5).
    void look_along(int axis);
    // The click on the picture at `point`: names the atom there and tells selectAtom.
    void click_at(QPointF point);

    // Writes the picture: PNG from the pixels, SVG drawn again. False (with a message) on failure.
    bool save_picture(const QString& fileName);
    // File › Save picture: the save dialog, then save_picture.
    void export_picture();
    void print();

    const StructureScene& scene() const { return scene_; }
    const StructureView& view() const { return view_; }
    const RenderOptions& options() const { return options_; }
    const QImage& picture() const;
    QString atom_text() const;
    // The element pairs within reach, bonded or not, as the line under the controls says them.
    QString pairs_text() const;

private:
    void build_controls();
    QWidget* build_view_row();
    QWidget* build_content_row();
    void build_menus();
    void options_changed();
    void show_pairs();
    void rebuild_scene();
    void redraw();
    void drag(QPoint position);
    void wheel(QPoint position, double notches);
    std::vector<double> model_fingerprint() const;
    SceneOptions scene_options() const;

    const StructureModel& model_;
    StructureServices services_;
    StructureScene scene_;
    StructureView view_;
    RenderOptions options_;
    std::vector<double> fingerprint_;
    QPoint lastDrag_;
    QPoint pressedAt_;
    Qt::MouseButton dragButton_ = Qt::NoButton;

    PictureWidget* canvas_ = nullptr;
    QSpinBox* rangeFrom_[3] = {};
    QSpinBox* rangeTo_[3] = {};
    QDoubleSpinBox* tolerance_ = nullptr;
    QCheckBox* bonds_ = nullptr;
    QComboBox* pairRule_ = nullptr;
    QLineEdit* pairEdits_ = nullptr;
    QLabel* pairs_ = nullptr;
    QLineEdit* polyhedra_ = nullptr;
    QCheckBox* ellipsoids_ = nullptr;
    QSpinBox* probability_ = nullptr;
    QLabel* atomInfo_ = nullptr;
};

}  // namespace kalidos::app
