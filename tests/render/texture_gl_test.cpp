// Texture uploads, read-back and saving, checked against what OpenGL holds.
#include <utility>

#include "render/texture.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/image_files.h"

using testing_support::GLTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Bytes = std::vector<unsigned char>;

namespace {

GLint level_int(GLuint texture, GLint level, GLenum pname) {
  GLint v = -1;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, pname, &v);
  glBindTexture(GL_TEXTURE_2D, 0);
  return v;
}

GLint parameter_int(GLuint texture, GLenum pname) {
  GLint v = -1;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexParameteriv(GL_TEXTURE_2D, pname, &v);
  glBindTexture(GL_TEXTURE_2D, 0);
  return v;
}

// Level 0 as RGBA bytes, read straight from OpenGL.
Bytes gl_pixels(GLuint texture) {
  const GLint w = level_int(texture, 0, GL_TEXTURE_WIDTH);
  const GLint h = level_int(texture, 0, GL_TEXTURE_HEIGHT);
  Bytes out(std::size_t(w) * h * 4);
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return out;
}

// Top row red, green; bottom row blue, white.
const std::vector<std::uint8_t> kRows{255, 0, 0,   255, 0,   255, 0,   255,
                                      0,   0, 255, 255, 255, 255, 255, 255};

}  // namespace

class TextureGLTest : public GLTest {
 protected:
  // The 2x2 image of kRows loaded through load() with an OpenGL texture.
  void load_rows(Texture& t, bool drop) {
    root_.write("rows.png", testing_support::png_file(2, 2, 4, kRows));
    OutputCapture quiet;
    ASSERT_EQ(t.load("rows.png", true, drop, false), 0);
    ASSERT_NE(t.id(), 0u);
  }

  // A 1x1 texture generated from one RGBA pixel.
  static void one_pixel(Texture& t) {
    const unsigned char px[4] = {1, 2, 3, 4};
    t.set_data(1, 1, px, Texture::kRGBA);
    ASSERT_EQ(t.generate(GL_RGBA), 0);
  }

  TempDataRoot root_;
};

TEST_F(TextureGLTest, PngUploadHasMipmapsFiltersAndBottomRowFirst) {
  Texture t;
  ASSERT_NO_FATAL_FAILURE(load_rows(t, true));
  EXPECT_TRUE(t.pixels().empty());  // dropped after the upload
  EXPECT_EQ(level_int(t.id(), 0, GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(level_int(t.id(), 0, GL_TEXTURE_HEIGHT), 2);
  EXPECT_EQ(level_int(t.id(), 1, GL_TEXTURE_WIDTH), 1);  // the mipmap chain
  EXPECT_EQ(level_int(t.id(), 1, GL_TEXTURE_HEIGHT), 1);
  EXPECT_EQ(parameter_int(t.id(), GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(parameter_int(t.id(), GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(parameter_int(t.id(), GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  EXPECT_EQ(get_int(GL_UNPACK_ALIGNMENT), 4);  // restored
  EXPECT_EQ(gl_pixels(t.id()),
            (Bytes{0, 0, 255, 255, 255, 255, 255, 255, 255, 0, 0, 255, 0, 255, 0, 255}));
  t.clear();
  EXPECT_FALSE(glIsTexture(t.id()));
}

TEST_F(TextureGLTest, DrawnTextureShowsTheImageUpright) {
  Texture t;
  t.min_filter(GL_NEAREST);
  t.mag_filter(GL_NEAREST);
  ASSERT_NO_FATAL_FAILURE(load_rows(t, false));
  OffscreenTarget target(4, 4);
  t.bind();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(t.id()));
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  EXPECT_EQ(target.pixel(0, 3), (std::array<unsigned char, 4>{255, 0, 0, 255}));  // top left
  EXPECT_EQ(target.pixel(3, 3), (std::array<unsigned char, 4>{0, 255, 0, 255}));
  EXPECT_EQ(target.pixel(0, 0), (std::array<unsigned char, 4>{0, 0, 255, 255}));  // bottom left
  t.clear();
}

TEST_F(TextureGLTest, BmpUploadsRgbAsRgbaAndGreyAsLuminance) {
  // 24-bit, bottom row (blue, green), top row (red, white): rows padded to 8 bytes.
  root_.write("t.bmp", testing_support::bmp_file(2, 2, 24,
                                                 {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
  Texture t;
  OutputCapture capture;
  ASSERT_EQ(t.load_bmp("t.bmp", false, false), 0);
  EXPECT_EQ(t.bytes_per_pixel(), Texture::kRGB);
  ASSERT_EQ(t.generate(GL_RGBA), 0);
  EXPECT_EQ(t.bytes_per_pixel(), Texture::kRGBA);
  EXPECT_EQ(level_int(t.id(), 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
  EXPECT_EQ(gl_pixels(t.id()),
            (Bytes{0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255}));
  t.clear();

  // One byte per pixel, two pixels a row: rows are not padded to 4 bytes.
  Texture grey;
  const unsigned char levels[4] = {10, 20, 30, 40};
  grey.set_data(2, 2, levels, Texture::kGrey);
  ASSERT_EQ(grey.generate(GL_RGBA), 0);
  EXPECT_EQ(grey.bytes_per_pixel(), Texture::kRGBA);
  EXPECT_EQ(gl_pixels(grey.id()),
            (Bytes{10, 10, 10, 255, 20, 20, 20, 255, 30, 30, 30, 255, 40, 40, 40, 255}));
  grey.clear();
}

TEST_F(TextureGLTest, GenerateRefusesPixelsThatDoNotFillTheImage) {
  Texture t;
  const unsigned char rgb[3] = {1, 2, 3};
  t.set_data(1, 1, rgb, Texture::kRGB);
  t.bytes_per_pixel(Texture::kRGBA);  // would read four bytes from three
  OutputCapture capture;
  EXPECT_NE(t.generate(GL_RGBA), 0);
  EXPECT_EQ(t.id(), 0u);
  Texture empty;
  EXPECT_NE(empty.generate(GL_RGBA), 0);
  EXPECT_EQ(empty.id(), 0u);
}

TEST_F(TextureGLTest, GetPixelsTakesTheSizeOfLevelZeroFromOpenGL) {
  // Mipmap building may rescale an image whose sides are not powers of two.
  Texture t;
  Bytes data(3 * 2 * 4, 200);
  t.set_data(3, 2, data.data(), Texture::kRGBA);
  OutputCapture capture;
  ASSERT_EQ(t.generate(GL_RGBA), 0);
  const GLint w = level_int(t.id(), 0, GL_TEXTURE_WIDTH);
  const GLint h = level_int(t.id(), 0, GL_TEXTURE_HEIGHT);
  t.set_data(5, 5, nullptr, Texture::kRGBA);  // a stored size that is wrong
  EXPECT_EQ(t.get_pixels(), 0);
  EXPECT_EQ(t.width(), static_cast<unsigned>(w));
  EXPECT_EQ(t.height(), static_cast<unsigned>(h));
  EXPECT_EQ(t.pixels(), gl_pixels(t.id()));
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  t.clear();
}

TEST_F(TextureGLTest, ReadBackEncodeSaveAndLoadRoundTrip) {
  Texture t;
  ASSERT_NO_FATAL_FAILURE(load_rows(t, true));
  OutputCapture capture;
  ASSERT_EQ(t.get_pixels(), 0);
  const Bytes texels = t.pixels();
  ASSERT_EQ(t.compress_png(), 0);
  ASSERT_EQ(t.save_png(std::string("out.png")), 0);
  // The saved file holds the rows as the texture stores them, first row first.
  Texture back;
  ASSERT_EQ(back.load_png("out.png", false, false, false), 0);
  EXPECT_EQ(back.pixels(), texels);
  // Saving with nothing local reads the texture back first.
  Texture again;
  again.id(t.id());
  ASSERT_EQ(again.save("again.png"), 0);
  EXPECT_EQ(root_.read("again.png"), root_.read("out.png"));
  t.clear();
}

TEST_F(TextureGLTest, SavingAnEmptyTextureStops) {
  Texture t;
  t.TextureGL::bind();  // a name without an image
  t.release();
  OutputCapture capture;
  std::ostringstream out;
  EXPECT_NE(t.save_png(out), 0);
  EXPECT_TRUE(out.str().empty());
  t.clear();
}

TEST_F(TextureGLTest, CreateFillsTheBoundTexture) {
  Texture t;
  t.TextureGL::bind();
  EXPECT_EQ(t.create(4, 2, 3), t.id());
  EXPECT_EQ(level_int(t.id(), 0, GL_TEXTURE_WIDTH), 4);
  EXPECT_EQ(level_int(t.id(), 0, GL_TEXTURE_HEIGHT), 2);
  EXPECT_EQ(level_int(t.id(), 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);  // mipmaps rebuilt it
  EXPECT_EQ(t.bytes_per_pixel(), Texture::kRGB);
  EXPECT_EQ(t.pixels().size(), 4u * 2 * 4);
  t.clear();
}

TEST_F(TextureGLTest, BindReportsPendingErrorsAndCopiesShareTheName) {
  Texture t;
  ASSERT_NO_FATAL_FAILURE(one_pixel(t));
  OutputCapture capture;
  glEnable(0x1234);  // leaves GL_INVALID_ENUM pending
  t.bind();
  EXPECT_NE(capture.err().find(" Texture::bind() pre-error invalid enumerant, id_ = " +
                               std::to_string(t.id())),
            std::string::npos)
      << capture.err();
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);

  Texture copy = t;
  EXPECT_EQ(copy.id(), t.id());
  { Texture gone = t; }  // destruction deletes nothing
  EXPECT_TRUE(glIsTexture(t.id()));
  copy.clear();
  EXPECT_FALSE(glIsTexture(t.id()));
}

TEST_F(TextureGLTest, GenerateMipmapsSendsTheFilters) {
  Texture t;
  ASSERT_NO_FATAL_FAILURE(one_pixel(t));
  OutputCapture capture;
  t.min_filter(GL_NEAREST);
  t.mag_filter(GL_NEAREST);
  EXPECT_EQ(t.generate_mipmaps(), 0);
  EXPECT_EQ(parameter_int(t.id(), GL_TEXTURE_MIN_FILTER), GL_NEAREST);
  EXPECT_EQ(parameter_int(t.id(), GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  t.min_filter(0x1234);
  EXPECT_EQ(t.generate_mipmaps(), 2);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  t.clear();
}

TEST_F(TextureGLTest, BindMeansTheSameThroughTheHandleBase) {
  Texture t;
  ASSERT_NO_FATAL_FAILURE(one_pixel(t));
  TextureGL& handle = t;
  handle.bind();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(t.id()));
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);

  // A nameless texture gets no name from a bind, whichever way it is called.
  Texture nameless;
  TextureGL& nameless_handle = nameless;
  nameless_handle.bind();
  std::as_const(nameless).bind();
  EXPECT_EQ(nameless.id(), 0u);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  glDisable(GL_TEXTURE_2D);
  t.clear();
}
