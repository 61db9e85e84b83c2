#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "render/view_volume.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;
using testing_support::OffscreenTarget;

namespace {

using Point = std::array<float, 3>;
using Box = std::array<Point, 8>;

Box box(Point centre, float half) {
  Box b{};
  for (int i = 0; i < 8; ++i)
    for (int k = 0; k < 3; ++k) b[i][k] = centre[k] + ((i >> k) & 1 ? half : -half);
  return b;
}

// The samples GL lets through when it draws the box's six faces (depth test
// off), with the matrices current now.
GLuint64 samples_drawn(const Box& b) {
  static constexpr int kFaces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                       {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
  GLuint query = 0;
  glGenQueries(1, &query);
  glBeginQuery(GL_SAMPLES_PASSED, query);
  glBegin(GL_QUADS);
  for (const auto& face : kFaces)
    for (int corner : face) glVertex3fv(b[corner].data());
  glEnd();
  glEndQuery(GL_SAMPLES_PASSED);
  GLuint64 samples = 0;
  glGetQueryObjectui64v(query, GL_QUERY_RESULT, &samples);
  glDeleteQueries(1, &query);
  return samples;
}

}  // namespace

class ViewVolumeTest : public GLTest {};

// A perspective view looking down -z (near 1, far 10, 90 degrees each way)
// and, for the last cases, the same view moved and mirrored through the
// model-view matrix: the verdict follows the matrices as GL uses them, and a
// box judged outside makes no sample while one judged inside does.
TEST_F(ViewVolumeTest, BoxesBeyondOnePlaneAreOutsideAndGLDrawsNothingOfThem) {
  OffscreenTarget target(32, 32);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
  glMatrixMode(GL_MODELVIEW);
  const struct {
    std::string what;
    Point centre;
    float half;
    std::array<float, 3> scale;  // a mirror when negative
    bool outside;
  } cases[] = {
      {"ahead", {0, 0, -5}, 0.5f, {1, 1, 1}, false},
      {"left of the view", {-8, 0, -5}, 0.5f, {1, 1, 1}, true},
      {"right of the view", {8, 0, -5}, 0.5f, {1, 1, 1}, true},
      {"above", {0, 8, -5}, 0.5f, {1, 1, 1}, true},
      {"below", {0, -8, -5}, 0.5f, {1, 1, 1}, true},
      {"behind the viewer", {0, 0, 5}, 0.5f, {1, 1, 1}, true},
      {"between the viewer and the near plane", {0, 0, -0.3f}, 0.2f, {1, 1, 1}, true},
      {"beyond the far plane", {0, 0, -20}, 0.5f, {1, 1, 1}, true},
      {"across the left plane", {-5, 0, -5}, 0.5f, {1, 1, 1}, false},
      {"around the viewer", {0, 0, 0}, 3.0f, {1, 1, 1}, false},
      {"behind, mirrored to the front", {0, 0, 5}, 0.5f, {1, 1, -1}, false},
      {"ahead, mirrored to the back", {0, 0, -5}, 0.5f, {1, 1, -1}, true},
  };
  for (const auto& c : cases) {
    glLoadIdentity();
    glScalef(c.scale[0], c.scale[1], c.scale[2]);
    const Box b = box(c.centre, c.half);
    EXPECT_EQ(outside_view_volume(b.data(), b.size()), c.outside) << c.what;
    if (c.outside)
      EXPECT_EQ(samples_drawn(b), 0u) << c.what;
    else
      EXPECT_GT(samples_drawn(b), 0u) << c.what;
  }
  // No points, or points that are no numbers, are never taken as outside.
  const Box b = box({-8, 0, -5}, 0.5f);
  EXPECT_FALSE(outside_view_volume(b.data(), 0));
  EXPECT_FALSE(outside_view_volume(nullptr, 8));
  const Point nan{std::nanf(""), 0.0f, -5.0f};
  EXPECT_FALSE(outside_view_volume(&nan, 1));
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  EXPECT_TRUE(testing_support::drain_gl_errors().empty());
}
