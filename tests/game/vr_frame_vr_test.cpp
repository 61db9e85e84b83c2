// The headset frame's models and hand controllers against the simulated
// headset: controller models registered (again while more controllers are
// tracked than models are listed), base stations placed once, and what a
// frame's controller update hands the engine and the walker.
#include <gtest/gtest.h>

#include <string>

#include "game/app/pool_engine.h"
#include "game/app/vr_frame.h"
#include "input/frame_clock.h"
#include "input/vr_interface.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"
#include "support/pool_balls.h"
#include "support/pool_play.h"
#include "support/vr_headset.h"
#include "ui/dialog.h"

using testing_support::GLTest;
using testing_support::HeadsetTest;
using testing_support::OutputCapture;
using testing_support::square_model;

namespace {

class VRFrameTest : public HeadsetTest<GLTest> {
 protected:
  void TearDown() override {
    if (has_context()) vr_.release_gl();
    GLTest::TearDown();
  }

  // The runtime up and VR on, its report swallowed.
  void start() {
    OutputCapture quiet;
    ASSERT_EQ(vr_.init(), 0);
    vr_.enable(true);
  }
  // A controller at slot `index` showing "ctl", with a track pad (axis 0)
  // and a trigger (axis 1), at position p.
  vr::SimulatedDevice& controller(unsigned index, std::array<float, 3> p) {
    vr::SimulatedDevice& d = headset_.add_controller(
        index, "ctl",
        {vr::k_eControllerAxis_TrackPad, vr::k_eControllerAxis_Trigger, vr::k_eControllerAxis_None,
         vr::k_eControllerAxis_None, vr::k_eControllerAxis_None});
    headset_.set_pose(index, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, p));
    return d;
  }
  // One headset frame's controller part, as the frame runs it after the
  // poses of the frame before.
  void controller_frame() {
    OutputCapture quiet;
    vr_.update_poses();
    frame_.update_vr_controllers();
  }

  PoolEngine engine_;
  VRInterface vr_{nullptr, 8, 8};
  VRFrame frame_{engine_, vr_, {}};
};

}  // namespace

TEST_F(VRFrameTest, ControllerModelsAreRegisteredAgainWhileMoreControllersAreTracked) {
  headset_.add_render_model("ctl", square_model(-1));
  controller(3, {0.1f, 1.0f, -0.2f});
  controller(4, {-0.1f, 1.0f, -0.2f});
  engine_.walking().position() = {0.0f, -1.5f, 0.0f};
  start();

  // Both show one model: one copy per registration.
  controller_frame();
  ASSERT_EQ(engine_.controller_vbos().size(), 1u);
  controller_frame();
  ASSERT_EQ(engine_.controller_vbos().size(), 2u);
  controller_frame();
  EXPECT_EQ(engine_.controller_vbos().size(), 2u);
  EXPECT_EQ(headset_.model_loads("ctl"), 1);

  ASSERT_EQ(engine_.controller_models.size(), 2u);
  const VBO* runtime_model = vr_.model_vbo("ctl");
  ASSERT_NE(runtime_model, nullptr);
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    VBO* model = engine_.controller_vbos().at(i);
    EXPECT_EQ(model, engine_.controller_models[i].get());
    EXPECT_NE(model, runtime_model);
    EXPECT_EQ(model->name(), "ctl");
    EXPECT_EQ(model->buffers(), runtime_model->buffers());
    EXPECT_TRUE(engine_.draw_vbos().contains(model));
  }
  // Each model at its controller's pose, moved by the walker.
  EXPECT_EQ(engine_.controller_vbos().at(0)->coord_sys().position(), (Vec3{0.1f, -0.5f, -0.2f}));
  EXPECT_EQ(engine_.controller_vbos().at(1)->coord_sys().position(), (Vec3{-0.1f, -0.5f, -0.2f}));
  EXPECT_EQ(engine_.controllers().size(), 2u);
}

TEST_F(VRFrameTest, OnlyTrackedControllersReachTheEngineAndTheWalker) {
  int hook_calls = 0;
  engine_.controller_pose_hook() = [&hook_calls] { ++hook_calls; };
  start();
  controller_frame();
  EXPECT_EQ(hook_calls, 0);
  EXPECT_TRUE(engine_.controllers().empty());
  EXPECT_EQ(engine_.walking().applied_force, (Vec3{0.0f, 0.0f, 0.0f}));

  // A controller with its pad pressed forward: poses, then walking ahead
  // (along the controller's -z).
  headset_.add_render_model("ctl", square_model(-1));
  vr::SimulatedDevice& pad = controller(2, {0.0f, 1.0f, 0.0f});
  pad.state.button_pressed = std::uint64_t(1) << vr::k_EButton_Axis0;
  pad.state.axis[0] = {0.0f, 1.0f};
  controller_frame();
  EXPECT_EQ(hook_calls, 1);
  EXPECT_EQ(engine_.controllers().size(), 1u);
  const Vec3 force = engine_.walking().applied_force;
  EXPECT_EQ(force[0], 0.0f);
  EXPECT_LT(force[2], 0.0f);
}

TEST_F(VRFrameTest, BaseStationsAreFoundAndPlacedOnceAtTheWalker) {
  headset_.add_render_model("lighthouse", square_model(-1));
  headset_.add_device(5, vr::TrackedDeviceClass_TrackingReference, "lighthouse");
  headset_.set_pose(5, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 2, 3}));
  // A station that names no model is left out.
  headset_.add_device(6, vr::TrackedDeviceClass_TrackingReference, "");
  engine_.walking().position() = {0.0f, -1.5f, 0.0f};
  start();
  {
    OutputCapture quiet;
    frame_.init_base_stations();
  }
  ASSERT_EQ(engine_.base_stations().size(), 1u);
  const VBO& station = engine_.base_stations().at(5);
  EXPECT_EQ(station.buffers(), vr_.model_vbo("lighthouse")->buffers());
  EXPECT_EQ(station.coord_sys().position(), (Vec3{1.0f, 0.5f, 3.0f}));

  // Placed once: a later pose moves it only when asked again.
  headset_.set_pose(5, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {4, 2, 3}));
  controller_frame();
  EXPECT_EQ(station.coord_sys().position(), (Vec3{1.0f, 0.5f, 3.0f}));
  frame_.update_base_station_poses();
  EXPECT_EQ(station.coord_sys().position(), (Vec3{4.0f, 0.5f, 3.0f}));
}

// After "No" to "Play again?" the cue glides over 2 s of game time from
// where it is into the hands, where the headset has them as it arrives: the
// engine's step, then the headset frame's controller update, frame by frame.
TEST_F(VRFrameTest, AfterNoToPlayAgainTheCueGlidesIntoTheHandsWhereTheyAreThen) {
  double now = 100.0;
  FrameClock clock{[&now] { return now; }};
  testing_support::ready_for_play(engine_, clock);
  engine_.bind_keys();
  testing_support::place_balls(engine_, {{0, {0.0f, 0.0f, 0.0f}}, {1, {0.5f, 0.0f, 0.0f}}});
  headset_.add_render_model("ctl", square_model(-1));
  controller(3, {0.3f, 1.2f, 0.0f});
  controller(4, {0.6f, 1.2f, 0.0f});
  start();
  const auto headset_frame = [&] {
    now += 1.0 / 30.0;
    engine_.idle();
    controller_frame();
  };
  for (int i = 0; i < 10; ++i) headset_frame();
  ASSERT_EQ(engine_.controllers().size(), 2u);

  // The computer has won against the human, who answers "No".
  engine_.eight_ball.init_players(2, 1);
  engine_.eight_ball.current = 1;
  engine_.eight_ball.winner = 1;
  engine_.next_turn();
  Dialog* question = engine_.menus.menu("play_again");
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(question->enabled());
  engine_.cue.end_a = {0.0f, 0.5f, 0.0f};
  engine_.cue.end_b = {0.0f, 0.5f, 1.0f};
  Frame* no = nullptr;
  for (Frame* child : question->children())
    if (auto* line = dynamic_cast<TextFrame*>(child); line && line->text() == "No") no = child;
  ASSERT_NE(no, nullptr);
  no->callback()();
  EXPECT_FALSE(question->enabled());
  ASSERT_FALSE(engine_.paused());

  // The hands move on while the cue glides, then stay.
  headset_.set_pose(3,
                    vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {-0.2f, 1.4f, 0.1f}));
  headset_.set_pose(4,
                    vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {-0.5f, 1.3f, 0.2f}));
  for (int i = 0; i < 75; ++i) headset_frame();
  const Vec3 walker = engine_.walking().position();
  for (std::size_t k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    const Vec3 hand = to_vec3(engine_.controllers()[k].pos().x_data());
    const Vec3 end = k == 0 ? engine_.cue.end_a : engine_.cue.end_b;
    const Vec3 expected = (k == 0 ? Vec3{-0.2f, 1.4f, 0.1f} : Vec3{-0.5f, 1.3f, 0.2f}) + walker;
    for (int a = 0; a < 3; ++a) {
      EXPECT_NEAR(hand[a], expected[a], 1e-5f);
      EXPECT_NEAR(end[a], hand[a], 1e-5f);
    }
  }
}
