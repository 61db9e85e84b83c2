// CoordinateSystem: pose operations and their application to OpenGL.
#include "core/coordinate_system.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr Mat3 kIdentity3{1, 0, 0, 0, 1, 0, 0, 0, 1};

// v / |v|, or (0, 0, 0) when v has no finite direction.
Vec3 normalized_or_zero(const Vec3& v) {
  const float n = norm(v);
  if (!(n > 0.0f) || !std::isfinite(n)) return {0, 0, 0};
  return v / n;
}

// The unit global axis least aligned with z: never parallel to a unit z.
Vec3 least_aligned_axis(const Vec3& z) {
  unsigned k = 0;
  for (unsigned i = 1; i < 3; ++i)
    if (std::abs(z[i]) < std::abs(z[k])) k = i;
  Vec3 e{0, 0, 0};
  e[k] = 1.0f;
  return e;
}

// x = unit(up x z); when up is (nearly) parallel to z another axis stands in.
Vec3 side_axis(const Vec3& up, const Vec3& z) {
  Vec3 x = normalized_or_zero(cross(up, z));
  if (x == Vec3{0, 0, 0}) x = normalized_or_zero(cross(least_aligned_axis(z), z));
  return x;
}

}  // namespace

CoordinateSystem::CoordinateSystem()
    : rotation_(kIdentity3), rotation_transposed_(kIdentity3), pose_{1, 0, 0, 0, 0, 1, 0, 0,
                                                                     0, 0, 1, 0, 0, 0, 0, 1} {}

Vec3 CoordinateSystem::direction(unsigned i, bool negate) const {
  if (i >= 3) return {0, 0, 0};
  Vec3 a = to_vec3(rotation_.data() + 3 * i);
  return negate ? -a : a;
}

std::array<Vec3, 3> CoordinateSystem::directions(std::array<bool, 3> negate) const {
  return {direction(0, negate[0]), direction(1, negate[1]), direction(2, negate[2])};
}

void CoordinateSystem::clear_rotation() {
  rotation_ = kIdentity3;
  rotation_transposed_ = kIdentity3;
}

float CoordinateSystem::distance(const float* p) const {
  if (!p) return norm(position_);
  return norm(position_ - to_vec3(p));
}

void CoordinateSystem::translate(const float* v, bool negate, float scale) {
  translation_enabled_ = true;
  if (!v) {
    position_ = {0, 0, 0};
    return;
  }
  const float s = negate ? -scale : scale;
  for (int i = 0; i < 3; ++i) position_[i] += v[i] * s;
}

void CoordinateSystem::translate(Vec3 v, bool negate, float scale) {
  translate(v.data(), negate, scale);
}

void CoordinateSystem::translate(unsigned axis, float d) {
  translation_enabled_ = true;
  position_[axis % 3] += d;
}

void CoordinateSystem::translate(float dx, float dy, float dz) {
  translation_enabled_ = true;
  position_[0] += dx;
  position_[1] += dy;
  position_[2] += dz;
}

void CoordinateSystem::set_rotation(const float* m) {
  rotation_enabled_ = true;
  if (!m) {
    clear_rotation();
    return;
  }
  if (m != rotation_.data()) {
    Mat3 copy;
    std::copy(m, m + 9, copy.begin());
    rotation_ = copy;
  }
  transpose3(rotation_.data(), rotation_transposed_.data());
}

void CoordinateSystem::set_rotation_transposed(const float* m) {
  rotation_enabled_ = true;
  if (!m) {
    clear_rotation();
    return;
  }
  if (m != rotation_transposed_.data()) {
    Mat3 copy;
    std::copy(m, m + 9, copy.begin());
    rotation_transposed_ = copy;
  }
  transpose3(rotation_transposed_.data(), rotation_.data());
}

void CoordinateSystem::set_axes(const float* x, const float* y, const float* z) {
  const Mat3 m{x[0], x[1], x[2], y[0], y[1], y[2], z[0], z[1], z[2]};
  set_rotation(m.data());
}

void CoordinateSystem::set_yz(const float* y, const float* z) {
  set_axes(cross(y, z).data(), y, z);
}
void CoordinateSystem::set_xz(const float* x, const float* z) {
  set_axes(x, cross(z, x).data(), z);
}
void CoordinateSystem::set_xy(const float* x, const float* y) {
  set_axes(x, y, cross(x, y).data());
}

void CoordinateSystem::invert_zhat() {
  const Vec3 z = -zhat_array();
  const Vec3 y = yhat_array();
  set_axes(cross(y, z).data(), y.data(), z.data());
}

void CoordinateSystem::rotate_global(const float* m) {
  if (!rotation_enabled_) {
    set_rotation(m);
    return;
  }
  // New axes a' = m a: the transposed rotation (axes as columns) becomes m R^T.
  Mat3 rt{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) rt[3 * i + j] += m[3 * i + k] * rotation_transposed_[3 * k + j];
  set_rotation_transposed(rt.data());
}

void CoordinateSystem::rotate_local(const float* m, bool verbose) {
  if (!rotation_enabled_) {
    set_rotation(m);
    return;
  }
  // New rotation = m^T R: new axis i = sum_k m[3k+i] * axis k.
  Mat3 r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r[3 * i + j] += m[3 * k + i] * rotation_[3 * k + j];
  if (verbose) {
    std::cout << "Current rotation = ";
    for (float v : rotation_) std::cout << v << ",";
    std::cout << "\nSetting rotation to ";
    for (float v : r) std::cout << v << ",";
    std::cout << "\n";
  }
  set_rotation(r.data());
}

void CoordinateSystem::rotate(const float* m, bool local) {
  if (local)
    rotate_local(m, false);
  else
    rotate_global(m);
}

void CoordinateSystem::rotate_local(float angle_deg, float x, float y, float z) {
  rotate_local(rodrigues(angle_deg, x, y, z).data(), false);
}

void CoordinateSystem::rotate_global(float angle_deg, float x, float y, float z) {
  rotate_global(rodrigues(angle_deg, x, y, z).data());
}

void CoordinateSystem::rotate_global(float angle_rad, const float* axis) {
  rotate_global(rodrigues_rad(angle_rad, axis).data());
}

void CoordinateSystem::rotate_global_about(float angle_deg, float ax, float ay, float az, float,
                                           float, float) {
  const Mat3 r = rodrigues(angle_deg, ax, ay, az);
  rotate_global(r.data());
  const Vec3 p = position_;
  rotate_vector(r.data(), p.data(), position_.data());
}

float CoordinateSystem::axis_angle(const CoordinateSystem& other, int i) const {
  if (i < 0 || i >= 3) return std::acos(0.0f);
  return std::acos(dot(rotation_.data() + 3 * i, other.rotation_.data() + 3 * i));
}

void CoordinateSystem::look_at(const float* position, const float* target, const float* up,
                               bool reverse) {
  rotation_enabled_ = true;
  const Vec3 t = target ? to_vec3(target) : Vec3{0, 0, 0};
  Vec3 z = position ? to_vec3(position) - t : -t;
  if (reverse) z = -z;
  z = normalized_or_zero(z);
  if (z == Vec3{0, 0, 0}) z = {0, 0, 1};
  const Vec3 u = up ? to_vec3(up) : Vec3{0, 1, 0};
  const Vec3 x = side_axis(u, z);
  const Vec3 y = cross(z, x);
  set_axes(x.data(), y.data(), z.data());
  if (position) {
    translation_enabled_ = true;
    position_ = to_vec3(position);
  }
}

void CoordinateSystem::look_at(const Vec3& position, const Vec3& target, Vec3 up, bool reverse) {
  look_at(position.data(), target.data(), up.data(), reverse);
}

void CoordinateSystem::enforce_up(int axis) {
  if (axis < 0 || axis > 2) return;
  Vec3 z = normalized_or_zero(zhat_array());
  if (z == Vec3{0, 0, 0}) z = {0, 0, 1};
  Vec3 e{0, 0, 0};
  e[axis] = 1.0f;
  const Vec3 x = side_axis(e, z);
  const Vec3 y = cross(z, x);
  set_axes(x.data(), y.data(), z.data());
  enable(true);
}

void CoordinateSystem::local2global(const float* in, float* out, unsigned n, unsigned in_stride,
                                    unsigned out_stride) const {
  for (unsigned k = 0; k < n; ++k) {
    const Vec3 p = to_vec3(in + k * in_stride);
    Vec3 g;
    rotate_vector(rotation_transposed_.data(), p.data(), g.data());
    for (int i = 0; i < 3; ++i) out[k * out_stride + i] = position_[i] + g[i];
  }
}

std::vector<float> CoordinateSystem::local2global(const std::vector<float>& in) const {
  std::vector<float> out(in.size());
  const unsigned n = static_cast<unsigned>(in.size() / 3);
  local2global(in.data(), out.data(), n, 3, 3);
  // A trailing partial point is carried over unchanged.
  for (std::size_t i = 3 * std::size_t(n); i < in.size(); ++i) out[i] = in[i];
  return out;
}

Vec3 CoordinateSystem::local2global(const Vec3& p) const {
  Vec3 out;
  local2global(p.data(), out.data(), 1, 3, 3);
  return out;
}

void CoordinateSystem::local2global_rotation(const float* in, float* out, unsigned n,
                                             unsigned in_stride, unsigned out_stride) const {
  for (unsigned k = 0; k < n; ++k) {
    const Vec3 p = to_vec3(in + k * in_stride);
    rotate_vector(rotation_transposed_.data(), p.data(), out + k * out_stride);
  }
}

void CoordinateSystem::global2local(const float* in, float* out, unsigned n, unsigned in_stride,
                                    unsigned out_stride, bool translate) const {
  for (unsigned k = 0; k < n; ++k) {
    Vec3 p = to_vec3(in + k * in_stride);
    if (translate) p = p - position_;
    rotate_vector(rotation_.data(), p.data(), out + k * out_stride);
  }
}

Vec3 CoordinateSystem::global2local(const Vec3& p, bool translate) const {
  Vec3 out;
  global2local(p.data(), out.data(), 1, 3, 3, translate);
  return out;
}

float CoordinateSystem::axis_project(Vec3 p, unsigned i, bool relative) const {
  if (relative) p = p - position_;
  return dot(p.data(), rotation_.data() + 3 * (i > 2 ? 2 : i));
}

Vec3 CoordinateSystem::plane_project(Vec3 p, unsigned i, bool relative) const {
  if (relative) p = p - position_;
  const Vec3 a = direction(i > 2 ? 2 : i);
  return p - a * dot(p, a);
}

float CoordinateSystem::ray_intersection_1d(const float* origin, const float* dir, int* status,
                                            bool reverse) const {
  Vec3 d = to_vec3(dir);
  if (reverse) d = -d;
  const Vec3 rel = to_vec3(origin) - position_;
  const float t = -dot(rel.data(), zhat()) / dot(d.data(), zhat());
  if (!std::isfinite(t)) {
    if (status) *status = 1;
    return 0.0f;
  }
  if (t <= 0.0f && status) *status = 2;
  return t;
}

Vec3 CoordinateSystem::ray_intersection_3d(const float* origin, const float* dir, int* status,
                                           bool reverse) const {
  Vec3 d = to_vec3(dir);
  if (reverse) d = -d;
  const Vec3 o = to_vec3(origin);
  const Vec3 rel = o - position_;
  const float t = -dot(rel.data(), zhat()) / dot(d.data(), zhat());
  int s = 0;
  if (!std::isfinite(t))
    s = 1;
  else if (t < 0.0f)
    s = -2;
  else if (t == 0.0f)
    s = 2;
  if (status) *status = s;
  return s == 0 ? o + d * t : Vec3{0, 0, 0};
}

float CoordinateSystem::los_min_distance(const float* p) const {
  const Vec3 d = position_ - to_vec3(p);
  return dot(d.data(), zhat());
}

float CoordinateSystem::los_impact_parameter(const float* p, bool both_sides) const {
  const Vec3 d = position_ - to_vec3(p);
  const float s = dot(d.data(), zhat());
  if (!both_sides && s < 0.0f) return -1.0f;
  // Rounding can make |d|^2 - s^2 a hair negative for a point on the axis.
  return std::sqrt(std::max(0.0f, dot(d, d) - s * s));
}

std::vector<float> CoordinateSystem::los_impact_parameters(std::vector<Vec3> points) const {
  std::vector<float> out;
  out.reserve(points.size());
  for (const Vec3& p : points) out.push_back(los_impact_parameter(p.data(), false));
  return out;
}

Mat4 CoordinateSystem::pose_matrix(bool forward, bool, bool transpose) const {
  Mat4 m;
  if (forward) {
    m = make_pose_matrix(position_.data(), rotation_transposed_.data());
  } else {
    Vec3 t;
    rotate_vector(rotation_.data(), position_.data(), t.data());
    t = -t;
    m = make_pose_matrix(t.data(), rotation_.data());
  }
  if (transpose) {
    Mat4 tr;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) tr[4 * i + j] = m[4 * j + i];
    return tr;
  }
  return m;
}

void CoordinateSystem::apply_gl(bool forward, bool inverse_translation) const {
  if (rotation_enabled_) {
    const Mat4 m = pose_matrix(forward, false, false);
    glMultTransposeMatrixf(m.data());
  } else if (translation_enabled_) {
    if (forward)
      glTranslatef(position_[0], position_[1], position_[2]);
    else if (inverse_translation)
      glTranslatef(-position_[0], -position_[1], -position_[2]);
  }
}

void CoordinateSystem::apply_gl(bool forward, bool inverse_translation) {
  static_cast<const CoordinateSystem&>(*this).apply_gl(forward, inverse_translation);
}

namespace {
// Identity 4x4 with the nine floats of r row after row in its upper-left
// block, handed to OpenGL as a column-major array.
void fill_rotation4(const Mat3& r, float* m) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[4 * i + j] = r[3 * i + j];
}
}  // namespace

void CoordinateSystem::apply_rotation_gl(bool forward) const {
  if (!rotation_enabled_) return;
  float m[16];
  fill_rotation4(forward ? rotation_ : rotation_transposed_, m);
  glMultMatrixf(m);
}

void CoordinateSystem::apply_rotation_gl(bool forward) {
  if (!rotation_enabled_) return;
  fill_rotation4(forward ? rotation_ : rotation_transposed_, pose_.data());
  glMultMatrixf(pose_.data());
}

void CoordinateSystem::apply_translation_gl(bool forward) const {
  if (!translation_enabled_) return;
  const float s = forward ? 1.0f : -1.0f;
  glTranslatef(s * position_[0], s * position_[1], s * position_[2]);
}

void draw_axes(const CoordinateSystem& cs) {
  glPushMatrix();
  if (cs.rotation_enabled()) {
    const Mat4 m = make_pose_matrix(cs.position().data(), cs.rotation_transposed().data());
    glMultTransposeMatrixf(m.data());
  } else if (cs.translation_enabled()) {
    glTranslatef(cs.x(), cs.y(), cs.z());
  }
  static const float kColors[3][4] = {{1, 0, 0, 0.5f}, {0, 1, 0, 0.5f}, {0, 0, 1, 0.5f}};
  glBegin(GL_LINES);
  for (int i = 0; i < 3; ++i) {
    float end[3] = {0, 0, 0};
    end[i] = 1.0f;
    glColor4fv(kColors[i]);
    glVertex3f(0, 0, 0);
    glVertex3fv(end);
  }
  glEnd();
  glPopMatrix();
}
