// The panel base in OpenGL: the draw style's state, the background by its
// alpha, the pose and the pressed offset, and the state each leaves.
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/option.h"
#include "ui/test_frame.h"

using testing_support::GLStateSnapshot;
using testing_support::GLTest;
using testing_support::OrthoViewTest;
using testing_support::TestFrame;
using Pixel = std::array<unsigned char, 4>;

class DrawStyleGLTest : public GLTest {};

TEST_F(DrawStyleGLTest, ApplySetsLineWidthAndFillColour) {
  DrawStyle s;
  s.line_width(3);
  s.fill_color(0.25f, 0.5f, 0.75f, 1);
  s.apply_gl();
  float width = 0, colour[4] = {};
  glGetFloatv(GL_LINE_WIDTH, &width);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(width, 3.0f);
  EXPECT_EQ((std::array<float, 4>{colour[0], colour[1], colour[2], colour[3]}),
            (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1}));
  glLineWidth(1);
  glColor4f(1, 1, 1, 1);
}

namespace {

// A frame whose stored box is the unit square around its origin, the way a
// dialog stores its box in its own coordinates, placed at (1, 0).
class FrameBackgroundGLTest : public OrthoViewTest {
 protected:
  void SetUp() override {
    OrthoViewTest::SetUp();
    if (!has_context()) return;
    frame_.coord_sys().translate(1, 0, 0);
    frame_.bounding_box() = {Frame::Vec3{-0.5f, -0.5f, 0}, Frame::Vec3{0.5f, 0.5f, 0}};
    glEnable(GL_DEPTH_TEST);
  }
  void TearDown() override {
    glDisable(GL_DEPTH_TEST);
    OrthoViewTest::TearDown();
  }

  static float depth_at(float x, float y) {
    float d = -1;
    glReadPixels(static_cast<int>((x + 2) * 16), static_cast<int>((y + 2) * 16), 1, 1,
                 GL_DEPTH_COMPONENT, GL_FLOAT, &d);
    return d;
  }
  // Draws the background and checks that the state is as before.
  void draw() {
    const auto before = GLStateSnapshot::take();
    frame_.render_bg();
    EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  }

  TestFrame frame_;
};

}  // namespace

TEST_F(FrameBackgroundGLTest, OpaqueBackgroundWritesColourAndDepth) {
  frame_.bg_color() = {1, 0, 0, 1};
  glEnable(GL_BLEND);  // switched off for an opaque quad
  glBlendFunc(GL_ZERO, GL_ONE);
  glEnable(GL_LIGHTING);
  draw();
  EXPECT_EQ(at(1, 0), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(1.4f, 0.4f), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(0, 0), (Pixel{0, 0, 0, 0}));  // the pose moved it off the origin
  EXPECT_EQ(at(1.6f, 0), (Pixel{0, 0, 0, 0}));
  EXPECT_FLOAT_EQ(depth_at(1, 0), 0.5f);
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
}

TEST_F(FrameBackgroundGLTest, TranslucentBackgroundBlendsWithoutDepth) {
  frame_.bg_color() = {1, 0, 0, 0.5f};
  draw();
  const Pixel p = at(1, 0);
  EXPECT_NEAR(p[0], 128, 1);
  EXPECT_EQ(p[1], 0);
  EXPECT_NEAR(p[3], 64, 1);  // alpha blended as well: 0.5 x 0.5
  EXPECT_EQ(depth_at(1, 0), 1.0f);
}

TEST_F(FrameBackgroundGLTest, NoBackgroundAtAlphaZero) {
  frame_.bg_color() = {1, 0, 0, 0};
  draw();
  EXPECT_EQ(at(1, 0), (Pixel{0, 0, 0, 0}));
  frame_.render_bg({0, 1, 0, 0}, {-2, -2, 0}, {2, 2, 0});
  EXPECT_EQ(at(0, 0), (Pixel{0, 0, 0, 0}));
  frame_.render_bg({0, 1, 0, 1}, {-2, -2, 0}, {0, 2, 0});  // the quad alone, no pose
  EXPECT_EQ(at(-1, 0), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(at(1, 0), (Pixel{0, 0, 0, 0}));
}

class FrameDisplayGLTest : public GLTest {};

TEST_F(FrameDisplayGLTest, DefaultDisplayAppliesThePoseAndThePressedOffset) {
  TestFrame f;
  std::array<float, 16> seen{};
  f.on_render = [&] { seen = read_matrix(GL_MODELVIEW_MATRIX); };
  f.coord_sys().translate(1, 2, 3);
  f.coord_sys().rotate_local(90, 0, 0, 1);
  auto translation = [&] { return std::array<float, 3>{seen[3], seen[7], seen[11]}; };

  const auto before = GLStateSnapshot::take();
  f.display();
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  EXPECT_EQ(translation(), (std::array<float, 3>{1, 2, 3}));
  EXPECT_NEAR(seen[1], -1.0f, 1e-6f);  // the local x axis along the parent's y
  EXPECT_NEAR(seen[4], 1.0f, 1e-6f);

  f.activated(1);
  f.display();
  EXPECT_EQ(seen[3], 1.0f);
  EXPECT_NEAR(seen[11], 2.975f, 1e-6f);  // sunk back along its z
  f.selectable(0);
  f.display();
  EXPECT_EQ(translation(), (std::array<float, 3>{1, 2, 3}));

  f.coord_sys().enable_rotation(false);  // the position alone
  f.display();
  EXPECT_EQ(seen[1], 0.0f);
  EXPECT_EQ(translation(), (std::array<float, 3>{1, 2, 3}));
  f.coord_sys().enable_translation(false);  // nothing at all
  f.display();
  EXPECT_EQ(seen, read_matrix(GL_MODELVIEW_MATRIX));
  EXPECT_EQ(f.renders, 5);
}
