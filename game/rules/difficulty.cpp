#include "game/rules/difficulty.h"

#include <cmath>
#include <iostream>

#include "core/coordinate_system.h"
#include "game/rules/random.h"

float Difficulty::sigma() const {
  return static_cast<float>((2 - level) * aim_error_scale);
}

std::array<float, 2> Difficulty::aim_errors(pcg32& engine, float sigma) {
  std::array<float, 2> errors{};
  for (float& error : errors) {
    double u = 0.0, w = 0.0, s = 0.0;
    // s = 0 would give 0 x infinity; the method needs 0 < s < 1.
    do {
      u = 2.0 * unit_interval(engine) - 1.0;
      w = 2.0 * unit_interval(engine) - 1.0;
      s = u * u + w * w;
    } while (s >= 1.0 || s == 0.0);
    error = static_cast<float>(u * std::sqrt(-2.0 * std::log(s) / s) * sigma);
  }
  return errors;
}

std::pair<Vec3, Vec3> Difficulty::aim_direction(const Vec3& p, const Vec3& q) const {
  const float s = sigma();
  pcg32 engine = auto_seeded_pcg32(this);
  const std::array<float, 2> errors = aim_errors(engine, s);
  std::cout << "x err = " << errors[0] << ", y err = " << errors[1] << std::endl;
  return aim_direction(p, q, errors);
}

std::pair<Vec3, Vec3> Difficulty::aim_direction(const Vec3& p, const Vec3& q,
                                                const std::array<float, 2>& errors) {
  const float dist = norm(p - q);
  CoordinateSystem frame;
  const Vec3 up{0.0f, 1.0f, 0.0f};
  frame.look_at(p.data(), q.data(), up.data(), false);
  frame.rotate_local(rodrigues(errors[0], 0.0f, 1.0f, 0.0f).data());
  frame.rotate_local(rodrigues(errors[1], 1.0f, 0.0f, 0.0f).data());
  return {p, p - frame.zhat_array() * dist};
}
