// Sliders with OpenGL: the triangle, the fill by value (recorded in
// feedback mode and read back as pixels), the selected colour and the state
// a drawing leaves.
#include "support/gl/feedback.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/slider.h"

using testing_support::FeedbackPrimitive;
using testing_support::GLStateSnapshot;
using testing_support::GLTest;
using testing_support::OrthoViewTest;
using testing_support::record_primitives;
using Pixel = std::array<unsigned char, 4>;
using XY = std::array<float, 2>;

namespace {

// A slider 2 wide and 2 high from 0 to 1: its triangle spans (-1, -1),
// (1, -1) and (1, 1).
Slider square_slider(float value) {
  return Slider(nullptr, value, {0.0f, 1.0f}, {2.0f, 2.0f, 0.0f});
}

std::vector<XY> corners(const FeedbackPrimitive& p) {
  std::vector<XY> c;
  for (const auto& v : p.vertices) c.push_back({v.position[0], v.position[1]});
  return c;
}

void expect_near(const std::vector<XY>& got, const std::vector<XY>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i][0], want[i][0], 1e-4f) << i;
    EXPECT_NEAR(got[i][1], want[i][1], 1e-4f) << i;
  }
}

class SliderGLTest : public GLTest {
 protected:
  std::vector<FeedbackPrimitive> record(Slider& s) {
    const auto before = GLStateSnapshot::take();
    auto drawn = record_primitives(2, [&] { s.display(); });
    EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
    return drawn;
  }
};

class SliderPixelGLTest : public OrthoViewTest {};

}  // namespace

TEST_F(SliderGLTest, BuildsItsTriangleWithTheContext) {
  Slider s = square_slider(0.5f);
  EXPECT_NE(s.shape().id(), 0u);
  EXPECT_EQ(s.shape().mode().count, 4);
  EXPECT_EQ(s.shape().owned_buffers().size(), 3u);

  Slider later(0.0f, 1.0f, 0.5f);  // not set up: built at its first drawing
  EXPECT_EQ(later.shape().id(), 0u);
  later.render();
  EXPECT_NE(later.shape().id(), 0u);
}

TEST_F(SliderGLTest, OutlinesTheTriangleAndFillsByValue) {
  Slider s = square_slider(0.5f);
  s.style.line_color(1, 1, 1, 0.25f);
  const auto drawn = record(s);
  // The loop of four vertices (the last back at the first): four segments,
  // the closing one of zero length; then the filled triangle.
  ASSERT_EQ(drawn.size(), 5u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(drawn[i].type, static_cast<GLenum>(GL_LINE_TOKEN));
    EXPECT_EQ(drawn[i].vertices[0].color, (std::array<float, 4>{1, 1, 1, 0.25f}));
  }
  expect_near(corners(drawn[0]), {{-1, -1}, {1, -1}});
  expect_near(corners(drawn[1]), {{1, -1}, {1, 1}});
  expect_near(corners(drawn[2]), {{1, 1}, {-1, -1}});
  EXPECT_EQ(drawn[4].type, static_cast<GLenum>(GL_POLYGON_TOKEN));
  expect_near(corners(drawn[4]), {{-1, -1}, {0, -1}, {0, 0}});
  EXPECT_EQ(drawn[4].vertices[0].color, s.style.fill_color());
  EXPECT_EQ(s.shape().mode().mode, static_cast<GLenum>(GL_TRIANGLES));

  s.selected(1);
  for (const auto& p : record(s))
    for (const auto& v : p.vertices) EXPECT_EQ(v.color, s.selected_color);
}

TEST_F(SliderPixelGLTest, TheFillGrowsFromTheLowerCorner) {
  const struct {
    float value;
    Pixel inside_half, outside_half;
  } cases[] = {
      {0.0f, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {0.5f, {51, 51, 102, 128}, {0, 0, 0, 0}},
      {1.0f, {51, 51, 102, 128}, {51, 51, 102, 128}},
  };
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    Slider s = square_slider(c.value);
    s.display();
    EXPECT_EQ(at(-0.1f, -0.7f), c.inside_half) << c.value;
    EXPECT_EQ(at(0.6f, -0.5f), c.outside_half) << c.value;
    EXPECT_EQ(at(-0.5f, 0.5f), (Pixel{0, 0, 0, 0})) << c.value;  // above the triangle
  }
  glClear(GL_COLOR_BUFFER_BIT);
  Slider selected = square_slider(0.5f);
  selected.selected(1);
  selected.display();
  EXPECT_EQ(at(-0.1f, -0.7f), (Pixel{0, 255, 0, 230}));
}
