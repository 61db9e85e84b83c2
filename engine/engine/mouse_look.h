// MouseLook: turns a coordinate system by a two-dimensional motion (mouse
// steps or stick deflections): yaw about a fixed up axis, pitch about the
// system's own side axis held between elevation limits, with a per-axis
// steady slow-down and an easing of the elevation toward a target.
#pragma once

#include <array>
#include <functional>

#include "core/coordinate_system.h"
#include "core/wrapper.h"
#include "input/mouse.h"

// The turned system and the steady flag are each borrowed or owned (Wrapper
// rules): a copy owns copies of what the source owns and shares what it
// borrows, and recomputes its speeds before its first turn. Runs on the
// freeglut thread.
class MouseLook {
 public:
  using Vec = std::array<float, 3>;

  // Borrows cs, or owns a new coordinate system when it is null; speed in
  // radians per unit of motion and the steady divisor, each on all axes.
  explicit MouseLook(CoordinateSystem* cs = nullptr, float speed = 0.005f,
                     float steady_factor = 4.0f);
  MouseLook(const MouseLook& other);
  MouseLook& operator=(const MouseLook& other);
  MouseLook(MouseLook&&) = default;
  MouseLook& operator=(MouseLook&&) = default;
  ~MouseLook() = default;

  // Turns target (null: coord_sys()) by delta (null: the mouse's last step):
  // yaw = -(speed x . delta x), pitch = -(delta y . speed y), each negated
  // again when the mouse's factor for that axis is negative (inverted). With
  // an up axis (the argument when 0 or more, else the object's own) the pitch
  // is cut so the elevation stays within the limits, then applied about the
  // target's own x axis, and the yaw about the up axis in the scene frame;
  // without one both turn the target in its own frame, about its x and y
  // axes, in the same senses. A zero delta changes
  // nothing. reference is not read. verbose prints the orientation before
  // and after.
  void apply_mouse_motion(const kMouse* mouse, const float* delta = nullptr,
                          const CoordinateSystem* reference = nullptr,
                          CoordinateSystem* target = nullptr, int up_axis = -1,
                          bool verbose = false);

  // The speeds in use: base / steady factor while the steady flag is set,
  // else base. The three-float setters recompute at once; the array setter
  // changes only the base, which takes effect at the next recomputation.
  void set_rot_speed(float x, float y, float z);
  void set_rot_speed(const Vec& speed) { base_speed_ = speed; }
  Vec get_rot_speed() const { return rot_speed_; }
  const Vec& base_speed() const { return base_speed_; }
  void set_steady_factor(float x, float y, float z);
  const Vec& steady_factor() const { return steady_factor_; }
  // Recomputes the speeds when they are pending or when forced.
  void apply_steady_mode(bool force);

  // The steady flag; setting it takes effect at the next recomputation.
  bool steady_mode() const { return steady_mode_.get(); }
  void steady_mode(bool on) { steady_mode_.get() = on; }
  // Borrows a flag shared with others; null gives the object a flag of its own.
  void steady_mode_flag(bool* flag) { steady_mode_.set(flag); }

  // Up axis 0 x, 1 y, 2 z; any other value: none.
  void up_axis(int axis) { up_axis_ = axis; }
  int up_axis() const { return up_axis_; }
  // Elevation limits in degrees (-60 and 60).
  float min_elevation() const { return min_elevation_; }
  float max_elevation() const { return max_elevation_; }
  void elevation_limits(float min_deg, float max_deg) {
    min_elevation_ = min_deg;
    max_elevation_ = max_deg;
  }
  CoordinateSystem& coord_sys() { return coord_sys_.get(); }
  const CoordinateSystem& coord_sys() const { return coord_sys_.get(); }
  // Steady-clock seconds of the last turn (construction before the first).
  double last_rotation_time() const { return last_rotation_time_; }

  // An Event update function easing the elevation of coord_sys() toward
  // target (degrees) about the up axis (the argument when 0 to 2, else the
  // object's own, else y): at scaled time t the wanted elevation is
  // target (1 - w) + e0 w with w = exp(-rate t), e0 the elevation when the
  // function was made. The elevation is that of the system's z axis,
  // atan2(z[a], |z without a|) in degrees. Valid while this object lives.
  std::function<void(double)> orient_elevation(float target, double rate, int up_axis);

 private:
  void recompute_speeds();

  Wrapper<CoordinateSystem> coord_sys_;
  int up_axis_ = -1;
  Vec rot_speed_;
  Vec base_speed_;
  Vec steady_factor_;
  Wrapper<bool> steady_mode_;
  bool speeds_pending_ = true;
  float min_elevation_ = -60.0f;
  float max_elevation_ = 60.0f;
  double last_rotation_time_;
};
