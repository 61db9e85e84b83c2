// Camera projection and stereo shifts, read back from the OpenGL matrices.
#include "render/camera.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;

class CameraGLTest : public GLTest {};

TEST_F(CameraGLTest, ApplyGlLoadsTheSameProjectionAsPerspectiveMatrix) {
  Camera camera(1.5f, 60.0f, 0.5f, 20.0f);
  Perspective perspective(nullptr, &camera);
  glMatrixMode(GL_PROJECTION);
  glTranslatef(1, 2, 3);  // replaced: apply_gl starts from the identity
  glMatrixMode(GL_MODELVIEW);
  perspective.apply_gl();
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_PROJECTION);
  const auto read = read_matrix(GL_PROJECTION_MATRIX);
  const auto expected = camera.perspective_matrix();
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(read[i], expected[i], 1e-5) << i;
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

TEST_F(CameraGLTest, StereoShiftsKeepTheScreenPlaneInPlace) {
  Camera camera;
  camera.stereo_view(0.064f, 1.0f, 2.0f);
  struct Case {
    int mode;
    bool right;
    float offset;  // 0: the matrix stays the identity
  };
  const Case cases[] = {{0, true, 0.032f}, {0, false, -0.032f}, {1, true, 0.064f},
                        {1, false, 0.0f},  {2, true, 0.0f},     {2, false, -0.064f}};
  for (const Case& c : cases) {
    camera.stereo_mode(c.mode);
    glLoadIdentity();
    camera.apply_stereo(c.right);
    const auto m = read_matrix(GL_MODELVIEW_MATRIX);
    EXPECT_FLOAT_EQ(m[3], c.offset) << c.mode << " " << c.right;
    EXPECT_FLOAT_EQ(m[2], c.offset / 2.0f) << c.mode << " " << c.right;
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[15], 1.0f);
    if (c.offset != 0.0f) {
      EXPECT_EQ(camera.eye_offset(), c.offset);
      // A point on the screen plane (z = -distance) does not move.
      EXPECT_NEAR(m[0] * 0.3f + m[2] * -2.0f + m[3], 0.3f, 1e-6);
    }
  }
}
