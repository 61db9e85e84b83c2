#include "game/table/pocket.h"

#include "game/table/detail_level.h"
#include "render/gl.h"

Pocket::Pocket(ParameterizedGeometry* geometry) : GeomObj(geometry) {
  frozen = true;
  material.set_color(0.0f, 0.0f, 0.0f, 1.0f);
  material.set_spec(0.0f, 0.0f, 0.0f);
}

bool Pocket::ValidPoint(const float* p) const {
  return norm(to_vec3(p) - position) > radius;
}

void Pocket::set_observer(const float* observer, const float*) {
  if (!observer) return;
  const float distance = norm(position - to_vec3(observer));
  set_detail_level(geometry().spheres(), radius / distance);
}

void Pocket::draw() {
  glPushMatrix();
  glPushAttrib(GL_LIGHTING_BIT);
  glTranslatef(position[0], position[1], position[2]);
  coord_sys().apply_rotation_gl(true);
  glScalef(radius, radius, radius);
  if (material.enabled()) material.colorGL();
  geometry().spheres().draw();
  glPopAttrib();
  glPopMatrix();
}
