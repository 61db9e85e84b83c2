// The walker's debug line, read back from GL, and the state it leaves.
#include <gtest/gtest.h>

#include "engine/walking.h"
#include "support/gl/gl_test.h"

using testing_support::OrthoViewTest;

class WalkingDrawTest : public OrthoViewTest {};

TEST_F(WalkingDrawTest, DrawsTheLastDirectionAndRestoresTheState) {
  Walking w;
  w.input_global = {1.5f, 0.0f, 0.0f};
  w.input_local = {0.0f, 1.5f, 0.0f};
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_LIGHTING);
  glLineWidth(1.0f);
  glMatrixMode(GL_PROJECTION);

  w.draw(false);
  EXPECT_EQ(at(1.0f, 0.0f)[0], 255);
  EXPECT_EQ(at(-1.0f, 0.0f)[0], 0);
  EXPECT_EQ(at(0.0f, 1.0f)[0], 0);
  // The local line lies two metres ahead, behind this view's far plane; what
  // matters here is that the model-view matrix and the mode come back.
  const auto modelview = read_matrix(GL_MODELVIEW_MATRIX);
  w.draw(true);
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), modelview);
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_PROJECTION);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  GLfloat width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
}
