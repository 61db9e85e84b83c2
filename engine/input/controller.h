// The records the engine keeps for virtual reality: ControllerAxis (one
// smoothed three-float input of a tracked hand controller with its rate of
// change), Controller (one tracked hand controller: its model, identifier and
// inputs) and EyeInfo (the eye being drawn and where both eyes are).
#pragma once

#include <array>
#include <vector>

#include "core/wrapper.h"
#include "render/vbo.h"

// Values start at zero. Times are seconds since the library's time origin.
// Copies and moves are member-wise.
class ControllerAxis {
 public:
  using Vec = std::array<float, 3>;

  ControllerAxis() = default;

  // Takes a new sample stamped with the steady clock. With smoothing the new
  // value is the mean of the sample and the current value, and the rate the
  // mean of the new difference quotient and the previous rate; without, the
  // value is the sample and the rate the difference quotient. The first
  // update measures its interval from time 0. An interval that is not
  // positive (two samples within one clock tick) keeps the previous rate.
  void update(const float* v);
  // The same with smoothing on or off for this update only.
  void update(const float* v, bool smooth);
  void update(float a, float b, float c);

  // x minus last_x, per component.
  Vec delta_x() const;

  const float* x_data() const { return x_.data(); }
  const float* last_x_data() const { return last_x_.data(); }
  const float* dxdt_data() const { return dxdt_.data(); }
  const float* last_dxdt_data() const { return last_dxdt_.data(); }
  double epoch() const { return epoch_; }
  double last_epoch() const { return last_epoch_; }
  bool smooth() const { return smooth_; }
  void smooth(bool on) { smooth_ = on; }

 private:
  Vec x_{0.0f, 0.0f, 0.0f};
  Vec last_x_{0.0f, 0.0f, 0.0f};
  Vec dxdt_{0.0f, 0.0f, 0.0f};
  Vec last_dxdt_{0.0f, 0.0f, 0.0f};
  double last_epoch_ = 0.0;
  double epoch_ = 0.0;
  bool smooth_ = true;
};

// One tracked hand controller. Three of its axes have fixed roles: the
// position (index 0), the trigger (1) and the secondary trigger (2).
// Copies follow the Wrapper rule for the model: a borrowed VBO is shared, an
// owned one copied into a VBO the copy owns.
class Controller {
 public:
  // Borrows the model; with null it owns a default VBO.
  explicit Controller(VBO* vbo = nullptr);

  ControllerAxis& pos() { return axes_.at(position_index_); }
  const ControllerAxis& pos() const { return axes_.at(position_index_); }
  ControllerAxis& trigger() { return axes_.at(trigger_index_); }
  const ControllerAxis& trigger() const { return axes_.at(trigger_index_); }
  ControllerAxis& secondary_trigger() { return axes_.at(secondary_index_); }
  const ControllerAxis& secondary_trigger() const { return axes_.at(secondary_index_); }

  // The trigger's first value is above the threshold.
  bool trigger_active(float threshold) const;
  // The secondary trigger's first value is at least the threshold.
  bool secondary_trigger_active(float threshold) const;
  // No point is inside a controller.
  bool ValidPoint(const float* p) const;

  int id() const { return id_; }
  void id(int id) { id_ = id; }
  std::vector<ControllerAxis>& axes() { return axes_; }
  const std::vector<ControllerAxis>& axes() const { return axes_; }
  VBO& vbo() { return vbo_.get(); }
  const VBO& vbo() const { return vbo_.get(); }
  // Whether the model belongs to this record.
  bool owns_vbo() const { return vbo_.owned(); }

 private:
  Wrapper<VBO> vbo_;
  std::vector<ControllerAxis> axes_ = std::vector<ControllerAxis>(3);
  int id_ = -1;
  std::size_t position_index_ = 0;
  std::size_t trigger_index_ = 1;
  std::size_t secondary_index_ = 2;
};

// Which eye is being drawn (0 left, 1 right) and both eye positions relative
// to the headset; all zero at construction.
class EyeInfo {
 public:
  using Position = std::array<float, 3>;
  using Positions = std::array<Position, 2>;

  EyeInfo() = default;

  int eye() const { return eye_; }
  void eye(int e) { eye_ = e; }
  Positions& eye_positions() { return eye_positions_; }
  const Positions& eye_positions() const { return eye_positions_; }
  // The position of the eye being drawn: the right eye for 1, the left one
  // for any other value.
  const Position& eye_position() const { return eye_positions_[eye_ == 1 ? 1 : 0]; }

 private:
  int eye_ = 0;
  Positions eye_positions_{};
};
