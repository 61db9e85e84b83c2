// The window without a display: mode strings, stored settings and mode
// detection through a probe. freeglut is never initialised in this program,
// so any unguarded freeglut call would end it.
#include "input/window.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/capture.h"

using testing_support::OutputCapture;
using Size = std::array<int, 2>;

TEST(Window, GameModeStrings) {
  EXPECT_EQ(kWindow::game_mode_string(1280, 720), "1280x720");
  EXPECT_EQ(kWindow::game_mode_resolution("1280x720"), (Size{1280, 720}));
  EXPECT_EQ(kWindow::game_mode_resolution("800"), (Size{800, 800}));
  EXPECT_EQ(kWindow::game_mode_resolution("1920x1080@60"), (Size{1920, 1080}));
  EXPECT_EQ(kWindow::game_mode_resolution("x"), (Size{0, 0}));
  kWindow w("w", 640, 480, 0, 0, false, true, -1);
  EXPECT_EQ(w.game_mode_string(), "640x480");
  EXPECT_EQ(w.set_game_mode("1024x768"), (Size{1024, 768}));
  EXPECT_EQ(w.get_resolution(), (Size{1024, 768}));
}

TEST(Window, SettingsBeforeCreationAreOnlyStored) {
  kWindow w;
  EXPECT_EQ(w(), -1);
  EXPECT_EQ(w.get_title(), "kWindow");
  EXPECT_EQ(w.get_resolution(), (Size{0, 0}));
  EXPECT_EQ(w.get_position(), (Size{5, 5}));
  EXPECT_TRUE(w.get_fullscreen());
  EXPECT_TRUE(w.double_buffer() && w.alpha() && w.depth() && w.multisample());
  EXPECT_EQ(w.scale_factor(), (std::array<float, 2>{1, 1}));

  w.set_title("Talvorin");
  w.set_position(10, 20);
  w.set_resolution(800, 600, true);
  w.set_visible(false);
  w.set_display_callback(varnox_null_func);
  w.focus();
  w.set_stereo(2);
  w.fullscreen_flag(false);
  EXPECT_EQ(w.get_title(), "Talvorin");
  EXPECT_EQ(w.get_position(), (Size{10, 20}));
  EXPECT_EQ(w.get_scaled_resolution(), (std::array<float, 2>{800, 600}));
  EXPECT_FALSE(w.get_visible());
  EXPECT_EQ(w.stereo(), 2);
  EXPECT_EQ(w.in_focus(), 0);
  EXPECT_EQ(kWindow::current(), 0);

  int calls = 0;
  w.register_callback_function([&] { ++calls; })();
  w.register_callback_function()();
  EXPECT_EQ(calls, 2);

  // Without freeglut there is nothing to create.
  OutputCapture capture;
  EXPECT_EQ(w.create(), -1);
  EXPECT_EQ(capture.err(), "kWindow::create() error: freeglut is not initialised\n");
  w.close();
  EXPECT_EQ(w(), -1);
}

TEST(Window, TheScaledResolutionIsASizeWhateverTheScaleFactor) {
  kWindow w("scaled", 800, 600, 0, 0, false, true, -1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    std::array<float, 2> factor, scaled;
  } cases[] = {
      {{2.0f, 0.5f}, {400, 1200}},
      {{0.0f, 0.0f}, {800, 600}},
      {{-1.0f, nan}, {800, 600}},
      {{inf, 2.0f}, {800, 300}},
  };
  for (const auto& c : cases) {
    w.scale_factor() = c.factor;
    EXPECT_EQ(w.get_scaled_resolution(), c.scaled) << c.factor[0] << " " << c.factor[1];
  }
}

TEST(Window, GameModesComeFromTheProbe) {
  // The default window goes full-screen: with no modes known, entering game
  // mode probes the 21 x 21 pairs of the fixed list and keeps the last accepted.
  kWindow w;
  std::vector<std::string> asked;
  w.mode_probe([&](const std::string& mode) {
    asked.push_back(mode);
    return mode == "1280x720" || mode == "1920x1080";
  });
  OutputCapture capture;
  w.set_fullscreen(false);
  w.set_fullscreen(true);
  EXPECT_EQ(asked.size(), 441u);
  EXPECT_EQ(asked.front(), "640x640");
  EXPECT_EQ(asked[1], "640x720");
  EXPECT_EQ(asked.back(), "4096x4096");
  EXPECT_EQ(w.game_modes(), (std::vector<std::string>{"1280x720", "1920x1080"}));
  EXPECT_EQ(w.get_resolution(), (Size{1920, 1080}));
  EXPECT_NE(capture.out().find("Testing 1280x720...SUCCESS\nTesting 1280x768...FAILED\n"),
            std::string::npos);
  EXPECT_NE(capture.out().find("Choosing display mode 1920x1080\nsize: 1920,1080\n"),
            std::string::npos);
  // Every entry probes again and appends.
  w.toggle_fullscreen();
  EXPECT_FALSE(w.get_fullscreen());
  w.toggle_fullscreen();
  EXPECT_EQ(w.game_modes().size(), 4u);

  // No probe answer and no screen to fall back on.
  kWindow none;
  none.mode_probe([](const std::string&) { return false; });
  capture.reset();
  none.init_game_modes(false);
  EXPECT_TRUE(none.game_modes().empty());
  EXPECT_EQ(capture.err(), "Error, no valid resolutions detected\n");
  EXPECT_EQ(none.get_resolution(), (Size{0, 0}));
  EXPECT_TRUE(none.detect_game_modes(false, "").empty());

  // An empty probe is freeglut's again, which answers nothing before glutInit.
  none.mode_probe(nullptr);
  EXPECT_FALSE(none.mode_probe()("640x480"));
}
