// Difficulty: the computer player's level and the aim error it makes.
#pragma once

#include <array>
#include <pcg_random.hpp>
#include <utility>

#include "core/vector_math.h"

class Difficulty {
 public:
  // The standard deviation of the aim error per axis in degrees:
  // (2 - level) x aim_error_scale (Easy 0.75, Medium 0.375, Hard 0).
  float sigma() const;

  // Two normal errors of standard deviation sigma (degrees), x then y, by
  // the polar method from the engine's draws.
  static std::array<float, 2> aim_errors(pcg32& engine, float sigma);

  // (P, Q'): Q swung about P by the two aim errors of a freshly seeded
  // engine, turning the view from P to Q by the x error about its y axis and
  // then by the y error about its x axis. Writes "x err = ..., y err = ..."
  // to the standard output.
  std::pair<Vec3, Vec3> aim_direction(const Vec3& p, const Vec3& q) const;
  // The same with given errors (degrees).
  static std::pair<Vec3, Vec3> aim_direction(const Vec3& p, const Vec3& q,
                                             const std::array<float, 2>& errors);

  int level = 2;                   // 0 Easy, 1 Medium, 2 Hard
  double aim_error_scale = 0.375;  // degrees
};
