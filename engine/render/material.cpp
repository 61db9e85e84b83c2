// Materials and lights sent to fixed-function OpenGL.
#include "render/material.h"

#include <algorithm>
#include <cmath>
#include <iostream>

void Material::set_color(float r, float g, float b, float a) {
  diffuse_ = {r, g, b, a};
}

void Material::set_color(const float* c, float ambient, float grey, float emission,
                         float shininess) {
  diffuse_ = {c[0], c[1], c[2], c[3]};
  ambient_ = {c[0] * ambient, c[1] * ambient, c[2] * ambient, 1.0f};
  specular_ = {grey, grey, grey, 1.0f};
  emission_ = {c[0] * emission, c[1] * emission, c[2] * emission, 0.0f};
  shininess_ = shininess;
}

void Material::set_amb(float f, float alpha) {
  ambient_ = {diffuse_[0] * f, diffuse_[1] * f, diffuse_[2] * f, alpha};
}

void Material::set_emiss(float f, float alpha) {
  emission_ = {diffuse_[0] * f, diffuse_[1] * f, diffuse_[2] * f, alpha};
}

void Material::set_spec(float r, float g, float b, float a, float shininess) {
  specular_ = {r, g, b, a};
  shininess_ = shininess;
}

void Material::set_spec(float grey, float alpha, float shininess) {
  specular_ = {grey, grey, grey, alpha};
  shininess_ = shininess;
}

void Material::set_alpha(float alpha) {
  alpha_ = alpha;
  diffuse_[3] = ambient_[3] = specular_[3] = emission_[3] = alpha;
}

void Material::colorGL() const {
  if (!enabled_) return;
  Color4 diffuse = diffuse_, emission = emission_, ambient = ambient_;
  diffuse[3] = emission[3] = ambient[3] = alpha_;
  const float shininess = std::min(shininess_ > 0.0f ? shininess_ : 0.0f, 128.0f);
  glMaterialfv(face_, GL_DIFFUSE, diffuse.data());
  glMaterialfv(face_, GL_SPECULAR, specular_.data());
  glMaterialf(face_, GL_SHININESS, shininess);
  glMaterialfv(face_, GL_EMISSION, emission.data());
  glMaterialfv(face_, GL_AMBIENT, ambient.data());
}

bool Material::leaves_no_trace() const {
  if (!enabled_ || alpha_ != 0.0f || face_ != GL_FRONT_AND_BACK) return false;
  const auto integer = [](GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
  };
  // The fragment's alpha is the lit diffuse alpha, 0, at most multiplied by
  // a texture's.
  const bool alpha_zero = integer(GL_CURRENT_PROGRAM) == 0 && glIsEnabled(GL_LIGHTING) &&
                          !glIsEnabled(GL_COLOR_MATERIAL) &&
                          integer(GL_ACTIVE_TEXTURE) == GL_TEXTURE0 &&
                          [] {
                            GLint mode = 0;
                            glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
                            return mode == GL_MODULATE;
                          }() &&
                          !glIsEnabled(GL_SAMPLE_ALPHA_TO_ONE);
  // Such a fragment blends to the colour that is there, and writes nothing
  // else.
  const bool kept = glIsEnabled(GL_BLEND) && !glIsEnabled(GL_COLOR_LOGIC_OP) &&
                    integer(GL_BLEND_SRC_RGB) == GL_SRC_ALPHA &&
                    integer(GL_BLEND_SRC_ALPHA) == GL_SRC_ALPHA &&
                    integer(GL_BLEND_DST_RGB) == GL_ONE_MINUS_SRC_ALPHA &&
                    integer(GL_BLEND_DST_ALPHA) == GL_ONE_MINUS_SRC_ALPHA &&
                    integer(GL_BLEND_EQUATION_RGB) == GL_FUNC_ADD &&
                    integer(GL_BLEND_EQUATION_ALPHA) == GL_FUNC_ADD;
  const bool depth_kept = !glIsEnabled(GL_DEPTH_TEST) || integer(GL_DEPTH_WRITEMASK) == GL_FALSE;
  return alpha_zero && kept && depth_kept && !glIsEnabled(GL_STENCIL_TEST);
}

kLight::kLight(long id, bool directional)
    : directional_(directional), position_{0, 0, 0, directional ? 0.0f : 1.0f}, id_(id) {
  std::cout << "kLight(): id__ = " << id_ << ", id_=" << id_ << std::endl;
}

void kLight::initGL() {
  enable_gl();
  apply_colors_gl();
  apply_pos_gl();
}

void kLight::enable_gl() const {
  if (enabled_)
    glEnable(static_cast<GLenum>(id_));
  else
    glDisable(static_cast<GLenum>(id_));
}

void kLight::apply_pos_gl() const {
  glLightfv(static_cast<GLenum>(id_), GL_POSITION, position_.data());
}

void kLight::apply_attenuation_gl() const {
  const GLenum light = static_cast<GLenum>(id_);
  glLightf(light, GL_CONSTANT_ATTENUATION, attenuation_[0]);
  glLightf(light, GL_LINEAR_ATTENUATION, attenuation_[1]);
  glLightf(light, GL_QUADRATIC_ATTENUATION, attenuation_[2]);
}

void kLight::apply_colors_gl() const {
  const GLenum light = static_cast<GLenum>(id_);
  glLightfv(light, GL_AMBIENT, ambient_.data());
  Color4 diffuse = diffuse_, specular = specular_;
  if (!(brightness_ == 1.0f)) {
    for (int i = 0; i < 3; ++i) {
      diffuse[i] *= brightness_;
      specular[i] *= brightness_;
    }
  }
  glLightfv(light, GL_DIFFUSE, diffuse.data());
  glLightfv(light, GL_SPECULAR, specular.data());
}

void kLight::brightness(float b) {
  brightness_ = b;
  apply_colors_gl();
}

void kLight::set_position(float x, float y, float z, float) {
  position_ = {x, y, z, directional_ ? 0.0f : 1.0f};
}

void kLight::set_position(const std::array<float, 4>& p) {
  set_position(p[0], p[1], p[2]);
}

void kLight::set_position(const float* p) {
  if (!p)
    set_position(0.0f, 0.0f, 0.0f);
  else
    set_position(p[0], p[1], p[2]);
}

void kLight::set_color(const float* c, float specular, float ambient) {
  colour_ = diffuse_ = {c[0], c[1], c[2], c[3]};
  for (int i = 0; i < 4; ++i) {
    specular_[i] = c[i] * specular;
    ambient_[i] = c[i] * ambient;
  }
  apply_colors_gl();
}

void kLight::set_color(const Color4& c, float specular, float ambient) {
  set_color(c.data(), specular, ambient);
}

void kLight::set_color(float r, float g, float b, float a, float) {
  colour_ = diffuse_ = specular_ = {r, g, b, a};
  ambient_ = {0, 0, 0, 0};
  apply_colors_gl();
}
