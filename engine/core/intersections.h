// Quadratic roots and ray-sphere crossings beneath the collision operations.
#pragma once

#include <vector>

// Roots of t^2 + 2 b t + c = 0. Status: 0 roots found; 2 for b = 0 and c > 0
// (no root); 3 for a negative discriminant (no root). For b = 0 only the
// non-negative root is given; for c = 0 the roots 0 and -2b.
std::vector<float> solve_quadratic(float b, float c, int* status = nullptr);

// Distance along the ray origin + t dir (dir normalised first unless its length
// is exactly 1) to the sphere of the given radius about centre (null: the
// origin of coordinates). By default the larger positive crossing is preferred
// (the far side from outside, the exit from inside); with prefer_nearest the
// crossing of smaller magnitude is taken when it lies ahead. A miss leaves the
// solver's status (2 or 3) and 0; no crossing ahead gives -4. On success the
// status is not written, so callers set it to 0 first.
float ray_sphere_intersection(const float* origin, const float* dir, const float* centre,
                              int* status, float radius, bool prefer_nearest = false);
