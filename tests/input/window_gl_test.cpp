// Windows made through freeglut under the virtual display (1920 x 1080, see
// scripts/with-xvfb.sh), and mode detection through a probe.
#include <string>
#include <vector>

#include "input/window.h"
#include "platform/glut_guard.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/glut_window.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

using testing_support::GlutWindowTest;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Modes = std::vector<std::string>;

class WindowGLTest : public GlutWindowTest {
 protected:
  void SetUp() override {
    GlutWindowTest::SetUp();
    if (!has_context()) return;
    ASSERT_EQ(glutGet(GLUT_SCREEN_WIDTH), 1920);
    ASSERT_EQ(glutGet(GLUT_SCREEN_HEIGHT), 1080);
  }
};

TEST_F(WindowGLTest, CreatesAWindowWithTheStoredSettings) {
  kWindow& w = window(kWindow("input window", 320, 200, 30, 40, false, true, -1));
  w.set_title("renamed before creation");
  OutputCapture capture;
  const int id = w.create();
  ASSERT_GT(id, 0);
  EXPECT_EQ(w(), id);
  EXPECT_EQ(capture.out(),
            "kWindow::create() ALPHA ENABLED\nWindow::create() id = " + std::to_string(id) + "\n");
  EXPECT_EQ(glutGet(GLUT_INIT_DISPLAY_MODE), 146);  // double, depth, multisample
  EXPECT_EQ(glutGetWindow(), id);
  EXPECT_EQ(w.in_focus(), 1);
  EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 320);
  EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 200);
  EXPECT_EQ(w.scale_factor(), (std::array<float, 2>{1, 1}));
  w.set_display_callback(varnox_null_func);

  // Acting on the window leaves another current window current.
  glutSetWindow(testing_support::gl_test_window());
  EXPECT_EQ(w.in_focus(), 0);
  w.set_title("renamed");
  w.set_resolution(400, 300, true);
  w.set_position(50, 60);
  w.set_visible(true);
  EXPECT_EQ(glutGetWindow(), testing_support::gl_test_window());
  process_events();
  w.focus();
  EXPECT_EQ(glutGetWindow(), id);
  EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 400);
  EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 300);

  // A sub-window takes no display mode of its own.
  kWindow& sub = window(kWindow("sub", 100, 50, 10, 10, false, true, id));
  capture.reset();
  const int sub_id = sub.create();
  ASSERT_GT(sub_id, id);
  EXPECT_EQ(capture.out(), "Window::create() id = " + std::to_string(sub_id) + "\n");
  EXPECT_EQ(glutGet(GLUT_WINDOW_PARENT), id);
  EXPECT_EQ(sub.create(), sub_id);  // exists already

  sub.close();
  w.close();
  EXPECT_EQ(w(), -1);
  EXPECT_EQ(sub(), -1);
  EXPECT_EQ(glutGetWindow(), 0);
}

TEST_F(WindowGLTest, DisplayModeFollowsTheFlags) {
  kWindow& w = window(kWindow("plain", 64, 64, 0, 0, false, false, -1));
  w.double_buffer(false);
  w.alpha(false);
  w.depth(false);
  w.multisample(false);
  OutputCapture capture;
  w.create();
  EXPECT_EQ(glutGet(GLUT_INIT_DISPLAY_MODE), GLUT_RGBA);
  EXPECT_EQ(capture.out().find("ALPHA"), std::string::npos);
  EXPECT_FALSE(w.get_visible());
}

TEST_F(WindowGLTest, ResetViewportSetsTheStoredSize) {
  kWindow& w = window(kWindow("viewport", 320, 200, 0, 0, false, true, -1));
  w.create();  // current, with its own context
  OutputCapture capture;
  glEnable(0x1234);  // leaves GL_INVALID_ENUM pending
  w.reset_viewport(0, 0, 3, 4, false);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
            (std::array<GLint, 4>{3, 4, 320, 200}));
  EXPECT_EQ(capture.err(), "kWindow::reset_viewport() pre error 1280\n");
  EXPECT_EQ(capture.out(), "reset_viewport(): calling set_resolution(320,200)\n");

  w.reset_viewport(160, 100, 0, 0, false);
  EXPECT_EQ(w.get_resolution(), (std::array<int, 2>{160, 100}));
  // Scaled: a component whose scaled value is the stored one stays.
  w.reset_viewport(160, 90, 0, 0, true);
  EXPECT_EQ(w.get_resolution(), (std::array<int, 2>{160, 90}));
  w.close();
}

TEST_F(WindowGLTest, DetectionKeepsModesOfTheScreensAspectOnce) {
  TempDataRoot root;
  kWindow w;
  Modes asked;
  w.mode_probe([&](const std::string& mode) {
    asked.push_back(mode);
    return mode == "1024x768" || mode == "1280x720" || mode == "1920x1080";
  });
  OutputCapture capture;
  EXPECT_EQ(w.detect_game_modes(true, "modes.log"), (Modes{"1280x720", "1920x1080"}));
  // Only pairs within 0.1 % of 16:9, each size once though the screen's are
  // also in the list.
  for (const std::string& mode : asked) {
    const auto size = kWindow::game_mode_resolution(mode);
    EXPECT_NEAR(float(size[0]) / float(size[1]), 16.0f / 9.0f, 16.0f / 9.0f * 0.001f) << mode;
  }
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "1920x1080"), 1);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "1024x768"), 0);
  EXPECT_NE(capture.out().find("Querying 1280x720...success\n"), std::string::npos);
  EXPECT_NE(capture.out().find("Querying 1366x768...failed\n"), std::string::npos);

  const std::string log = root.read("modes.log");
  EXPECT_EQ(log.rfind("kwindow\tdetect_game_modes() Detecting screen resolutions\n"
                      "kwindow\tdetect_game_modes() Sorting screen resolutions\n"
                      "kwindow\tdetect_game_modes() Detected screen resolutions: 128, 144, ",
                      0),
            0u);
  // The screen's sizes are common ones: listed once.
  EXPECT_NE(log.find(", 1050, 1080, 1120, "), std::string::npos);
  EXPECT_NE(log.find(", 1856, 1920, 2000, "), std::string::npos);
  EXPECT_NE(log.find("kwindow\tdetect_game_modes() Querying 1280x720... \n"
                     "kwindow\tdetect_game_modes() Mode 1280x720 success\n"),
            std::string::npos);
  EXPECT_NE(log.find("kwindow\tdetect_game_modes() Mode 1366x768 failed\n"), std::string::npos);
  EXPECT_NE(log.find("kwindow\tdetect_game_modes() Finding unique game modes\n"
                     "kwindow\tdetect_game_modes() Found game modes: 1280x720, 1920x1080, \n"),
            std::string::npos);

  // A second detection appends and still lists each mode once.
  EXPECT_EQ(w.detect_game_modes(true, ""), (Modes{"1280x720", "1920x1080"}));
  // Without the aspect filter every pair of the 108 sizes is asked.
  asked.clear();
  w.detect_game_modes(false, "");
  EXPECT_EQ(asked.size(), 108u * 108u);
  EXPECT_EQ(w.game_modes(), (Modes{"1280x720", "1920x1080", "1024x768"}));
}

TEST_F(WindowGLTest, WithoutAnyModeTheSizesThatFitOnTheScreenAreTheModes) {
  TempDataRoot root;
  kWindow w;  // freeglut's own probe: under Xvfb it answers no mode
  OutputCapture capture;
  const Modes wide{"256x144",  "270x152",  "416x234",   "480x270",  "512x288",  "640x360",
                   "854x480",  "960x540",  "1024x576",  "1280x720", "1334x750", "1366x768",
                   "1536x864", "1600x900", "1776x1000", "1920x1080"};
  EXPECT_EQ(w.detect_game_modes(true, "modes.log"), wide);
  EXPECT_NE(capture.out().find("Querying 1920x1080...failed\n"), std::string::npos);
  EXPECT_NE(root.read("modes.log")
                .find("No mode answered: the sizes that fit on the screen, up to 1920x1080\n"
                      "kwindow\tdetect_game_modes() Found game modes: 256x144, 270x152, "),
            std::string::npos);
  // Without the aspect filter too, the screen's own size comes last, and
  // nothing wider or taller than the screen is listed.
  kWindow any;
  const Modes all = any.detect_game_modes(false, "");
  EXPECT_EQ(all.back(), "1920x1080");
  for (const std::string& mode : all) {
    const std::array<int, 2> size = kWindow::game_mode_resolution(mode);
    EXPECT_TRUE(size[0] <= 1920 && size[1] <= 1080) << mode;
  }

  // Entering game mode: the fixed list is probed first, and the screen's size
  // is chosen; the probe refuses it too, so a window of that size opens
  // instead and says so.
  kWindow& full = window(kWindow());
  int probes = 0;
  full.mode_probe([&](const std::string&) {
    ++probes;
    return false;
  });
  capture.reset();
  const int id = full.create();
  ASSERT_GT(id, 0);
  full.set_display_callback(varnox_null_func);
  EXPECT_EQ(probes, 441 + 1);
  EXPECT_EQ(full.game_modes(), (Modes{"1920x1080"}));
  EXPECT_FALSE(full.get_fullscreen());
  EXPECT_EQ(capture.err(),
            "Full screen at 1920x1080 is not available (the display offers no such full-screen "
            "mode): a 1920x1080 window opens instead\n");
  EXPECT_EQ(full.get_resolution(), (std::array<int, 2>{1920, 1080}));
  EXPECT_EQ(glutGetWindow(), id);
  EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1920);
  EXPECT_EQ(full.scale_factor(), (std::array<float, 2>{1, 1}));
}

TEST_F(WindowGLTest, FullScreenThatFreeglutCannotEnterOpensAWindowAtTheResolution) {
  // The probe accepts the mode, but Xvfb cannot switch modes: freeglut's
  // game mode fails, and the window opens at the chosen resolution.
  kWindow& full = window(kWindow("full", 0, 0, 5, 5, true, true, -1));
  full.mode_probe([](const std::string& mode) { return mode == "1280x720"; });
  ASSERT_EQ(full.detect_game_modes(true, ""), (Modes{"1280x720"}));
  full.set_game_mode("1280x720");
  OutputCapture capture;
  const int id = full.create();
  ASSERT_GT(id, 0);
  full.set_display_callback(varnox_null_func);
  EXPECT_NE(capture.err().find("Full screen at 1280x720 is not available (the display did not "
                               "switch to it): a 1280x720 window opens instead\n"),
            std::string::npos)
      << capture.err();
  EXPECT_FALSE(full.get_fullscreen());
  EXPECT_FALSE(platform::glut_guard::game_mode_active());
  EXPECT_EQ(glutGetWindow(), id);
  EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1280);
  EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 720);
  EXPECT_EQ(full.get_scaled_resolution(), (std::array<float, 2>{1280, 720}));
  // The window works as any other: it closes.
  full.close();
  EXPECT_EQ(full(), -1);
}
