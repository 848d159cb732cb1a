#include "structure/structure_render.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainterPath>

#include "geometry/ellipsoid.hpp"
#include "structure/element_colours.hpp"

namespace kalidos::app {
namespace {

enum class Kind { Atom, Bond, Face, Edge };

struct Item {
    double depth;  // towards the viewer: drawn last
    Kind kind;
    int index;
    int part;
};

constexpr double kSmallestRadius = 0.08;  // Å: an atom with B = 0 or an unknown element stays visible
constexpr int kEdgePieces = 8;            // cell edges are cut so that atoms hide them piece by piece

Mat3 viewed_tensor(const Projection& projection, const Mat3& u)
{
    return product(product(projection.rotation(), u), transposed(projection.rotation()));
}

// The tensor's ellipsoid scaled to `probability`, cut down to the picture's plane: its outline is the
// image of the unit circle under the Cholesky factor of the 2 × 2 block.
QTransform ellipsoid_outline(const Projection& projection, const SceneAtom& atom, double probability, QPointF centre)
{
    const Mat3 u = viewed_tensor(projection, atom.displacement);
    const double k = ellipsoid_scale(probability) * projection.pixels_per_angstrom();
    const double smallest = kSmallestRadius * kSmallestRadius;
    const double l00 = std::sqrt(std::max(u[0][0], smallest));
    const double l10 = u[0][1] / l00;
    const double l11 = std::sqrt(std::max(u[1][1] - l10 * l10, smallest));
    return QTransform(k * l00, -k * l10, 0, -k * l11, centre.x(), centre.y());
}

// The unit circle (radius `radius`) mapped onto the picture by an atom's outline transform: the
// shapes are mapped, not drawn under the transform, so that pens keep their widths and gradients
// their places in every output (SVG readers know no non-scaling strokes, nor brush transforms).
QPainterPath mapped_circle(const QTransform& outline, double radius = 1)
{
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), radius, radius);
    return outline.map(path);
}

QColor shade(QColor colour, double lighter)
{
    return QColor::fromRgbF(static_cast<float>(colour.redF() + (1 - colour.redF()) * lighter),
                            static_cast<float>(colour.greenF() + (1 - colour.greenF()) * lighter),
                            static_cast<float>(colour.blueF() + (1 - colour.blueF()) * lighter));
}

// The shading of a disc, its centre and focus placed on the picture.
QBrush sphere_brush(const QColor& colour, const QTransform& outline)
{
    const double radius = std::sqrt(std::fabs(outline.determinant()));
    QRadialGradient gradient(outline.map(QPointF(0, 0)), radius, outline.map(QPointF(-0.35, 0.4)));
    gradient.setColorAt(0, shade(colour, 0.75));
    gradient.setColorAt(0.55, colour);
    gradient.setColorAt(1, colour.darker(210));
    return gradient;
}

// The ellipses of the principal planes, drawn over the shaded outline.
void draw_principal_sections(QPainter& painter, const Projection& projection, const SceneAtom& atom,
                             double probability, QPointF centre)
{
    const PrincipalAxes axes = principal_axes(viewed_tensor(projection, atom.displacement));
    const double k = ellipsoid_scale(probability) * projection.pixels_per_angstrom();
    Vec3 semi[3];
    for (std::size_t i = 0; i < 3; ++i)
        semi[i] = k * std::sqrt(std::max(axes.values[i], 0.0)) * axes.axes[i];
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < 3; ++i) {
        const Vec3& p = semi[i];
        const Vec3& q = semi[(i + 1) % 3];
        painter.drawPath(mapped_circle(QTransform(p[0], -p[1], q[0], -q[1], centre.x(), centre.y())));
    }
}

// The shaded disc of an atom (a sector for a partly occupied site) on the outline.
void paint_disc(QPainter& painter, const QTransform& outline, const QColor& colour, double population)
{
    painter.setPen(QPen(QColor(40, 40, 40), 0.8));
    if (population < 0.999) {
        // The empty part of a partly occupied site is a lighter disc, the occupied part a sector
        // from the top, clockwise as seen.
        painter.setBrush(sphere_brush(shade(colour, 0.7), outline));
        painter.drawPath(mapped_circle(outline));
        QPainterPath sector(QPointF(0, 0));
        sector.arcTo(QRectF(-1, -1, 2, 2), 90, -population * 360);
        sector.closeSubpath();
        painter.setBrush(sphere_brush(colour, outline));
        painter.drawPath(outline.map(sector));
    } else {
        painter.setBrush(sphere_brush(colour, outline));
        painter.drawPath(mapped_circle(outline));
    }
}

// On pixels a sphere is the same disc painted once per colour, size and occupation and then copied:
// gradients cost ten times a copy, and a turning picture of thousands of atoms redraws them all.
class SphereSprites {
public:
    const QImage& sprite(const QColor& colour, double radius, double population)
    {
        const int quarterPixels = static_cast<int>(std::lround(radius * 4));
        const int occupation = static_cast<int>(std::lround(population * 100));
        const Key key{colour.rgb(), quarterPixels, occupation};
        const auto found = sprites_.find(key);
        if (found != sprites_.end())
            return found->second;
        const double r = quarterPixels / 4.0;
        const int side = static_cast<int>(std::ceil(2 * r + 4));
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint_disc(painter, QTransform(r, 0, 0, r, side / 2.0, side / 2.0), colour, occupation / 100.0);
        painter.end();
        return sprites_.emplace(key, image).first->second;
    }

private:
    using Key = std::tuple<QRgb, int, int>;
    std::map<Key, QImage> sprites_;
};

SphereSprites& sphere_sprites()
{
    static SphereSprites sprites;
    return sprites;
}

bool on_pixels(const QPainter& painter)
{
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster &&
           painter.transform().isIdentity();
}

// Under the painter's own transform (the printed page's scale).
void draw_atom(QPainter& painter, const Projection& projection, const SceneAtom& atom, const RenderOptions& options)
{
    const QTransform outline = atom_outline(projection, atom, options);
    const QColor colour = element_colour(atom.atomicNumber);
    const double population = std::clamp(atom.population, 0.0, 1.0);
    if (!options.ellipsoids && on_pixels(painter)) {
        const QImage& sprite = sphere_sprites().sprite(colour, outline.m11(), population);
        painter.drawImage(QPointF(outline.dx() - sprite.width() / 2.0, outline.dy() - sprite.height() / 2.0), sprite);
    } else {
        paint_disc(painter, outline, colour, population);
    }
    if (options.ellipsoids && atom.anisotropic) {
        painter.setPen(QPen(QColor(30, 30, 30), 0.7));
        draw_principal_sections(painter, projection, atom, options.probability, outline.map(QPointF(0, 0)));
    }
    if (atom.atom == options.highlightedAtom) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 170, 0), 3.5));
        painter.drawPath(mapped_circle(outline, 1.18));
    }
}

// The half of a bond at its own atom, painted just before that atom: the part under the sphere
// (within its radius `hidden`, pixels) would be covered at once and is not painted.
void draw_bond_half(QPainter& painter, const Projection& projection, const StructureScene& scene,
                    const std::pair<int, int>& bond, int half, double width, double hidden)
{
    const SceneAtom& own = scene.atoms[static_cast<std::size_t>(half == 0 ? bond.first : bond.second)];
    const SceneAtom& other = scene.atoms[static_cast<std::size_t>(half == 0 ? bond.second : bond.first)];
    const QPointF centre = projection.screen(projection.viewed(own.cartesian));
    const QPointF middle = projection.screen(projection.viewed(0.5 * (own.cartesian + other.cartesian)));
    const bool rim = width >= 3;  // a darker rim where it shows; a thin bond is one line
    const double halfWidth = rim ? width / 2 + 1 : width / 2;
    const double length = std::hypot(middle.x() - centre.x(), middle.y() - centre.y());
    const double covered = std::sqrt(std::max(hidden * hidden - halfWidth * halfWidth, 0.0));
    if (length <= covered)
        return;
    const QPointF from = centre + (middle - centre) * (covered / length);
    const QColor colour = element_colour(own.atomicNumber);
    if (rim) {
        painter.setPen(QPen(colour.darker(170), width + 2, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(from, middle);
    }
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, middle);
}

void draw_face(QPainter& painter, const Projection& projection, const StructureScene& scene, const Polyhedron& hull,
               const std::vector<int>& face)
{
    QPolygonF polygon;
    for (int v : face)
        polygon << projection.screen(projection.viewed(hull.vertices[static_cast<std::size_t>(v)]));
    QColor colour = element_colour(scene.atoms[static_cast<std::size_t>(hull.centre)].atomicNumber);
    colour.setAlphaF(0.45f);
    painter.setBrush(colour);
    painter.setPen(QPen(colour.darker(200), 1));
    painter.drawPolygon(polygon);
}

// The edges of every cell of the block, as (start, end) in fractional coordinates.
std::vector<std::pair<Vec3, Vec3>> cell_edges(const CellRange& r)
{
    std::vector<std::pair<Vec3, Vec3>> edges;
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (int i = r.from[u]; i <= r.to[u]; ++i)
            for (int j = r.from[v]; j <= r.to[v]; ++j) {
                Vec3 start{}, end{};
                start[static_cast<std::size_t>(axis)] = r.from[axis];
                end[static_cast<std::size_t>(axis)] = r.to[axis];
                start[static_cast<std::size_t>(u)] = end[static_cast<std::size_t>(u)] = i;
                start[static_cast<std::size_t>(v)] = end[static_cast<std::size_t>(v)] = j;
                edges.emplace_back(start, end);
            }
    }
    return edges;
}

Vec3 edge_point(const std::pair<Vec3, Vec3>& edge, double t) { return edge.first + t * (edge.second - edge.first); }

// A text with a white rim, readable over lines and atoms.
void halo_text(QPainter& painter, const QRectF& box, const QString& text, const QColor& colour)
{
    QPainterPath path;
    const QFontMetricsF metrics(painter.font());
    const QPointF at(box.center().x() - metrics.horizontalAdvance(text) / 2,
                     box.center().y() + (metrics.ascent() - metrics.descent()) / 2);
    path.addText(at, painter.font(), text);
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(path);
}

// The directions of a, b and c in a corner of the picture, where no atom is drawn, and the cell's
// origin named 0 just outside the block of cells, beyond the largest sphere.
void draw_axes(QPainter& painter, const QRectF& target, const Projection& projection, const StructureScene& scene,
               const RenderOptions& options)
{
    // In the picture's pixels, whatever the device's resolution: the page and the SVG alike.
    QFont font = painter.font();
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    const CellRange& r = scene.range;
    const Vec3 origin{double(r.from[0]), double(r.from[1]), double(r.from[2])};
    const QPointF corner = projection.screen(projection.viewed(scene.cartesian(origin)));
    const Vec3 middle{0.5 * (r.from[0] + r.to[0]), 0.5 * (r.from[1] + r.to[1]), 0.5 * (r.from[2] + r.to[2])};
    QPointF outwards = corner - projection.screen(projection.viewed(scene.cartesian(middle)));
    const double away = std::hypot(outwards.x(), outwards.y());
    outwards = away > 1 ? outwards / away : QPointF(-0.7, 0.7);
    double largest = 0;  // pixels
    for (const SceneAtom& atom : scene.atoms)
        largest = std::max(largest, std::max(options.sphereScale * atom.covalentRadius, kSmallestRadius));
    const double reach = options.ellipsoids ? 10 : largest * projection.pixels_per_angstrom() + 10;
    halo_text(painter, QRectF(corner + reach * outwards - QPointF(10, 10), QSizeF(20, 20)), "0", Qt::black);

    const double length = 34;  // pixels of an axis along the picture
    const QPointF foot(target.left() + 16 + length, target.bottom() - 16 - length);
    const char* names[3] = {"a", "b", "c"};
    const QColor colours[3] = {QColor(190, 0, 0), QColor(0, 130, 0), QColor(0, 0, 200)};
    for (std::size_t i = 0; i < 3; ++i) {
        Vec3 unitTip{};
        unitTip[i] = 1;
        Vec3 direction = times(projection.rotation(), scene.cartesian(unitTip));
        direction = (1 / std::max(norm(direction), 1e-12)) * direction;
        const QPointF along(direction[0], -direction[1]);
        const QPointF tip = foot + length * along;
        painter.setPen(QPen(colours[i], 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(foot, tip);
        // An axis along the line of sight is a dot with its name beside the foot.
        const double seen = std::hypot(along.x(), along.y());
        const QPointF label = seen > 0.3 ? foot + (length + 11) * along
                                         : foot + QPointF(direction[2] > 0 ? -14 : 14, 14);
        halo_text(painter, QRectF(label - QPointF(10, 10), QSizeF(20, 20)), names[i], colours[i]);
    }
}

std::vector<Item> depth_order(const Projection& projection, const StructureScene& scene,
                              const std::vector<std::pair<Vec3, Vec3>>& edges, const RenderOptions& options)
{
    std::vector<Item> items;
    items.reserve(scene.atoms.size() + 2 * scene.bonds.size() + edges.size() * kEdgePieces);
    for (std::size_t i = 0; i < scene.atoms.size(); ++i)
        items.push_back({projection.viewed(scene.atoms[i].cartesian)[2], Kind::Atom, static_cast<int>(i), 0});
    // Each half of a bond just behind its own atom, which covers the half's root.
    for (std::size_t i = 0; options.bonds && i < scene.bonds.size(); ++i)
        for (int half = 0; half < 2; ++half) {
            const int atom = half == 0 ? scene.bonds[i].first : scene.bonds[i].second;
            const double depth = projection.viewed(scene.atoms[static_cast<std::size_t>(atom)].cartesian)[2];
            items.push_back({std::nextafter(depth, -1e300), Kind::Bond, static_cast<int>(i), half});
        }
    for (std::size_t p = 0; p < scene.polyhedra.size(); ++p)
        for (std::size_t f = 0; f < scene.polyhedra[p].faces.size(); ++f) {
            Vec3 centroid{};
            for (int v : scene.polyhedra[p].faces[f])
                centroid = centroid + scene.polyhedra[p].vertices[static_cast<std::size_t>(v)];
            centroid = (1.0 / static_cast<double>(scene.polyhedra[p].faces[f].size())) * centroid;
            items.push_back({projection.viewed(centroid)[2], Kind::Face, static_cast<int>(p), static_cast<int>(f)});
        }
    for (std::size_t e = 0; e < edges.size(); ++e)
        for (int piece = 0; piece < kEdgePieces; ++piece) {
            const Vec3 middle = edge_point(edges[e], (piece + 0.5) / kEdgePieces);
            items.push_back({projection.viewed(scene.cartesian(middle))[2], Kind::Edge, static_cast<int>(e), piece});
        }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.depth < b.depth; });
    return items;
}

}  // namespace

QTransform atom_outline(const Projection& projection, const SceneAtom& atom, const RenderOptions& options)
{
    const QPointF centre = projection.screen(projection.viewed(atom.cartesian));
    if (options.ellipsoids)
        return ellipsoid_outline(projection, atom, options.probability, centre);
    const double r = std::max(options.sphereScale * atom.covalentRadius, kSmallestRadius) * projection.pixels_per_angstrom();
    return QTransform(r, 0, 0, r, centre.x(), centre.y());
}

void render_structure(QPainter& painter, const QRectF& target, const StructureScene& scene, const StructureView& view,
                      const RenderOptions& options)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(target, Qt::white);
    painter.setClipRect(target);
    const Projection projection(target, scene, view);
    const std::vector<std::pair<Vec3, Vec3>> edges = cell_edges(scene.range);
    const double bondWidth = std::max(1.5, 0.16 * projection.pixels_per_angstrom());
    const QPen edgePen(QColor(60, 60, 60), 1.2);
    for (const Item& item : depth_order(projection, scene, edges, options)) {
        const auto index = static_cast<std::size_t>(item.index);
        if (item.kind == Kind::Atom) {
            draw_atom(painter, projection, scene.atoms[index], options);
        } else if (item.kind == Kind::Bond) {
            const auto& bond = scene.bonds[index];
            const SceneAtom& own = scene.atoms[static_cast<std::size_t>(item.part == 0 ? bond.first : bond.second)];
            const double hidden = options.ellipsoids ? 0.0 : atom_outline(projection, own, options).m11();
            draw_bond_half(painter, projection, scene, bond, item.part, bondWidth, hidden);
        } else if (item.kind == Kind::Face) {
            draw_face(painter, projection, scene, scene.polyhedra[index],
                      scene.polyhedra[index].faces[static_cast<std::size_t>(item.part)]);
        } else {
            painter.setPen(edgePen);
            const auto at = [&](int k) {
                return projection.screen(projection.viewed(scene.cartesian(edge_point(edges[index], double(k) / kEdgePieces))));
            };
            painter.drawLine(at(item.part), at(item.part + 1));
        }
    }
    draw_axes(painter, target, projection, scene, options);
    painter.restore();
}

int atom_at(const QRectF& target, const StructureScene& scene, const StructureView& view,
            const RenderOptions& options, const QPointF& point)
{
    const Projection projection(target, scene, view);
    int best = -1;
    double bestDepth = -1e300;
    for (std::size_t i = 0; i < scene.atoms.size(); ++i) {
        const double depth = projection.viewed(scene.atoms[i].cartesian)[2];
        if (depth <= bestDepth)
            continue;
        bool invertible = false;
        const QPointF local = atom_outline(projection, scene.atoms[i], options).inverted(&invertible).map(point);
        if (invertible && local.x() * local.x() + local.y() * local.y() <= 1) {
            best = static_cast<int>(i);
            bestDepth = depth;
        }
    }
    return best;
}

}  // namespace kalidos::app
