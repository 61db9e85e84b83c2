#include "game/table/ball.h"

#include "game/table/detail_level.h"
#include "render/gl.h"
#include "ui/dialog.h"

Ball::Ball(ParameterizedGeometry* geometry) : PhysObj(nullptr, ""), GeomObj(geometry) {
  PhysObj::radius = radius;
  const double r = radius;
  inertia = 0.4 * mass * r * r;
}

bool Ball::ValidPoint(const float* p) const {
  return norm(to_vec3(p) - position) > radius;
}

void Ball::stop() {
  velocity = {0.0f, 0.0f, 0.0f};
  angular_velocity = {0.0f, 0.0f, 0.0f};
  ClearForces();
}

void Ball::init() {
  material.set_spec(1.0f, 1.0f, 150.0f);
  material.enable();
  material.set_amb(0.2f, 1.0f);
  enable_update(true);
  if (label) init_label(*label);
}

void Ball::init_label(Dialog& label) {
  TextFrame& frame = label.frame();
  frame.text_size(0.04f, true);
  frame.bg_color()[3] = 0.0f;
  frame.text_style().line_width(2.0f);
  // The line copies the frame's size, stroke and background.
  if (label.text_frames().empty())
    label.add_text("Ball", false);
  else
    label.set_text("Ball", 0);
  label.follow_player(0);
  label.enable(false);
}

void Ball::set_observer(const float* observer, const float*) {
  const float distance = observer ? norm(position - to_vec3(observer)) : norm(position);
  const float ratio = radius / distance;
  set_detail_level(geometry().spheres(), ratio);
  if (sphere_set) set_detail_level(*sphere_set, ratio);
}

void Ball::draw_with(const std::function<void()>& draw_sphere) {
  glPushMatrix();
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_LIGHTING_BIT);
  glTranslatef(position[0], position[1], position[2]);
  coord_sys().apply_rotation_gl(true);
  if (texture != 0) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  if (material.enabled()) material.colorGL();
  if (draw_sphere)
    draw_sphere();
  else if (sphere_set)
    sphere_set->draw();
  else
    geometry().spheres().draw();
  glPopAttrib();
  glPopMatrix();
}
