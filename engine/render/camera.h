// Cameras: the viewer's projection (fields of view, clipping planes, aspect
// and a simple stereo model) and a perspective that pairs it with a pose.
#pragma once

#include <array>

#include "core/coordinate_system.h"
#include "core/wrapper.h"

// A plain value; it holds no pose. The constructor, stereo_view and
// fov_from_screen keep horizontal = 2 atan(aspect tan(vertical / 2));
// set_aspect and init leave the fields of view alone.
class Camera {
 public:
  // A vertical field of view of exactly 0 selects the fixed horizontal field
  // 2 atan(1/3) and derives the vertical one from the aspect. The coordinate
  // system is not stored.
  explicit Camera(float aspect = 16.0f / 9.0f, float fov_vertical_deg = 45.0f, float near = 0.1f,
                  float far = 50.0f, CoordinateSystem* = nullptr);

  // Prints the new aspect; the fields of view stay as they are.
  void set_aspect(float aspect);
  // Each value is stored only when it is greater than 0.
  void init(float far, float near);

  // Horizontal, then vertical, in degrees.
  std::array<float, 2> fov() const { return fov_; }
  std::array<float, 2> fov_from_screen(float screen_width, float distance);
  void stereo_view(float eye_separation, float screen_width, float screen_distance);

  // gluPerspective on the current matrix.
  void apply_gl() const;
  // Multiplies the current matrix by the shift of the right (true) or left
  // eye; points on the screen plane keep their place in both eyes.
  void apply_stereo(bool right);
  // Row-major; transpose it for glLoadMatrixf.
  std::array<float, 16> perspective_matrix() const;

  float aspect() const { return aspect_; }
  float near() const { return near_; }
  float far() const { return far_; }
  float eye_separation() const { return eye_separation_; }
  float eye_offset() const { return eye_offset_; }
  float screen_distance() const { return screen_distance_; }
  // 0: both eyes move by half the separation; 1: only the right eye moves,
  // 2: only the left one, by the whole separation.
  int stereo_mode() const { return stereo_mode_; }
  void stereo_mode(int mode) { stereo_mode_ = mode; }

 private:
  float eye_separation_ = 0.001f;
  float eye_offset_ = 0.0f;
  float screen_distance_ = 180.0f;
  std::array<float, 2> fov_{};
  float near_;
  float far_;
  int stereo_mode_ = 0;
  float aspect_;
};

// A viewer pose and a camera, each borrowed or, given none, owned.
class Perspective {
 public:
  explicit Perspective(CoordinateSystem* pose = nullptr, Camera* camera = nullptr);

  Camera& camera() { return camera_.get(); }
  const Camera& camera() const { return camera_.get(); }
  CoordinateSystem& coord_sys() { return coord_sys_.get(); }
  const CoordinateSystem& coord_sys() const { return coord_sys_.get(); }

  // Loads the camera's projection into the projection matrix (left the
  // current mode); the pose is not applied.
  void apply_gl();

 private:
  Wrapper<CoordinateSystem> coord_sys_;
  Wrapper<Camera> camera_;
};
