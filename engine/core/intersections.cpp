// Quadratic solver and ray-sphere intersection.
#include "core/intersections.h"

#include <cmath>

#include "core/vector_math.h"

namespace {

// The roots of solve_quadratic written into a fixed pair: their count (0 to
// 2). Allocates nothing, so the per-contact collision step stays free of
// heap traffic.
int quadratic_roots(float b, float c, float (&roots)[2], int* status) {
  int n = 0;
  int s = 0;
  if (b == 0.0f) {
    const float r = std::sqrt(-c);
    if (std::isfinite(r))
      roots[n++] = r;
    else
      s = 2;
  } else if (c == 0.0f) {
    roots[n++] = 0.0f;
    const float r = -2.0f * b;
    if (std::isfinite(r)) roots[n++] = r;
  } else {
    const float d = b * b - c;
    if (d < 0.0f) {
      s = 3;
    } else {
      const float sd = std::sqrt(d);
      roots[n++] = -b + sd;
      roots[n++] = -b - sd;
    }
  }
  if (status) *status = s;
  return n;
}

}  // namespace

std::vector<float> solve_quadratic(float b, float c, int* status) {
  float roots[2];
  const int n = quadratic_roots(b, c, roots, status);
  return std::vector<float>(roots, roots + n);
}

float ray_sphere_intersection(const float* origin, const float* dir, const float* centre,
                              int* status, float radius, bool prefer_nearest) {
  Vec3 p = to_vec3(origin);
  if (centre) p = p - to_vec3(centre);
  Vec3 u = to_vec3(dir);
  const float len = norm(u);
  if (len != 1.0f) u = u / len;
  int local = 0;
  float roots[2];
  const int count = quadratic_roots(dot(u, p), dot(p, p) - radius * radius, roots, &local);
  if (local != 0 || count == 0) {
    if (status) *status = local;
    return 0.0f;
  }
  if (count == 1) return roots[0];
  // i: the root of smaller magnitude (the first on a tie); o: the other one.
  const std::size_t i = std::abs(roots[1]) < std::abs(roots[0]) ? 1 : 0;
  const float near = roots[i];
  const float other = roots[1 - i];
  const float first = prefer_nearest ? near : other;
  const float second = prefer_nearest ? other : near;
  if (first > 0.0f) return first;
  if (second > 0.0f) return second;
  if (status) *status = -4;
  return other;
}
