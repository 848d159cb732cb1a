#include "structure/tfstructure.hpp"

#include <cmath>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QSpinBox>

#include "diagram/picture_widget.hpp"
#include "drawing/picture_export.hpp"
#include "geometry/bonds.hpp"
#include "util/pascal_format.hpp"

namespace kalidos::app {

Tfstructure::Tfstructure(const StructureModel& model, StructureServices services, QWidget* parent)
    : QMainWindow(parent), model_(model), services_(std::move(services))
{
    setObjectName("fstructure");
    setWindowFlag(Qt::Window);
    setWindowTitle("Structure");
    build_controls();
    build_menus();
    resize(820, 700);
}

void Tfstructure::start()
{
    show();
    raise();
    fingerprint_.clear();
    follow_model();
}

// Everything of the model the picture depends on: cell, operators, atoms.
std::vector<double> Tfstructure::model_fingerprint() const
{
    const StructureModel& m = model_;
    const CellParameters& c = m.cell;
    std::vector<double> print{c.a, c.b, c.c, c.alpha, c.beta, c.gamma, double(m.operatorCount), double(m.inversionAdded)};
    for (int j = 1; j <= m.operatorCount; ++j)
        for (const auto& row : m.operators[j].m)
            print.insert(print.end(), row, row + 4);
    for (int n = 1; n <= m.atomCount; ++n) {
        print.insert(print.end(), {m.atomX[n], m.atomY[n], m.atomZ[n], m.atomB[n], m.atomPopulation[n]});
        for (char ch : m.atomSymbol[n] + "|" + m.atomLabel[n])
            print.push_back(ch);
        const AnisotropicDisplacement& t = m.atomAnisotropic[n];
        print.push_back(t.present);
        print.insert(print.end(), t.u, t.u + 6);
    }
    return print;
}

void Tfstructure::follow_model()
{
    std::vector<double> now = model_fingerprint();
    if (now == fingerprint_ && !scene_.atoms.empty())
        return;
    const bool newCell = fingerprint_.size() < 6 || !std::equal(now.begin(), now.begin() + 6, fingerprint_.begin());
    fingerprint_ = std::move(now);
    rebuild_scene();
    if (newCell)
        look_along_axis(view_, model_.cell, 2);
    redraw();
}

void Tfstructure::structure_opened()
{
    view_ = StructureView{};
    fingerprint_.clear();
    options_.highlightedAtom = 0;
    polyhedra_->clear();
    atomInfo_->setText(kClickAtomText);
    if (isVisible())
        follow_model();
}

void Tfstructure::rebuild_scene()
{
    scene_ = build_scene(model_, scene_options());
    if (options_.highlightedAtom > model_.atomCount)
        options_.highlightedAtom = 0;
    show_pairs();
}

// "Bonded: Ti–O 1.95 Å.  Not bonded: Ti–Ti 2.96 Å (two metals: type Ti-Ti under Pairs to bond them)".
void Tfstructure::show_pairs()
{
    QStringList bonded, apart;
    for (const BondPairSummary& p : bond_pair_summary(model_, scene_options().bonds)) {
        const QString pair = QString::fromStdString(p.first + "–" + p.second) +
                             QString(" %1 Å").arg(p.shortest, 0, 'f', 3);
        (p.bonded ? bonded : apart) << pair;
    }
    QString text = bonded.isEmpty() ? QString("No bonds within reach") : "Bonded: " + bonded.join(", ");
    if (!apart.isEmpty())
        text += ".  Not bonded: " + apart.join(", ") + " (add a pair under Pairs to bond it)";
    pairs_->setText(text);
}

QString Tfstructure::pairs_text() const { return pairs_->text(); }

void Tfstructure::redraw()
{
    canvas_->fit_picture();
    QPainter painter(&canvas_->picture());
    render_structure(painter, QRectF(canvas_->picture().rect()), scene_, view_, options_);
    painter.end();
    canvas_->update();
}

const QImage& Tfstructure::picture() const { return canvas_->picture(); }

void Tfstructure::highlight_atom(int atom)
{
    if (atom == options_.highlightedAtom)
        return;
    options_.highlightedAtom = atom;
    redraw();
}

void Tfstructure::look_along(int axis)
{
    look_along_axis(view_, model_.cell, axis);
    redraw();
}

void Tfstructure::click_at(QPointF point)
{
    const int index = atom_at(QRectF(canvas_->picture().rect()), scene_, view_, options_, point);
    if (index < 0)
        return;
    const SceneAtom& atom = scene_.atoms[static_cast<std::size_t>(index)];
    const Vec3& f = atom.fractional;
    const std::string name = bond_atom_names(model_)[static_cast<std::size_t>(atom.atom - 1)];
    atomInfo_->setText(QString::fromStdString(name + "  " + atom.element + "  x " +
                                              fmt_fixed(f[0], 0, 5) + "  y " + fmt_fixed(f[1], 0, 5) + "  z " +
                                              fmt_fixed(f[2], 0, 5) + "  multiplicity " +
                                              std::to_string(scene_.multiplicity[static_cast<std::size_t>(atom.atom)])));
    options_.highlightedAtom = atom.atom;
    redraw();
    if (services_.selectAtom)
        services_.selectAtom(atom.atom);
}

QString Tfstructure::atom_text() const { return atomInfo_->text(); }

void Tfstructure::drag(QPoint position)
{
    const QPoint step = position - lastDrag_;
    lastDrag_ = position;
    if (dragButton_ == Qt::LeftButton)
        view_.turn(step.x(), step.y());
    else if (dragButton_ == Qt::MiddleButton)
        view_.pan += QPointF(step);
    else
        return;
    redraw();
}

// A notch zooms by 1.2 about the pointer: the point under it stays where it is.
void Tfstructure::wheel(QPoint position, double notches)
{
    const double factor = std::pow(1.2, notches);
    const QPointF centre = QRectF(canvas_->picture().rect()).center() + view_.pan;
    view_.pan += (QPointF(position) - centre) * (1 - factor);
    view_.zoom *= factor;
    redraw();
}

bool Tfstructure::save_picture(const QString& fileName)
{
    const auto redraw_on = [this](QPainter& painter) {
        render_structure(painter, QRectF(canvas_->picture().rect()), scene_, view_, options_);
    };
    const auto format = drawing::picture_format_of(fileName, drawing::PictureFormat::Png);
    const QString title = QString::fromStdString("Crystal structure" + (model_.title.empty() ? "" : ": " + model_.title));
    if (drawing::save_picture(fileName, format, canvas_->picture(), redraw_on, title))
        return true;
    if (services_.messages)
        services_.messages->warning("Cannot write " + fileName.toStdString());
    return false;
}

void Tfstructure::export_picture()
{
    if (!services_.fileDialogs)
        return;
    FileRequest request;
    request.title = "Save picture";
    request.filters = {{"PNG picture (*.png)", "*.png"}, {"SVG drawing (*.svg)", "*.svg"}};
    request.defaultExtension = "png";
    request.directory = model_.startDirectory;
    if (const auto chosen = services_.fileDialogs->save_file(request))
        save_picture(QString::fromStdString(chosen->path));
}

// The page takes the picture as the window shows it, as large as the page allows.
void Tfstructure::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!services_.printDialog || !services_.printDialog(printer))
        return;
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRectF page(QPointF(0, 0), QSizeF(printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    const QSizeF shown = QSizeF(canvas_->picture().size()).scaled(page.size(), Qt::KeepAspectRatio);
    const double factor = shown.width() / std::max(1, canvas_->picture().width());
    painter.translate(page.left() + (page.width() - shown.width()) / 2, page.top());
    painter.scale(factor, factor);
    render_structure(painter, QRectF(canvas_->picture().rect()), scene_, view_, options_);
    painter.end();
}

}  // namespace kalidos::app
