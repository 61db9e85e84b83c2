// CoordinateSystem: the pose of every placed thing. A position (the centre of
// its Box base), a rotation whose rows are the frame's axes in global terms,
// the rotation's transpose kept in step, and switches for the translation and
// rotation parts when the pose is applied to OpenGL.
#pragma once

#include <array>
#include <vector>

#include "core/vector_math.h"

class CoordinateSystem : public Box<3, float> {
 public:
  CoordinateSystem();

  float x() const { return position_[0]; }
  float y() const { return position_[1]; }
  float z() const { return position_[2]; }

  float* xhat() { return rotation_.data(); }
  float* yhat() { return rotation_.data() + 3; }
  float* zhat() { return rotation_.data() + 6; }
  const float* xhat() const { return rotation_.data(); }
  const float* yhat() const { return rotation_.data() + 3; }
  const float* zhat() const { return rotation_.data() + 6; }
  // The axis as a vector, negated when `negate` is set.
  Vec3 xhat(bool negate) const { return direction(0, negate); }
  Vec3 yhat(bool negate) const { return direction(1, negate); }
  Vec3 zhat(bool negate) const { return direction(2, negate); }
  Vec3 xhat_array(bool negate = false) const { return direction(0, negate); }
  Vec3 yhat_array(bool negate = false) const { return direction(1, negate); }
  Vec3 zhat_array(bool negate = false) const { return direction(2, negate); }
  // Axis i (0..2), negated when asked; any other i gives (0, 0, 0).
  Vec3 direction(unsigned i, bool negate = false) const;
  std::array<Vec3, 3> directions(std::array<bool, 3> negate = {false, false, false}) const;

  Mat3& rotation() { return rotation_; }
  const Mat3& rotation() const { return rotation_; }
  Mat3& rotation_transposed() { return rotation_transposed_; }
  const Mat3& rotation_transposed() const { return rotation_transposed_; }

  bool translation_enabled() const { return translation_enabled_; }
  bool rotation_enabled() const { return rotation_enabled_; }
  bool enabled() const { return translation_enabled_ || rotation_enabled_; }
  void enable(bool b = true) { translation_enabled_ = rotation_enabled_ = b; }
  void disable(bool = true) { translation_enabled_ = rotation_enabled_ = false; }
  void enable_translation(bool b = true) { translation_enabled_ = b; }
  void enable_rotation(bool b = true) { rotation_enabled_ = b; }
  void disable_translation(bool b = true) { translation_enabled_ = !b; }
  void disable_rotation(bool b = true) { rotation_enabled_ = !b; }
  void clear_rotation();

  // Distance from the position to p; a null p gives the length of the position.
  float distance(const float* p) const;
  float distance(const Vec3& p) const { return distance(p.data()); }

  // Translation; each switches the translation on.
  void translate(const float* v, bool negate = false, float scale = 1.0f);  // null: to the origin
  void translate(Vec3 v, bool negate = false, float scale = 1.0f);
  void translate(unsigned axis, float d);
  void translate(float dx, float dy, float dz);

  // Setting the orientation; each switches the rotation on. Null: identity.
  void set_rotation(const float* m);
  void set_rotation(const Mat3& m) { set_rotation(m.data()); }
  void set_rotation_transposed(const float* m);
  void set_yz(const float* y, const float* z);
  void set_xz(const float* x, const float* z);
  void set_xy(const float* x, const float* y);
  void set_yz(const Vec3& y, const Vec3& z) { set_yz(y.data(), z.data()); }
  void set_xz(const Vec3& x, const Vec3& z) { set_xz(x.data(), z.data()); }
  void set_xy(const Vec3& x, const Vec3& y) { set_xy(x.data(), y.data()); }
  void invert_zhat();

  // Rotating. Global: each axis a becomes m a. Local: m is given in the frame's
  // own axes. With the rotation switched off the orientation is set to m.
  void rotate_global(const float* m);
  void rotate_local(const float* m, bool verbose = false);
  void rotate(const float* m, bool local);
  void rotate_local(float angle_deg, float x, float y, float z);
  void rotate_global(float angle_deg, float x, float y, float z);
  void rotate_global(float angle_rad, const float* axis);
  // Rotation about an axis through the global origin; the point is not used.
  void rotate_global_about(float angle_deg, float ax, float ay, float az, float px = 0,
                           float py = 0, float pz = 0);
  float axis_angle(const CoordinateSystem& other, int i) const;

  // z points from target to position (reversed on request), x = up x z, y = z x x.
  // When up is parallel to z another reference axis is taken, so the frame is
  // always finite and z always points as asked.
  void look_at(const float* position, const float* target = nullptr, const float* up = nullptr,
               bool reverse = false);
  void look_at(const Vec3& position, const Vec3& target, Vec3 up = {0, 1, 0}, bool reverse = false);
  // Keeps z and makes the frame upright to the global axis 0, 1 or 2; other
  // values leave the frame unchanged.
  void enforce_up(int axis);

  // Point conversions; in and out may be the same array.
  void local2global(const float* in, float* out, unsigned n = 1, unsigned in_stride = 3,
                    unsigned out_stride = 3) const;
  std::vector<float> local2global(const std::vector<float>& in) const;
  Vec3 local2global(const Vec3& p) const;
  void local2global_rotation(const float* in, float* out, unsigned n = 1, unsigned in_stride = 3,
                             unsigned out_stride = 3) const;
  void global2local(const float* in, float* out, unsigned n = 1, unsigned in_stride = 3,
                    unsigned out_stride = 3, bool translate = true) const;
  Vec3 global2local(const Vec3& p, bool translate = true) const;
  float axis_project(Vec3 p, unsigned i, bool relative = true) const;
  Vec3 plane_project(Vec3 p, unsigned i, bool relative = true) const;

  // Crossing of a ray with the frame's xy plane.
  float ray_intersection_1d(const float* origin, const float* dir, int* status = nullptr,
                            bool reverse = false) const;
  Vec3 ray_intersection_3d(const float* origin, const float* dir, int* status = nullptr,
                           bool reverse = false) const;

  // Line of sight along z.
  float los_min_distance(const float* p) const;
  float los_impact_parameter(const float* p, bool both_sides = false) const;
  std::vector<float> los_impact_parameters(std::vector<Vec3> points) const;

  // Forward: local to global; otherwise global to local. Row-major unless transposed.
  Mat4 pose_matrix(bool forward = true, bool = false, bool transpose = false) const;
  void apply_gl(bool forward = true, bool inverse_translation = false) const;
  void apply_gl(bool forward = true, bool inverse_translation = false);
  void apply_rotation_gl(bool forward = true) const;
  void apply_rotation_gl(bool forward = true);
  void apply_translation_gl(bool forward = true) const;

 private:
  void set_axes(const float* x, const float* y, const float* z);

  Mat3 rotation_;
  Mat3 rotation_transposed_;
  Mat4 pose_;
  bool translation_enabled_ = true;
  bool rotation_enabled_ = true;
};

// Draws the frame's three unit axes as red, green and blue lines.
void draw_axes(const CoordinateSystem& cs);
