// Specimen transparency in reflection: the beam diffracts below the surface of the specimen too.
#pragma once

#include <span>
#include <vector>

#include "computation/pattern_grid.hpp"

namespace kalidos {

// X-rays diffracted at depth t are seen as from a specimen displaced by t, so a thick specimen of linear
// absorption μ on a goniometer of radius R spreads each peak into an exponential tail towards low angles,
// of length sin 2θ/(2μR) radians. `transparency` is 1/(2μR) in degrees (the length at 2θ = 90°); this
// gives the tail's length, in degrees, for a peak at `twoTheta` (degrees).
double transparency_tail_length(double twoTheta, double transparency);

// Appends `terms` (the copies of one peak, all of one half width) each spread along the tail of length
// `length` (degrees): heights summing to the terms' and the centroid moved down by exactly `length`. The
// nearest part of the tail stays with each term, shifted by its centroid; the rest is gathered on one
// grid of copies a quarter of the half width apart, below the highest term, each share split between its
// two neighbouring copies so that area and centroid are kept. As the length goes to 0 the copies go
// over continuously into the terms themselves.
void add_transparency_tail(std::span<const ProfileTerm> terms, double length, std::vector<ProfileTerm>& out);

}  // namespace kalidos
