// Straight-path tests of the computer player: whether a sphere moving along a
// segment between centres meets other balls or the pockets.
#pragma once

#include <vector>

#include "core/vector_math.h"

class Ball;
class Pocket;

struct Sphere {
  Vec3 centre;
  float radius;
};

// One flag per sphere, in list order: set for the first sphere that a sphere
// of radius r moving from start to end meets on the way (0 < t < |end -
// start| along the segment, the nearer crossing preferred), and for no other.
std::vector<bool> swept_sphere_hits(const Vec3& start, const Vec3& end,
                                    const std::vector<Sphere>& spheres, float r);
// Whether any flag of swept_sphere_hits is set.
bool swept_sphere_blocked(const Vec3& start, const Vec3& end, const std::vector<Sphere>& spheres,
                          float r);

// Ball a moving from its centre to ball b's meets another ball (all but a
// and b, at their radii). False for indices that name no ball.
bool path_blocked(const std::vector<Ball>& balls, int a, int b);
// Ball a moving from its centre to the point meets any other ball.
bool path_to_point_blocked(const std::vector<Ball>& balls, int a, const Vec3& point);
// The pockets' capture spheres on the segment (a moving point).
std::vector<bool> pocket_hits(const std::vector<Pocket>& pockets, const Vec3& start,
                              const Vec3& end);
bool pocket_on_path(const std::vector<Pocket>& pockets, const Vec3& start, const Vec3& end);
