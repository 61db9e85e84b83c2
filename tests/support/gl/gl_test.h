// The OpenGL test fixture: one hidden freeglut window with a 4.5
// compatibility-profile context per test program, GLEW initialised, and
// helpers to read errors and pixels back. A test that gets no such context
// (no display, glewInit failing, another version or profile) fails with the
// reason.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "render/gl.h"

namespace testing_support {

// Makes the shared context current, creating it on first use. Returns an
// empty string on success, otherwise why no context could be had.
std::string ensure_gl_context();

// The freeglut window that holds the shared context (0 before it exists).
// GLTest makes it current before each test, so tests may open and close
// windows of their own.
int gl_test_window();

// Every pending glGetError code, oldest first.
std::vector<GLenum> drain_gl_errors();

// Whether the name is a program object that linked (no GL error for names
// that are none).
bool program_linked(GLuint program);

// Size in bytes and contents (as floats) of a buffer object, read back
// through GL_ARRAY_BUFFER, which is left unbound.
GLint buffer_size(GLuint name);
std::vector<float> buffer_floats(GLuint name);
// Deletes the buffers of a list of names, skipping 0.
template <typename Names>
void delete_buffers(const Names& names) {
  for (GLuint name : names)
    if (name) glDeleteBuffers(1, &name);
}

// A colour framebuffer with depth, bound for drawing while alive; pixels are
// read back from it. The previous framebuffer and viewport are restored.
class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height);
  ~OffscreenTarget();
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  // RGBA bytes of the pixel at (x, y), y counted from the bottom.
  std::array<unsigned char, 4> pixel(int x, int y) const;
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_, height_;
  GLuint fbo_ = 0, color_ = 0, depth_ = 0;
  GLint previous_fbo_ = 0;
  GLint previous_viewport_[4] = {0, 0, 0, 0};
};

// An OffscreenTarget of 64 x 64 pixels through an orthographic projection
// of x and y in [-2, 2] (z in [-1, 1]), 16 pixels to a unit. The projection
// is the identity again afterwards.
class OrthoView {
 public:
  OrthoView();
  ~OrthoView();
  OrthoView(const OrthoView&) = delete;
  OrthoView& operator=(const OrthoView&) = delete;

  // The pixel under the scene point (x, y).
  std::array<unsigned char, 4> at(float x, float y) const;

 private:
  OffscreenTarget target_;
};

// Base of GL tests: a current context, no pending error before the test,
// identity matrices, and no error left behind unless the test expects one.
class GLTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Whether the shared context exists; SetUp has failed the test when not,
  // and a derived fixture's set-up and tear-down skip their GL work then.
  static bool has_context() { return ensure_gl_context().empty(); }
  // Reads back the current matrix of a matrix mode (row-major result).
  static std::array<float, 16> read_matrix(GLenum which);
  static GLint get_int(GLenum name);

  bool expect_clean_errors_ = true;
};

// A GL test that draws into an OrthoView (view_), made for each test.
class OrthoViewTest : public GLTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::array<unsigned char, 4> at(float x, float y) const { return view_->at(x, y); }

  std::optional<OrthoView> view_;
};

}  // namespace testing_support
