// The smallest concrete panel, for tests of what every frame shares.
#pragma once

#include <functional>

#include "ui/frame.h"

namespace testing_support {

// Displays itself through Frame::default_display; render() counts its calls
// and runs on_render (a probe of the state at drawing time) when set.
class TestFrame : public Frame {
 public:
  using Frame::Frame;

  void render() override {
    ++renders;
    if (on_render) on_render();
  }
  void display() override { default_display(); }
  void calculate_volume() override { ++volume_calls; }

  std::function<void()> on_render;
  int renders = 0;
  int volume_calls = 0;
};

}  // namespace testing_support
