#include "game/app/aim_guide.h"

#include <algorithm>
#include <cmath>

#include "core/intersections.h"
#include "game/scene/pass_state.h"
#include "game/table/angle.h"
#include "input/frame_clock.h"
#include "render/gl.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

// centre + m (p - centre), m applied to the column vector.
Vec3 rotate_about(const Mat3& m, const Vec3& centre, const Vec3& p) {
  const Vec3 offset = p - centre;
  Vec3 turned;
  rotate_vector(m.data(), offset.data(), turned.data());
  return centre + turned;
}

void vertex(const Vec3& p, const DrawStyle::Color& c, float alpha) {
  glColor4f(c[0], c[1], c[2], alpha);
  glVertex3fv(p.data());
}

}  // namespace

AimGuide::AimGuide(CueStick* c, Clock clk)
    : cue(c), clock(std::move(clk)), own_ball_(std::make_unique<Ball>()) {
  if (!clock) clock = [] { return FrameClock::steady().now(); };
  ball = own_ball_.get();
  style.line_color(0.5f, 0.5f, 1.0f, 0.3f);
  last_update_ = clock();
}

void AimGuide::aim_at(Ball* cue_ball) {
  ball = cue_ball ? cue_ball : own_ball_.get();
}

void AimGuide::init_buffers() {
  const float corners[9] = {0, 0, 0, 1, 0, 1, -1, 0, 1};
  const DrawStyle::Color& c = style.line_color();
  float rgba[12];
  for (int v = 0; v < 3; ++v)
    for (int k = 0; k < 4; ++k) rgba[4 * v + k] = c[k];
  rgba[7] = rgba[11] = 0.0f;
  GLint bound = 0;
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
  positions.transfer(corners, sizeof corners, GL_STREAM_DRAW);
  colours.transfer(rgba, sizeof rgba, GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(bound));
}

void AimGuide::update() {
  const double now = clock();
  if (now - last_update_ < min_interval) return;
  last_update_ = now;
  if (!cue || !ball) {
    hit = false;
    return;
  }
  tip = cue->tip_buffer.latest();
  const Vec3 dir = cue->coord_sys().zhat_array(false);
  const Vec3 centre = ball->position;
  int status = 0;
  const float d =
      ray_sphere_intersection(tip.data(), dir.data(), centre.data(), &status, ball->radius, true);
  if (status != 0 || !std::isfinite(d) || d < 0.0f || d > max_distance) {
    hit = false;
    return;
  }
  const Vec3 at = tip + dir * d;
  const Vec3 to_centre = centre - at;
  const float r = norm(to_centre);
  if (!(r > 0.0f) || !std::isfinite(r)) {
    hit = false;
    return;
  }
  hit = true;
  contact = at;
  const Vec3 n = to_centre / r;
  cut_angle = angle_between(dir, n, 0.0f);
  far_point = contact + n * length;
  if (cut_angle <= 0.0) return;  // a full hit keeps the previous edges
  Vec3 axis = cross(n, dir);
  const float axis_length = norm(axis);
  if (!(axis_length > 0.0f)) {
    cut_angle = 0.0;
    edge_a = edge_b = far_point;
    return;
  }
  axis = axis / axis_length;
  const float cut = static_cast<float>(cut_angle);
  const float a = cut - std::max(0.0f, (1.0f - spread) * cut);
  const float b = cut - std::min((1.0f + spread) * cut, kHalfPi);
  edge_a = rotate_about(rodrigues_rad(a, axis.data()), centre, far_point);
  edge_b = rotate_about(rodrigues_rad(b, axis.data()), centre, far_point);
}

void AimGuide::tick(bool allowed) {
  if (!allowed) {
    hit = false;
    return;
  }
  update();
}

void AimGuide::draw() const {
  if (!hit) return;
  const DrawStyle::Color& c = style.line_color();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  set_blended_untextured();
  glLineWidth(style.line_width());
  glBegin(GL_LINE_STRIP);
  vertex(tip, c, c[3]);
  vertex(contact, c, c[3]);
  vertex(far_point, c, 0.0f);
  glEnd();
  if (cut_angle > 0.0 && ball) {
    glDisable(GL_CULL_FACE);
    glBegin(GL_TRIANGLE_FAN);
    vertex(ball->position, c, c[3]);
    vertex(edge_a, c, 0.0f);
    vertex(far_point, c, c[3]);
    vertex(edge_b, c, 0.0f);
    glEnd();
  }
  glPopAttrib();
}
