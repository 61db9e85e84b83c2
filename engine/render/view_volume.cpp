// The view-volume test of bounding points.
#include "render/view_volume.h"

#include "render/gl.h"

namespace {

// Column-major 4 x 4 product a * b, as OpenGL keeps its matrices.
std::array<float, 16> multiply(const std::array<float, 16>& a, const std::array<float, 16>& b) {
  std::array<float, 16> m{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      m[col * 4 + row] = sum;
    }
  return m;
}

}  // namespace

bool outside_view_volume(const std::array<float, 3>* points, std::size_t count) {
  if (!points || count == 0 || !gl_entry_points_loaded()) return false;
  std::array<float, 16> model_view{}, projection{};
  glGetFloatv(GL_MODELVIEW_MATRIX, model_view.data());
  glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
  const std::array<float, 16> m = multiply(projection, model_view);
  // One bit per plane a point lies beyond; the planes all points share.
  unsigned int shared = 0x3f;
  for (std::size_t i = 0; i < count && shared != 0; ++i) {
    const std::array<float, 3>& p = points[i];
    float clip[4];
    for (int row = 0; row < 4; ++row)
      clip[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    const float w = clip[3];
    unsigned int beyond = 0;
    for (int axis = 0; axis < 3; ++axis) {
      // Not beyond when NaN: the comparisons are false.
      if (clip[axis] < -w) beyond |= 1u << (2 * axis);
      if (clip[axis] > w) beyond |= 2u << (2 * axis);
    }
    shared &= beyond;
  }
  return shared != 0;
}

bool outside_view_volume(const std::array<float, 3>& centre, float half) {
  std::array<std::array<float, 3>, 8> corners{};
  for (std::size_t i = 0; i < corners.size(); ++i)
    for (std::size_t k = 0; k < 3; ++k) corners[i][k] = centre[k] + ((i >> k) & 1 ? half : -half);
  return outside_view_volume(corners.data(), corners.size());
}
