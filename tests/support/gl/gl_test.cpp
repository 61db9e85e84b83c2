#include "support/gl/gl_test.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>

namespace testing_support {
namespace {

void display_nothing() {}

int test_window = 0;

std::string create_context() {
  // freeglut ends the process when it finds no display: look first.
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return "no DISPLAY set";
  // Held open until freeglut has its own connection: a server that resets
  // when its last client leaves would refuse freeglut in between.
  Display* probe = XOpenDisplay(nullptr);
  if (!probe) return std::string("cannot open display ") + display;
  struct CloseLater {
    Display* d;
    ~CloseLater() { XCloseDisplay(d); }
  } close_later{probe};
  int argc = 1;
  char name[] = "gl_test";
  char* argv[] = {name, nullptr};
  glutInit(&argc, argv);
  glutInitContextVersion(4, 5);
  glutInitContextProfile(GLUT_COMPATIBILITY_PROFILE);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(320, 240);
  test_window = glutCreateWindow("gl_test");
  if (test_window <= 0) return "glutCreateWindow failed";
  glutDisplayFunc(display_nothing);
  glutHideWindow();
  glewExperimental = GL_TRUE;
  const GLenum e = glewInit();
  // GLEW may leave an error behind while probing: not ours.
  while (glGetError() != GL_NO_ERROR) {
  }
  if (e != GLEW_OK && e != GLEW_ERROR_NO_GLX_DISPLAY)
    return std::string("glewInit: ") + reinterpret_cast<const char*>(glewGetErrorString(e));
  GLint major = 0, minor = 0, profile = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  if (major * 10 + minor < 45 || !(profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT))
    return "no OpenGL 4.5 compatibility context";
  return "";
}

}  // namespace

std::string ensure_gl_context() {
  static const std::string status = create_context();
  return status;
}

int gl_test_window() {
  return test_window;
}

std::vector<GLenum> drain_gl_errors() {
  std::vector<GLenum> errors;
  for (GLenum e = glGetError(); e != GL_NO_ERROR && errors.size() < 64; e = glGetError())
    errors.push_back(e);
  return errors;
}

bool program_linked(GLuint program) {
  if (program == 0 || !glIsProgram(program)) return false;
  GLint status = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &status);
  return status == GL_TRUE;
}

GLint buffer_size(GLuint name) {
  GLint size = -1;
  glBindBuffer(GL_ARRAY_BUFFER, name);
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return size;
}

std::vector<float> buffer_floats(GLuint name) {
  std::vector<float> data(static_cast<std::size_t>(std::max(buffer_size(name), 0)) / sizeof(float));
  glBindBuffer(GL_ARRAY_BUFFER, name);
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(data.size() * sizeof(float)),
                     data.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return data;
}

OffscreenTarget::OffscreenTarget(int width, int height) : width_(width), height_(height) {
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous_fbo_);
  glGetIntegerv(GL_VIEWPORT, previous_viewport_);
  glGenFramebuffers(1, &fbo_);
  glGenRenderbuffers(1, &color_);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, color_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
  glViewport(0, 0, width, height);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

OffscreenTarget::~OffscreenTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, previous_fbo_);
  glViewport(previous_viewport_[0], previous_viewport_[1], previous_viewport_[2],
             previous_viewport_[3]);
  glDeleteFramebuffers(1, &fbo_);
  glDeleteRenderbuffers(1, &color_);
  glDeleteRenderbuffers(1, &depth_);
}

std::array<unsigned char, 4> OffscreenTarget::pixel(int x, int y) const {
  std::array<unsigned char, 4> p{};
  GLint bound = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &bound);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, bound);
  return p;
}

OrthoView::OrthoView() : target_(64, 64) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -1, 1);
  glMatrixMode(GL_MODELVIEW);
}

OrthoView::~OrthoView() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

std::array<unsigned char, 4> OrthoView::at(float x, float y) const {
  return target_.pixel(static_cast<int>((x + 2) * 16), static_cast<int>((y + 2) * 16));
}

void GLTest::SetUp() {
  const std::string why = ensure_gl_context();
  // The suite runs on an X server of its own: a test that gets no context
  // fails, naming why, instead of passing unseen as a skipped test.
  ASSERT_TRUE(why.empty()) << "no OpenGL 4.5 compatibility context: " << why;
  if (glutGetWindow() != test_window) glutSetWindow(test_window);
  const auto pending = drain_gl_errors();
  ASSERT_TRUE(pending.empty()) << "GL error pending before the test: " << pending.front();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void GLTest::TearDown() {
  if (!has_context()) return;
  if (glutGetWindow() != test_window) glutSetWindow(test_window);
  const auto errors = drain_gl_errors();
  if (expect_clean_errors_ && !errors.empty()) {
    ADD_FAILURE() << "GL error left by the test: " << errors.front() << " "
                  << gl_error_string(errors.front());
  }
  glUseProgram(0);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void OrthoViewTest::SetUp() {
  GLTest::SetUp();
  if (has_context()) view_.emplace();
}

void OrthoViewTest::TearDown() {
  view_.reset();
  GLTest::TearDown();
}

std::array<float, 16> GLTest::read_matrix(GLenum which) {
  std::array<float, 16> column_major{};
  glGetFloatv(which, column_major.data());
  std::array<float, 16> m{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[4 * i + j] = column_major[4 * j + i];
  return m;
}

GLint GLTest::get_int(GLenum name) {
  GLint v = 0;
  glGetIntegerv(name, &v);
  return v;
}

}  // namespace testing_support
