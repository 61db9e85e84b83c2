// Drag, spin force, spin damping and the wall bounce of one ball.
#include "game/table/ball_physics.h"

#include <cmath>

namespace ball_physics {

void apply_forces(Ball& ball, double c) {
  const Vec3& v = ball.velocity;
  const Vec3& w = ball.angular_velocity;
  ball.ClearLinearForces();
  ball.AddLinearForce(v * -kDrag);
  if (ball.spin_force) {
    const Vec3 spin{static_cast<float>(c * (double(w[1]) * v[2] - double(w[2]) * v[1])),
                    static_cast<float>(c * (double(w[2]) * v[0] - double(w[0]) * v[2])),
                    static_cast<float>(c * (double(w[0]) * v[1] - double(w[1]) * v[0]))};
    ball.AddLinearForce(spin);
  }
  ball.ClearAngularForces();
  ball.AddTorque(w * -kSpinDamping);
}

void bounce_off_wall(Ball& ball, int axis) {
  Vec3& v = ball.velocity;
  if (axis < 0 || axis > 2 || v[axis] == 0.0f) return;
  Vec3 vt = v;
  vt[axis] = 0.0f;
  const Vec3 vn = v - vt;
  const float vt_len = norm(vt);
  if (vt_len <= kTangentialEpsilon || !std::isfinite(vt_len)) {
    // Head-on: nothing to roll with. The speed keeps the same share of the
    // energy as the main bounce.
    v[axis] = -v[axis];
    v = v * static_cast<float>(std::sqrt(kBounceKeep));
    return;
  }
  Vec3 n{0, 0, 0};
  n[axis] = ball.position[axis] > 0.0f ? -1.0f : 1.0f;
  const Vec3& w = ball.angular_velocity;
  Vec3 wt = w;
  wt[axis] = 0.0f;
  const Vec3 wn = w - wt;
  const double m = ball.mass;
  const double inertia = ball.inertia;
  const float r = ball.radius;
  const float e_spin = static_cast<float>(0.5 * inertia * dot(wt, wt));
  const float e_linear = static_cast<float>(0.5 * m * dot(v, v));
  const float e = e_spin + e_linear;
  const Vec3 u = normalized(vt - vn);
  const float vn2 = dot(vn, vn);
  const float vt2 = dot(vt, vt);
  const float k2 = vt2 / vn2;
  // Twice the kept share, since E = q ((I / r^2 + m) k^2 + m) / 2 afterwards.
  const float q =
      static_cast<float>(2.0 * kBounceKeep * e / ((inertia / (double(r) * r) + m) * k2 + m));
  const float s = std::sqrt(q * vt2) / std::sqrt(vn2);
  const Vec3 roll_axis = normalized(cross(n, v));
  v = u * std::sqrt(s * s + q);
  ball.angular_velocity = roll_axis * (s / r) + wn;
}

double energy(const Ball& ball) {
  double v2 = 0.0;
  double w2 = 0.0;
  for (int i = 0; i < 3; ++i) {
    v2 += double(ball.velocity[i]) * ball.velocity[i];
    w2 += double(ball.angular_velocity[i]) * ball.angular_velocity[i];
  }
  return 0.5 * ball.mass * v2 + 0.5 * ball.inertia * w2;
}

}  // namespace ball_physics
