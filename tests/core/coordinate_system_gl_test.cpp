#include "core/coordinate_system.h"

#include "support/gl/gl_test.h"

using testing_support::GLTest;

namespace {

CoordinateSystem posed() {
  CoordinateSystem cs;
  cs.rotate_global(30.0f, 0, 0, 1);
  cs.rotate_local(45.0f, 1, 0, 0);
  cs.translate(1.0f, 2.0f, 3.0f);
  return cs;
}

void expect_matrix(const Mat4& got, const Mat4& want) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << "element " << i;
}

Mat4 rotation4(const Mat3& r) {
  Mat4 m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[4 * i + j] = r[3 * i + j];
  return m;
}

}  // namespace

class CoordinateSystemGLTest : public GLTest {};

TEST_F(CoordinateSystemGLTest, ApplyGlMultipliesThePoseMatrix) {
  const CoordinateSystem cs = posed();
  cs.apply_gl(true, false);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), cs.pose_matrix(true));
  glLoadIdentity();
  CoordinateSystem mutable_cs = cs;
  mutable_cs.apply_gl(false, false);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), cs.pose_matrix(false));
}

TEST_F(CoordinateSystemGLTest, ApplyGlWithoutRotationTranslatesOrNot) {
  CoordinateSystem cs = posed();
  cs.disable_rotation();
  const Mat4 forward{1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};
  const Mat4 back{1, 0, 0, -1, 0, 1, 0, -2, 0, 0, 1, -3, 0, 0, 0, 1};
  const Mat4 id{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const struct {
    bool forward, inverse;
    Mat4 want;
  } cases[] = {{true, false, forward}, {false, true, back}, {false, false, id}};
  for (const auto& c : cases) {
    glLoadIdentity();
    cs.apply_gl(c.forward, c.inverse);
    expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), c.want);
  }
  glLoadIdentity();
  cs.disable();
  cs.apply_gl(true, false);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), id);
}

TEST_F(CoordinateSystemGLTest, RotationAndTranslationApplyApart) {
  const CoordinateSystem cs = posed();
  cs.apply_rotation_gl(true);
  // glMultMatrixf reads the rows as columns: the frame's rotation R (local to global).
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), rotation4(cs.rotation_transposed()));
  glLoadIdentity();
  CoordinateSystem m = cs;
  m.apply_rotation_gl(false);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), rotation4(cs.rotation()));
  glLoadIdentity();
  cs.apply_translation_gl(false);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), Mat4{1, 0, 0, -1, 0, 1, 0, -2, 0, 0, 1, -3, 0, 0, 0, 1});
  glLoadIdentity();
  m.disable();
  m.apply_rotation_gl(true);
  m.apply_translation_gl(true);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), Mat4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

TEST_F(CoordinateSystemGLTest, DrawAxesLeavesTheMatrixAsItWas) {
  const CoordinateSystem cs = posed();
  const GLint depth = get_int(GL_MODELVIEW_STACK_DEPTH);
  draw_axes(cs);
  EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), depth);
  expect_matrix(read_matrix(GL_MODELVIEW_MATRIX), Mat4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}
