// The intro on the generated data folder, frame by frame on the real-time
// queue: the logos and the fades, pausing refused until the end, the game of
// two computers racked at 10 s, the control hints and gamepad flashes, the
// viewer's walk and look (not in a headset), and the overlay pass that
// draws the fades.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/vector_math.h"
#include "datagen/data_folder.h"
#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/capture.h"
#include "support/engine_frame.h"
#include "support/gamepads.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/dialog.h"
#include "ui/tex_frame.h"

namespace {

using Base = datagen_test::DataFolderFixture<testing_support::GLTest>;

constexpr double kFrame = 1.0 / 30.0;

class IntroGL : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (!has_context()) return;
    engine.settings().root(root());
    testing_support::run_on_clock(engine, clock);
    engine.table.build_geometry();
    engine.init_shot_wizard();
    engine.install_callbacks();
    engine.walking().position() = start;
  }

  // Frames every kFrame of real time up to t (the first frame is real time
  // 0), the last one at t exactly.
  void run_to(double t) {
    while (true) {
      const double next = started ? std::min(real + kFrame, t) : 0.0;
      if (started && !(next > real)) return;
      started = true;
      real = next;
      now = 100.0 + real;
      engine.idle();
    }
  }

  float overlay_alpha() const { return engine.overlay_color()[3]; }

  // Whether a pause request takes effect now (the pause is undone).
  bool pausing_allowed() {
    engine.pause(true);
    const bool paused = engine.paused();
    engine.unpause();
    return paused;
  }

  bool flashing() const {
    for (const Event* e : engine.realtime_queue().events())
      if (e && e->name().rfind("Flash gamepad", 0) == 0) return true;
    return false;
  }

  testing_support::OutputCapture quiet;
  double now = 100.0;
  double real = 0.0;
  bool started = false;
  FrameClock clock{[this] { return now; }};
  PoolEngine engine;
  const Vec3 start{0.0f, 0.3f, 2.0f};
};

TEST_F(IntroGL, TheLogosAreOverlayDialogsMadeOnce) {
  Dialog* maker = engine.maker_logo_dialog();
  Dialog* product = engine.product_logo_dialog();
  EXPECT_EQ(engine.maker_logo_dialog(), maker);
  EXPECT_EQ(engine.product_logo_dialog(), product);
  EXPECT_EQ(engine.ortho_dlgs(), (std::vector<Dialog*>{maker, product}));

  const struct {
    Dialog* dialog;
    float height;
    std::size_t children;
  } logos[] = {{maker, 0.065f, 2}, {product, 0.05f, 1}};
  for (const auto& logo : logos) {
    EXPECT_TRUE(logo.dialog->disabled());
    EXPECT_FALSE(logo.dialog->depth_test());
    EXPECT_EQ(logo.dialog->frame().bg_color()[3], 0.0f);
    ASSERT_EQ(logo.dialog->children().size(), logo.children);
    auto* image = dynamic_cast<TexFrame*>(logo.dialog->children()[0]);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->tex().id(), 0u);
    EXPECT_NEAR(image->vol()[1], logo.height, 1e-6f);
    EXPECT_FALSE(image->selectable());
  }
  auto* presents = dynamic_cast<TextFrame*>(maker->children()[1]);
  ASSERT_NE(presents, nullptr);
  EXPECT_EQ(presents->text(), "presents");
  EXPECT_FALSE(presents->selectable());
  EXPECT_EQ(presents->text_style().line_width(), 3.0f);
  EXPECT_EQ(presents->text_style().line_color(), (DrawStyle::Color{1.0f, 1.0f, 1.0f, 1.0f}));
}

TEST_F(IntroGL, RunsItsTimelineOnRealTime) {
  engine.settings()["controls"]["show_control_hints"] = "1";
  engine.ball_textures.load(engine.settings(), engine.table.felt,
                            BallTextures::direct(engine.settings()));
  engine.intro();
  Dialog* maker = engine.maker_logo_dialog();
  Dialog* product = engine.product_logo_dialog();
  EXPECT_TRUE(maker->enabled());
  EXPECT_TRUE(product->disabled());
  EXPECT_EQ(overlay_alpha(), 1.0f);
  EXPECT_FALSE(pausing_allowed());
  EXPECT_TRUE(engine.active_camera_animation());

  // The overlay: clear at 2.5 s, dark at 5.0 s, clear at 7.5 s, dark at
  // 10 s, clear at 12.5 s, halfway in between.
  const struct {
    double t;
    float alpha;
  } fades[] = {{1.25, 0.5f}, {2.5, 0.0f}, {3.75, 0.5f}, {5.0, 1.0f}, {6.25, 0.5f}};
  for (const auto& f : fades) {
    run_to(f.t);
    EXPECT_NEAR(overlay_alpha(), f.alpha, 1e-6f) << f.t;
    EXPECT_FALSE(pausing_allowed()) << f.t;
  }
  EXPECT_TRUE(maker->disabled());
  EXPECT_TRUE(product->enabled());
  // The walk is at its middle point, the view on the table's centre.
  const Vec3& body = engine.walking().position();
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(body[i], engine.intro_waypoints()[1][i], 1e-5f);
  const Vec3 ahead = engine.mouse_look().coord_sys().zhat_array(true);
  EXPECT_GT(dot(ahead, normalized(-body)), 0.999f);

  run_to(7.5);
  EXPECT_EQ(overlay_alpha(), 0.0f);
  EXPECT_TRUE(engine.rules->players.empty());
  engine.controller_tutorial()->enable(false);
  run_to(9.99);
  EXPECT_TRUE(engine.rules->players.empty());
  run_to(10.0 + kFrame);
  EXPECT_TRUE(product->disabled());
  ASSERT_EQ(engine.rules->players.size(), 2u);
  EXPECT_TRUE(engine.rules->players[0].computer);
  EXPECT_TRUE(engine.rules->players[1].computer);
  ASSERT_EQ(engine.balls.size(), 16u);
  // Each ball with its picture.
  for (std::size_t i = 0; i < engine.balls.size(); ++i) {
    EXPECT_NE(engine.balls[i].texture, 0u) << i;
    EXPECT_EQ(engine.balls[i].texture, engine.ball_textures.balls[i].id()) << i;
  }
  EXPECT_TRUE(engine.controller_tutorial()->enabled());
  EXPECT_FALSE(pausing_allowed());
  EXPECT_GT(overlay_alpha(), 0.9f);

  run_to(12.5 - kFrame);
  EXPECT_FALSE(pausing_allowed());
  EXPECT_TRUE(engine.active_camera_animation());
  run_to(12.5);
  EXPECT_EQ(overlay_alpha(), 0.0f);
  EXPECT_TRUE(pausing_allowed());
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(engine.walking().position()[i], engine.intro_waypoints()[2][i], 1e-5f);
  EXPECT_TRUE(engine.new_score_board()->enabled());
  EXPECT_FALSE(engine.active_camera_animation());
  EXPECT_FALSE(flashing());
  // The logos stay, hidden.
  EXPECT_TRUE(maker->disabled());
  EXPECT_TRUE(product->disabled());
}

TEST_F(IntroGL, TheControlHintsFollowTheirSettingAtTenSeconds) {
  const struct {
    const char* value;  // nullptr: no key
    bool enabled;
  } cases[] = {{nullptr, false}, {"0", false}, {"1", true}, {"yes", false}};  // atoi: a word is 0
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "missing");
    ProgramCfg& controls = engine.settings()["controls"];
    controls.clear();
    if (c.value) controls["show_control_hints"] = c.value;
    engine.controller_tutorial()->enable(!c.enabled);
    engine.intro();
    run_to(real + 10.0 - kFrame);
    EXPECT_EQ(engine.controller_tutorial()->enabled(), !c.enabled);
    run_to(real + 2.0 * kFrame);
    EXPECT_EQ(engine.controller_tutorial()->enabled(), c.enabled);
    // Read, not written.
    EXPECT_EQ(engine.settings()["controls"].contains("show_control_hints"), c.value != nullptr);
    run_to(real + 2.5);
  }
}

TEST_F(IntroGL, AGamepadHasItsButtonsFlashedAtTheEnd) {
  testing_support::ScriptedPads pads;
  pads->connect(0);
  engine.xinput().find_new_controllers();
  ASSERT_EQ(engine.xinput().num_joysticks(), 1);
  engine.intro();
  run_to(12.5 - kFrame);
  EXPECT_FALSE(flashing());
  run_to(12.5);
  EXPECT_TRUE(flashing());
  engine.controller_tutorial()->stop_flashing_all_gamepad_keys();
}

TEST_F(IntroGL, InAHeadsetTheViewerStaysWhereTheyAre) {
  engine.hmd_control(true);
  const CoordinateSystem view = engine.mouse_look().coord_sys();
  engine.intro();
  EXPECT_TRUE(engine.look_events().empty());
  run_to(6.25);
  EXPECT_EQ(engine.walking().position(), start);
  EXPECT_EQ(engine.mouse_look().coord_sys().zhat_array(), view.zhat_array());
  // The logos and the game run as on a monitor.
  EXPECT_TRUE(engine.product_logo_dialog()->enabled());
  run_to(10.0 + kFrame);
  EXPECT_EQ(engine.rules->players.size(), 2u);
}

TEST_F(IntroGL, WithAHandControllerTheViewerWalksWithoutTurning) {
  CoordinateSystem hand;
  hand.position() = {0.2f, 1.0f, 0.0f};
  engine.update_controller_poses({hand});
  ASSERT_TRUE(engine.positional_control(1));
  const Vec3 view = engine.mouse_look().coord_sys().zhat_array();
  engine.intro();
  run_to(6.25);
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(engine.walking().position()[i], engine.intro_waypoints()[1][i], 1e-5f);
  EXPECT_EQ(engine.mouse_look().coord_sys().zhat_array(), view);
}

TEST_F(IntroGL, TheOverlayPassBlendsTheFadeOverTheViewAndRestoresTheState) {
  testing_support::OffscreenTarget target(8, 8);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  engine.geometry().init(false);
  engine.overlay_color() = {0.0f, 0.0f, 0.0f, 0.5f};
  const testing_support::GLStateSnapshot before = testing_support::GLStateSnapshot::take();
  engine.render_overlay_pass();
  EXPECT_EQ(testing_support::GLStateSnapshot::take().changes_since(before), "");
  EXPECT_TRUE(testing_support::drain_gl_errors().empty());
  const auto grey = target.pixel(4, 4);
  EXPECT_NEAR(grey[0], 128, 2);
  EXPECT_NEAR(grey[1], 128, 2);

  // A clear overlay draws nothing.
  engine.overlay_color()[3] = 0.0f;
  glClear(GL_COLOR_BUFFER_BIT);
  engine.render_overlay_pass();
  EXPECT_EQ(target.pixel(4, 4)[0], 255);
}

}  // namespace
