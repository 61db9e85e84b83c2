// Cameras and perspectives.
#include "render/camera.h"

#include <cmath>
#include <iostream>

#include "render/gl.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double degrees(double rad) {
  return rad * 180.0 / kPi;
}

// 2 atan(tan(vertical / 2) * aspect), in degrees.
float horizontal_from_vertical(float vertical_deg, float aspect) {
  return static_cast<float>(
      degrees(2.0 * std::atan(std::tan(vertical_deg * kPi / 360.0) * aspect)));
}

}  // namespace

Camera::Camera(float aspect, float fov_vertical_deg, float near, float far, CoordinateSystem*)
    : near_(near), far_(far), aspect_(aspect) {
  if (fov_vertical_deg == 0.0f) {
    fov_[0] = 36.869900f;
    fov_[1] = static_cast<float>(degrees(2.0 * std::atan((1.0 / 3.0) / aspect)));
  } else {
    fov_[1] = fov_vertical_deg;
    fov_[0] = horizontal_from_vertical(fov_vertical_deg, aspect);
  }
}

void Camera::set_aspect(float aspect) {
  std::cout << "Camera::set_aspect(" << aspect << ")" << std::endl;
  aspect_ = aspect;
}

void Camera::init(float far, float near) {
  if (far > 0) far_ = far;
  if (near > 0) near_ = near;
}

std::array<float, 2> Camera::fov_from_screen(float screen_width, float distance) {
  fov_[0] = static_cast<float>(degrees(2.0 * std::atan(screen_width / (2.0 * distance))));
  fov_[1] = static_cast<float>(degrees(2.0 * std::atan(screen_width / (aspect_ * 2.0 * distance))));
  return fov_;
}

void Camera::stereo_view(float eye_separation, float screen_width, float screen_distance) {
  eye_separation_ = eye_separation;
  screen_distance_ = screen_distance;
  fov_from_screen(screen_width, screen_distance);
}

void Camera::apply_gl() const {
  gluPerspective(fov_[1], aspect_, near_, far_);
}

void Camera::apply_stereo(bool right) {
  float offset;
  if (right) {
    if (stereo_mode_ == 2) return;
    offset = stereo_mode_ == 0 ? eye_separation_ * 0.5f : eye_separation_;
  } else {
    if (stereo_mode_ == 1) return;
    offset = stereo_mode_ == 0 ? eye_separation_ * -0.5f : -eye_separation_;
  }
  eye_offset_ = offset;
  // Column-major: x' = x + z offset / distance + w offset.
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  m[8] = offset / screen_distance_;
  m[12] = offset;
  glMultMatrixf(m);
}

std::array<float, 16> Camera::perspective_matrix() const {
  const float t = std::tan(static_cast<float>(fov_[1] * (kPi / 360.0)));
  const float n = near_, f = far_;
  return {1.0f / (aspect_ * t),
          0,
          0,
          0,  //
          0,
          1.0f / t,
          0,
          0,  //
          0,
          0,
          -(f + n) / (f - n),
          -2.0f * f * n / (f - n),  //
          0,
          0,
          -1,
          0};
}

Perspective::Perspective(CoordinateSystem* pose, Camera* camera)
    : coord_sys_(pose), camera_(camera) {}

void Perspective::apply_gl() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  camera_.get().apply_gl();
}
