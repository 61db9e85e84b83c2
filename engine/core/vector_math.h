// Vector and matrix helpers on fixed-size float arrays: 3-vectors, row-major
// 3x3 and 4x4 matrices, Rodrigues rotations and the axis-aligned box.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <ostream>

using Vec3 = std::array<float, 3>;
using Mat3 = std::array<float, 9>;
using Mat4 = std::array<float, 16>;

// Degrees to radians, as a float, the one factor the engine uses everywhere.
inline constexpr float kDegToRad = 0.017453292f;

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec3 operator-(const Vec3& a) {
  return {-a[0], -a[1], -a[2]};
}
inline Vec3 operator*(const Vec3& a, float s) {
  return {a[0] * s, a[1] * s, a[2] * s};
}
// One division, three multiplications: dividing by 0 gives infinities (NaN for 0/0).
inline Vec3 operator/(const Vec3& a, float s) {
  const float r = 1.0f / s;
  return {a[0] * r, a[1] * r, a[2] * r};
}
inline Vec3& operator+=(Vec3& a, const Vec3& b) {
  a[0] += b[0];
  a[1] += b[1];
  a[2] += b[2];
  return a;
}
// Each component followed by ", ", the last one included; no line end.
inline std::ostream& operator<<(std::ostream& os, const Vec3& a) {
  return os << a[0] << ", " << a[1] << ", " << a[2] << ", ";
}

inline float dot(const float* a, const float* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline float dot(const Vec3& a, const Vec3& b) {
  return dot(a.data(), b.data());
}
inline Vec3 cross(const float* a, const float* b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return cross(a.data(), b.data());
}
inline float norm(const float* a) {
  return std::sqrt(dot(a, a));
}
inline float norm(const Vec3& a) {
  return norm(a.data());
}
// v times the inverse of its length, or v itself when its squared length or
// that inverse is exactly 1 (so unit vectors pass bit for bit). A zero vector
// gives infinities or NaN; callers that may meet one test first.
inline Vec3 normalized(const Vec3& v) {
  const float n2 = dot(v, v);
  if (n2 == 1.0f) return v;
  const float inverse = 1.0f / std::sqrt(n2);
  if (inverse == 1.0f) return v;
  return v * inverse;
}
inline Vec3 to_vec3(const float* p) {
  return {p[0], p[1], p[2]};
}

// out[3i+j] = m[3j+i]; m and out must differ.
void transpose3(const float* m, float* out);
// out = m * v (v a column vector); returns out.
float* rotate_vector(const float* m, const float* v, float* out);
// Identity with the rows of `rotation` in the upper-left block and `translation`
// in the last column; either may be null.
Mat4 make_pose_matrix(const float* translation, const float* rotation);

// R = cos t I + sin t K + (1 - cos t) k k^T for a unit axis k and t radians
// (narrowed to float before sine and cosine).
void rodrigues(const float* axis, double angle, float* out);
// The same for an angle in degrees.
Mat3 rodrigues(float angle_deg, float x, float y, float z);
Mat3 rodrigues_rad(float angle, float x, float y, float z);
Mat3 rodrigues_rad(float angle, const float* axis);

// An axis-aligned box: its centre and its full extents along each axis.
template <std::size_t N, typename T>
class Box {
 public:
  using Point = std::array<T, N>;

  Box() = default;
  Box(const Point& position, const Point& volume) : position_(position), volume_(volume) {}

  Point& position() { return position_; }
  const Point& position() const { return position_; }
  Point& volume() { return volume_; }
  const Point& volume() const { return volume_; }
  static constexpr std::size_t dimensions() { return N; }

  T total_volume() const {
    T v = T(1);
    for (std::size_t i = 0; i < N; ++i) v *= volume_[i];
    return v;
  }

  // Strictly inside: a point on a face, or any point of a flat box, is outside.
  bool inside(Point p) const {
    for (std::size_t i = 0; i < N; ++i)
      if (!(volume_[i] * T(0.5) > std::abs(p[i] - position_[i]))) return false;
    return true;
  }

  // Lower corner, then upper corner.
  std::array<Point, 2> bounding_box() const {
    std::array<Point, 2> b;
    for (std::size_t i = 0; i < N; ++i) {
      b[0][i] = position_[i] - volume_[i] * T(0.5);
      b[1][i] = position_[i] + volume_[i] * T(0.5);
    }
    return b;
  }

 protected:
  Point position_{};
  Point volume_{};
};
