// Shader programs written as text at run time: the lighted-model pipeline,
// the general lit VBO program, and the lens and mirror-sphere snippets that
// bend vertex positions, with the uniforms that feed the lens.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "render/program_gl.h"

// A program together with the names it uses for its inputs and uniforms.
// Copies share the OpenGL program; nothing here deletes it.
class Pipeline : public ProgramGL {
 public:
  Pipeline() = default;

  void set_num_lights(unsigned int n) { num_lights = n; }

  // Attribute declarations: positions at location 0, normals at 1 and
  // texture coordinates at 2 (normals and texture coordinates swapped on request).
  std::string default_vertex_inputs(bool with_tex_coords, bool swap_locations) const;
  std::string default_lighted_vertex_header(bool declare_per_vertex) const;
  std::string vertex_main_source(std::string header, std::string body) const;
  // A whole vertex shader that lights each vertex and writes gl_FrontColor.
  std::string default_lighted_vertex_source() const;
  // Passes the interpolated colour on, discarding fully transparent fragments.
  std::string default_fragment_source() const;

  // Writes the text to source_folder/file_name (the folder is made when
  // missing). 0; -1 when the file cannot be opened; -2 when writing fails.
  int save_source(std::string file_name, std::string text) const;
  // Builds, saves ("default_lighted_vertex.glsl") and links the default
  // lighted vertex shader alone (fragments go through the fixed-function
  // stage). 0 on success, 1 when it does not compile or link.
  int init_lighted_model(unsigned int num_lights);

  // Sends up to num_lights positions and colours and the ambient colour to
  // the uniforms the program declares. Returns glGetError().
  int light_parameters(std::vector<std::array<float, 4>> positions,
                       std::vector<std::array<float, 4>> colors, std::array<float, 4> ambient,
                       bool use);
  int observer_parameters(const std::array<float, 3>& position, const std::array<float, 16>& view,
                          bool transpose, bool use);

  unsigned int num_lights = 4;
  std::string vertex_attrib_name = "vtx_attrib";
  std::string normal_attrib_name = "vtx_normal";
  std::string view_matrix_name = "view_matrix";
  std::string light_positions_name = "light_positions";
  std::string light_colors_name = "light_colors";
  std::string observer_position_name = "observer_position";
  std::string light_ambient_name = "light_ambient";
  std::string mat_ambient_name = "mat_ambient";
  std::string mat_diffuse_name = "mat_diffuse";
  std::string mat_specular_name = "mat_specular";
  std::string mat_shininess_name = "mat_shininess";
  std::string color_name = "vtx_color";
  std::string tex_coords_name = "tex_coords";
  std::string source_folder = "glsl";
};

// The vertex and fragment texts of the lit VBO program (see init_vbo_program).
struct VBOProgramSources {
  std::string vertex;
  std::string fragment;
};
VBOProgramSources vbo_program_sources(unsigned int num_lights, std::string vertex_declarations,
                                      std::string position_statement,
                                      std::string tex_coord_statement, std::string camera_direction,
                                      std::string fragment_declarations,
                                      std::string fragment_statements, bool use_color,
                                      bool per_light_color);

// Links a program lit per vertex in eye coordinates around the caller's
// declarations and statements; a non-empty texture-coordinate statement
// ("gl_TexCoord[0] = gl_MultiTexCoord0.xy") switches texturing on. `name` and
// `folder` do not enter the texts. The program's name, or 0 when it does not
// compile or link (nothing is left behind then).
unsigned int init_vbo_program(std::string name, unsigned int num_lights,
                              std::string vertex_declarations, std::string position_statement,
                              std::string tex_coord_statement, std::string camera_direction,
                              std::string fragment_declarations, std::string fragment_statements,
                              std::string folder, bool use_color, bool per_light_color);

// Thin-lens magnification in one plane, as GLSL statements; every argument is
// a GLSL expression or variable name.
std::string lens_projection_glsl(std::string out_magnification, std::string out_intercept,
                                 std::string vector, std::string eye_x, std::string eye_z,
                                 std::string x_axis, std::string z_axis, std::string focal_length);
// GLSL function vec3 lens_transform(vec3) over the uniforms lens_orientation
// (mat4x3), lens_focal_length_radius and eye_x_z (vec2), which the including
// program declares. Vertices seen outside the lens become NaN.
std::string lens_transform_glsl();
// GLSL function vec3 reflect_sphere(vec3) over the uniform
// sphere_center_radius (vec4); with write_depth it also sets frag_depth,
// which the including program declares.
std::string reflect_sphere_glsl(bool angle_limit, bool write_depth);

// Sends the lens frame, focal length, radius and the eye's lens coordinates
// (centre and unit axis in eye coordinates, the eye at the origin) to the
// uniforms the program declares. The program is current meanwhile and 0
// afterwards. Always 0; OpenGL errors are reported on the error stream.
int lens_uniforms(unsigned int program, std::array<float, 3> center, std::array<float, 3> axis,
                  float focal_length, float radius);
