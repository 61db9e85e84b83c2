// Multisampled framebuffers and their resolve textures, read back from OpenGL.
#include "render/frame_buffer.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;
using testing_support::OutputCapture;
using Pixel = std::array<unsigned char, 4>;

namespace {

GLint texture_level_int(GLenum target, GLuint texture, GLenum pname) {
  GLint v = -1;
  glBindTexture(target, texture);
  glGetTexLevelParameteriv(target, 0, pname, &v);
  glBindTexture(target, 0);
  return v;
}

// The resolve texture's pixel at (x, y), read with glGetTexImage.
Pixel resolved_pixel(const FrameBuffer& fb, unsigned x, unsigned y) {
  std::vector<unsigned char> all(std::size_t(fb.width()) * fb.height() * 4);
  glBindTexture(GL_TEXTURE_2D, fb.resolve_texture());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, all.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  const std::size_t at = (std::size_t(y) * fb.width() + x) * 4;
  return {all[at], all[at + 1], all[at + 2], all[at + 3]};
}

std::array<GLuint, 5> names(const FrameBuffer& fb) {
  return {fb.depth_render_buffer(), fb.multisample_texture(), fb.multisample_framebuffer(),
          fb.resolve_texture(), fb.resolve_framebuffer()};
}

}  // namespace

class FrameBufferTest : public GLTest {};

TEST_F(FrameBufferTest, DefaultCreateMakesA683By384TargetWithFourSamples) {
  FrameBuffer fb;
  EXPECT_EQ(fb.size(), (std::array<unsigned, 2>{683, 384}));
  EXPECT_EQ(names(fb), (std::array<GLuint, 5>{}));
  const int before = FrameBuffer::num_framebuffers;
  OutputCapture capture;
  ASSERT_EQ(fb.create(0, 0), 0);
  EXPECT_EQ(capture.out(), "");  // no size change to report
  EXPECT_EQ(FrameBuffer::num_framebuffers, before + 1);
  EXPECT_TRUE(glIsFramebuffer(fb.multisample_framebuffer()));
  EXPECT_TRUE(glIsFramebuffer(fb.resolve_framebuffer()));
  EXPECT_TRUE(glIsRenderbuffer(fb.depth_render_buffer()));
  EXPECT_EQ(texture_level_int(GL_TEXTURE_2D, fb.resolve_texture(), GL_TEXTURE_WIDTH), 683);
  EXPECT_EQ(texture_level_int(GL_TEXTURE_2D, fb.resolve_texture(), GL_TEXTURE_HEIGHT), 384);
  EXPECT_EQ(texture_level_int(GL_TEXTURE_2D, fb.resolve_texture(), GL_TEXTURE_INTERNAL_FORMAT),
            GL_RGBA8);
  EXPECT_EQ(
      texture_level_int(GL_TEXTURE_2D_MULTISAMPLE, fb.multisample_texture(), GL_TEXTURE_SAMPLES),
      4);
  EXPECT_EQ(get_int(GL_FRAMEBUFFER_BINDING), 0);
  fb.clear();
  EXPECT_FALSE(glIsFramebuffer(fb.multisample_framebuffer()));
}

TEST_F(FrameBufferTest, ResizingReportsTheSizesAndZeroTakesTheStoredOne) {
  FrameBuffer fb;
  OutputCapture capture;
  ASSERT_EQ(fb.create(64, 32), 0);
  EXPECT_EQ(capture.out(), "683,384 -> 64,32\n");
  capture.reset();
  ASSERT_EQ(fb.create(80, 0), 0);
  EXPECT_EQ(capture.out(), "64,32 -> 80,32\n");
  EXPECT_EQ(fb.size(), (std::array<unsigned, 2>{80, 32}));
  EXPECT_EQ(texture_level_int(GL_TEXTURE_2D, fb.resolve_texture(), GL_TEXTURE_WIDTH), 80);

  const int before = FrameBuffer::num_framebuffers;
  const auto held = names(fb);
  fb.clear();
  EXPECT_EQ(names(fb), (std::array<GLuint, 5>{}));
  EXPECT_EQ(fb.size(), (std::array<unsigned, 2>{0, 0}));
  EXPECT_FALSE(glIsFramebuffer(held[2]));
  EXPECT_FALSE(glIsTexture(held[3]));
  EXPECT_EQ(fb.create(0, 0), 1);
  EXPECT_EQ(FrameBuffer::num_framebuffers, before);
  fb.set_size(16, 8);
  EXPECT_EQ(fb.create(0, 0), 0);
  EXPECT_EQ(fb.size(), (std::array<unsigned, 2>{16, 8}));
  fb.clear();
}

TEST_F(FrameBufferTest, CreatingTheSameSizeAgainReleasesTheFirstObjects) {
  FrameBuffer fb;
  OutputCapture capture;
  ASSERT_EQ(fb.create(32, 32), 0);
  const auto first = names(fb);
  ASSERT_EQ(fb.create(32, 32), 0);
  EXPECT_EQ(capture.out(), "683,384 -> 32,32\n");
  const auto second = names(fb);
  // Each earlier object is gone, or its name was handed out again.
  EXPECT_TRUE(first[0] == second[0] || !glIsRenderbuffer(first[0]));
  EXPECT_TRUE(first[1] == second[1] || !glIsTexture(first[1]));
  EXPECT_TRUE(first[2] == second[2] || !glIsFramebuffer(first[2]));
  EXPECT_TRUE(first[3] == second[3] || !glIsTexture(first[3]));
  EXPECT_TRUE(first[4] == second[4] || !glIsFramebuffer(first[4]));
  fb.clear();
}

TEST_F(FrameBufferTest, ClearedColourIsResolvedAndEraseGivesTransparentBlack) {
  FrameBuffer fb;
  OutputCapture capture;
  ASSERT_EQ(fb.create(8, 4), 0);
  glViewport(0, 0, 8, 4);
  fb.bind_gl();
  EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), static_cast<GLint>(fb.multisample_framebuffer()));
  EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  fb.finish_gl();
  EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
  EXPECT_EQ(get_int(GL_READ_FRAMEBUFFER_BINDING), 0);
  EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
  EXPECT_EQ(resolved_pixel(fb, 0, 0), (Pixel{51, 102, 153, 255}));
  EXPECT_EQ(resolved_pixel(fb, 7, 3), (Pixel{51, 102, 153, 255}));

  fb.erase(true);
  EXPECT_EQ(resolved_pixel(fb, 3, 2), (Pixel{0, 0, 0, 0}));

  // draw: the drawing runs between binding and resolving.
  bool ran = false;
  fb.draw(
      [&] {
        ran = get_int(GL_DRAW_FRAMEBUFFER_BINDING) ==
              static_cast<GLint>(fb.multisample_framebuffer());
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
      },
      true, true);
  EXPECT_TRUE(ran);
  EXPECT_EQ(resolved_pixel(fb, 1, 1), (Pixel{255, 0, 0, 255}));
  glClearColor(0, 0, 0, 0);
  fb.clear();
}

TEST_F(FrameBufferTest, WithoutAlphaTheResolveTextureIsRgb) {
  FrameBuffer fb;
  fb.alpha(false);
  OutputCapture capture;
  ASSERT_EQ(fb.create(4, 4), 0);
  EXPECT_EQ(texture_level_int(GL_TEXTURE_2D, fb.resolve_texture(), GL_TEXTURE_INTERNAL_FORMAT),
            GL_RGB8);
  fb.erase(true);
  EXPECT_EQ(resolved_pixel(fb, 0, 0), (Pixel{0, 0, 0, 255}));
  fb.clear();
}

TEST_F(FrameBufferTest, FailuresAreReported) {
  FrameBuffer fb;
  OutputCapture capture;
  const int before = FrameBuffer::num_framebuffers;
  // Larger than any renderbuffer: OpenGL refuses the storage.
  EXPECT_EQ(fb.create(1 << 20, 4), 1);
  EXPECT_FALSE(testing_support::drain_gl_errors().empty());
  EXPECT_EQ(FrameBuffer::num_framebuffers, before);
  EXPECT_EQ(get_int(GL_FRAMEBUFFER_BINDING), 0);
  EXPECT_NE(capture.err().find("incomplete"), std::string::npos);
  fb.clear();
  EXPECT_EQ(fb.create(-1, 4), 1);

  ASSERT_EQ(fb.create(4, 4), 0);
  glEnable(0x1234);  // leaves GL_INVALID_ENUM pending
  capture.reset();
  fb.bind_gl();
  EXPECT_EQ(capture.err(),
            "0: FrameBuffer::bind_gl() Error 1280, invalid enumerant\nfb size = 4,4\n");
  glEnable(0x1234);
  capture.reset();
  fb.finish_gl();
  EXPECT_EQ(capture.err(), "0: FrameBuffer::finish_gl() Error invalid enumerant\n");
  fb.clear();
}

namespace {

class Screen : public RenderInterface {
 public:
  using RenderInterface::RenderInterface;
  void render() override {}
  int init_render() override { return frame_buffer().create(0, 0); }
};

}  // namespace

TEST_F(FrameBufferTest, RenderInterfaceBorrowsOrOwnsItsFrameBuffer) {
  FrameBuffer shared;
  Screen borrowing(&shared);
  EXPECT_EQ(&borrowing.frame_buffer(), &shared);
  Screen owning;
  EXPECT_EQ(owning.frame_buffer().size(), (std::array<unsigned, 2>{683, 384}));
  OutputCapture capture;
  ASSERT_EQ(borrowing.init_render(), 0);
  EXPECT_NE(shared.resolve_texture(), 0u);
  shared.clear();
}
