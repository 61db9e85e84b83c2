// PhysObj integration.
#include "core/phys_obj.h"

#include <cmath>

namespace {
bool any_nonzero(const Vec3& v) {
  return v[0] != 0.0f || v[1] != 0.0f || v[2] != 0.0f;
}
}  // namespace

PhysObj::PhysObj(CoordinateSystem* cs, std::string name)
    : Wrapper<CoordinateSystem>(cs), Named(std::move(name)) {}

void PhysObj::AddLinearForce(const float* f) {
  for (int i = 0; i < 3; ++i) force[i] += f[i];
}

void PhysObj::AddTorque(const float* t) {
  for (int i = 0; i < 3; ++i) torque[i] += t[i];
}

void PhysObj::Update(double dt) {
  if (frozen || !update_enabled) return;
  const bool moving = any_nonzero(velocity);
  const bool spinning = any_nonzero(angular_velocity);
  bool accelerating = false;
  bool angular = false;
  Vec3 a{0, 0, 0};
  Vec3 alpha{0, 0, 0};
  if (mass != 0.0) {
    accelerating = any_nonzero(force);
    if (accelerating) {
      const double inv = 1.0 / mass;
      for (int i = 0; i < 3; ++i) a[i] = static_cast<float>(force[i] * inv);
    }
    angular = any_nonzero(torque);
    if (angular) {
      const double inv = 1.0 / inertia;
      for (int i = 0; i < 3; ++i) alpha[i] = static_cast<float>(torque[i] * inv);
    }
  }
  previous_position = position;
  if (moving)
    for (int i = 0; i < 3; ++i)
      position[i] = static_cast<float>(position[i] + double(velocity[i]) * dt);
  const Vec3 omega = angular_velocity;
  if (accelerating) {
    for (int i = 0; i < 3; ++i) velocity[i] = static_cast<float>(velocity[i] + double(a[i]) * dt);
    const float speed = norm(velocity);
    if (max_speed > 0.0f && speed > max_speed) {
      velocity = velocity * (max_speed / speed);
    } else {
      const float half_dt2 = static_cast<float>(0.5 * dt * dt);
      for (int i = 0; i < 3; ++i) position[i] += a[i] * half_dt2;
    }
  }
  if (spinning) {
    const float w = norm(omega);
    const float theta = static_cast<float>(w * dt);
    if (theta != 0.0f) {
      const Vec3 axis = omega / w;
      float r[9];
      rodrigues(axis.data(), theta, r);
      coord_sys().rotate_global(r);
    }
  }
  if (angular)
    for (int i = 0; i < 3; ++i)
      angular_velocity[i] = static_cast<float>(angular_velocity[i] + double(alpha[i]) * dt);
}
