// The running program on the generated data folder, for tests that watch its
// frames: the start-up (PoolEngine::init with its own hidden window, the
// desktop frame buffer, GameProgram, init_post_glew), then the program's
// real frame step on a test clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "datagen/data_folder.h"
#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "input/vr_interface.h"
#include "render/frame_buffer.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace running_program {

constexpr double kFrame = 1.0 / 30.0;

inline void draw_nothing() {}

// The program at width x height; prepare() sees the engine before its
// start-up, started() runs after it.
class RunningProgram : public datagen_test::DataFolderFixture<testing_support::GLTest> {
 protected:
  using Base = datagen_test::DataFolderFixture<testing_support::GLTest>;

  RunningProgram(int width, int height) : width_(width), height_(height) {}

  virtual void prepare(PoolEngine&) {}

  void SetUp() override {
    Base::SetUp();
    if (!has_context()) return;
    // The menu sounds open no sound card here.
    setenv("ALSOFT_DRIVERS", "null", 0);
    engine_ = std::make_unique<PoolEngine>();
    PoolEngine& e = *engine_;
    prepare(e);
    e.settings().root(root());
    e.frame_clock(&clock_);
    e.walking().frame_clock(&clock_);
    kWindow& window = e.window();
    window.fullscreen_flag(false);
    window.set_visible(false);
    window.set_resolution(width_, height_, false);
    e.render_size(width_, height_);
    ASSERT_EQ(e.init(), 0);
    window_ = window();
    ASSERT_GT(window_, 0);
    window.set_display_callback(&draw_nothing);
    // The program's frame draws into the desktop frame buffer.
    ASSERT_EQ(desktop_.create(width_, height_), 0);
    program_ = std::make_unique<GameProgram>(e, vr_, desktop_);
    ASSERT_EQ(e.init_post_glew(), 0);
    started();
  }

  // After the start-up: the models' completions, and what they queue, run
  // in the next frames.
  virtual void started() {
    engine_->wait_for_loads();
    frames(0.2);
  }

  void TearDown() override {
    // The engine's GL objects live in its window's context.
    if (window_ > 0) glutSetWindow(window_);
    program_.reset();
    engine_.reset();
    if (window_ > 0) glutDestroyWindow(window_);
    glutSetWindow(testing_support::gl_test_window());
    Base::TearDown();
  }

  // The program's frames (the engine's step, then the drawing), one every
  // `step` of the test clock.
  void frames(double seconds, double step = kFrame) {
    const double end = now_ + seconds;
    while (now_ < end) {
      now_ = std::min(now_ + step, end);
      program_->display();
    }
  }

  // Frames until the intro has handed the game over: pausing is allowed.
  // (Its timeline needs no finer frames than these.)
  void past_intro() {
    for (int i = 0; i < 60 && !(engine_->pause_allowed() && !engine_->in_intro); ++i)
      frames(1.0, 0.25);
    ASSERT_TRUE(engine_->pause_allowed());
  }

  // A key as freeglut hands it over: pressed, a frame, let go.
  void press(unsigned char key) {
    engine_->keyboard_callback(key, 1, 0.0f, 0.0f, 0.0f);
    frames(kFrame);
    engine_->keyboard_callback(key, 0, 0.0f, 0.0f, 0.0f);
  }
  void press_special(int key) {
    engine_->special_key(key, 1, 0.0f, 0.0f, 0.0f);
    frames(kFrame);
    engine_->special_key_up(key, 0.0f, 0.0f, 0.0f);
  }

  // The RGB bytes of the frame last drawn, as the desktop frame buffer
  // resolved it, the bottom row first.
  std::vector<unsigned char> shown_frame() const {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width_) * height_ * 3);
    glBindTexture(GL_TEXTURE_2D, desktop_.resolve_texture());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return rgb;
  }

  testing_support::OutputCapture quiet_;
  double now_ = 100.0;
  FrameClock clock_{[this] { return now_; }};
  std::unique_ptr<PoolEngine> engine_;
  VRInterface vr_;
  FrameBuffer desktop_;
  std::unique_ptr<GameProgram> program_;
  int window_ = 0;

 private:
  int width_, height_;
};

}  // namespace running_program
