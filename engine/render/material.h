// Fixed-function colour state: surface materials and lights. Plain copyable
// values; neither owns an OpenGL object.
#pragma once

#include <array>

#include "render/gl.h"

using Color4 = std::array<float, 4>;

class Material {
 public:
  Material() = default;

  // diffuse = (r, g, b, a); nothing else changes.
  void set_color(float r, float g, float b, float a);
  // diffuse = c; ambient = (c.rgb * ambient, 1); specular = (grey, grey, grey, 1);
  // emission = (c.rgb * emission, 0); shininess set.
  void set_color(const float* c, float ambient, float specular_grey, float emission,
                 float shininess);
  void set_amb(float factor, float alpha);
  void set_emiss(float factor, float alpha);
  void set_spec(float r, float g, float b, float a, float shininess);
  void set_spec(float grey, float alpha, float shininess);
  // The alpha used by colorGL and the alpha of all four colours.
  void set_alpha(float alpha);

  void enable() { enabled_ = true; }
  void disable() { enabled_ = false; }
  bool enabled() const { return enabled_; }

  Color4& diffuse() { return diffuse_; }
  const Color4& diffuse() const { return diffuse_; }
  Color4& ambient() { return ambient_; }
  const Color4& ambient() const { return ambient_; }
  Color4& specular() { return specular_; }
  const Color4& specular() const { return specular_; }
  Color4& emission() { return emission_; }
  const Color4& emission() const { return emission_; }
  float shininess() const { return shininess_; }
  void shininess(float s) { shininess_ = s; }
  float optical_density() const { return optical_density_; }
  void optical_density(float d) { optical_density_ = d; }
  float alpha() const { return alpha_; }
  GLenum face() const { return face_; }
  void face(GLenum f) { face_ = f; }

  // Sends the material when enabled: diffuse, emission and ambient carry the
  // material's alpha; shininess is clamped to 0..128 (NaN: 0).
  void colorGL() const;
  // Whether a surface drawn with this material, once colorGL() has sent it,
  // leaves the frame buffer exactly as it was in the current OpenGL state:
  // the material is enabled, on both faces and of alpha 0, and the state
  // lights it by the fixed function (no program, lighting on, colour
  // material off, a texture at most modulating), so every fragment has
  // alpha 0; the state blends by adding source alpha and one minus source
  // alpha (no logic op, alpha not forced to one), which keeps every colour;
  // and neither depth nor stencil is written. Reads the OpenGL state.
  bool leaves_no_trace() const;

 private:
  bool enabled_ = true;
  Color4 diffuse_{1, 1, 1, 1};
  Color4 ambient_{0, 0, 0, 0};
  Color4 specular_{0, 0, 0, 0};
  Color4 emission_{0, 0, 0, 0};
  float shininess_ = 0.0f;
  float optical_density_ = 1.0f;
  float alpha_ = 1.0f;
  GLenum face_ = GL_FRONT_AND_BACK;
};

// One fixed-function light (GL_LIGHT0 + n).
class kLight {
 public:
  kLight() : kLight(GL_LIGHT0, false) {}
  kLight(long id, bool directional);

  long id() const { return id_; }
  bool directional() const { return directional_; }
  bool enabled() const { return enabled_; }
  void enabled(bool b) { enabled_ = b; }

  // Switches the light by its flag, sends the colours and the position.
  void initGL();
  void enable_gl() const;
  void apply_pos_gl() const;
  void apply_attenuation_gl() const;
  // Ambient unscaled; diffuse and specular rgb scaled by the brightness.
  void apply_colors_gl() const;

  float brightness() const { return brightness_; }
  void brightness(float b);

  // xyz from the arguments; w is 0 for a directional light, 1 otherwise.
  void set_position(float x, float y, float z, float w = 1.0f);
  void set_position(const std::array<float, 4>& p);
  void set_position(const float* p);
  const float* position() const { return position_.data(); }

  std::array<float, 3>& attenuation() { return attenuation_; }
  const std::array<float, 3>& attenuation() const { return attenuation_; }
  Color4& ambient() { return ambient_; }
  const Color4& ambient() const { return ambient_; }
  const Color4& color() const { return colour_; }
  const Color4& diffuse() const { return diffuse_; }
  const Color4& specular() const { return specular_; }

  // colour = diffuse = c; specular = c * specular; ambient = c * ambient; then sent.
  void set_color(const float* c, float specular, float ambient);
  void set_color(const Color4& c, float specular, float ambient);
  // colour = diffuse = specular = (r, g, b, a); ambient 0; then sent.
  void set_color(float r, float g, float b, float a, float unused = 0.0f);
  Color4 get_color() const { return diffuse_; }

 private:
  bool directional_;
  bool enabled_ = true;
  std::array<float, 3> attenuation_{0, 0, 1};
  Color4 ambient_{0, 0, 0, 0};
  Color4 position_;
  float brightness_ = 1.0f;
  long id_;
  Color4 colour_{1, 1, 1, 1};
  Color4 diffuse_{1, 1, 1, 1};
  Color4 specular_{1, 1, 1, 1};
};
