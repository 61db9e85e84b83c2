// Unit icospheres: a regular icosahedron subdivided n times, with the
// spherical texture mapping that the ball pictures are drawn in.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "models/obj_renderer.h"

namespace datagen {

struct Icosphere {
  // Unit vectors; 10 * 4^n + 2 of them.
  std::vector<Vec3> vertices;
  // Counter-clockwise seen from outside; 20 * 4^n of them.
  std::vector<std::array<unsigned, 3>> triangles;
};

Icosphere make_icosphere(int subdivisions);

// The equirectangular mapping of the ball pictures: u grows with the
// longitude atan2(-z, x) from 0 at -x round to 1, so that a picture read from
// outside is not mirrored; v is 0 at the south pole (y = -1) and 1 at the
// north pole, so the top row of a picture lies at +y.
std::array<float, 2> sphere_uv(const Vec3& unit);

// Texture coordinates of one triangle: corners across the seam get u + 1
// (the texture repeats in u) and a corner on a pole takes the mean u of the
// other two, so no triangle smears the picture.
std::array<std::array<float, 2>, 3> triangle_uv(const std::array<Vec3, 3>& corners);

// The unit icosphere as a model: shared positions and normals (the normal is
// the position), one texture coordinate per distinct (u, v), material name
// `material`.
OBJRenderer icosphere_model(int subdivisions, const std::string& material);

}  // namespace datagen
