// The game program's start-up in this process, with the simulated headset
// as the VR runtime and the generated data folder: the desktop path without
// a headset or when the headset's runtime fails, the headset path when it
// works, and what its frames draw, submit and show in the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "datagen/data_folder.h"
#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "game/app/vr_frame.h"
#include "input/vr_interface.h"
#include "platform/message_box.h"
#include "program_in_process.h"
#include "render/frame_buffer.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"
#include "support/gl/window_pixels.h"
#include "support/gl/x_windows.h"
#include "support/vr_headset.h"

// After GLEW's header.
#include <GL/freeglut.h>

namespace {

using Pixel = std::array<unsigned char, 4>;

// The pixels of a texture's level 0, RGBA, bottom row first.
std::vector<Pixel> texture_pixels(GLuint name) {
  GLint bound = 0, width = 0, height = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  std::vector<Pixel> pixels(std::size_t(width) * height);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  return pixels;
}

Pixel texture_pixel(GLuint name) {
  const std::vector<Pixel> pixels = texture_pixels(name);
  return pixels.empty() ? Pixel{0, 0, 0, 0} : pixels[0];
}

class GameStartUp : public program_in_process::ProgramInProcess {
 protected:
  void SetUp() override {
    ProgramInProcess::SetUp();
    if (HasFatalFailure()) return;
    headset_.recommended_size(800, 600);
  }

  // start_up() with VR allowed; its result.
  int start() {
    engine_ = std::make_unique<PoolEngine>();
    program_ = std::make_unique<GameProgram>(*engine_, vr_, desktop_);
    const int r = program_->start_up(true);
    testing_support::drain_gl_errors();
    return r;
  }

  // The window pixel at the centre of the mirror, as shown: the mirror
  // covers the render size (the eye's) from the window's lower left corner.
  Pixel mirror_centre() {
    glFinish();
    return testing_support::shown_pixel(engine_->render_size()[0] / 2,
                                        engine_->render_size()[1] / 2);
  }
};

TEST_F(GameStartUp, WithoutAHeadsetTheGameDrawsIntoTheDesktopFrameBuffer) {
  headset_.present(false);
  ASSERT_EQ(start(), 0) << boxes_;
  EXPECT_EQ(boxes_, "");
  EXPECT_FALSE(program_->hmd_in_use());
  EXPECT_FALSE(vr_.enabled());
  EXPECT_FALSE(engine_->hmd_control());
  EXPECT_TRUE(engine_->crosshair().enabled());
  EXPECT_TRUE(engine_->window().double_buffer());
  EXPECT_EQ(engine_->window().get_title(), "Talvorin 1.1.1");
  // The window's scaled size.
  const std::array<float, 2> size = engine_->window().get_scaled_resolution();
  EXPECT_EQ(desktop_.width(), static_cast<unsigned>(size[0]));
  EXPECT_EQ(desktop_.height(), static_cast<unsigned>(size[1]));
  EXPECT_EQ(engine_->render_size(),
            (std::array<int, 2>{static_cast<int>(size[0]), static_cast<int>(size[1])}));
  EXPECT_NE(desktop_.resolve_texture(), 0u);

  // A frame draws into it and shows it as the engine's frame texture.
  program_->display();
  EXPECT_EQ(engine_->monitor_texture(), desktop_.resolve_texture());
}

TEST_F(GameStartUp, FramesBeforeTheIntroShowNothingOfTheScene) {
  headset_.present(false);
  ASSERT_EQ(start(), 0) << boxes_;
  // The intro waits for the start-up's loads, which the first frames
  // finish; until its first fade the view stays dark, however many frames
  // that takes.
  int frames = 0;
  for (; !engine_->maker_logo && frames < 200; ++frames) {
    program_->display();
    const std::vector<Pixel> shown = texture_pixels(desktop_.resolve_texture());
    ASSERT_FALSE(shown.empty());
    const auto lit = std::find_if(shown.begin(), shown.end(),
                                  [](const Pixel& p) { return p[0] || p[1] || p[2]; });
    ASSERT_EQ(lit, shown.end()) << "frame " << frames << " shows the scene";
  }
  EXPECT_GE(frames, 2);
  ASSERT_TRUE(engine_->maker_logo) << "no intro after " << frames << " frames";
  // Its first fade clears the view onto the scene and the maker's logo.
  const auto start = std::chrono::steady_clock::now();
  bool lit = false;
  while (!lit && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
    program_->display();
    const std::vector<Pixel> shown = texture_pixels(desktop_.resolve_texture());
    lit = std::any_of(shown.begin(), shown.end(), [](const Pixel& p) { return p[1] > 40; });
  }
  EXPECT_TRUE(lit);
}

TEST_F(GameStartUp, AHeadsetWhoseRuntimeFailsLeavesTheGameOnTheDesktopAtTheHeadsetsSize) {
  headset_.remove_interface(vr::IVRRenderModels_Version);
  ASSERT_EQ(start(), 0) << boxes_;
  EXPECT_FALSE(program_->hmd_in_use());
  EXPECT_FALSE(vr_.enabled());
  EXPECT_FALSE(engine_->hmd_control());
  EXPECT_FALSE(engine_->window().double_buffer());
  EXPECT_EQ(desktop_.width(), 800u);
  EXPECT_EQ(desktop_.height(), 600u);
}

TEST_F(GameStartUp, AFrameBufferTheDriverCannotMakeEndsTheStartUpWithItsBoxAndCode) {
  // A headset whose runtime fails leaves the game on the desktop at the
  // headset's size, here wider than any frame buffer the driver makes.
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  ASSERT_GT(largest, 0);
  headset_.recommended_size(static_cast<std::uint32_t>(largest) + 1, 600);
  headset_.remove_interface(vr::IVRRenderModels_Version);
  const int code = start();
  EXPECT_EQ(code, 1);
  EXPECT_EQ(boxes_, "Error creating framebuffer.\nPlease contact technical support.\n");
  EXPECT_FALSE(program_->hmd_in_use());
}

TEST_F(GameStartUp, AWorkingHeadsetTakesTheFrameAndStandsTheWalkerBelowTheOffset) {
  ASSERT_EQ(start(), 0) << boxes_;
  EXPECT_TRUE(program_->hmd_in_use());
  EXPECT_TRUE(vr_.enabled());
  EXPECT_TRUE(engine_->hmd_control());
  EXPECT_TRUE(vr_.mirror());
  EXPECT_FALSE(engine_->crosshair().enabled());
  EXPECT_EQ(engine_->render_size(), (std::array<int, 2>{800, 600}));
  EXPECT_EQ(engine_->walking().position(), (Vec3{0.0f, -1.2f, 0.0f}));
  EXPECT_EQ(vr_.render_models_folder(), engine_->settings().root() + "/openvr_render_models");
  EXPECT_EQ(engine_->monitor_texture(), vr_.get_eye_data()[1].resolve_texture());
  // No desktop frame buffer.
  EXPECT_EQ(desktop_.resolve_texture(), 0u);

  int headset_frames = 0;
  program_->draw_vr_frame = [&] { ++headset_frames; };
  program_->display();
  EXPECT_EQ(headset_frames, 1);
  vr_.release_gl();
}

TEST_F(GameStartUp, AHeadsetRunDrawsBothEyesEveryFrameWithoutGLErrors) {
  headset_.add_render_model("ctl", testing_support::square_model(-1));
  headset_.add_controller(
      3, "ctl",
      {vr::k_eControllerAxis_TrackPad, vr::k_eControllerAxis_Trigger, vr::k_eControllerAxis_None,
       vr::k_eControllerAxis_None, vr::k_eControllerAxis_None});
  headset_.set_pose(3,
                    vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0.25f, 1, -0.5f}));
  headset_.add_render_model("lighthouse", testing_support::square_model(-1));
  headset_.add_device(5, vr::TrackedDeviceClass_TrackingReference, "lighthouse");
  ASSERT_EQ(start(), 0) << boxes_;
  ASSERT_TRUE(vr_.enabled());
  // The models of start-up.
  ASSERT_EQ(engine_->controller_vbos().size(), 1u);
  EXPECT_EQ(engine_->controller_vbos().at(0)->name(), "ctl");
  EXPECT_EQ(engine_->base_stations().count(5), 1u);

  headset_.clear_records();
  testing_support::OutputCapture capture;
  for (int i = 0; i < 3; ++i) program_->display();
  EXPECT_EQ(capture.err().find("rror"), std::string::npos) << capture.err();
  EXPECT_TRUE(testing_support::drain_gl_errors().empty());

  ASSERT_EQ(headset_.submits().size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    const vr::SubmitRecord& s = headset_.submits()[i];
    EXPECT_EQ(s.eye, VRInterface::eye(int(i % 2)));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s.texture.handle),
              vr_.get_eye_data()[i % 2].resolve_texture());
  }
  // Each eye shows the scene, not only the cleared target, once the intro's
  // first fade from black has begun to clear the view.
  const auto eye_uniform = [&](const FrameBuffer& eye) {
    const std::vector<Pixel> pixels = texture_pixels(eye.resolve_texture());
    EXPECT_EQ(pixels.size(), 800u * 600u);
    return pixels.empty() ||
           std::count(pixels.begin(), pixels.end(), pixels[0]) == std::ptrdiff_t(pixels.size());
  };
  const auto any_eye_uniform = [&] {
    return std::any_of(vr_.get_eye_data().begin(), vr_.get_eye_data().end(), eye_uniform);
  };
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (any_eye_uniform() && std::chrono::steady_clock::now() < give_up) program_->display();
  EXPECT_FALSE(any_eye_uniform());
  // The hand controller's model follows it, at the walker.
  EXPECT_EQ(engine_->controllers().size(), 1u);
  EXPECT_EQ(engine_->controller_vbos().at(0)->coord_sys().position(),
            (Vec3{0.25f, 1.0f - 1.2f, -0.5f}));

  // The menu button opens the menu on its release.
  engine_->pause_allowed(true);
  const bool menu = engine_->menu_enabled();
  headset_.press(3, vr::k_EButton_ApplicationMenu);
  program_->display();
  EXPECT_EQ(engine_->menu_enabled(), menu);
  headset_.unpress(3, vr::k_EButton_ApplicationMenu);
  program_->display();
  EXPECT_EQ(engine_->menu_enabled(), !menu);
  vr_.release_gl();
}

TEST_F(GameStartUp, TheWindowMirrorsTheRightEyeOnlyWhileMirroring) {
  ASSERT_EQ(start(), 0) << boxes_;
  // Each eye cleared to its own colour: left red, right green; the window's
  // clear before the mirror blue.
  VRFrame frame(*engine_, vr_, [this] {
    const bool right = engine_->eye_info().eye() == 1;
    glClearColor(right ? 0.0f : 1.0f, right ? 1.0f : 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  });
  ASSERT_TRUE(testing_support::show_window());
  glViewport(0, 0, engine_->window().width(), engine_->window().height());
  // A loaded X server may map the window a little later: clear until the
  // window reads back its own colour.
  const Pixel magenta{255, 0, 255, 255};
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFlush();
  } while (mirror_centre() != magenta && std::chrono::steady_clock::now() < give_up);
  ASSERT_EQ(mirror_centre(), magenta);

  headset_.clear_records();
  vr_.mirror(false);
  frame.draw_vr_frame();
  EXPECT_EQ(headset_.submits().size(), 2u);
  EXPECT_EQ(texture_pixel(vr_.get_eye_data()[0].resolve_texture()), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(texture_pixel(vr_.get_eye_data()[1].resolve_texture()), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(mirror_centre(), magenta);

  vr_.mirror(true);
  frame.draw_vr_frame();
  EXPECT_EQ(headset_.submits().size(), 4u);
  EXPECT_EQ(mirror_centre(), (Pixel{0, 255, 0, 255}));
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  vr_.release_gl();
}

}  // namespace
