// Whether a drawing can reach the picture at all: points against the view
// volume of the current model-view and projection matrices.
#pragma once

#include <array>
#include <cstddef>

// True when every point, in the coordinates of the current model-view
// matrix, lies beyond one and the same plane of the view volume (left,
// right, bottom, top, near or far, as the projection clips). Then nothing
// inside their convex hull, a model inside its bounding box say, can make a
// fragment, and drawing it can be left out without a pixel changing. False
// without points or while the matrices cannot be read.
bool outside_view_volume(const std::array<float, 3>* points, std::size_t count);

// The same for the cube of half side `half` around `centre` (a sphere of that
// radius fits in it).
bool outside_view_volume(const std::array<float, 3>& centre, float half);
