// The colour of each element's spheres.
#pragma once

#include <QColor>

namespace kalidos::app {

// The usual CPK colours (red O, blue N, grey C, white H, ...) for the common elements; the others
// of one period share a hue turning with the atomic number. 0 (no element) is pink.
QColor element_colour(int atomicNumber);

}  // namespace kalidos::app
