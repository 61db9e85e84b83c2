// Camera moves and animations of the engine, on a test clock: move_camera
// with and without force, the comfort turn, the follow animation, the
// look-at update function and the voxel collision guard.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <vector>

#include "core/phys_obj.h"
#include "engine/basic_engine.h"
#include "models/collision_partition.h"
#include "models/face_collision.h"
#include "models/obj_face.h"
#include "support/capture.h"
#include "support/engine_frame.h"

using testing_support::EngineFrame;

namespace {

void expect_near(const Vec3& got, const Vec3& want, float tolerance = 1e-4f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "component " << i;
}

// The view's heading about y, radians: 0 looking along -z, positive to the
// left.
float heading(const CoordinateSystem& view) {
  return std::atan2(view.zhat()[0], view.zhat()[2]);
}

// The direction the view looks along (its -z).
Vec3 looking(const BasicEngine& engine) {
  return engine.mouse_look().coord_sys().zhat(true);
}

class EngineCamera : public EngineFrame {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    engine_.walking().friction = 0.0f;
    engine_.walking().position() = {0.0f, 0.3f, 0.0f};
    frame_at(100.0);  // game time 0
    frame_at(110.0);  // game time 10, real time 10
  }
};

}  // namespace

// ---- move_camera

TEST_F(EngineCamera, AnInstantMovePlacesAndTurnsAtTheNextAdvance) {
  engine_.move_camera({1.0f, 0.3f, 2.0f}, {1.0f, 0.3f, -3.0f}, 0.0, 0.0, nullptr, false);
  EXPECT_EQ(engine_.look_events().size(), 3u);
  EXPECT_TRUE(engine_.active_camera_animation());
  EXPECT_EQ(engine_.walking().position(), (Vec3{0.0f, 0.3f, 0.0f}));
  frame_at(110.02);
  expect_near(engine_.walking().position(), {1.0f, 0.3f, 2.0f});
  expect_near(looking(engine_), {0.0f, 0.0f, -1.0f});
  EXPECT_TRUE(engine_.look_events().empty());
  EXPECT_FALSE(engine_.active_camera_animation());
}

TEST_F(EngineCamera, AMoveEasesAndASecondOneWaitsUnlessForced) {
  // From the origin looking along -z to x = 2, turning to look along +x.
  engine_.move_camera({2.0f, 0.3f, 0.0f}, {10.0f, 0.3f, 0.0f}, 1.0);
  frame_at(110.5);
  const Vec3 halfway = engine_.walking().position();
  EXPECT_NEAR(halfway[0], 1.0f, 1e-3);  // ease in, ease out: half the way at half time
  EXPECT_GT(looking(engine_)[0], 0.0f);
  EXPECT_LT(looking(engine_)[0], 1.0f);

  // Without force nothing changes while a move runs.
  engine_.move_camera({-5.0f, 0.3f, 0.0f}, {-10.0f, 0.3f, 0.0f}, 1.0);
  EXPECT_EQ(engine_.look_events().size(), 3u);
  frame_at(111.1);
  expect_near(engine_.walking().position(), {2.0f, 0.3f, 0.0f});
  expect_near(looking(engine_), {1.0f, 0.0f, 0.0f});
  EXPECT_FALSE(engine_.active_camera_animation());

  // Forced: the first move stops where it stands; the second starts there.
  engine_.move_camera({0.0f, 0.3f, 0.0f}, {0.0f, 0.3f, -10.0f}, 1.0);
  frame_at(111.6);
  const Vec3 stood = engine_.walking().position();
  engine_.move_camera({2.0f, 0.3f, 4.0f}, {2.0f, 0.3f, 10.0f}, 1.0, 0.0, nullptr, true);
  EXPECT_EQ(engine_.look_events().size(), 6u);  // the stopped ones stay listed
  frame_at(111.61);
  EXPECT_NEAR(engine_.walking().position()[0], stood[0], 1e-2);
  frame_at(112.7);
  expect_near(engine_.walking().position(), {2.0f, 0.3f, 4.0f});
  expect_near(looking(engine_), {0.0f, 0.0f, 1.0f});
  EXPECT_TRUE(engine_.look_events().empty());
  frame_at(113.0);
  expect_near(engine_.walking().position(), {2.0f, 0.3f, 4.0f});
}

TEST_F(EngineCamera, AForcedMoveStopsALookTheProgramListed) {
  // A look of the program's own, on the real-time queue, that turns the
  // view toward -x every step.
  int steps = 0;
  Event look(
      "program look", engine_.realtime_queue().time(), -1.0, nullptr, nullptr,
      [this, &steps](double) {
        ++steps;
        const Vec3 eye = engine_.walking().position();
        const Vec3 left = eye + Vec3{-1.0f, 0.0f, 0.0f};
        engine_.mouse_look().coord_sys().look_at(eye.data(), left.data(), nullptr, false);
      },
      nullptr);
  engine_.realtime_queue().add(&look);
  engine_.look_events().push_back(&look);
  frame_at(110.1);
  ASSERT_GT(steps, 0);

  // Without force the running look holds the camera.
  engine_.move_camera({0.0f, 0.3f, 1.0f}, {0.0f, 0.3f, 10.0f}, 0.5);
  EXPECT_EQ(engine_.look_events().size(), 1u);
  engine_.move_camera({0.0f, 0.3f, 1.0f}, {0.0f, 0.3f, 10.0f}, 0.5, 0.0, nullptr, true);
  EXPECT_FALSE(engine_.realtime_queue().contains(&look));
  const int before = steps;
  frame_at(110.8);
  EXPECT_EQ(steps, before);
  expect_near(engine_.walking().position(), {0.0f, 0.3f, 1.0f});
  expect_near(looking(engine_), {0.0f, 0.0f, 1.0f});
  EXPECT_TRUE(engine_.look_events().empty());
}

TEST_F(EngineCamera, AMoveThatHasNotStartedIsReplacedNotRunBeside) {
  engine_.move_camera({5.0f, 0.3f, 0.0f}, {5.0f, 0.3f, -5.0f}, 0.5, 1.0);
  engine_.sync_look_events();  // not started: not listed
  EXPECT_TRUE(engine_.look_events().empty());
  engine_.move_camera({-1.0f, 0.3f, 0.0f}, {-1.0f, 0.3f, -5.0f}, 0.5);
  float largest_x = 0.0f;
  for (double t = 110.1; t < 112.5; t += 0.1) {
    frame_at(t);
    largest_x = std::max(largest_x, engine_.walking().position()[0]);
  }
  expect_near(engine_.walking().position(), {-1.0f, 0.3f, 0.0f});
  EXPECT_LE(largest_x, 0.0f);
  EXPECT_EQ(engine_.gametime_queue().find("move camera"), nullptr);
}

TEST_F(EngineCamera, MovesRunOnTheQueueGivenAndWaitForTheGameClock) {
  engine_.pause(true);
  engine_.move_camera({3.0f, 0.3f, 0.0f}, {3.0f, 0.3f, -5.0f}, 0.0);
  frame_at(111.0);
  EXPECT_EQ(engine_.walking().position()[0], 0.0f);
  engine_.move_camera({3.0f, 0.3f, 0.0f}, {3.0f, 0.3f, -5.0f}, 0.0, 0.0, &engine_.realtime_queue(),
                      true);
  frame_at(111.1);
  EXPECT_FLOAT_EQ(engine_.walking().position()[0], 3.0f);
}

// ---- comfort_rotate

TEST_F(EngineCamera, AComfortTurnEndsAtTheWholeAngleAndANewOneReplacesIt) {
  const CoordinateSystem& view = engine_.mouse_look().coord_sys();
  engine_.comfort_rotate(45.0f, 0.5);
  ASSERT_NE(engine_.realtime_queue().find("Comfort rotate"), nullptr);
  frame_at(110.15);
  EXPECT_NEAR(heading(view), 0.3f * 45.0f * kDegToRad, 1e-4);  // turned left
  frame_at(110.45);
  frame_at(110.6);  // past the end: the last step is made up
  EXPECT_NEAR(heading(view), 45.0f * kDegToRad, 1e-4);
  EXPECT_NEAR(view.yhat()[1], 1.0f, 1e-6);

  // A second turn within the first: the first makes its step of the next
  // frame and stops there, part-way; the second turns its whole angle.
  engine_.comfort_rotate(-45.0f, 0.5);
  frame_at(110.7);
  engine_.comfort_rotate(-45.0f, 0.5);
  for (double t = 110.8; t < 111.6; t += 0.1) frame_at(t);
  const float first = -0.2f / 0.5f * 45.0f;
  EXPECT_NEAR(heading(view), (45.0f + first - 45.0f) * kDegToRad, 1e-4);
}

TEST_F(EngineCamera, AComfortTurnFollowsTheWalkersUpAxis) {
  engine_.up_axis(2);
  engine_.comfort_rotate(90.0f, 0.5);
  frame_at(111.0);
  // About z, a quarter turn takes the view's x axis onto y.
  expect_near(to_vec3(engine_.mouse_look().coord_sys().xhat()), {0.0f, 1.0f, 0.0f});
}

// ---- camera_follow

TEST_F(EngineCamera, TheFollowAnimationRunsFromNowAlongItsCurveToTheTarget) {
  const float target[3] = {4.0f, 0.3f, 0.0f};
  engine_.camera_follow(target, nullptr, 1.0);
  frame_at(110.25);
  EXPECT_TRUE(engine_.active_camera_animation());
  // From the camera's position at the first call, with no tangents: the
  // ease 3s^2 - 2s^3 of the straight line.
  const float s = 0.25f;
  EXPECT_NEAR(engine_.walking().position()[0], 4.0f * (3 * s * s - 2 * s * s * s), 1e-4);
  frame_at(111.2);
  expect_near(engine_.walking().position(), {4.0f, 0.3f, 0.0f});
  EXPECT_FALSE(engine_.active_camera_animation());

  // Tangents shape the way: a start tangent up pulls the curve above the line.
  const float up[3] = {0.0f, 1.0f, 0.0f};
  const float start[3] = {0.0f, 0.3f, 0.0f};
  engine_.camera_follow(target, nullptr, 1.0, nullptr, up, start);
  frame_at(111.7);
  EXPECT_GT(engine_.walking().position()[1], 0.5f);
  frame_at(112.3);
  expect_near(engine_.walking().position(), {4.0f, 0.3f, 0.0f});

  // Without a target the walker is held at the kept start point.
  engine_.camera_follow(nullptr, nullptr, 1.0);
  frame_at(112.5);
  expect_near(engine_.walking().position(), {0.0f, 0.3f, 0.0f});
  EXPECT_EQ(engine_.gametime_queue().events().size(), 1u);  // one follow event, re-used
}

// ---- update_look_at

TEST(EngineCameraFunctions, UpdateLookAtTurnsWhileTheConditionHolds) {
  BasicEngine engine;
  CoordinateSystem cs;
  cs.position() = {1.0f, 0.0f, 0.0f};
  const float target[3] = {1.0f, 0.0f, -5.0f};
  bool allowed = false;
  const auto update = engine.update_look_at(&cs, target, [&] { return allowed; });
  update(0.5);
  EXPECT_EQ(cs.rotation(), CoordinateSystem().rotation());
  allowed = true;
  update(0.5);
  // Turned with z toward the target, in place.
  expect_near(to_vec3(cs.zhat()), {0.0f, 0.0f, -1.0f});
  expect_near(cs.position(), {1.0f, 0.0f, 0.0f});
  engine.update_look_at(nullptr, target, nullptr)(0.0);  // nothing to turn
}

// ---- collider_event

namespace {

// The box [0, 2]^3 as six quads in one voxel.
struct BoxModel {
  std::vector<float> vertices;
  std::deque<OBJFace> faces;
  std::vector<FaceCollisionData> data;
  CollisionPartition partition;

  BoxModel() {
    for (int c = 0; c < 8; ++c)
      vertices.insert(vertices.end(),
                      {c & 1 ? 2.0f : 0.0f, c & 2 ? 2.0f : 0.0f, c & 4 ? 2.0f : 0.0f});
    for (const auto& q : {std::vector<unsigned long long>{0, 2, 3, 1},
                          {4, 5, 7, 6},
                          {0, 1, 5, 4},
                          {2, 6, 7, 3},
                          {0, 4, 6, 2},
                          {1, 3, 7, 5}}) {
      OBJFace f(0);
      f.v = q;
      faces.push_back(f);
    }
    data.assign(faces.size(), FaceCollisionData());
    for (std::size_t i = 0; i < faces.size(); ++i) data[i].init(faces[i], vertices);
    testing_support::OutputCapture quiet;
    partition.init(faces, data, vertices, {}, 2.0f);
  }
};

struct Body : PhysObj {
  bool ValidPoint(const float*) const override { return true; }
};

}  // namespace

TEST_F(EngineCamera, TheColliderKeepsABodyOutOfTheModelsFaces) {
  BoxModel box;
  Body body;
  body.position = {1.0f, 1.0f, 1.0f};
  Event* guard = engine_.collider_event(box.partition, body, nullptr, 0.0f);
  ASSERT_NE(guard, nullptr);
  EXPECT_EQ(guard->name(), "voxel-based collider");
  frame_at(110.1);  // the first step only remembers where the body is

  // A step through the wall at x = 2 is put back and bounces at half speed.
  body.position = {2.5f, 1.0f, 1.0f};
  body.velocity = {1.0f, 0.0f, 0.0f};
  body.force = {3.0f, 0.0f, 0.0f};
  frame_at(110.2);
  expect_near(body.position, {1.0f, 1.0f, 1.0f});
  expect_near(body.velocity, {-0.5f, 0.0f, 0.0f});
  EXPECT_EQ(body.force, (Vec3{0, 0, 0}));

  // A step inside is followed.
  body.position = {1.5f, 1.0f, 1.0f};
  body.force = {3.0f, 0.0f, 0.0f};
  frame_at(110.3);
  EXPECT_EQ(body.force[0], 3.0f);
  body.position = {1.6f, 1.0f, 1.0f};
  frame_at(110.4);
  EXPECT_EQ(body.force[0], 3.0f);
}

TEST_F(EngineCamera, TheColliderProbeStopsAPushAtAWallWithinReach) {
  BoxModel box;
  Body body;
  body.position = {1.8f, 1.0f, 1.0f};
  engine_.collider_event(box.partition, body, nullptr, 0.3f);
  frame_at(110.1);
  // At rest with a wall 0.2 away along +x: the push is taken off.
  body.force = {5.0f, 0.0f, 0.0f};
  frame_at(110.2);
  EXPECT_EQ(body.force, (Vec3{0, 0, 0}));
  // Moving toward that wall the probe along it is left to the step test,
  // and the others find nothing within reach.
  body.velocity = {0.1f, 0.0f, 0.0f};
  body.force = {5.0f, 0.0f, 0.0f};
  frame_at(110.3);
  EXPECT_EQ(body.force[0], 5.0f);

  // In head-mounted mode and during a camera move the guard stands aside.
  body.velocity = {0.0f, 0.0f, 0.0f};
  engine_.hmd_control(true);
  frame_at(110.4);
  EXPECT_EQ(body.force[0], 5.0f);
  engine_.hmd_control(false);
  Event look("move camera", 0.0, -1.0, nullptr, nullptr, nullptr, nullptr);
  engine_.look_events().push_back(&look);
  body.position = {2.5f, 1.0f, 1.0f};  // through the wall while the camera moves
  frame_at(110.5);
  expect_near(body.position, {2.5f, 1.0f, 1.0f});
  EXPECT_EQ(body.force[0], 5.0f);
}
