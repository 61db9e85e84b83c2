#include "game/shot/cue_stick.h"

#include <utility>

#include "game/table/detail_level.h"
#include "input/frame_clock.h"
#include "render/gl.h"

CueStick::CueStick(ParameterizedGeometry* geometry, Clock c, EventQueue* queue)
    : PhysObj(nullptr), GeomObj(geometry), clock(std::move(c)) {
  label->frame().queue(queue);
  if (!clock) clock = [] { return FrameClock::steady().now(); };
  tip_buffer.keep_velocities = true;
  for (PoseBuffer* b : {&buffers[0], &buffers[1], &tip_buffer}) b->min_interval = 1.0 / 30.0;
}

void CueStick::init() {
  end_a = end_b = tip = {0, 0, 0};
  butt_radius = 0.0127f;
  tip_radius = 0.0065f;
  colour = {1.0f, 1.0f, 1.0f, 1.0f};
  const float wood[4] = {0.4f, 0.4f, 0.1f, 1.0f};
  material.set_color(wood, 0.1f, 1.0f, 0.05f, 50.0f);
  label->frame().text_size(0.04f, true);
  label->follow_player(0);
  // Once: a second init keeps the one line.
  if (label->text_frames().empty()) label->add_text("Cue stick", false);
  label->frame().disable();
}

void CueStick::set_observer(const float* observer, const float*) {
  const float distance = coord_sys().distance(observer);
  set_detail_level(shaft, 0.5f * (tip_radius + size) / distance);
}

void CueStick::set_pose(const float* new_a, const float* new_b, const float* reference,
                        bool order_by_reference) {
  if (new_a) end_a = to_vec3(new_a);
  if (new_b) end_b = to_vec3(new_b);
  if (order_by_reference && reference) {
    const Vec3 r = to_vec3(reference);
    if (norm(end_b - r) < norm(end_a - r)) std::swap(end_a, end_b);
  }
  const double t = clock();
  buffers[0].add(t, end_a);
  buffers[1].add(t, end_b);
  const Vec3 up{0, 1, 0};
  CoordinateSystem& cs = coord_sys();
  cs.look_at(end_b.data(), end_a.data(), up.data(), true);
  position = cs.position();
  previous_time = last_time;
  last_time = t;
  tip = cs.position() + cs.zhat_array(false) * length;
  tip_buffer.add(last_time, tip);
}

void CueStick::draw() {
  if (!visible) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushMatrix();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  coord_sys().apply_gl(true, false);
  model.render_opaque(true);
  glPopMatrix();
  glPopAttrib();
}
