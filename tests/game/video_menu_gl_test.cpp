// The Video menu of the running program (its start-up on a copy of the
// generated data folder, its real frame step on a test clock, keys through
// the engine's keyboard entry) after a start whose stored full screen the
// display could not give: the window opened, and the switch shows what is
// stored, each press storing the other choice.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/program_cfg.h"
#include "running_program.h"
#include "ui/dialog.h"
#include "ui/list_selection.h"

namespace {

using running_program::kFrame;
constexpr unsigned char kEnter = 13, kEsc = 27;
constexpr int kDown = 103, kRight = 102;

class VideoMenu : public running_program::RunningProgram {
 protected:
  VideoMenu() : RunningProgram(320, 180) {}

  void SetUp() override {
    // Stored before start-up reads it; the window opens all the same.
    std::ofstream(root() + "cfg/video_settings.ini", std::ios::trunc)
        << "fullscreen = 1\nresolution = 1280x720\n";
    RunningProgram::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    past_intro();
  }

  // Keys as freeglut hands them over, each followed by a player's pause.
  void press(unsigned char key) {
    RunningProgram::press(key);
    frames(0.6);
  }
  void press_special(int key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      RunningProgram::press_special(key);
      frames(0.6);
    }
  }

  // A key as the file holds it.
  std::string stored(const char* key) const {
    ProgramCfg video;
    EXPECT_EQ(video.load(root() + "cfg/video_settings.ini"), 0);
    return std::as_const(video)[key].str();
  }
};

TEST_F(VideoMenu, TheFullScreenSwitchShowsTheStoredChoiceAndEachPressStoresTheOther) {
  ASSERT_FALSE(engine_->window().get_fullscreen());
  // Esc, "Options", "Video": the switch is the menu's first item.
  press(kEsc);
  press_special(kDown, 2);
  press(kEnter);
  press_special(kDown);
  press(kEnter);
  Dialog* video = engine_->menus.video_menu();
  ASSERT_TRUE(video->enabled());
  ListSelection* fullscreen = nullptr;
  for (Frame* child : video->children())
    if (auto* list = dynamic_cast<ListSelection*>(child); list && list->selected())
      fullscreen = list;
  ASSERT_NE(fullscreen, nullptr);
  ASSERT_EQ(fullscreen->items(), (std::vector<std::string>{"OFF", "ON"}));
  EXPECT_EQ(static_cast<std::string>(*fullscreen), "ON");
  EXPECT_EQ(stored("fullscreen"), "1");
  // Each push of the switch flips what is stored, and the switch with it.
  for (const char* expected : {"0", "1", "0"}) {
    SCOPED_TRACE(expected);
    press_special(kRight);
    EXPECT_EQ(stored("fullscreen"), expected);
    EXPECT_EQ(static_cast<std::string>(*fullscreen), std::string(expected) == "1" ? "ON" : "OFF");
  }
  EXPECT_EQ(stored("resolution"), "1280x720");
}

}  // namespace
