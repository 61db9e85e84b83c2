// Sky box, sky sphere and star field.
#include "render/sky.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <pcg_random.hpp>
#include <random>
#include <sstream>

#include "core/random_seed.h"
#include "core/vector_math.h"
#include "render/gl.h"
#include "render/primitives.h"
#include "render/texture.h"

namespace {

// Loads a texture file into a new OpenGL texture without keeping the pixels;
// the name stays 0 when the load fails.
int load_texture(const std::string& file, GLuint& name) {
  Texture texture;
  const int result = texture.load(file, true, true, false);
  name = result == 0 ? texture.id() : 0;
  return result;
}

// "a,b,c,d" in the default stream formatting of floats.
std::string glsl_values(const std::array<float, 4>& c) {
  std::ostringstream out;
  out << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
  return out.str();
}

// The state every background pass starts its drawing from: no fog, no
// lighting, depth tested but never written.
void background_state() {
  glDisable(GL_FOG);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);
  glEnable(GL_DEPTH_TEST);
}

void alpha_blending() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// A pass of a background program that saves all attributes and the matrix.
RenderProcess background_pass(unsigned int program, std::function<void()> draw) {
  RenderProcess pass;
  pass.program = program;
  pass.push_matrix = 1;
  pass.draw = std::move(draw);
  return pass;
}

void translate_to(const std::function<std::array<float, 3>()>& position) {
  if (!position) return;
  const std::array<float, 3> p = position();
  glTranslatef(p[0], p[1], p[2]);
}

}  // namespace

int SkyBox::init(std::string file) {
  SolidSphere sphere(1.0f);
  sphere.construct(static_cast<unsigned int>(2 * resolution_),
                   static_cast<unsigned int>(resolution_));
  vao_.mode().mode = GL_TRIANGLES;
  vao_.construct(Quad::to_triangles(sphere.vertices(), 3, 0), {},
                 Quad::to_triangles(sphere.tex_coords(), 2, 0), 0, -1, 1, 3, 3, 2);

  const int result = load_texture(file, texture_);
  if (result != 0) std::cerr << "Error loading sky texture " << file << std::endl;
  if (program_.assemble(vertex_source(), fragment_source(), true) != 0)
    std::cerr << "Error in sky program " << std::endl;
  return result;
}

RenderProcess SkyBox::render_process(const float* position) {
  return background_pass(program_.id(), [this, position] {
    if (position) glTranslatef(position[0], position[1], position[2]);
    background_state();
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glScalef(scale_[0], scale_[1], scale_[2]);
    vao_.draw_arrays();
  });
}

std::string SkyBox::vertex_source() {
  return "#version 450 compatibility\n"
         "layout(location = 0) in vec4 position;\n"
         "layout(location = 1) in vec2 v2UVcoordsIn;\n"
         "out gl_PerVertex\n{\n\tvec4 gl_Position;\n\tvec4 gl_TexCoord[1];\n};\n"
         "void main()\n{\n"
         "\tgl_Position = gl_ModelViewProjectionMatrix * position;\n"
         "\tgl_TexCoord[0].xy = v2UVcoordsIn;\n"
         "}\n";
}

std::string SkyBox::fragment_source() {
  return "#version 450 compatibility\n"
         "uniform sampler2D mytexture;\n"
         "void main()\n{\n"
         "\tgl_FragColor = texture(mytexture, gl_TexCoord[0].xy);\n"
         "}\n";
}

void SkySphere::init(EngineSettings& settings, bool flag) {
  settings.load_section("sky_box");
  ProgramCfg& cfg = settings["sky_box"];
  const auto texture_setting = [&](const char* key, const char* fallback, std::string& field) {
    if (!cfg.contains(key)) cfg[key] = fallback;
    field = settings.find_texture(cfg[key].str());
  };
  texture_setting("sky_texture", "sky_box.png", sky_texture_);
  texture_setting("atmosphere_texture", "atmosphere.png", atmosphere_texture_);
  texture_setting("atmosphere_ground_texture", "atmosphere_ground.png", ground_texture_);
  const auto color_setting = [&](const char* key, std::array<float, 4>& color) {
    if (!cfg.contains(key))
      cfg[key] = color;
    else
      color = cfg[key];
  };
  color_setting("ground_color", ground_color_);
  color_setting("fog_color", fog_color_);
  if (!cfg.contains("fog_density"))
    cfg["fog_density"] = fog_density_;
  else
    fog_density_ = cfg["fog_density"];
  settings.save_section("sky_box");
  init(flag);
}

void SkySphere::init(bool) {
  load_texture(sky_texture_, texture_names_[0]);
  if (const int code = program_.assemble(vertex_shader_source(), fragment_shader_source(), true))
    std::cerr << "Error " << code << " in assemble() " << std::endl;

  SolidSphere2 sphere;
  sphere.radius() = radius_;
  sphere.construct(static_cast<unsigned int>(resolution_[0]),
                   static_cast<unsigned int>(resolution_[1]));
  sphere_.construct(sphere.vertices(), {}, sphere.tex_coords(), 0, -1, 1, 3, 3, 2);
  sphere_.mode().mode = GL_TRIANGLES;
}

void SkySphere::render(VAO* vao, unsigned int texture, bool rotate) {
  glPushAttrib(0xFFFFF);
  glDisable(GL_CULL_FACE);
  background_state();
  glEnable(GL_TEXTURE_2D);
  alpha_blending();
  glBindTexture(GL_TEXTURE_2D, texture ? texture : texture_names_[0]);
  if (rotate) {
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  }
  glUseProgram(program_.id());
  (vao ? *vao : extra_vaos_[1]).draw_arrays();
  glUseProgram(0);
  if (rotate) glPopMatrix();
  glPopAttrib();
}

void SkySphere::render(const std::array<float, 3>& position) {
  glPushMatrix();
  glTranslatef(position[0], position[1], position[2]);
  render(&sphere_, texture_names_[0], false);
  glPopMatrix();
}

void SkySphere::render_atmosphere(const std::array<float, 3>& position) {
  glPushAttrib(0xFFFFF);
  alpha_blending();
  glDepthMask(GL_FALSE);
  glEnable(GL_DEPTH_TEST);
  glPushMatrix();
  glTranslatef(position[0], position[1], position[2]);
  glScalef(atmosphere_scale_[0], atmosphere_scale_[1], atmosphere_scale_[2]);
  render(&sphere_, texture_names_[1], false);
  glPopMatrix();
  glPopAttrib();
}

void SkySphere::render(std::array<float, 16> view, bool row_major) {
  if (row_major)
    view[3] = view[7] = view[11] = 0.0f;
  else
    view[12] = view[13] = view[14] = view[15] = 0.0f;
  glUseProgram(program_.id());
  const int location = program_.uniform_location("view_matrix");
  if (location >= 0) glUniformMatrix4fv(location, 1, row_major ? GL_TRUE : GL_FALSE, view.data());
  render(nullptr, texture_names_[0], true);
}

void SkySphere::apply_fog_gl() const {
  if (fog_color_[3] == 0.0f) {
    glDisable(GL_FOG);
    return;
  }
  glEnable(GL_FOG);
  glFogfv(GL_FOG_COLOR, fog_color_.data());
  glFogf(GL_FOG_DENSITY, fog_density_);
  glFogi(GL_FOG_MODE, GL_EXP);
}

std::string SkySphere::vertex_shader_source() const {
  std::string s =
      "#version 450 compatibility\n"
      "layout(location = 0) in vec4 position;\n"
      "layout(location = 1) in vec2 v2UVcoordsIn;\n"
      "out gl_PerVertex\n{\n\tvec4 gl_Position;\n\tvec4 gl_FrontColor;\n\tvec4 gl_TexCoord[1];\n};"
      "\n";
  s += "const vec4 atm_color = vec4( " + glsl_values(atm_color_) + ");\n";
  s += "const vec4 gnd_color = vec4( " + glsl_values(ground_color_) + ");\n";
  s += "void main()\n{\n"
       "\tgl_Position = gl_ModelViewProjectionMatrix * position;\n"
       "\tvec3 u = normalize(position.xyz - gl_ModelViewMatrixInverse[3].xyz);\n"
       "\tvec4 base = vec4(0.0);\n"
       "\tif (u.y < 0.0) base = gnd_color;\n"
       "\tgl_FrontColor = mix(base, atm_color, pow(1.0 - abs(u.y), 8.0));\n"
       "\tgl_TexCoord[0].xy = v2UVcoordsIn;\n"
       "}\n";
  return s;
}

std::string SkySphere::fragment_shader_source() {
  return "#version 450 compatibility\n"
         "uniform sampler2D mytexture;\n"
         "in vec4 gl_Color;\n"
         "void main()\n{\n"
         "\tgl_FragColor = mix(texture(mytexture, gl_TexCoord[0].xy), gl_Color, gl_Color.a);\n"
         "}\n";
}

int Starfield::init(unsigned int count, std::array<float, 3> sizes, std::array<float, 4> low,
                    std::array<float, 4> high) {
  if (count > kMaxStars) {
    std::cerr << "Starfield::init(): " << count << " stars refused (at most " << kMaxStars << ")"
              << std::endl;
    return -1;
  }
  std::vector<float> positions(3 * std::size_t(count));
  std::vector<float> colors(4 * std::size_t(count), 1.0f);
  std::vector<float> point_sizes(count, 1.0f);

  SeedSequence seq;
  std::array<std::uint32_t, 11> words;
  gather_entropy(seq, words);
  seq.mix(words);
  pcg32 rng(seq);
  const auto uniform = [&rng](float a, float b) {
    return a + std::generate_canonical<float, 24>(rng) * (b - a);
  };

  Vec3 lowest{0, 0, 0}, highest{0, 0, 0}, sum{0, 0, 0};
  for (std::size_t i = 0; i < count; ++i) {
    Vec3 d{0, 0, 0};
    // A zero vector has no direction: draw again.
    while (dot(d, d) == 0.0f) d = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
    d = normalized(d);
    for (std::size_t k = 0; k < 3; ++k) {
      positions[3 * i + k] = d[k];
      lowest[k] = i == 0 ? d[k] : std::min(lowest[k], d[k]);
      highest[k] = i == 0 ? d[k] : std::max(highest[k], d[k]);
    }
    sum += d;
    for (std::size_t k = 0; k < 4; ++k) colors[4 * i + k] = uniform(low[k], high[k]);
    point_sizes[i] = uniform(sizes[0], sizes[1]);
  }
  if (count > 0)
    std::cout << "Min, max direction values: " << lowest << " to " << highest << ", mean "
              << sum / static_cast<float>(count) << std::endl;

  stars_.create();
  stars_.construct(positions, colors, point_sizes, 0, 1, 2, 3, 4, 1);
  // The vertex array takes texture coordinates of two or more components
  // only, so the point sizes go to their attribute on their own.
  stars_.color_array(point_sizes, 2, 1);
  stars_.mode().mode = GL_POINTS;

  int failed = 0;
  for (auto [program, source] :
       {std::pair{&stars_program_, points_vertex_source()},
        std::pair{&atm_program_, atm_vertex_source({0.32f, 0.16f, 0.2f, 1.0f},
                                                   {0.76f, 0.84f, 1.0f, 1.0f}, kAtmExponent)}}) {
    if (program->assemble(source, "", true) != 0) {
      std::cerr << "Error in ProgramGL::assemble()" << std::endl;
      ++failed;
    }
  }

  SolidSphere2 sphere;
  sphere.construct(static_cast<unsigned int>(atm_resolution_[0]),
                   static_cast<unsigned int>(atm_resolution_[1]));
  const AtmosphereTriangles triangles =
      sort_atmosphere(sphere.vertices(), sphere.normals(), sphere.tex_coords(), kAtmExponent);
  atmosphere_.construct(triangles.vertices, triangles.normals, triangles.tex_coords, 0, -1, -1, 3,
                        3, 2);
  atm_opaque_vertices_ = triangles.opaque_vertices;
  return failed;
}

Starfield::AtmosphereTriangles Starfield::sort_atmosphere(const std::vector<float>& vertices,
                                                          const std::vector<float>& normals,
                                                          const std::vector<float>& tex_coords,
                                                          float exponent) {
  // The program's alpha at a vertex: 1 at and below the horizon (ground and
  // atmosphere colours, both opaque, mixed), (1 - y)^exponent above it. The
  // alpha a triangle's pixels get lies between those of its corners.
  const auto opaque = [](float y) { return y <= 0.0f; };
  // Blending a fragment whose alpha is below 1 / 1024 moves no 8-bit channel
  // by half a step, so the colour there stays as it is.
  const auto faint = [exponent](float y) {
    return y > 0.0f && std::pow(1.0 - double(y), double(exponent)) < 1.0 / 1024.0;
  };
  const std::size_t count =
      std::min({vertices.size() / 3, normals.size() / 3, tex_coords.size() / 2}) / 3 * 3;
  AtmosphereTriangles sorted;
  std::vector<std::size_t> opaque_first, blended;
  for (std::size_t t = 0; t < count; t += 3) {
    const float y[3] = {vertices[3 * t + 1], vertices[3 * (t + 1) + 1], vertices[3 * (t + 2) + 1]};
    if (std::all_of(y, y + 3, opaque))
      opaque_first.push_back(t);
    else if (!std::all_of(y, y + 3, faint))
      blended.push_back(t);
  }
  sorted.opaque_vertices = static_cast<int>(3 * opaque_first.size());
  opaque_first.insert(opaque_first.end(), blended.begin(), blended.end());
  for (const std::size_t t : opaque_first)
    for (std::size_t v = t; v < t + 3; ++v) {
      sorted.vertices.insert(sorted.vertices.end(), &vertices[3 * v], &vertices[3 * v] + 3);
      sorted.normals.insert(sorted.normals.end(), &normals[3 * v], &normals[3 * v] + 3);
      sorted.tex_coords.insert(sorted.tex_coords.end(), &tex_coords[2 * v], &tex_coords[2 * v] + 2);
    }
  return sorted;
}

RenderProcess Starfield::render_stars(std::function<std::array<float, 3>()> position) {
  return background_pass(stars_program_.id(), [this, position] {
    translate_to(position);
    background_state();
    glDisable(GL_TEXTURE_2D);
    alpha_blending();
    // Point sizes come from the program (Mesa ignores them otherwise).
    glEnable(GL_PROGRAM_POINT_SIZE);
    glScalef(scale_[0], scale_[1], scale_[2]);
    stars_.draw_arrays();
  });
}

RenderProcess Starfield::render_atm(std::function<std::array<float, 3>()> position) {
  return background_pass(atm_program_.id(), [this, position] {
    translate_to(position);
    background_state();
    glDisable(GL_TEXTURE_2D);
    alpha_blending();
    glDisable(GL_CULL_FACE);
    glScalef(scale_[0], scale_[1], scale_[2]);
    // The opaque triangles (first) cover what is there whether blended or
    // not: drawn without blending, which spares the renderer reading the
    // colours back.
    if (!gl_entry_points_loaded()) return;
    const DrawArraysOptions all = atmosphere_.mode();
    DrawArraysOptions part = all;
    part.count = std::min(atm_opaque_vertices_, all.count);
    glDisable(GL_BLEND);
    glBindVertexArray(atmosphere_.id());
    part.draw_arrays();
    alpha_blending();
    part.first = all.first + part.count;
    part.count = all.count - part.count;
    part.draw_arrays();
    glBindVertexArray(0);
  });
}

std::string Starfield::points_vertex_source() {
  return "#version 450 compatibility\n"
         "layout(location = 0) in vec3 position;\n"
         "layout(location = 1) in vec4 color;\n"
         "layout(location = 2) in float ptsize;\n"
         "out gl_PerVertex\n{\n\tvec4 gl_Position;\n\tvec4 gl_FrontColor;\n\tfloat "
         "gl_PointSize;\n};"
         "\n"
         "void main()\n{\n"
         "\tgl_Position = gl_ModelViewProjectionMatrix * vec4(position,1.0);\n"
         "\tgl_FrontColor = color;\n"
         "\tgl_PointSize = ptsize;\n"
         "}\n";
}

std::string Starfield::atm_vertex_source(std::array<float, 4>, std::array<float, 4>,
                                         float exponent) {
  std::ostringstream s;
  s << "#version 450 compatibility\n"
       "layout(location = 0) in vec3 position;\n"
       "out gl_PerVertex\n{\n\tvec4 gl_Position;\n\tvec4 gl_FrontColor;\n};\n"
       "void main()\n{\n"
       "\tconst vec4 gnd_color = vec4( 0.32, 0.16, 0.2, 1.0);\n"
       "\tconst vec4 atm_color = vec4(0.76,  0.84,  1.0, 1.0);\n"
       "\tvec4 temp_color = vec4(0.0);\n"
       "\tfloat expon = "
    << exponent
    << ";\n"
       "\tif (position.y < 0.0)\n\t{\n\t\ttemp_color = gnd_color;\n\t\texpon *= 8.0;\n\t}\n"
       "\tfloat a = pow(1.0 - abs(position.y), expon);\n"
       "\tgl_FrontColor = mix(temp_color, atm_color, a);\n"
       "\tgl_Position = gl_ModelViewProjectionMatrix * vec4(position,1.0);\n"
       "}\n";
  return s.str();
}

std::string Starfield::atm_fragment_source() {
  return "#version 450 compatibility\n"
         "void main()\n{\n"
         "\tgl_FragColor = gl_FrontColor;\n"
         "}\n";
}
