// The game program's start-up in this process, with the simulated headset
// as the VR runtime and the generated data folder: the desktop path without
// a headset or when the headset's runtime fails, the headset path when it
// works, and what a frame then does.
#include <gtest/gtest.h>

#include "datagen/data_folder.h"
#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "input/vr_interface.h"
#include "platform/message_box.h"
#include "render/frame_buffer.h"
#include "support/gl/gl_test.h"
#include "support/vr_headset.h"

// After GLEW's header.
#include <GL/freeglut.h>

namespace {

class GameStartUp : public datagen_test::DataFolderFixture<
                        testing_support::HeadsetTest<testing_support::GLTest>> {
 protected:
  void SetUp() override {
    testing_support::GLTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    // A failure box must not wait for a player.
    previous_box_ =
        platform::set_message_box_handler([this](const std::string& text, const std::string&,
                                                 platform::MessageIcon, platform::MessageButtons) {
          boxes_ += text + "\n";
          return platform::MessageAnswer::no;
        });
    headset_.recommended_size(800, 600);
  }
  void TearDown() override {
    // Closing windows from here on must not end the test program.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    if (engine_) {
      engine_->shutdown();
      engine_->window().close();
    }
    platform::set_message_box_handler(previous_box_);
    testing_support::GLTest::TearDown();
  }

  // start_up() with VR allowed; its result.
  int start() {
    engine_ = std::make_unique<PoolEngine>();
    program_ = std::make_unique<GameProgram>(*engine_, vr_, desktop_);
    const int r = program_->start_up(true);
    testing_support::drain_gl_errors();
    return r;
  }

  VRInterface vr_{nullptr, 1200, 1080};
  FrameBuffer desktop_;
  std::unique_ptr<PoolEngine> engine_;
  std::unique_ptr<GameProgram> program_;
  std::string boxes_;
  platform::MessageBoxHandler previous_box_;
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

}  // namespace
