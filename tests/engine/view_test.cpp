// The engine's view test (in front of the view pose or not) and a body's path
// against a model's collision partition.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/phys_obj.h"
#include "engine/basic_engine.h"
#include "models/model_text.h"

using testing_support::model_of;

namespace {

struct Body : PhysObj {
  bool ValidPoint(const float*) const override { return true; }
};

}  // namespace

TEST(EngineView, PointsInFrontOfTheViewPoseOnly) {
  BasicEngine engine;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float big = 1e30f;
  const struct {
    std::array<float, 3> point;
    bool seen;
    const char* what;
  } at_origin[] = {
      {{0, 0, -1}, true, "straight ahead"},
      {{0, 0, 1}, false, "straight behind"},
      {{1, 0, 0}, false, "at the side, 90 degrees"},
      {{0, -2, 0}, false, "below, 90 degrees"},
      {{0, 0, 0}, false, "the view's own position"},
      {{5, 3, -0.001f}, true, "just ahead of the side"},
      {{5, 3, 0.001f}, false, "just behind the side"},
      {{big, big, -big}, true, "far ahead, beside the axis"},
      {{nan, 0, -1}, false, "NaN"},
  };
  for (const auto& c : at_origin) {
    EXPECT_EQ(engine.in_view(c.point, 0.0f), c.seen) << c.what;
    EXPECT_EQ(engine.in_view(c.point, 180.0f), c.seen) << c.what << " (the float has no effect)";
  }

  // The view pose moved to (0, 0.3, 2), looking at the origin.
  engine.mouse_look().coord_sys().look_at(Vec3{0, 0.3f, 2}, Vec3{0, 0, 0});
  EXPECT_TRUE(engine.in_view({0, 0, 0}, 0.0f));
  EXPECT_TRUE(engine.in_view({-3, 1, -1}, 0.0f));
  EXPECT_FALSE(engine.in_view({0, 0.6f, 4}, 0.0f));
  EXPECT_FALSE(engine.in_view({0, 0.3f, 2}, 0.0f));
}

TEST(EngineView, CollideCrossesFacesFromThePointToTheBody) {
  // A wall in the plane z = 0 over [0, 2] x [0, 2].
  OBJRenderer wall = model_of("v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nf 1 2 3 4\n");
  CollisionPartition& partition = wall.calc_collision_data(1.0f, {});
  BasicEngine engine;
  Body body;

  // Through the wall from the point: put back there, the normal component
  // of the velocity reversed and halved.
  body.position = {1, 1, -0.5f};
  body.velocity = {1, 2, -4};
  const float point[3] = {1, 1, 0.25f};
  EXPECT_EQ(engine.collide(partition, body, point), (std::vector<unsigned long long>{0}));
  EXPECT_EQ(body.position, (Vec3{1, 1, 0.25f}));
  EXPECT_EQ(body.velocity, (Vec3{1, 2, 2}));

  // A path that stays on one side crosses nothing and changes nothing.
  body.position = {1, 1, 0.1f};
  body.velocity = {0, 0, -1};
  EXPECT_TRUE(engine.collide(partition, body, point).empty());
  EXPECT_EQ(body.position, (Vec3{1, 1, 0.1f}));
  EXPECT_EQ(body.velocity, (Vec3{0, 0, -1}));

  // Without a point the path starts and ends at the body, even on the wall.
  body.position = {1, 1, 0};
  EXPECT_TRUE(engine.collide(partition, body, nullptr).empty());
  EXPECT_EQ(body.position, (Vec3{1, 1, 0}));
  EXPECT_EQ(body.velocity, (Vec3{0, 0, -1}));
}
