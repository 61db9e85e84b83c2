// Slider: the panel that sets a number between two limits, drawn as a right
// triangle whose filled part grows with the value.
#pragma once

#include <array>
#include <functional>

#include "render/object_gl.h"
#include "ui/frame.h"

// The user changes the value by clicking (the value follows the pointer's
// x along the slider) or with the next and back pushes, a tenth of the range
// each; every such change is told to value_callback(). The program changes
// it with set_value(), told to value_hook. Equal limits (or a slider without
// width) give the lower limit and an empty fill, never NaN.
//
// The triangle's vertex array is built with the OpenGL context: by init()
// when a window's context is current, else at the first render(). Copies
// share its OpenGL names; nothing deletes them. Copies and moves take every
// field; their click and arrow actions act on the copy.
class Slider : public Frame {
 public:
  using ValueCallback = std::function<void(float)>;
  using Limits = std::array<float, 2>;

  // A slider of that size, set up by init() and selectable.
  Slider(ValueCallback callback, float value, Limits limits, Vec3 size);
  // Limits and value only: no actions, not selectable.
  Slider(float lower, float upper, float value);
  explicit Slider(Limits limits = {0.0f, 1.0f}, float value = 1.0f);
  Slider(const Slider& other);
  Slider(Slider&& other) noexcept;
  Slider& operator=(const Slider& other);
  Slider& operator=(Slider&& other) noexcept;
  ~Slider() override;

  // Builds the triangle (when a context is current) and installs the click
  // action and the next and back steps. 0.
  int init();

  // Stores the limits, then calls limits_hook.
  void set_limits(Limits limits);
  Limits limits() const { return limits_; }
  float range() const { return limits_[1] - limits_[0]; }
  // A different value is stored and told to value_hook; value_callback() is
  // not called.
  void set_value(float v);
  float value() const { return value_; }
  ValueCallback& value_callback() { return value_callback_; }
  const ValueCallback& value_callback() const { return value_callback_; }

  // The value the point pos (frame coordinates, the frame centred on its
  // origin) stands for along the axis, not clamped: the left end of the
  // frame is the lower limit, the right end the upper one. The lower limit
  // when the frame has no extent along the axis.
  float pos2value(const Vec3& pos, int axis) const;
  // The click action: the value at last_inside() along x, clamped, told to
  // value_callback().
  Action basic_slider_callback();
  // Green fill, white line, style enabled, line width 12.
  void default_styles();

  // The outline and the fill, in the selected colour while selected; the
  // state, the matrix and the bindings are as before afterwards.
  void render() override;
  void display() override { default_display(); }
  // The volume is the size the slider was built with.
  void calculate_volume() override {}

  VAO& shape() { return shape_; }
  const VAO& shape() const { return shape_; }
  // Fraction of the range the value covers; 0 for equal limits.
  float fill_fraction() const;

  // Called after set_limits and after set_value changed the value.
  Action limits_hook;
  Action value_hook;
  DrawStyle style;
  // Outline and fill while selected.
  Color selected_color{0.0f, 1.0f, 0.0f, 0.9f};

 private:
  // Builds shape_ once.
  void build_shape();
  // Points the click action and the arrow steps at this slider.
  void install_actions();
  // Moves the value by a tenth of the range, clamped, and tells it.
  void step(float tenths);
  float clamped(float v) const;

  Limits limits_{0.0f, 1.0f};
  float value_ = 1.0f;
  VAO shape_;
  ValueCallback value_callback_;
  bool actions_installed_ = false;
};
