// The game program started inside the test's own process on the generated
// data folder, with the simulated headset as the VR runtime: the game's
// window lock is held while its window shows on the shared display, and a
// failure box is collected in boxes_ instead of waiting for a player.
#pragma once

#include <memory>
#include <string>

#include "datagen/data_folder.h"
#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "input/vr_interface.h"
#include "platform/message_box.h"
#include "render/frame_buffer.h"
#include "support/gl/gl_test.h"
#include "support/gl/x_windows.h"
#include "support/vr_headset.h"

// After GLEW's header.
#include <GL/freeglut.h>

namespace program_in_process {

class ProgramInProcess : public datagen_test::DataFolderFixture<
                             testing_support::HeadsetTest<testing_support::GLTest>> {
 protected:
  void SetUp() override {
    testing_support::GLTest::SetUp();
    if (HasFatalFailure() || !has_context()) return;
    // The game's window, titled as the game, shows on the shared display.
    lock_ = std::make_unique<testing_support::GameWindowLock>();
    previous_box_ =
        platform::set_message_box_handler([this](const std::string& text, const std::string&,
                                                 platform::MessageIcon, platform::MessageButtons) {
          boxes_ += text + "\n";
          return platform::MessageAnswer::no;
        });
  }
  void TearDown() override {
    // Closing windows from here on must not end the test program.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    if (engine_) {
      engine_->shutdown();
      engine_->window().close();
    }
    // Before the members of a derived fixture (a clock the engine reads).
    program_.reset();
    engine_.reset();
    if (has_context()) vr_.release_gl();
    platform::set_message_box_handler(previous_box_);
    if (lock_) lock_->keep_until_exit();
    testing_support::GLTest::TearDown();
  }

  VRInterface vr_{nullptr, 1200, 1080};
  FrameBuffer desktop_;
  std::unique_ptr<PoolEngine> engine_;
  std::unique_ptr<GameProgram> program_;
  std::string boxes_;

 private:
  platform::MessageBoxHandler previous_box_;
  std::unique_ptr<testing_support::GameWindowLock> lock_;
};

}  // namespace program_in_process
