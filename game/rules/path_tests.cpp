#include "game/rules/path_tests.h"

#include <algorithm>

#include "core/intersections.h"
#include "game/table/ball.h"
#include "game/table/pocket.h"

namespace {

// The first sphere met, or count. Spheres for which skip answers true are
// not tested.
template <typename SphereAt, typename Skip>
std::size_t first_hit(const Vec3& start, const Vec3& end, std::size_t count, float r,
                      SphereAt sphere_at, Skip skip) {
  const Vec3 d = end - start;
  const float length = norm(d);
  if (!(length > 0.0f)) return count;
  for (std::size_t i = 0; i < count; ++i) {
    if (skip(i)) continue;
    const Sphere s = sphere_at(i);
    int status = 0;
    const float t = ray_sphere_intersection(start.data(), d.data(), s.centre.data(), &status,
                                            s.radius + r, true);
    if (status == 0 && t > 0.0f && t < length) return i;
  }
  return count;
}

bool no_skip(std::size_t) {
  return false;
}

bool valid_ball(const std::vector<Ball>& balls, int i) {
  return i >= 0 && i < static_cast<int>(balls.size());
}

// Whether a ball other than a and skip meets ball a on its way to the point.
bool ball_path_blocked(const std::vector<Ball>& balls, int a, int skip, const Vec3& point) {
  const Ball& mover = balls[static_cast<std::size_t>(a)];
  const auto sphere_at = [&](std::size_t i) { return Sphere{balls[i].position, balls[i].radius}; };
  const auto excluded = [&](std::size_t i) {
    return static_cast<int>(i) == a || static_cast<int>(i) == skip;
  };
  return first_hit(mover.position, point, balls.size(), mover.radius, sphere_at, excluded) <
         balls.size();
}

}  // namespace

std::vector<bool> swept_sphere_hits(const Vec3& start, const Vec3& end,
                                    const std::vector<Sphere>& spheres, float r) {
  std::vector<bool> flags(spheres.size(), false);
  const std::size_t hit = first_hit(
      start, end, spheres.size(), r, [&](std::size_t i) { return spheres[i]; }, no_skip);
  if (hit < spheres.size()) flags[hit] = true;
  return flags;
}

bool swept_sphere_blocked(const Vec3& start, const Vec3& end, const std::vector<Sphere>& spheres,
                          float r) {
  return first_hit(
             start, end, spheres.size(), r, [&](std::size_t i) { return spheres[i]; }, no_skip) <
         spheres.size();
}

bool path_blocked(const std::vector<Ball>& balls, int a, int b) {
  if (!valid_ball(balls, a) || !valid_ball(balls, b)) return false;
  return ball_path_blocked(balls, a, b, balls[static_cast<std::size_t>(b)].position);
}

bool path_to_point_blocked(const std::vector<Ball>& balls, int a, const Vec3& point) {
  if (!valid_ball(balls, a)) return false;
  return ball_path_blocked(balls, a, -1, point);
}

std::vector<bool> pocket_hits(const std::vector<Pocket>& pockets, const Vec3& start,
                              const Vec3& end) {
  std::vector<bool> flags(pockets.size(), false);
  const std::size_t hit = first_hit(
      start, end, pockets.size(), 0.0f,
      [&](std::size_t i) {
        return Sphere{pockets[i].position, pockets[i].radius};
      },
      no_skip);
  if (hit < pockets.size()) flags[hit] = true;
  return flags;
}

bool pocket_on_path(const std::vector<Pocket>& pockets, const Vec3& start, const Vec3& end) {
  const std::vector<bool> flags = pocket_hits(pockets, start, end);
  return std::find(flags.begin(), flags.end(), true) != flags.end();
}
