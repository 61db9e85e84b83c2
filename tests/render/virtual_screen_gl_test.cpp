// Virtual screens drawn into an offscreen target: the picture of their
// framebuffer, the overlay, the one-time quad build and the state they leave.
#include <optional>

#include "render/virtual_screen.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::OrthoViewTest;
using testing_support::OutputCapture;
using Pixel = std::array<unsigned char, 4>;

namespace {

const Pixel kBlack{0, 0, 0, 0};
const Pixel kRed{255, 0, 0, 255};
const Pixel kBlue{0, 0, 255, 255};

// A 1 x 1 screen at the origin whose 16 x 16 framebuffer is filled red, seen
// through an orthographic view.
class VirtualScreenGLTest : public OrthoViewTest {
 protected:
  void SetUp() override {
    OrthoViewTest::SetUp();
    if (!has_context()) return;
    screen_.emplace();
    screen_->frame_buffer().set_size(16, 16);
    ASSERT_EQ(screen_->init_render(), 0);
    screen_->style().fill_color(1, 0, 0, 1);
    screen_->fill();
    screen_->coord_sys().volume() = {1, 1, 0};
    view_.emplace();  // anew: creating the framebuffer left the default one bound
  }
  void TearDown() override {
    if (screen_) {
      screen_->frame_buffer().clear();
      for (const VBO& v : screen_->geometry().quads().vbos())
        testing_support::delete_buffers(v.buffers());
    }
    OrthoViewTest::TearDown();
  }

  void draw(bool overlay) {
    OutputCapture quiet;
    screen_->draw(overlay);
  }

  std::optional<VirtualScreen> screen_;
};

}  // namespace

TEST_F(VirtualScreenGLTest, ShowsItsPictureOverItsSize) {
  draw(false);
  EXPECT_EQ(at(0, 0), kRed);
  EXPECT_EQ(at(0.45f, -0.45f), kRed);
  EXPECT_EQ(at(0.6f, 0), kBlack);

  glClear(GL_COLOR_BUFFER_BIT);
  screen_->coord_sys().volume() = {3, 0.5f, 0};
  screen_->coord_sys().translate(0.25f, 0, 0);
  draw(false);
  EXPECT_EQ(at(1.6f, 0), kRed);
  EXPECT_EQ(at(-1.1f, 0.2f), kRed);
  EXPECT_EQ(at(0, 0.4f), kBlack);
}

TEST_F(VirtualScreenGLTest, OverlayIsDrawnOnlyWithAlpha) {
  draw(true);  // overlay alpha 0: the picture only
  EXPECT_EQ(at(0, 0), kRed);
  screen_->set_overlay({0, 0, 1, 1});
  draw(false);
  EXPECT_EQ(at(0, 0), kRed);
  draw(true);
  EXPECT_EQ(at(0, 0), kBlue);

  glClear(GL_COLOR_BUFFER_BIT);
  screen_->set_overlay({0, 0, 1, 0});
  screen_->draw_overlay();
  EXPECT_EQ(at(0, 0), kBlack);
}

TEST_F(VirtualScreenGLTest, ADisabledScreenDrawsNothing) {
  screen_->disable();
  OutputCapture cap;
  screen_->draw(true);
  EXPECT_EQ(at(0, 0), kBlack);
  EXPECT_TRUE(screen_->geometry().quads().details().empty());  // not even built
  EXPECT_EQ(cap.out(), "");
}

TEST_F(VirtualScreenGLTest, BuildsItsQuadOnceOnTheFirstDraw) {
  auto& quads = screen_->geometry().quads();
  screen_->set_observer(nullptr, nullptr);
  EXPECT_EQ(quads.current_level(), 4);  // the default detail, nothing built yet
  {
    OutputCapture cap;
    screen_->draw(false);
    EXPECT_NE(cap.out().find("construct(): allocating"), std::string::npos);
  }
  ASSERT_EQ(quads.vbos().size(), 1u);
  EXPECT_EQ(quads.vbos()[0].num_vertices(), 6u);
  EXPECT_EQ(quads.current_level(), 0);
  const GLuint buffer = quads.vbos()[0].buffers()[0];
  {
    OutputCapture cap;
    screen_->draw(false);
    screen_->set_observer(nullptr, nullptr);
    EXPECT_EQ(cap.out(), "");
  }
  EXPECT_EQ(quads.vbos()[0].buffers()[0], buffer);
  EXPECT_EQ(quads.current_level(), 0);

  // A level without a VBO is reported and not drawn.
  glClear(GL_COLOR_BUFFER_BIT);
  quads.current_level() = 3;
  OutputCapture cap;
  screen_->draw(false);
  EXPECT_EQ(cap.err(), "VBO warning, name Quads, current index = 3, but vbo size = 1\n");
  EXPECT_EQ(at(0, 0), kBlack);
}

TEST_F(VirtualScreenGLTest, LeavesStateAsItFoundIt) {
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.5f, 0.25f, 0.125f, 1);
  const GLfloat emission[4] = {0.1f, 0.2f, 0.3f, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
  screen_->set_overlay({0, 0, 1, 1});
  const auto modelview = read_matrix(GL_MODELVIEW_MATRIX);
  draw(true);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  float color[4] = {}, material[4] = {};
  glGetFloatv(GL_CURRENT_COLOR, color);
  glGetMaterialfv(GL_FRONT, GL_EMISSION, material);
  EXPECT_EQ(color[1], 0.25f);
  EXPECT_EQ(material[2], 0.3f);
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), modelview);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
}

TEST_F(VirtualScreenGLTest, FillClearsTheFramebufferToTheFillColour) {
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  screen_->style().fill_color(0, 1, 0, 1);
  GLint target = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
  screen_->fill();
  EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), target);  // drawing goes on where it was
  float clear[4] = {};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.5f);
  std::vector<unsigned char> texels(16 * 16 * 4);
  glBindTexture(GL_TEXTURE_2D, screen_->frame_buffer().resolve_texture());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ((Pixel{texels[0], texels[1], texels[2], texels[3]}), (Pixel{0, 255, 0, 255}));
  glClearColor(0, 0, 0, 0);
}
