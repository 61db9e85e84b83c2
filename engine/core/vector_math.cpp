// Matrix helpers and Rodrigues rotation builders.
#include "core/vector_math.h"

void transpose3(const float* m, float* out) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out[3 * i + j] = m[3 * j + i];
}

float* rotate_vector(const float* m, const float* v, float* out) {
  for (int i = 0; i < 3; ++i) out[i] = m[3 * i] * v[0] + m[3 * i + 1] * v[1] + m[3 * i + 2] * v[2];
  return out;
}

Mat4 make_pose_matrix(const float* translation, const float* rotation) {
  Mat4 p{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  if (rotation) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) p[4 * i + j] = rotation[3 * i + j];
  }
  if (translation) {
    p[3] = translation[0];
    p[7] = translation[1];
    p[11] = translation[2];
  }
  return p;
}

void rodrigues(const float* k, double angle, float* out) {
  const float t = static_cast<float>(angle);
  const float c = std::cos(t);
  const float s = std::sin(t);
  const float ic = 1.0f - c;
  // cos t I + sin t K + (1 - cos t) k k^T, K the cross-product matrix of k.
  const float K[9] = {0, -k[2], k[1], k[2], 0, -k[0], -k[1], k[0], 0};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      out[3 * i + j] = (i == j ? c : 0.0f) + s * K[3 * i + j] + ic * k[i] * k[j];
}

Mat3 rodrigues_rad(float angle, const float* axis) {
  Mat3 m;
  rodrigues(axis, angle, m.data());
  return m;
}

Mat3 rodrigues_rad(float angle, float x, float y, float z) {
  const float axis[3] = {x, y, z};
  return rodrigues_rad(angle, axis);
}

Mat3 rodrigues(float angle_deg, float x, float y, float z) {
  return rodrigues_rad(angle_deg * kDegToRad, x, y, z);
}
