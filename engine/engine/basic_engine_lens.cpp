// BasicEngine: lit VBO programs drawn through a thin lens or as the
// reflection in a sphere.
#include "engine/basic_engine.h"
#include "render/glsl_programs.h"

namespace {

// The texture-coordinate statement of the textured variants.
constexpr const char* kTexCoords = "gl_TexCoord[0] = gl_MultiTexCoord0.xy";

}  // namespace

unsigned int BasicEngine::lens_program(std::string name, bool textured) const {
  const std::string declarations =
      "uniform mat4x3 lens_orientation; \n uniform vec2 lens_focal_length_radius; \n uniform vec2 "
      "eye_x_z; \n" +
      lens_transform_glsl();
  return init_vbo_program(std::move(name), static_cast<unsigned int>(lights_.size()), declarations,
                          "gl_Position = gl_ProjectionMatrix*vec4( lens_transform(vtx_temp), 1.0);",
                          textured ? kTexCoords : "", "normalize(lens_orientation[3]-vtx_temp)", "",
                          "", "glsl", false, false);
}

unsigned int BasicEngine::reflect_sphere_program(std::string name, bool textured,
                                                 bool write_depth) const {
  std::string declarations = "uniform vec4 sphere_center_radius; \n";
  if (write_depth) declarations += "out float frag_depth; \n";
  declarations += reflect_sphere_glsl(false, write_depth);
  return init_vbo_program(std::move(name), static_cast<unsigned int>(lights_.size()), declarations,
                          "gl_Position = gl_ProjectionMatrix*vec4(reflect_sphere(vtx_temp), 1.0);",
                          textured ? kTexCoords : "",
                          "normalize(sphere_center_radius.xyz-vtx_temp)",
                          write_depth ? "in float frag_depth; \n" : "",
                          write_depth ? "gl_FragDepth = frag_depth; \n" : "", "glsl", false, false);
}

void BasicEngine::reflect_sphere_center_radius(unsigned int program, float radius,
                                               std::array<float, 3> center) const {
  // Asking a name that is no linked program raises a GL error: leave it be.
  if (program == 0 || !glIsProgram(program)) return;
  GLint status = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &status);
  if (status != GL_TRUE) return;
  const GLint location = glGetUniformLocation(program, "sphere_center_radius");
  if (location < 0) return;
  const float v[4] = {center[0], center[1], center[2], radius};
  // glUniform would write the location into whatever program is current.
  glProgramUniform4fv(program, location, 1, v);
}
