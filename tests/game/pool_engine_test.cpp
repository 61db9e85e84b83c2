// The game's engine object without a window: what it owns and starts with,
// the full-screen setting it reads, the shot wizard and the hooks it fills.
#include "game/app/pool_engine.h"

#include <AL/alc.h>
#include <gtest/gtest.h>

#include "platform/glut_guard.h"
#include "support/data_root.h"

namespace {

TEST(PoolEngine, ConstructionOpensNothingAndOwnsTheGame) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  EXPECT_FALSE(platform::glut_guard::initialised());
  EXPECT_EQ(alcGetCurrentContext(), nullptr);

  EXPECT_EQ(engine.rules, &engine.eight_ball);
  EXPECT_EQ(engine.eight_ball.max_players, 2);
  EXPECT_EQ(engine.eight_ball.min_rail_contacts, 3);
  EXPECT_EQ(engine.difficulty.level, 2);
  EXPECT_EQ(engine.difficulty.aim_error_scale, 0.375);
  EXPECT_EQ(engine.table.half_extents, (Vec3{0.9f, 0.225f, 0.45f}));
  EXPECT_EQ(&engine.table.geometry(), &engine.geometry());
  EXPECT_EQ(&engine.cue.geometry(), &engine.geometry());
  EXPECT_EQ(engine.shot_wizard.name(), "Wizard");
  EXPECT_TRUE(engine.balls.empty());
  EXPECT_EQ(engine.cue_ball, nullptr);
  EXPECT_EQ(engine.aim_guide.cue, &engine.cue);
  EXPECT_TRUE(engine.aim_guide.owns_ball());
  EXPECT_EQ(engine.placement_offset, (Vec3{0.0f, -0.05f, -0.4f}));
  EXPECT_EQ(engine.spin_force_coefficient, 0.04);
  EXPECT_EQ(engine.min_strike_speed, 0.1f);
  EXPECT_EQ(engine.stop_speed, 0.001);
  EXPECT_EQ(engine.stop_spin, 0.002);
  EXPECT_FALSE(engine.guide_hit);
  EXPECT_EQ(engine.camera_event_names[3], "Align camera shot rotation");
  EXPECT_EQ(engine.start_position(), (std::array<float, 3>{0.0f, 1.2f, 0.0f}));
  // The engine keeps the game's controller tutorial as its own.
  ASSERT_NE(engine.tutorial, nullptr);
  EXPECT_EQ(engine.controller_tutorial(), engine.tutorial.get());
  EXPECT_TRUE(engine.tutorial->enabled());
  // The view starts dark for the intro to fade in.
  EXPECT_EQ(engine.overlay_color(), (GLUTInterface::Color{0, 0, 0, 1}));
}

TEST(PoolEngine, TheCueAndTheAimGuideKeepRealTime) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  engine.realtime_queue().update(12.5);
  EXPECT_EQ(engine.cue.clock(), 12.5);
  EXPECT_EQ(engine.aim_guide.clock(), 12.5);
}

// The value as atoi reads it: a word is 0, a window.
TEST(PoolEngine, TheVideoSettingsChooseFullScreenOrAWindow) {
  const struct {
    const char* file;  // nullptr: no section file
    bool fullscreen;
  } cases[] = {
      {"fullscreen = 0\n", false},      {"fullscreen = 1\n", true},
      {"fullscreen = 7\n", true},       {"fullscreen = window\n", false},
      {"resolution = 800x600\n", true}, {nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "no section");
    testing_support::TempDataRoot root;
    if (c.file) root.write("cfg/video_settings.ini", c.file);
    PoolEngine engine;
    EXPECT_EQ(engine.window().get_fullscreen(), c.fullscreen);
    // Nothing is written back.
    EXPECT_EQ(root.read("cfg/video_settings.ini"), c.file ? c.file : "");
  }
}

TEST(PoolEngine, TheShotWizardHasItsFourStepsAndTheFirstMayNotFinish) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  EXPECT_EQ(engine.init_shot_wizard(), 0);
  const std::vector<WizardStep>& steps = engine.shot_wizard.steps();
  ASSERT_EQ(steps.size(), 4u);
  const char* names[] = {"Ball in hand", "Choose ball", "Choose pocket", "Shoot"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(steps[i].name(), names[i]);
    EXPECT_EQ(steps[i].can_finish(), i != 0) << i;
  }
  engine.shot_wizard.start();
  EXPECT_EQ(engine.shot_wizard.set_step("Shoot"), 0);
  EXPECT_EQ(engine.shot_wizard.finish(), 0);
  EXPECT_EQ(engine.shot_wizard.set_step("Ball in hand"), 0);
  EXPECT_EQ(engine.shot_wizard.finish(), 3);
}

TEST(PoolEngine, ThePreIdleHookCopiesTheGuidesHitEachFrame) {
  testing_support::TempDataRoot root;
  PoolEngine engine;
  double now = 1.0;
  FrameClock clock([&now] { return now; });
  engine.frame_clock(&clock);
  int listener_updates = 0;
  engine.update_listener = [&listener_updates] { ++listener_updates; };
  engine.install_callbacks();
  engine.aim_guide.hit = true;
  engine.idle();
  EXPECT_TRUE(engine.guide_hit);
  EXPECT_EQ(listener_updates, 1);
  engine.aim_guide.hit = false;
  now += 0.02;
  engine.idle();
  EXPECT_FALSE(engine.guide_hit);
  EXPECT_EQ(listener_updates, 2);
}

}  // namespace
