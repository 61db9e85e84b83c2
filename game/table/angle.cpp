#include "game/table/angle.h"

#include <cmath>

float angle_between(const Vec3& a, const Vec3& b, float fallback) {
  const float c = dot(a, b) / (norm(a) * norm(b));
  if (c >= 1.0f) return 0.0f;
  if (c <= -1.0f) return 3.1415927f;
  const float angle = std::acos(c);
  return std::isfinite(angle) ? angle : fallback;
}
