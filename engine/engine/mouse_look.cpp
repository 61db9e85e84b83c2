// Turning a view by mouse or stick motion.
#include "engine/mouse_look.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "core/timer.h"
#include "core/vector_math.h"

namespace {

constexpr float kRadToDeg = 57.29578f;
constexpr float kMinAngle = 1.1920929e-07f;

bool valid_axis(int axis) {
  return axis >= 0 && axis <= 2;
}

void print_orientation(const CoordinateSystem& cs) {
  const Mat3& r = cs.rotation();
  for (int row = 0; row < 3; ++row)
    std::cout << r[3 * row] << ", " << r[3 * row + 1] << ", " << r[3 * row + 2] << std::endl;
}

// The elevation of the z axis above the plane normal to the up axis, degrees.
float z_elevation(const CoordinateSystem& cs, int axis) {
  Vec3 z = to_vec3(cs.zhat());
  const float up = z[axis];
  z[axis] = 0.0f;
  return std::atan2(up, norm(z)) * kRadToDeg;
}

}  // namespace

MouseLook::MouseLook(CoordinateSystem* cs, float speed, float steady_factor)
    : coord_sys_(cs),
      rot_speed_{speed, speed, speed},
      base_speed_{speed, speed, speed},
      steady_factor_{steady_factor, steady_factor, steady_factor},
      last_rotation_time_(time_origin()) {}

MouseLook::MouseLook(const MouseLook& other)
    : coord_sys_(other.coord_sys_),
      up_axis_(other.up_axis_),
      rot_speed_(other.rot_speed_),
      base_speed_(other.base_speed_),
      steady_factor_(other.steady_factor_),
      steady_mode_(other.steady_mode_),
      speeds_pending_(true),
      min_elevation_(other.min_elevation_),
      max_elevation_(other.max_elevation_),
      last_rotation_time_(other.last_rotation_time_) {}

MouseLook& MouseLook::operator=(const MouseLook& other) {
  if (this == &other) return *this;
  coord_sys_ = other.coord_sys_;
  up_axis_ = other.up_axis_;
  rot_speed_ = other.rot_speed_;
  base_speed_ = other.base_speed_;
  steady_factor_ = other.steady_factor_;
  steady_mode_ = other.steady_mode_;
  speeds_pending_ = true;
  min_elevation_ = other.min_elevation_;
  max_elevation_ = other.max_elevation_;
  last_rotation_time_ = other.last_rotation_time_;
  return *this;
}

void MouseLook::recompute_speeds() {
  speeds_pending_ = false;
  for (std::size_t i = 0; i < 3; ++i)
    rot_speed_[i] = steady_mode_.get() ? base_speed_[i] / steady_factor_[i] : base_speed_[i];
}

void MouseLook::set_rot_speed(float x, float y, float z) {
  base_speed_ = {x, y, z};
  recompute_speeds();
}

void MouseLook::set_steady_factor(float x, float y, float z) {
  steady_factor_ = {x, y, z};
  recompute_speeds();
}

void MouseLook::apply_steady_mode(bool force) {
  if (speeds_pending_ || force) recompute_speeds();
}

void MouseLook::apply_mouse_motion(const kMouse* mouse, const float* delta, const CoordinateSystem*,
                                   CoordinateSystem* target, int up_axis, bool verbose) {
  CoordinateSystem& cs = target ? *target : coord_sys();
  if (verbose) print_orientation(cs);
  const float* d = delta ? delta : (mouse ? mouse->delta().data() : nullptr);
  if (!d || (d[0] == 0.0f && d[1] == 0.0f)) return;
  if (speeds_pending_) recompute_speeds();

  float yaw = -(rot_speed_[0] * d[0]);
  float pitch = -(d[1] * rot_speed_[1]);
  if (mouse && mouse->speed()[0] < 0.0f) yaw = -yaw;
  if (mouse && mouse->speed()[1] < 0.0f) pitch = -pitch;

  const int axis = up_axis >= 0 ? up_axis : up_axis_;
  bool turned = false;
  if (!valid_axis(axis)) {
    const float theta = std::hypot(pitch, yaw);
    if (theta < kMinAngle) return;
    // Pitch about the own x axis and yaw about the own y axis, each the way
    // the up-axis turn below goes (rightward motion turns right).
    const float k[3] = {pitch / theta, yaw / theta, 0.0f};
    cs.rotate_local(rodrigues_rad(theta, k).data());
    turned = true;
  } else {
    float up[3] = {0.0f, 0.0f, 0.0f};
    up[axis] = 1.0f;
    const float cosine = std::clamp(dot(cs.zhat(), up), -1.0f, 1.0f);
    const float elevation = std::acos(cosine) * kRadToDeg - 90.0f;
    float p = pitch * kRadToDeg;
    if (elevation + p > max_elevation_) p = max_elevation_ - elevation;
    if (elevation + p < min_elevation_) p = min_elevation_ - elevation;
    if (p != 0.0f) {
      cs.rotate_local(rodrigues_rad(p * kDegToRad, 1.0f, 0.0f, 0.0f).data());
      turned = true;
    }
    if (yaw != 0.0f) {
      cs.rotate_global(yaw, up);
      turned = true;
    }
  }
  if (turned) {
    last_rotation_time_ = time_origin();
    if (verbose) print_orientation(cs);
  }
}

std::function<void(double)> MouseLook::orient_elevation(float target, double rate, int up_axis) {
  int axis = valid_axis(up_axis) ? up_axis : up_axis_;
  if (!valid_axis(axis)) axis = 1;
  const float start = z_elevation(coord_sys(), axis);
  return [this, target, rate, axis, start](double t) {
    const double w = std::exp(-rate * t);
    const float wanted = static_cast<float>(target * (1.0 - w) + start * w);
    const float now = z_elevation(coord_sys(), axis);
    coord_sys().rotate_local(rodrigues_rad((wanted - now) * kDegToRad, -1.0f, 0.0f, 0.0f).data());
  };
}
