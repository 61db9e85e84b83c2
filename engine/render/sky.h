// What is drawn behind the scene: a textured sky box, a sky sphere with an
// atmosphere shell and fog read from the "sky_box" settings, and a field of
// random stars with a graded atmosphere. None of them writes depth, and each
// leaves the depth mask as it found it. OpenGL work runs on the context's
// thread; no destructor deletes an OpenGL object.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/engine_settings.h"
#include "render/object_gl.h"
#include "render/program_gl.h"
#include "render/render_process.h"

// A textured sphere around the viewer.
class SkyBox {
 public:
  SkyBox() = default;

  // Builds the sphere, loads the texture (reporting a failure and going on)
  // and assembles the program. Returns the texture load result.
  int init(std::string file);
  // A pass that draws the box around the position the pointer shows at draw
  // time (null: where the current matrix stands). The pass refers to this
  // box and to the position: both must outlive it. Made after init.
  RenderProcess render_process(const float* position);

  static std::string vertex_source();
  static std::string fragment_source();

  int& resolution() { return resolution_; }
  std::array<float, 3>& scale() { return scale_; }
  GLuint texture() const { return texture_; }
  VAO& vao() { return vao_; }
  ProgramGL& program() { return program_; }

 private:
  int resolution_ = 8;  // 2n slices, n stacks
  std::array<float, 3> scale_{30, 30, 30};
  GLuint texture_ = 0;
  VAO vao_;
  ProgramGL program_;
};

// A textured sky sphere tinted towards the horizon, an atmosphere shell and
// the fixed-function fog.
class SkySphere {
 public:
  SkySphere() = default;

  // Reads the "sky_box" section (texture names, ground and fog colours, fog
  // density), writes the defaults of missing keys, saves the section, then
  // init(flag).
  void init(EngineSettings& settings, bool flag);
  // Loads the sky texture, assembles the program and builds the sphere.
  void init(bool flag);

  // Draws a VAO (null: the second extra VAO) with the sky program and a
  // texture (0: the sky texture), rotated by 90 degrees about x on request.
  // All attributes are restored.
  void render(VAO* vao, unsigned int texture, bool rotate);
  // The sphere around a point.
  void render(const std::array<float, 3>& position);
  // The atmosphere shell around a point, blended.
  void render_atmosphere(const std::array<float, 3>& position);
  // Sends the view matrix without its translation (elements 3, 7, 11 with
  // `row_major`, else 12 to 15) to "view_matrix" and draws the second extra VAO.
  void render(std::array<float, 16> view, bool row_major);
  // Exponential fog in the fog colour; none when its alpha is 0.
  void apply_fog_gl() const;

  std::string vertex_shader_source() const;
  static std::string fragment_shader_source();

  VAO& sphere() { return sphere_; }
  float& radius() { return radius_; }
  float& fog_density() { return fog_density_; }
  float fog_density() const { return fog_density_; }
  std::array<float, 3>& atmosphere_scale() { return atmosphere_scale_; }
  std::array<int, 2>& resolution() { return resolution_; }
  std::string& sky_texture() { return sky_texture_; }
  std::string& atmosphere_texture() { return atmosphere_texture_; }
  std::string& ground_texture() { return ground_texture_; }
  std::array<float, 4>& atm_color() { return atm_color_; }
  std::array<float, 4>& ground_color() { return ground_color_; }
  std::array<float, 4>& fog_color() { return fog_color_; }
  const std::array<float, 4>& fog_color() const { return fog_color_; }
  // Two VAOs for the using code to fill; render() without a VAO draws the second.
  std::array<VAO, 2>& extra_vaos() { return extra_vaos_; }
  GLuint& sky_texture_name() { return texture_names_[0]; }
  GLuint& atmosphere_texture_name() { return texture_names_[1]; }
  GLuint& ground_texture_name() { return texture_names_[2]; }
  ProgramGL& program() { return program_; }

 private:
  VAO sphere_;
  float radius_ = 35;
  float fog_density_ = 0.1f;
  std::array<float, 3> atmosphere_scale_{0.97f, 0.97f, 0.97f};
  std::array<int, 2> resolution_{32, 16};
  std::string sky_texture_ = "sky_box.png";
  std::string atmosphere_texture_ = "atmosphere.png";
  std::string ground_texture_ = "atmosphere_ground.png";
  std::array<float, 4> atm_color_{0.7f, 0.7f, 1.0f, 1.0f};
  std::array<float, 4> ground_color_{0.32f, 0.16f, 0.2f, 1.0f};
  std::array<float, 4> fog_color_{96.0f / 255.0f, 107.0f / 255.0f, 129.0f / 255.0f, 1.0f};
  std::array<VAO, 2> extra_vaos_;
  std::array<GLuint, 3> texture_names_{0, 0, 0};
  ProgramGL program_;
};

// Random stars on the unit sphere drawn as points, and a graded atmosphere
// sphere, both scaled around the viewer by render passes.
class Starfield {
 public:
  // Most stars init accepts.
  static constexpr unsigned int kMaxStars = 1u << 24;

  Starfield() = default;

  // `count` stars with uniformly random directions, each colour channel
  // between that of `low` and `high`, point sizes between sizes[0] and
  // sizes[1]; seeded afresh from run-time entropy. Prints the minimum,
  // maximum and mean of the directions. 0; -1 for more than kMaxStars stars
  // (nothing made); otherwise the number of programs that failed.
  int init(unsigned int count, std::array<float, 3> sizes, std::array<float, 4> low,
           std::array<float, 4> high);
  // Passes that draw the stars or the atmosphere around the position the
  // function gives at draw time (no function: where the matrix stands). They
  // refer to this star field, which must outlive them. Made after init.
  RenderProcess render_stars(std::function<std::array<float, 3>()> position);
  RenderProcess render_atm(std::function<std::array<float, 3>()> position);

  static std::string points_vertex_source();
  static std::string atm_vertex_source(std::array<float, 4> ground, std::array<float, 4> atmosphere,
                                       float exponent);
  static std::string atm_fragment_source();

  // The atmosphere's triangles in drawing order: those whose alpha is 1
  // everywhere first (opaque_vertices of their vertices), then those that
  // blend; those too faint to change a pixel are left out.
  struct AtmosphereTriangles {
    std::vector<float> vertices, normals, tex_coords;
    int opaque_vertices = 0;
  };
  static AtmosphereTriangles sort_atmosphere(const std::vector<float>& vertices,
                                             const std::vector<float>& normals,
                                             const std::vector<float>& tex_coords, float exponent);

  VAO& stars() { return stars_; }
  VAO& atmosphere() { return atmosphere_; }
  std::array<int, 2>& atm_resolution() { return atm_resolution_; }
  std::array<float, 3>& scale() { return scale_; }
  ProgramGL& stars_program() { return stars_program_; }
  ProgramGL& atm_program() { return atm_program_; }

 private:
  VAO stars_;
  VAO atmosphere_;
  // The atmosphere's alpha above the horizon: (1 - height)^kAtmExponent.
  static constexpr float kAtmExponent = 80.0f;

  std::array<int, 2> atm_resolution_{16, 8};
  std::array<float, 3> scale_{30, 30, 30};
  int atm_opaque_vertices_ = 0;
  ProgramGL stars_program_;
  ProgramGL atm_program_;
};
