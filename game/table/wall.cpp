#include "game/table/wall.h"

#include <algorithm>
#include <iostream>

#include "game/table/detail_level.h"
#include "render/gl.h"

Wall::Wall(ParameterizedGeometry* geometry) : GeomObj(geometry) {
  mass = 100.0;
  frozen = true;
}

bool Wall::ValidPoint(const float* p) const {
  const Vec3 d = to_vec3(p) - position;
  return dot(d.data(), coord_sys().zhat()) < 0.0f;
}

void Wall::set_observer(const float* observer, const float*) {
  if (!observer) return;
  const float distance = norm(position - to_vec3(observer));
  set_detail_level(geometry().quads(), std::max(width, height) / distance);
}

void Wall::draw() {
  GLenum error = glGetError();
  if (error) std::cerr << "Wall::draw() pre-error " << gl_error_string(error) << std::endl;
  glPushMatrix();
  glPushAttrib(GL_LIGHTING_BIT);
  glTranslatef(position[0], position[1], position[2]);
  coord_sys().apply_rotation_gl(true);
  error = glGetError();
  if (error)
    std::cerr << "Wall::draw() coord_sys().apply_rotation_gl error " << gl_error_string(error)
              << std::endl;
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  if (material.enabled()) material.colorGL();
  error = glGetError();
  if (error) std::cerr << "Wall::draw() Material::colorGL error " << error << std::endl;
  glScalef(width, height, 1.0f);
  geometry().quads().draw();
  error = glGetError();
  if (error) std::cerr << "Wall::draw() draw_vbo() error " << error << std::endl;
  glPopAttrib();
  glPopMatrix();
}
