// The player's body.
#include "engine/walking.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "render/gl.h"

namespace {

bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The rotation m with m^T a = b (rows of a rotation are its frame's axes):
// turning a frame a in its own axes by m (CoordinateSystem::rotate_local)
// gives b. m = a b^T.
Mat3 relative_rotation(const Mat3& a, const Mat3& b) {
  Mat3 m{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) m[3 * i + j] += a[3 * i + k] * b[3 * j + k];
  return m;
}

}  // namespace

Walking::Walking(std::string name)
    : PhysObj(nullptr, std::move(name)),
      look_(nullptr, 0.005f, 4.0f),
      last_stick_time_(clock_->now()) {
  mass = 86.6361427;
  max_speed = 2.25f;
  radius = 0.25;
  if (has_up_axis()) PhysObj::position[up_axis] = stand_height;
  PhysObj::position[0] = -2.0f;
  if (has_up_axis()) PhysObj::velocity[up_axis] = 0.0f;
}

void Walking::frame_clock(FrameClock* clock) {
  clock_ = clock ? clock : &FrameClock::steady();
  last_stick_time_ = clock_->now();
}

void Walking::ctl_input(const float* direction, bool level) {
  if (norm(PhysObj::velocity) < stop_speed) PhysObj::velocity = {0.0f, 0.0f, 0.0f};
  if (!direction) return;
  Vec3 u = to_vec3(direction);
  if (level && has_up_axis()) u[up_axis] = 0.0f;
  u = normalized(u);
  if (!finite(u)) return;
  Vec3 f = u * static_cast<float>(walk_accel * mass);
  if (!finite(f)) return;
  if (arena_radius != 0.0f) {
    arena_radius_filter(f);
    if (!finite(f)) return;
  }
  applied_force = f;
  if (norm(f) / mass >= min_accel) {
    AddLinearForce(f);
    if (walk_speed > 0.0f) {
      PhysObj::velocity = normalized(f) * walk_speed;
      applied_force = PhysObj::velocity;
    }
  }
}

float Walking::radius_filter_function(float r) const {
  const float k = 1.0f - std::exp((r - arena_radius) / arena_margin);
  if (!(k > 0.0f)) return 0.0f;
  return std::min(k, 1.0f);
}

float Walking::arena_radius_filter(std::array<float, 3>& force) {
  if (arena_radius == 0.0f) return 1.0f;
  const float distance = norm(PhysObj::position);
  const Vec3 outward = PhysObj::position / distance;
  const float a = dot(force, outward);
  if (!(a >= 0.0f)) return 1.0f;  // inward, or at the centre
  const float k = radius_filter_function(distance);
  force = force - outward * a + outward * (a * k);
  return k;
}

void Walking::drag_forces() {
  const float speed = norm(PhysObj::velocity);
  const double k = gravity * mass * friction / speed;
  if (!std::isfinite(k)) return;
  for (std::size_t i = 0; i < 3; ++i)
    applied_force[i] = static_cast<float>(-PhysObj::velocity[i] * k);
  AddLinearForce(applied_force);
}

int Walking::joystick_rotate(const Joystick& pad, const CoordinateSystem* reference,
                             CoordinateSystem* target, bool* invert, bool verbose) {
  CoordinateSystem* turned = target ? target : &look_.coord_sys();
  const double now = clock_->now();
  const double dt = std::clamp(now - last_stick_time_, 0.0, kMaxStickStep);
  last_stick_time_ = now;
  if (pad.num_axes() == 0) return 0;
  const int stick = std::min(1, pad.num_axes() - 1);
  const Vec3 d = pad.scaled_direction(stick, verbose);
  if (norm(d) == 0.0f) return 0;
  look_.apply_steady_mode(false);
  const Vec3 speed = look_.get_rot_speed();
  float turn[2] = {static_cast<float>(d[0] * speed[0] * dt),
                   static_cast<float>(d[1] * speed[1] * dt)};
  if (invert && invert[0]) turn[0] = -turn[0];
  if (invert && invert[1]) turn[1] = -turn[1];
  if (!target && reference) {
    // The own look holds a turn relative to the reference (the engine applies
    // it to its view and clears it). The elevation limits hold for the view
    // the reference and the look make together: the turn is applied to that
    // view and the look keeps the turn relative to the reference.
    CoordinateSystem view;
    view.set_rotation(reference->rotation());
    view.rotate_local(turned->rotation().data());
    look_.apply_mouse_motion(&pad.axis(stick), turn, reference, &view, 1, verbose);
    turned->set_rotation(relative_rotation(reference->rotation(), view.rotation()));
  } else {
    look_.apply_mouse_motion(&pad.axis(stick), turn, reference, turned, 1, verbose);
  }
  if (verbose) {
    const Vec3& ax = pad.axis(stick).pos();
    std::cout << "rhs joystick: "
              << "ax = " << ax[0] << ", " << ax[1] << ", delta: " << turn[0] << ", " << turn[1]
              << ", dt: " << dt << ", rot_speed = " << speed << std::endl;
  }
  return -1;
}

void Walking::stand(EventQueue* queue, double duration, bool restart) {
  if (duration == 0.0 || !queue || !has_up_axis()) {
    if (has_up_axis()) PhysObj::position[up_axis] = stand_height;
    return;
  }
  BezierFaderBuffered<float>* running = stand_fader_.event.get();
  const bool may_start = !running || running->stop_called() || restart;
  float& height = PhysObj::position[up_axis];
  if (!may_start || !(std::fabs(height - stand_height) >= 1.1920929e-05f)) return;
  if (running && queue->active(running)) return;
  const float start = height;
  // The old fader leaves its queue as it is destroyed.
  stand_fader_.event = std::make_unique<BezierFaderBuffered<float>>(
      1, &height, &start, &stand_height, queue->time(), duration, "BezierFaderBuffered");
  queue->add(stand_fader_.event.get());
}

void Walking::stand_still() {
  PhysObj::velocity = {0.0f, 0.0f, 0.0f};
  ClearLinearForces();
}

bool Walking::walking() const {
  return norm(PhysObj::velocity) > moving_speed;
}

bool Walking::ValidPoint(const float* p) const {
  Vec3 d = to_vec3(p) - PhysObj::position;
  if (has_up_axis()) d[up_axis] = 0.0f;
  return norm(d) < radius;
}

std::array<float, 3> Walking::up_dir() const {
  std::array<float, 3> u{0.0f, 0.0f, 0.0f};
  u[has_up_axis() ? up_axis : 1] = 1.0f;
  return u;
}

void Walking::draw(bool local) const {
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
  glLineWidth(3.0f);
  glDisable(GL_LIGHTING);
  const Vec3& to = local ? input_local : input_global;
  GLint mode = GL_MODELVIEW;
  if (local) {
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -2.0f);
  }
  glBegin(GL_LINES);
  glVertex3f(0.0f, 0.0f, 0.0f);
  glVertex3fv(to.data());
  glEnd();
  if (local) {
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
  }
  glPopAttrib();
}
