// Tracked controller records.
#include "input/controller.h"

#include "core/timer.h"

void ControllerAxis::update(const float* v) {
  const double now = time_origin();
  last_epoch_ = epoch_;
  epoch_ = now;
  last_x_ = x_;
  last_dxdt_ = dxdt_;
  const double interval = epoch_ - last_epoch_;
  const bool timed = interval > 0.0;
  const double r = timed ? 1.0 / interval : 0.0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (smooth_) {
      x_[i] = (v[i] + x_[i]) / 2.0f;
      dxdt_[i] = timed ? static_cast<float>(((x_[i] - last_x_[i]) * r + last_dxdt_[i]) / 2.0)
                       : last_dxdt_[i];
    } else {
      x_[i] = v[i];
      dxdt_[i] = timed ? static_cast<float>((x_[i] - last_x_[i]) * r) : last_dxdt_[i];
    }
  }
}

void ControllerAxis::update(const float* v, bool smooth) {
  const bool stored = smooth_;
  smooth_ = smooth;
  update(v);
  smooth_ = stored;
}

void ControllerAxis::update(float a, float b, float c) {
  const float v[3] = {a, b, c};
  update(v);
}

ControllerAxis::Vec ControllerAxis::delta_x() const {
  return {x_[0] - last_x_[0], x_[1] - last_x_[1], x_[2] - last_x_[2]};
}

Controller::Controller(VBO* vbo) : vbo_(vbo) {}

bool Controller::trigger_active(float threshold) const {
  return trigger().x_data()[0] > threshold;
}

bool Controller::secondary_trigger_active(float threshold) const {
  return secondary_trigger().x_data()[0] >= threshold;
}

bool Controller::ValidPoint(const float*) const {
  return false;
}
