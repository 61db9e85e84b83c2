// Walking: the player's body. A physics object whose position carries the
// camera, moved by control forces, slowed by friction of constant size, kept
// inside an optional circular arena around the origin and brought back to
// standing height; it also turns a view from a gamepad's right stick.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/bezier_fader.h"
#include "core/event_queue.h"
#include "core/phys_obj.h"
#include "engine/mouse_look.h"
#include "input/frame_clock.h"
#include "input/joystick.h"

// The PhysObj part holds position, velocity, maximum speed, force sum and
// mass; radius is the body radius for ValidPoint. Runs on the freeglut
// thread.
//
// The stand-up fader belongs to the walker and writes into its height: a copy
// starts without one, an assigned walker keeps its own, and destroying the
// walker takes the fader off its queue.
class Walking : public PhysObj {
 public:
  // The longest stick step one turn takes, in seconds: after a pause (a
  // menu) the stick turns as after one short frame, not by seconds at once.
  static constexpr double kMaxStickStep = 0.1;

  // Mass 86.6361427 kg, maximum speed 2.25 m/s, radius 0.25 m, standing at
  // height stand_height on the up axis with x = -2.0 and no vertical speed.
  explicit Walking(std::string name = "walking");

  // A control input: first, a speed below stop_speed is zeroed; then the
  // direction (level: without its up part) is normalised and scaled to
  // walk_accel x mass, the outward part filtered by the arena, and added to
  // the force sum when its acceleration is at least min_accel; with
  // walk_speed > 0 the velocity is set to that speed along it. A zero or
  // non-finite direction is dropped; null does only the first step.
  void ctl_input(const float* direction, bool level);
  // Turns target (null: the look's coordinate system) from the pad's right
  // stick (index 1, or its last stick) through look(): the stick's scaled
  // direction times the look's speeds and the time since the last call (at
  // most kMaxStickStep), invert[0] and invert[1] negating the two turns, up
  // axis y. -1 when it turned, 0 when the stick was at rest. verbose prints
  // the stick and the turn.
  int joystick_rotate(const Joystick& pad, const CoordinateSystem* reference = nullptr,
                      CoordinateSystem* target = nullptr, bool* invert = nullptr,
                      bool verbose = false);
  // Friction of size gravity x mass x friction against the velocity; nothing
  // at rest.
  void drag_forces();
  // Scales the outward part of a force by radius_filter_function of the
  // distance from the origin; returns that factor, 1 when there is no arena
  // (arena_radius 0) or the force points inward.
  float arena_radius_filter(std::array<float, 3>& force);
  // clamp(1 - exp((r - arena_radius) / arena_margin), 0, 1); 0 where that is
  // not a number (r at the radius of a hard edge).
  float radius_filter_function(float r) const;
  // Brings the height back to stand_height: at once with duration 0, no
  // queue or no up axis; otherwise, when the height is off by at least
  // 1.19e-5 and there is no fader, it has stopped or restart is set, a
  // fader "BezierFaderBuffered" over duration seconds from the queue's time,
  // unless the previous fader is still active in that queue.
  void stand(EventQueue* queue, double duration, bool restart);
  // Zero velocity and force sum.
  void stand_still();
  // Faster than moving_speed.
  bool walking() const;
  // p lies within radius of the position, measured without the up component
  // (in all three components when there is no up axis).
  bool ValidPoint(const float* p) const override;
  // The unit vector of the up axis; (0, 1, 0) without one.
  std::array<float, 3> up_dir() const;
  // Debug drawing of the last control direction: a line 3 wide, unlit, from
  // the origin to input_global, or with local to input_local two metres in
  // front of the current matrix. GL state and matrices are restored.
  void draw(bool local) const;

  Vec3& position() { return PhysObj::position; }
  const Vec3& position() const { return PhysObj::position; }
  Vec3& velocity() { return PhysObj::velocity; }
  const Vec3& velocity() const { return PhysObj::velocity; }
  PhysObj& phys_obj() { return *this; }
  const PhysObj& phys_obj() const { return *this; }
  void set_thrusting(bool on) { thrusting_ = on; }
  bool get_thrusting() const { return thrusting_; }
  MouseLook& look() { return look_; }
  const MouseLook& look() const { return look_; }
  // The running stand-up fader, or null.
  const Event* stand_event() const { return stand_fader_.event.get(); }
  double last_stick_time() const { return last_stick_time_; }
  // The clock of the stick turns (the steady clock unless another is handed
  // in, which must outlive the walker); the last turn is stamped anew.
  void frame_clock(FrameClock* clock);

  float gravity = 9.8f;
  float stand_height = 0.3f;
  float walk_accel = 8.0f;
  float friction = 0.4f;
  float walk_speed = 0.0f;
  // 0 x, 1 y, 2 z; any other value: no up axis.
  int up_axis = 1;
  float moving_speed = 0.02f;
  float min_accel = 0.001f;
  float stop_speed = 0.01f;
  // Radius of the arena around the origin (0: none) and the length of its
  // soft edge.
  float arena_radius = 0.0f;
  float arena_margin = 0.0f;
  // The last control direction in scene and in camera coordinates (set by
  // the engine's keyboard handler).
  Vec3 input_global{0.0f, 0.0f, 0.0f};
  Vec3 input_local{0.0f, 0.0f, 0.0f};
  // The force of the last control input (with walk_speed the velocity it
  // set), or the friction force of the last drag_forces.
  Vec3 applied_force{0.0f, 0.0f, 0.0f};

 private:
  // Owns the fader; copying gives none, assigning keeps the target's.
  struct StandFader {
    StandFader() = default;
    StandFader(const StandFader&) {}
    StandFader(StandFader&&) noexcept {}
    StandFader& operator=(const StandFader&) { return *this; }
    StandFader& operator=(StandFader&&) noexcept { return *this; }
    std::unique_ptr<BezierFaderBuffered<float>> event;
  };

  bool has_up_axis() const { return up_axis >= 0 && up_axis <= 2; }

  MouseLook look_;
  FrameClock* clock_ = &FrameClock::steady();
  double last_stick_time_;
  bool thrusting_ = false;
  StandFader stand_fader_;
};
