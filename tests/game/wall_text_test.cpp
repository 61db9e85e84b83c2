// Texts on the table's side walls: the wall the viewer sees best and the
// text's pose on it.
#include "game/scene/wall_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <pcg_random.hpp>
#include <random>

#include "game/app/pool_engine.h"
#include "ui/dialog.h"

namespace {

const Vec3 kH{0.9f, 0.225f, 0.45f};

CoordinateSystem viewer(const Vec3& eye, const Vec3& target) {
  CoordinateSystem cs;
  cs.position() = eye;
  // look_at points z from the target to the eye: the view runs along -z.
  cs.look_at(eye, target, Vec3{0, 1, 0});
  return cs;
}

void expect_vec(const Vec3& actual, const Vec3& expected, float tolerance = 1e-5f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
}

TEST(WallText, ATextGoesToTheWallInFrontOfAFarViewerAndFacesIt) {
  const struct {
    Vec3 eye;
    Vec3 wall;    // the candidate that wins
    Vec3 facing;  // the text's z axis
  } cases[] = {
      {{-6, 0.1f, 0.2f}, {-0.9f, 0, 0}, {-1, 0, 0}},
      {{6, -0.1f, 0.1f}, {0.9f, 0, 0}, {1, 0, 0}},
      {{0.2f, 0.3f, -6}, {0, 0, -0.45f}, {0, 0, -1}},
      {{-0.1f, 0, 6}, {0, 0, 0.45f}, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.eye);
    CoordinateSystem text;
    text.position() = {0.1f, 0.3f, -0.2f};
    wall_text::place_on_facing_wall(text, viewer(c.eye, c.wall), 1, kH);
    // At the wall's centre, at its own height, 2 mm off the wall.
    Vec3 expected = c.wall + c.facing * 0.002f;
    expected[1] = 0.3f;
    expect_vec(text.position(), expected);
    expect_vec(text.zhat(false), c.facing);
    expect_vec(text.yhat(false), {0, 1, 0});
  }
}

TEST(WallText, OfTwoWallsAtTheSameAngleTheFartherWins) {
  // Looking between the +x and +z walls from the centre: both at 45 degrees,
  // the +x wall twice as far.
  CoordinateSystem text;
  wall_text::place_on_facing_wall(text, viewer({0, 0, 0}, {1, 0, 1}), 1, kH);
  expect_vec(text.position(), {0.9f - 0.002f, 0, 0});
  // From inside the box the text faces inward.
  expect_vec(text.zhat(false), {-1, 0, 0});
}

TEST(WallText, AnEyeOnAWallsCentreSkipsThatWall) {
  // The first candidate and the second: neither may win for want of a
  // direction.
  for (const float x : {-0.9f, 0.9f}) {
    SCOPED_TRACE(x);
    CoordinateSystem text;
    text.position() = {0, 0.1f, 0};
    wall_text::place_on_facing_wall(text, viewer({x, 0, 0}, {x, 0, 1}), 1, kH);
    const Vec3 p = text.position();
    for (float c : p) EXPECT_TRUE(std::isfinite(c));
    EXPECT_GT(std::abs(p[0] - x), 0.1f);
    EXPECT_FLOAT_EQ(p[1], 0.1f);
  }
}

TEST(WallText, AnotherUpAxisTakesTheOtherFourFaces) {
  CoordinateSystem text;
  text.position() = {0.5f, 0.5f, 0.25f};
  // Up along z: the walls lie across y and x; this viewer looks at -y.
  wall_text::place_on_facing_wall(text, viewer({0.1f, -6, 0}, {0, -0.225f, 0}), 2, kH);
  expect_vec(text.position(), {0, -0.225f - 0.002f, 0.25f});
  expect_vec(text.yhat(false), {0, 0, 1});
  expect_vec(text.zhat(false), {0, -1, 0});
}

TEST(WallText, TheTextAlwaysFacesTheViewersSideTwoMillimetresOffTheWall) {
  pcg32 rng(3);
  std::uniform_real_distribution<float> u(-3.0f, 3.0f);
  for (int k = 0; k < 500; ++k) {
    const Vec3 eye{u(rng), u(rng), u(rng)};
    const Vec3 target{u(rng), u(rng), u(rng)};
    if (norm(target - eye) < 1e-3f) continue;
    CoordinateSystem text;
    text.position() = {0, 0.05f, 0};
    wall_text::place_on_facing_wall(text, viewer(eye, target), 1, kH);
    const Vec3 p = text.position();
    const Vec3 z = text.zhat(false);
    SCOPED_TRACE(eye);
    EXPECT_LE(dot(z, p - eye), 0.0f);
    EXPECT_FLOAT_EQ(p[1], 0.05f);
    EXPECT_NEAR(z[1], 0.0f, 1e-6f);
    // On one wall plane (x or z), shifted 2 mm along z toward the viewer.
    const Vec3 wall = p - z * 0.002f;
    const bool on_x = std::abs(std::abs(wall[0]) - kH[0]) < 1e-5f && std::abs(wall[2]) < 1e-5f;
    const bool on_z = std::abs(std::abs(wall[2]) - kH[2]) < 1e-5f && std::abs(wall[0]) < 1e-5f;
    EXPECT_TRUE(on_x || on_z) << p;
  }
}

TEST(WallText, TheScoreBoardStandsOnTheWallFacingTheViewAtHeightZero) {
  PoolEngine engine;
  engine.mouse_look().coord_sys() = viewer({0.2f, 0.6f, 5}, {0, 0, 0.45f});
  engine.new_score_board()->frame().coord_sys().position() = {0, 0.4f, 0};
  engine.update_status_text();
  Dialog* board = engine.new_score_board();
  expect_vec(board->frame().coord_sys().position(), {0, 0, 0.452f});
  expect_vec(board->frame().coord_sys().zhat(false), {0, 0, 1});
}

}  // namespace
