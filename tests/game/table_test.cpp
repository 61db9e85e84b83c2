// The table's geometry without OpenGL: walls, pockets, the pocket drawing
// rule, balls and the angle between two vectors.
#include "game/table/table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "game/table/angle.h"
#include "game/table/ball.h"
#include "game/table/detail_level.h"

namespace {

void expect_vec(const Vec3& actual, const Vec3& expected, float tolerance = 1e-6f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
}

// A table whose walls and pockets are built.
class BuiltTable : public ::testing::Test {
 protected:
  void SetUp() override { table.build_geometry(); }
  Table table;
};

TEST(Table, SixWallsAtTheHalfExtentsFacingInwards) {
  Table table;
  table.build_geometry();
  ASSERT_EQ(table.walls.size(), 6u);
  const struct {
    Vec3 position, z, x;
    float width, height;
  } expected[6] = {
      {{0.9f, 0, 0}, {-1, 0, 0}, {0, 0, 1}, 0.9f, 0.45f},
      {{-0.9f, 0, 0}, {1, 0, 0}, {0, 0, 1}, 0.9f, 0.45f},
      {{0, 0.225f, 0}, {0, -1, 0}, {1, 0, 0}, 1.8f, 0.9f},
      {{0, -0.225f, 0}, {0, 1, 0}, {1, 0, 0}, 1.8f, 0.9f},
      {{0, 0, 0.45f}, {0, 0, -1}, {1, 0, 0}, 1.8f, 0.45f},
      {{0, 0, -0.45f}, {0, 0, 1}, {1, 0, 0}, 1.8f, 0.45f},
  };
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    const Wall& w = table.walls[k];
    expect_vec(w.position, expected[k].position);
    expect_vec(w.coord_sys().position(), expected[k].position);
    expect_vec(w.coord_sys().zhat_array(), expected[k].z);
    expect_vec(w.coord_sys().xhat_array(), expected[k].x);
    // A right-handed frame: y = z x x.
    expect_vec(w.coord_sys().yhat_array(),
               cross(w.coord_sys().zhat_array(), w.coord_sys().xhat_array()));
    EXPECT_FLOAT_EQ(w.width, expected[k].width);
    EXPECT_FLOAT_EQ(w.height, expected[k].height);
    EXPECT_TRUE(w.frozen);
    EXPECT_EQ(w.mass, 100.0);
    EXPECT_EQ(&w.geometry(), &table.geometry());
  }
}

TEST_F(BuiltTable, TwelvePocketsJustOutsideTheCornersAndLongEdges) {
  ASSERT_EQ(table.pockets.size(), 12u);
  const float cx = 0.901f, cy = 0.226f, cz = 0.451f;
  const Vec3 expected[12] = {{cx, cy, cz},  {cx, cy, -cz},  {cx, -cy, -cz},  {cx, -cy, cz},
                             {0, -cy, cz},  {0, -cy, -cz},  {-cx, -cy, -cz}, {-cx, -cy, cz},
                             {-cx, cy, cz}, {-cx, cy, -cz}, {0, cy, -cz},    {0, cy, cz}};
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE(k);
    const Pocket& p = table.pockets[k];
    expect_vec(p.position, expected[k]);
    expect_vec(p.coord_sys().position(), expected[k]);
    EXPECT_FLOAT_EQ(p.radius, 0.0909251f);
    EXPECT_TRUE(p.frozen);
    EXPECT_EQ(table.edge_pocket(k), expected[k][0] == 0.0f);
    const CoordinateSystem& cs = p.coord_sys();
    if (expected[k][0] == 0.0f) {
      expect_vec(cs.xhat_array(), {0, 0, -std::copysign(1.0f, expected[k][2])});
      expect_vec(cs.yhat_array(), {0, -std::copysign(1.0f, expected[k][1]), 0});
    } else {
      // Each axis of a corner pocket points away from the box's inside.
      for (int i = 0; i < 3; ++i) {
        Vec3 axis{0, 0, 0};
        axis[i] = expected[k][i] > 0 ? -1.0f : 1.0f;
        expect_vec(cs.direction(i), axis);
      }
    }
  }
  expect_vec(table.corner_sink_direction, normalized(Vec3{1, 1, 1}));
  expect_vec(table.edge_sink_direction, normalized(Vec3{0, 1, 1}));
  EXPECT_FLOAT_EQ(norm(table.corner_sink_direction), 1.0f);
}

TEST(Table, BuildingTwiceGivesTheSameWallsAndPockets) {
  Table table;
  table.build_geometry();
  const std::vector<Wall> walls = table.walls;
  const std::vector<Pocket> pockets = table.pockets;
  const Vec3 corner = table.corner_sink_direction;
  table.build_geometry();
  ASSERT_EQ(table.walls.size(), walls.size());
  ASSERT_EQ(table.pockets.size(), pockets.size());
  for (std::size_t k = 0; k < walls.size(); ++k) {
    EXPECT_EQ(table.walls[k].position, walls[k].position);
    EXPECT_EQ(table.walls[k].coord_sys().rotation(), walls[k].coord_sys().rotation());
  }
  for (std::size_t k = 0; k < pockets.size(); ++k) {
    EXPECT_EQ(table.pockets[k].position, pockets[k].position);
    EXPECT_EQ(table.pockets[k].coord_sys().rotation(), pockets[k].coord_sys().rotation());
  }
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(table.corner_sink_direction[i], corner[i], 1e-7f);
  EXPECT_EQ(table.built, 1);
}

TEST_F(BuiltTable, PointsOnAWallOrACaptureSphereAreNotValid) {
  const Wall& plus_x = table.walls[0];
  const Vec3 on_plane{0.9f, 0.1f, -0.2f};
  const Vec3 inside{0.8f, 0.0f, 0.0f};
  const Vec3 outside{0.95f, 0.0f, 0.0f};
  EXPECT_FALSE(plus_x.ValidPoint(on_plane.data()));
  EXPECT_FALSE(plus_x.ValidPoint(inside.data()));
  EXPECT_TRUE(plus_x.ValidPoint(outside.data()));

  Pocket pocket;
  pocket.radius = 0.5f;  // exact in binary, so the point lies exactly on the sphere
  pocket.position = {1.0f, 2.0f, 3.0f};
  const Vec3 on_sphere{1.5f, 2.0f, 3.0f};
  const Vec3 beyond{1.5001f, 2.0f, 3.0f};
  EXPECT_FALSE(pocket.ValidPoint(on_sphere.data()));
  EXPECT_FALSE(pocket.ValidPoint(pocket.position.data()));
  EXPECT_TRUE(pocket.ValidPoint(beyond.data()));
}

TEST_F(BuiltTable, PocketsBetweenAnOutsideObserverAndTheBoxAreNotDrawn) {
  for (std::size_t k = 0; k < 12; ++k) EXPECT_TRUE(table.pocket_drawn(k)) << "no observer";
  EXPECT_FALSE(table.pocket_drawn(12));

  const Vec3 inside{0.5f, 0.1f, 0.2f};
  table.set_observer(inside.data(), nullptr);
  for (std::size_t k = 0; k < 12; ++k) EXPECT_TRUE(table.pocket_drawn(k)) << k;

  // Beyond the corner (1, 1, 1): the corner pocket there and the edge pocket
  // on the same long edge stand in front of the box.
  const Vec3 corner{1.0f, 1.0f, 1.0f};
  table.set_observer(corner.data(), nullptr);
  for (std::size_t k = 0; k < 12; ++k) EXPECT_EQ(table.pocket_drawn(k), k != 0 && k != 11) << k;

  // Above the +z long edge at x = 0: only the edge pocket there is in front;
  // the corners lie on no side of the observer's x.
  const Vec3 above{0.0f, 0.5f, 0.8f};
  table.set_observer(above.data(), nullptr);
  EXPECT_FALSE(table.pocket_drawn(11));
  EXPECT_TRUE(table.pocket_drawn(0));
  EXPECT_TRUE(table.pocket_drawn(4));
  EXPECT_TRUE(table.pocket_drawn(10));
}

TEST_F(BuiltTable, ObserverLevelsAndCopies) {
  Vec3 eye{0.0f, 0.0f, 3.0f};
  table.set_observer(eye.data(), nullptr);
  eye = {9, 9, 9};  // the table keeps its own copy
  ASSERT_TRUE(table.observer_position.has_value());
  EXPECT_EQ(*table.observer_position, (Vec3{0, 0, 3}));
  EXPECT_FALSE(table.observer_direction.has_value());
  ASSERT_EQ(table.pocket_levels.size(), 12u);
  table.set_observer(nullptr, nullptr);
  EXPECT_FALSE(table.observer_position.has_value());
  EXPECT_EQ(table.pocket_levels, std::vector<int>(12, 0));
}

TEST(DetailLevel, RatioScaledClampedAndShifted) {
  ParameterizedGeometry::Spheres set;
  set.max_detail() = 16;
  set.min_detail() = 4;
  set.scale() = 0.5f;
  ASSERT_TRUE(set.allocate());
  ASSERT_EQ(set.detail_start(), 4);
  EXPECT_EQ(detail_level(set, 0.25f), 4);   // 0.25 x 16 / 0.5 = 8, minus 4
  EXPECT_EQ(detail_level(set, 0.01f), 0);   // clamped to the minimum
  EXPECT_EQ(detail_level(set, 10.0f), 12);  // clamped to the maximum
  EXPECT_EQ(detail_level(set, std::numeric_limits<float>::infinity()), 12);
  set.scale() = 0.0f;
  EXPECT_EQ(detail_level(set, 0.0f), 0);  // 0 / 0 counts as the minimum
  EXPECT_EQ(detail_level(set, 1.0f), 12);
}

TEST(Ball, ARegulationBall) {
  const Ball ball;
  EXPECT_FLOAT_EQ(ball.radius, 0.028575f);
  EXPECT_EQ(ball.PhysObj::radius, double(0.028575f));
  EXPECT_EQ(ball.mass, 1.0);
  EXPECT_NEAR(ball.inertia, 3.26612e-4, 1e-9);
  EXPECT_DOUBLE_EQ(ball.inertia, 0.4 * double(ball.radius) * double(ball.radius));
  EXPECT_EQ(ball.name(), "");
  EXPECT_EQ(ball.number, 0);
  EXPECT_EQ(ball.texture, 0u);
  EXPECT_TRUE(ball.spin_force);
  EXPECT_EQ(ball.sphere_set, nullptr);
}

TEST(Ball, InitSetsTheMaterialAndIntegration) {
  Ball ball;
  ball.enable_update(false);
  ball.material.disable();
  ball.init();
  EXPECT_TRUE(ball.enable_update());
  EXPECT_TRUE(ball.material.enabled());
  EXPECT_EQ(ball.material.specular(), (Color4{1, 1, 1, 1}));
  EXPECT_EQ(ball.material.shininess(), 150.0f);
}

TEST(Ball, ValidPointsLieStrictlyOutside) {
  Ball ball;
  ball.position = {0.1f, 0.2f, 0.3f};
  const Vec3 near{0.1f + 0.0286f, 0.2f, 0.3f};
  EXPECT_FALSE(ball.ValidPoint(ball.position.data()));
  EXPECT_TRUE(ball.ValidPoint(near.data()));
}

TEST(Ball, ObserverSetsTheLevelOfBothSphereSets) {
  ParameterizedGeometry geometry;
  geometry.spheres().scale() = 0.05f;
  ParameterizedGeometry::Spheres shared;
  shared.scale() = 0.1f;
  Ball ball(&geometry);
  ball.sphere_set = &shared;
  ball.position = {1.0f, 0.0f, 0.0f};
  const Vec3 eye{1.0f, 0.0f, 0.5f};
  ball.set_observer(eye.data(), nullptr);
  const float ratio = ball.radius / 0.5f;
  EXPECT_EQ(geometry.spheres().current_level(), detail_level(geometry.spheres(), ratio));
  EXPECT_EQ(shared.current_level(), detail_level(shared, ratio));
  // No position: the distance to the origin.
  ball.set_observer(nullptr, nullptr);
  EXPECT_EQ(geometry.spheres().current_level(), detail_level(geometry.spheres(), ball.radius));
}

TEST(AngleBetween, ClampsAndFallsBack) {
  const float fallback = 6.2831855f;
  EXPECT_EQ(angle_between({1, 0, 0}, {3, 0, 0}, fallback), 0.0f);
  EXPECT_EQ(angle_between({0, 2, 0}, {0, -5, 0}, fallback), 3.1415927f);
  EXPECT_EQ(angle_between({0, 0, 0}, {1, 0, 0}, fallback), fallback);
  EXPECT_NEAR(angle_between({1, 0, 0}, {0, 1, 0}, fallback), 1.5707964f, 1e-7f);
  EXPECT_NEAR(angle_between({1, 0, 0}, {1, 1, 0}, fallback), 0.78539819f, 1e-6f);
}

}  // namespace
