// The aim guide's cast from the cue's line onto the cue ball: reach, full
// hits, cut angles and the fan's corners, pacing, and the ball it follows.
#include "game/app/aim_guide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

class AimGuideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ball.position = {0.2f, -0.1f, 0.05f};
    guide.aim_at(&ball);
  }

  // Poses the cue along `dir` (unit) with its tip at `tip`, then lets one
  // update through.
  void cast(const Vec3& tip, const Vec3& dir) {
    const Vec3 back = tip - dir * cue.length;
    const Vec3 front = back + dir;
    now += 0.05;
    cue.set_pose(front.data(), back.data(), nullptr, false);
    guide.update();
  }
  // The cue's line passes the centre of the guide's ball at `impact` (below
  // r: a cut of asin(impact / r)), coming along +x, its tip `gap` before
  // the ball.
  void cast_offset(float impact, float gap) {
    const float r = guide.ball->radius;
    const float x = std::sqrt(r * r - impact * impact);
    cast(guide.ball->position + Vec3{-x - gap, impact, 0.0f}, {1, 0, 0});
  }
  // Angle of a point about the ball's centre in the xy plane.
  float angle_of(const Vec3& p) const {
    return std::atan2(p[1] - ball.position[1], p[0] - ball.position[0]);
  }

  double now = 50.0;
  CueStick cue{nullptr, [this] { return now; }};
  AimGuide guide{&cue, [this] { return now; }};
  Ball ball;
};

TEST_F(AimGuideTest, NoHitBeyondReachBesideTheBallOrBehindIt) {
  const float r = ball.radius;
  struct Case {
    const char* what;
    Vec3 tip, dir;
    bool hit;
  };
  const Vec3 c = ball.position;
  const std::vector<Case> cases = {
      {"0.5 m before", c + Vec3{-r - 0.5f, 0, 0}, {1, 0, 0}, true},
      {"0.7 m before", c + Vec3{-r - 0.7f, 0, 0}, {1, 0, 0}, false},
      {"beside", c + Vec3{-0.3f, 1.01f * r, 0}, {1, 0, 0}, false},
      {"pointing away", c + Vec3{-r - 0.1f, 0, 0}, {-1, 0, 0}, false},
      {"0.59 m before, in z", c + Vec3{0, 0, r + 0.59f}, {0, 0, -1}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    guide.hit = !k.hit;
    cast(k.tip, k.dir);
    EXPECT_EQ(guide.hit, k.hit);
  }
}

TEST_F(AimGuideTest, AFullHitSendsTheBallAlongTheCue) {
  const Vec3 dir{0.0f, 0.0f, -1.0f};
  guide.edge_a = guide.edge_b = {7, 7, 7};
  cast(ball.position - dir * 0.3f, dir);
  ASSERT_TRUE(guide.hit);
  EXPECT_EQ(guide.cut_angle, 0.0);
  const Vec3 contact = ball.position - dir * ball.radius;
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(guide.contact[k], contact[k], 1e-6);
    EXPECT_NEAR(guide.far_point[k], contact[k] + 1.25f * dir[k], 1e-6);
  }
  EXPECT_EQ(guide.tip, cue.tip);
  // A full hit keeps the fan as it was.
  EXPECT_EQ(guide.edge_a, (Vec3{7, 7, 7}));
  EXPECT_EQ(guide.edge_b, (Vec3{7, 7, 7}));
}

TEST_F(AimGuideTest, LinesThroughTheCentreGiveAFiniteCutNearZero) {
  // Rounding can put the cosine just above 1: the angle stays a number.
  std::mt19937 engine(7);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int k = 0; k < 2000; ++k) {
    const Vec3 dir = normalized(Vec3{unit(engine), unit(engine), unit(engine)});
    if (!std::isfinite(dir[0])) continue;
    cast(ball.position - dir * 0.2f, dir);
    ASSERT_TRUE(guide.hit) << k;
    ASSERT_TRUE(std::isfinite(guide.cut_angle)) << k;
    ASSERT_LT(guide.cut_angle, 2e-3) << k;
    for (const Vec3* p : {&guide.far_point, &guide.edge_a, &guide.edge_b})
      for (float x : *p) ASSERT_TRUE(std::isfinite(x)) << k;
  }
}

TEST_F(AimGuideTest, TheFanSpreadsAroundTheLineOfCentres) {
  // The cue comes along +x (angle 0); the line of centres leaves at -cut.
  // Corner a turns towards the cue's direction by spread x cut, corner b
  // away from it by as much, but never past the perpendicular to the cue.
  struct Case {
    float cut, a, b;
  };
  const Case cases[] = {{1.0f, 0.25f, -0.25f}, {0.4f, 0.1f, -0.1f}, {1.4f, 0.35f, 1.4f - kPi / 2}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.cut);
    cast_offset(ball.radius * std::sin(k.cut), 0.2f);
    ASSERT_TRUE(guide.hit);
    EXPECT_NEAR(guide.cut_angle, k.cut, 1e-4);
    const float reach = 1.25f - ball.radius;
    EXPECT_NEAR(angle_of(guide.far_point), -k.cut, 1e-4);
    EXPECT_NEAR(angle_of(guide.edge_a), -k.cut + k.a, 1e-4);
    EXPECT_NEAR(angle_of(guide.edge_b), -k.cut + k.b, 1e-4);
    for (const Vec3& e : {guide.edge_a, guide.edge_b}) {
      EXPECT_NEAR(norm(e - ball.position), reach, 1e-5);
      EXPECT_NEAR(e[2], ball.position[2], 1e-5);
    }
  }
  EXPECT_NEAR(angle_of(guide.edge_b), -kPi / 2, 1e-4);
}

TEST_F(AimGuideTest, UpdatesComeAtMostFortyFiveTimesASecond) {
  cast_offset(0.0f, 0.1f);
  ASSERT_TRUE(guide.hit);
  const Vec3 contact = guide.contact;
  // A miss 10 ms later is not looked at; 30 ms later it is.
  ball.position[1] += 0.5f;
  now += 0.01;
  guide.update();
  EXPECT_TRUE(guide.hit);
  EXPECT_EQ(guide.contact, contact);
  // The tick keeps the last cast while its update is skipped.
  now += 0.005;
  guide.tick(true);
  EXPECT_TRUE(guide.hit);
  guide.tick(false);
  EXPECT_FALSE(guide.hit);
  guide.tick(true);
  EXPECT_FALSE(guide.hit);
  now += 0.03;
  guide.hit = true;
  guide.tick(true);
  EXPECT_FALSE(guide.hit);
  EXPECT_EQ(guide.contact, contact);
}

TEST_F(AimGuideTest, TheGuideFollowsTheCueBallOfEachRack) {
  AimGuide fresh(&cue, [this] { return now; });
  EXPECT_TRUE(fresh.owns_ball());
  ASSERT_NE(fresh.ball, nullptr);
  EXPECT_EQ(fresh.style.line_color(), (DrawStyle::Color{0.5f, 0.5f, 1.0f, 0.3f}));

  // A new rack builds new balls: the guide is pointed at the new cue ball.
  for (float y : {0.1f, -0.15f}) {
    std::vector<Ball> rack(16);
    rack[0].position = {0.0f, y, 0.0f};
    guide.aim_at(&rack[0]);
    EXPECT_FALSE(guide.owns_ball());
    cast_offset(0.0f, 0.1f);
    ASSERT_TRUE(guide.hit);
    EXPECT_NEAR(guide.contact[1], y, 1e-6);
  }
  guide.aim_at(nullptr);
  EXPECT_TRUE(guide.owns_ball());
}

}  // namespace
