// The arrow cursor and the crosshair, recorded in feedback mode: their
// geometry, colours and the state they leave.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/gl/feedback.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/cursor.h"

using testing_support::FeedbackPrimitive;
using testing_support::FeedbackVertex;
using testing_support::GLStateSnapshot;
using testing_support::GLTest;
using testing_support::record_primitives;
using testing_support::vertices_of;
using XY = std::array<float, 2>;

namespace {

XY xy(const FeedbackVertex& v) {
  return {v.position[0], v.position[1]};
}

void expect_near(const XY& got, const XY& want, const char* what) {
  EXPECT_NEAR(got[0], want[0], 1e-3f) << what;
  EXPECT_NEAR(got[1], want[1], 1e-3f) << what;
}

class CursorGLTest : public GLTest {
 protected:
  // Draws and checks that the state is as before.
  template <typename Pointer>
  std::vector<FeedbackPrimitive> record(const Pointer& p, float extent) {
    const auto before = GLStateSnapshot::take();
    auto drawn = record_primitives(extent, [&] { p.draw(); });
    EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
    return drawn;
  }
};

}  // namespace

TEST_F(CursorGLTest, ArrowHeadAndShaftHangFromTheTip) {
  Cursor c;
  c.angle = 0;
  c.size = 10;
  c.position = {5, 5, 0};
  const auto drawn = record(c, 20);
  // Two fans: the head as two triangles, the shaft as one.
  ASSERT_EQ(drawn.size(), 3u);
  for (const auto& p : drawn) {
    ASSERT_EQ(p.type, static_cast<GLenum>(GL_POLYGON_TOKEN));
    ASSERT_EQ(p.vertices.size(), 3u);
    for (const auto& v : p.vertices) EXPECT_EQ(v.color, (std::array<float, 4>{0.8f, 0.8f, 1, 1}));
  }
  expect_near(xy(drawn[0].vertices[0]), {5, 5}, "tip");
  expect_near(xy(drawn[0].vertices[1]), {2, -1}, "left wing");
  expect_near(xy(drawn[0].vertices[2]), {5, 1}, "notch");
  expect_near(xy(drawn[1].vertices[2]), {8, -1}, "right wing");
  expect_near(xy(drawn[2].vertices[1]), {4.25f, -5}, "shaft left");
  expect_near(xy(drawn[2].vertices[2]), {5.75f, -5}, "shaft right");
}

TEST_F(CursorGLTest, ArrowTurnsAboutItsTip) {
  Cursor c;  // 30 degrees, size 30
  c.position = {1, 2, 0};
  const auto drawn = record(c, 40);
  ASSERT_EQ(drawn.size(), 3u);
  const float a = 30 * std::numbers::pi_v<float> / 180;
  expect_near(xy(drawn[0].vertices[0]), {1, 2}, "tip");
  const XY base_left = xy(drawn[2].vertices[1]), base_right = xy(drawn[2].vertices[2]);
  expect_near({(base_left[0] + base_right[0]) / 2, (base_left[1] + base_right[1]) / 2},
              {1 + 30 * std::sin(a), 2 - 30 * std::cos(a)}, "shaft end");
}

TEST_F(CursorGLTest, ADisabledCursorDrawsNothingAndADisabledStyleKeepsTheColour) {
  Cursor c;
  c.disable();
  EXPECT_TRUE(record(c, 40).empty());

  Cursor plain;
  plain.style().disable();
  glColor4f(0.25f, 0.5f, 0.75f, 1);
  const auto drawn = record(plain, 40);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn[0].vertices[0].color, (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1}));
  glColor4f(1, 1, 1, 1);
}

TEST_F(CursorGLTest, CrosshairDrawsADotAndStrokesAQuarterTurnApart) {
  const Crosshair x;
  EXPECT_EQ(x.angle, 0.0f);
  EXPECT_EQ(x.cross_size, 20.0f);
  EXPECT_EQ(x.cross_gap, 8.0f);
  EXPECT_EQ(x.stroke_count, 4.0f);
  const auto drawn = record(x, 20);
  const auto dots = vertices_of(drawn, GL_POINT_TOKEN);
  ASSERT_EQ(dots.size(), 1u);
  expect_near(xy(dots[0]), {0, 0}, "dot");
  EXPECT_EQ(dots[0].color, (std::array<float, 4>{1, 1, 1, 0.25f}));  // the line colour

  const auto ends = vertices_of(drawn, GL_LINE_TOKEN);
  ASSERT_EQ(ends.size(), 8u);
  const XY want[] = {{4, 0}, {10, 0}, {0, 4}, {0, 10}, {-4, 0}, {-10, 0}, {0, -4}, {0, -10}};
  for (std::size_t i = 0; i < ends.size(); ++i) expect_near(xy(ends[i]), want[i], "stroke");
}

TEST_F(CursorGLTest, CrosshairTurnsByItsAngle) {
  Crosshair x;
  x.angle = 45;
  x.stroke_count = 2;
  const auto ends = vertices_of(record(x, 20), GL_LINE_TOKEN);
  ASSERT_EQ(ends.size(), 4u);
  const float r = 10 / std::numbers::sqrt2_v<float>;
  expect_near(xy(ends[1]), {r, r}, "first stroke");
  expect_near(xy(ends[3]), {-r, -r}, "second stroke");

  x.stroke_count = 0;
  const auto dot_only = record(x, 20);
  ASSERT_EQ(dot_only.size(), 1u);
  EXPECT_EQ(dot_only[0].type, static_cast<GLenum>(GL_POINT_TOKEN));
}
