// The one drawing of the crystal structure: the window, its PNG and SVG files and the printed page
// all call render_structure, on painters of their own.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QTransform>

#include "structure/structure_view.hpp"

namespace kalidos::app {

struct RenderOptions {
    bool bonds = true;
    bool ellipsoids = false;    // atoms as displacement ellipsoids (spheres of B without a tensor)
    double probability = 0.5;   // of the ellipsoids
    // Sphere radius = sphereScale × the covalent radius (Cordero et al. 2008, gemmi's table).
    double sphereScale = 0.5;
    int highlightedAtom = 0;    // the row of the asymmetric unit whose images are ringed; 0: none
};

// Draws the scene into `target` (white background, the cells' edges with a, b, c at the first
// cell, atoms, bonds and polyhedra painted from the back to the front).
void render_structure(QPainter& painter, const QRectF& target, const StructureScene& scene, const StructureView& view,
                      const RenderOptions& options);

// The atom (index into scene.atoms) drawn at `point`, the nearest to the viewer; -1 for none.
int atom_at(const QRectF& target, const StructureScene& scene, const StructureView& view,
            const RenderOptions& options, const QPointF& point);

// The transform that maps the unit disc onto the outline of the atom on the picture.
QTransform atom_outline(const Projection& projection, const SceneAtom& atom, const RenderOptions& options);

}  // namespace kalidos::app
