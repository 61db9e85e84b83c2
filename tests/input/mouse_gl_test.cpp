// The mouse against freeglut's window and OpenGL's matrices.
#include "input/mouse.h"
#include "support/gl/gl_test.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

using testing_support::GLTest;

class MouseGLTest : public GLTest {
 protected:
  void TearDown() override {
    glutSetCursor(GLUT_CURSOR_INHERIT);
    GLTest::TearDown();
  }
};

TEST_F(MouseGLTest, HidingTwiceSetsTheCursorOnce) {
  kMouse m;
  glutSetCursor(GLUT_CURSOR_INHERIT);
  m.hide();
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  glutSetCursor(GLUT_CURSOR_INHERIT);
  m.hide();  // hidden already: no cursor call
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_INHERIT);
  m.show(GLUT_CURSOR_LEFT_ARROW);
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
  EXPECT_TRUE(m.visible());
}

TEST_F(MouseGLTest, UnprojectsThroughTheCurrentMatrices) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glViewport(0, 0, 64, 32);
  kMouse m;
  m.pos() = {32, 16, 0.5f};
  EXPECT_EQ(m.unproject(), (std::array<double, 3>{0, 0, 0}));
  m.pos() = {64, 0, 1};
  const std::array<double, 3> corner = m.unproject();
  EXPECT_EQ(corner, (std::array<double, 3>{1, -1, 1}));
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(2, 0, 0);
  EXPECT_EQ(m.unproject(), (std::array<double, 3>{-1, -1, 1}));

  // A singular projection cannot be inverted: the last point found stays.
  glMatrixMode(GL_PROJECTION);
  glScalef(0, 0, 0);
  kMouse other;
  EXPECT_EQ(other.unproject(), (std::array<double, 3>{-1, -1, 1}));
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}
