// Generated GLSL texts and the programs built from them.
#include "render/glsl_programs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "core/vector_math.h"

std::string ProgramGL::default_lighted_vertex_main(std::string position, std::string normal,
                                                   std::string output, std::string camera_direction,
                                                   bool clamp, bool specular, bool two_sided,
                                                   bool ambient, bool attenuate_ambient,
                                                   bool use_color, bool per_light_color) {
  const bool color_per_light = use_color && per_light_color;
  std::string s;
  if (specular) s += "\t\tvec4 specular = vec4(0.0, 0.0, 0.0, 0.0); \n";
  s += "\t\tvec4 diffuse = vec4(0.0, 0.0, 0.0, 0.0); \n";
  s += "\t\tvec3 cameraDir = " + camera_direction + "; \n";
  s += "\t\tvec3 inNormal = " + normal + "; \n";
  s += "\t\tfor(int i=0;i<NUM_LIGHTS;++i)\n";
  s += "\t\t{ \n";
  s += "\t\t\t\tvec3 light_dir = gl_LightSource[i].position.xyz;\n";
  s += "\t\t\t\tfloat Kepler = 1.f; \n";
  s += "\t\t\t\tif( gl_LightSource[i].position.w == 1 ) \n";
  s += "\t\t\t\t{ \n";
  s += "\t\t\t\t\t\tlight_dir -= " + position + "; \n";
  s += "\t\t\t\t\t\tfloat light_dist_sq = dot(light_dir,light_dir); \n";
  s += "\t\t\t\t\t\tfloat light_dist = sqrt(light_dist_sq); \n";
  s += "\t\t\t\t\t\tKepler /= (gl_LightSource[i].constantAttenuation + "
       "gl_LightSource[i].linearAttenuation * light_dist + "
       "gl_LightSource[i].quadraticAttenuation*light_dist_sq) ; \n";
  s += "\t\t\t\t\t\tlight_dir /= light_dist; \n";
  s += "\t\t\t\t} \n";
  s += "\t\t\t\telse\n";
  s += "\t\t\t\t{\n";
  s += "\t\t\t\t\t\tlight_dir = normalize( light_dir );\n";
  s += "\t\t\t\t}\n";
  if (two_sided)
    s += "\t\t\t\tfloat Lambert_Kepler = Kepler * abs(dot(light_dir,inNormal)); \n";
  else
    s += "\t\t\t\tfloat Lambert_Kepler = Kepler * max(dot(light_dir,inNormal),0.0); \n";
  s += "\t\t\t\tvec4 delta_diffuse = vec4( gl_FrontLightProduct[i].diffuse.xyz * Lambert_Kepler, "
       "gl_FrontLightProduct[i].diffuse.a )";
  if (ambient) {
    if (attenuate_ambient)
      s += " + vec4( gl_FrontLightProduct[i].ambient.rgb * Kepler, "
           "gl_FrontLightProduct[i].ambient.a)";
    else
      s += " + gl_FrontLightProduct[i].ambient";
  }
  s += "; \n";
  if (color_per_light)
    s += "\t\t\t\tdiffuse += delta_diffuse * gl_Color[i]; \n";
  else
    s += "\t\t\t\tdiffuse += delta_diffuse; \n";
  if (specular) {
    const std::string reflection = two_sided
                                       ? "abs(dot(cameraDir,reflect(light_dir, inNormal)))"
                                       : "max(dot(cameraDir,-reflect(light_dir,inNormal)),0.0)";
    s += "\t\t\t\tif(gl_FrontMaterial.shininess>0) {";
    s += "vec4 delta_specular = vec4( gl_FrontLightProduct[i].specular.xyz* Lambert_Kepler * pow(" +
         reflection + ",gl_FrontMaterial.shininess), gl_FrontLightProduct[i].specular.a);\n";
    if (color_per_light)
      s += "\t\t\t\tspecular += delta_specular * gl_Color[i]; \n";
    else
      s += "\t\t\t\tspecular += delta_specular; \n";
    s += "} \n";
  }
  s += "\t\t} \n";
  s += "\t\t" + output + (clamp ? " = clamp(" : " = ") + "diffuse + ";
  if (specular) s += "specular + ";
  s += "gl_FrontMaterial.emission";
  s += clamp ? ", 0.0, 1.0); \n" : "; \n";
  if (use_color && !per_light_color) s += "\t\t" + output + " *= gl_Color; \n";
  return s;
}

std::string Pipeline::default_vertex_inputs(bool with_tex_coords, bool swap_locations) const {
  std::string s = "layout(location=0) in vec3 " + vertex_attrib_name + "; \n";
  s += std::string("layout(location=") + (swap_locations ? "2" : "1") + ") in vec3 " +
       normal_attrib_name + "; \n ";
  if (with_tex_coords)
    s += std::string("layout(location=") + (swap_locations ? "1" : "2") + ") in vec2 " +
         tex_coords_name + "; \n ";
  return s;
}

std::string Pipeline::default_lighted_vertex_header(bool declare_per_vertex) const {
  std::string s = "#version 450 compatibility \n";
  s += "#define NUM_LIGHTS " + std::to_string(num_lights) + "\n";
  if (declare_per_vertex)
    s += "out gl_PerVertex \n { \n \t vec4 gl_Position; \n \t vec4 gl_FrontColor; \n }; \n \n";
  return s;
}

std::string Pipeline::vertex_main_source(std::string header, std::string body) const {
  return header + "void main() \n { \n" + body + "} \n";
}

std::string Pipeline::default_lighted_vertex_source() const {
  const std::string header =
      default_lighted_vertex_header(true) + default_vertex_inputs(false, false);
  std::string body = default_lighted_vertex_main("vtx_attrib", "vtx_normal", "gl_FrontColor",
                                                 "-normalize(vtx_attrib)", false, true, false, true,
                                                 false, false, false);
  body += "\t\tgl_Position = /* ftransform() */ gl_ModelViewProjectionMatrix * vec4(" +
          vertex_attrib_name + ",1.0);\n";
  return vertex_main_source(header, body);
}

std::string Pipeline::default_fragment_source() const {
  return "#version 450 core \nin vec4 " + color_name +
         "; \nvoid main() \n { \n \t if (vtx_color.a == 0.0) { discard; return; }; \n \t "
         "gl_FragColor = vtx_color; \n }";
}

int Pipeline::save_source(std::string file_name, std::string text) const {
  std::error_code ignored;
  std::filesystem::create_directories(source_folder, ignored);
  std::ofstream out(source_folder + "/" + file_name, std::ios::trunc);
  if (!out) return -1;
  out << text;
  out.flush();
  return out ? 0 : -2;
}

int Pipeline::init_lighted_model(unsigned int n) {
  num_lights = n;
  const std::string text = default_lighted_vertex_source();
  save_source("default_lighted_vertex.glsl", text);
  return assemble(text, "", true);
}

int Pipeline::light_parameters(std::vector<std::array<float, 4>> positions,
                               std::vector<std::array<float, 4>> colors,
                               std::array<float, 4> ambient, bool use_it) {
  if (use_it) use();
  const auto send = [this](const std::string& name, const std::vector<std::array<float, 4>>& v) {
    if (v.empty()) return;
    const int location = uniform_location(name);
    if (location < 0) return;
    const std::size_t n = std::min<std::size_t>(v.size(), num_lights);
    glUniform4fv(location, static_cast<GLsizei>(n), v.front().data());
  };
  send(light_positions_name, positions);
  send(light_colors_name, colors);
  const int location = uniform_location(light_ambient_name);
  if (location >= 0) glUniform4fv(location, 1, ambient.data());
  return static_cast<int>(glGetError());
}

int Pipeline::observer_parameters(const std::array<float, 3>& position,
                                  const std::array<float, 16>& view, bool transpose, bool use_it) {
  if (use_it) use();
  const int position_location = uniform_location(observer_position_name);
  if (position_location >= 0) glUniform3fv(position_location, 1, position.data());
  const int view_location = uniform_location(view_matrix_name);
  if (view_location >= 0)
    glUniformMatrix4fv(view_location, 1, transpose ? GL_TRUE : GL_FALSE, view.data());
  return static_cast<int>(glGetError());
}

namespace {

// Mesa's compatibility compiler only accepts gl_TexCoord as vec4[], so a
// statement that assigns a whole gl_TexCoord[0] from a two-component value is
// turned into an assignment of its .xy; any other statement stays as it is.
std::string tex_coord_assignment(const std::string& statement) {
  static const std::string target = "gl_TexCoord[0]";
  const std::size_t start = statement.find_first_not_of(" \t\n");
  if (start == std::string::npos || statement.compare(start, target.size(), target) != 0)
    return statement;
  const std::size_t after = start + target.size();
  const std::size_t op = statement.find_first_not_of(" \t\n", after);
  if (op == std::string::npos || statement[op] != '=' ||
      (op + 1 < statement.size() && statement[op + 1] == '='))
    return statement;
  return statement.substr(0, after) + ".xy" + statement.substr(after);
}

}  // namespace

VBOProgramSources vbo_program_sources(unsigned int num_lights, std::string vertex_declarations,
                                      std::string position_statement,
                                      std::string tex_coord_statement, std::string camera_direction,
                                      std::string fragment_declarations,
                                      std::string fragment_statements, bool use_color,
                                      bool per_light_color) {
  const bool textured = !tex_coord_statement.empty();
  VBOProgramSources s;
  s.vertex = "\n #version 450 compatibility\n#define NUM_LIGHTS " + std::to_string(num_lights);
  s.vertex += "\n out gl_PerVertex\n { \n vec4 gl_Position; \n vec4 gl_FrontColor; \n";
  if (textured) s.vertex += "vec4 gl_TexCoord[1];\n";
  s.vertex += "}; \n out vec4 vtx_specular; \n" + vertex_declarations;
  s.vertex +=
      "void main()\n { \n vec3 vtx_temp = vec3(gl_ModelViewMatrix * gl_Vertex); \n vec3 vtx_norm "
      "= gl_NormalMatrix * gl_Normal; \n";
  s.vertex += ProgramGL::default_lighted_vertex_main("vtx_temp", "vtx_norm", "gl_FrontColor",
                                                     camera_direction, false, true, false, true,
                                                     false, use_color, per_light_color);
  s.vertex += "vtx_specular = specular; \n" + position_statement + ";\n\t";
  if (textured) s.vertex += tex_coord_assignment(tex_coord_statement) + ";\n";
  s.vertex += "}";

  s.fragment = "#version 450 compatibility\n \n";
  if (textured) s.fragment += "uniform sampler2D mytexture; \n";
  s.fragment += "in vec4 gl_Color; \n in vec4 vtx_specular; \n" + fragment_declarations + "\n";
  s.fragment += "\n void main()\n { \n \t gl_FragColor =";
  if (textured) s.fragment += "texture(mytexture, gl_TexCoord[0].xy) *";
  s.fragment += "gl_Color + vtx_specular; \n" + fragment_statements + "}\n";
  return s;
}

unsigned int init_vbo_program(std::string, unsigned int num_lights, std::string vertex_declarations,
                              std::string position_statement, std::string tex_coord_statement,
                              std::string camera_direction, std::string fragment_declarations,
                              std::string fragment_statements, std::string, bool use_color,
                              bool per_light_color) {
  const VBOProgramSources s = vbo_program_sources(
      num_lights, std::move(vertex_declarations), std::move(position_statement),
      std::move(tex_coord_statement), std::move(camera_direction), std::move(fragment_declarations),
      std::move(fragment_statements), use_color, per_light_color);
  ProgramGL program;
  if (program.assemble(s.vertex, s.fragment, true) == 0) return program.id();
  program.clear();
  return 0;
}

std::string lens_projection_glsl(std::string out_magnification, std::string out_intercept,
                                 std::string vector, std::string eye_x, std::string eye_z,
                                 std::string x_axis, std::string z_axis, std::string focal_length) {
  std::string s = "/* Vertex x,z coords */ \n";
  s += "float z0 = dot(" + z_axis + ", " + vector + "); \n ";
  s += "if (z0 > 0.0 /* Wrong side of lens! */) { /*" + out_magnification +
       " = 0.0/0.0; don't modify */} \n else \n { \n";
  s += "/* Focal length */ \n";
  s += "float f = " + focal_length + "; \n";
  s += "/* Eye coords */ \n";
  s += "float eye_x = " + eye_x + "; \n float eye_z = " + eye_z + " ; \n";
  s += "float one_d_f = 1.0 - eye_z/f; \n";
  s += "float x0 = dot(" + x_axis + ", " + vector + "); \n";
  s += "/* Incident angle theta */ \n";
  s += "float theta = (eye_x - x0 * one_d_f) / (eye_z - z0 * one_d_f); \n";
  s += "/* Exiting angle theta'' */ \n";
  s += "float theta2 = theta * (1.0 + z0/f) - x0/f; \n";
  s += "/* Magnification */ \n";
  s += out_magnification + " = (eye_x - eye_z * theta2) / (x0 - z0 * theta2); \n";
  s += "/* x-intercept */ \n";
  s += out_intercept + " = eye_x - eye_z * theta2; \n}\n";
  return s;
}

std::string lens_transform_glsl() {
  std::string s =
      "\n vec3 lens_transform( vec3 ); \n \n vec3 lens_transform(vec3 position)\n { \n \n vec3 r0 "
      "= position - lens_orientation[3];\n";
  s += "float magnification = 0.0/0.0; \n float x_intercept;\n float y_intercept; \n float mag_y; "
       "\n";
  s += "{\n" +
       lens_projection_glsl("magnification", "x_intercept", "r0", "eye_x_z.x", "eye_x_z.y",
                            "lens_orientation[0]", "lens_orientation[2]",
                            "lens_focal_length_radius.x") +
       "\n}";
  s += "{\n" +
       lens_projection_glsl("mag_y", "y_intercept", "r0", "0.0", "eye_x_z.y", "lens_orientation[1]",
                            "lens_orientation[2]", "lens_focal_length_radius.x") +
       "\n}";
  s += "if(x_intercept*x_intercept+y_intercept*y_intercept > "
       "lens_focal_length_radius.y*lens_focal_length_radius.y) { magnification = 0.0/0.0; } \n";
  s += "return lens_orientation[3] + r0 * magnification; \n }\n";
  return s;
}

std::string reflect_sphere_glsl(bool angle_limit, bool write_depth) {
  std::string s =
      "vec3 reflect_sphere(vec3 position)\n { \n vec3 r0 = position - sphere_center_radius.xyz; \n "
      "float length_r0 = length(r0); \n if (sphere_center_radius.w/length_r0 >= 1.0) return "
      "vec3(0.0 / 0.0); \n float sphere_dist = length(sphere_center_radius.xyz); \n vec3 x_hat = "
      "-sphere_center_radius.xyz / sphere_dist; \n vec3 u_r0 = r0 / length_r0; \n float "
      "cos_theta2 = dot( u_r0, x_hat );\n float theta2 = acos(cos_theta2); \n";
  if (angle_limit)
    s += "float theta2_max = 2.0*(1.5707963267948966 - asin(sphere_center_radius.w / "
         "sphere_dist)); \n if (theta2 > theta2_max) return vec3(0.0 / 0.0); \n";
  s += "float theta = theta2/2.0;\n vec2 pxy = vec2( cos(theta), sin( theta ) ) * "
       "sphere_center_radius.w; \n vec2 xy0 = vec2(cos_theta2, sin(theta2)) * length_r0; \n float "
       "magnification = pxy[1] * sphere_dist / ( pxy[1] * xy0[0] - pxy[0] * xy0[1] + xy0[1] * "
       "sphere_dist ); \n";
  if (!angle_limit) s += "if(magnification >= 1.0 || magnification<=0.0) return vec3(0.0/0.0);\n";
  if (write_depth) s += "frag_depth = length_r0; \n";
  s += "return sphere_center_radius.xyz + r0 * magnification; \n }\n";
  return s;
}

int lens_uniforms(unsigned int program, std::array<float, 3> center, std::array<float, 3> axis,
                  float focal_length, float radius) {
  if (dot(center, axis) > 0.0f) axis = -axis;
  glUseProgram(program);
  report_gl_errors("-1: lens_uniforms() GL error ");
  const GLint focal_location = glGetUniformLocation(program, "lens_focal_length_radius");
  const GLint eye_location = glGetUniformLocation(program, "eye_x_z");
  report_gl_errors("0: lens_uniforms() GL error ");

  const Vec3 e = -center;
  const float s = dot(e, axis);
  const Vec3 v = e - axis * s;
  const float d = norm(v);

  const Vec3 z = axis;
  Vec3 x, y;
  if (d >= 1.1920929e-06f) {
    x = v / d;
    y = cross(z, x);
  } else {
    // The eye on the axis: any frame around it will do; (1, 0, 0) unless
    // the axis is parallel to it.
    Vec3 side = cross(z, Vec3{1, 0, 0});
    if (dot(side, side) == 0.0f) side = cross(z, Vec3{0, 1, 0});
    y = normalized(side);
    x = cross(y, z);
  }
  report_gl_errors("1: lens_uniforms() GL error ");

  const std::array<std::pair<const char*, const Vec3*>, 4> vectors{
      {{"lens_x", &x}, {"lens_y", &y}, {"lens_z", &z}, {"lens_center", &center}}};
  for (const auto& [name, value] : vectors) {
    const GLint location = glGetUniformLocation(program, name);
    if (location >= 0) glUniform3fv(location, 1, value->data());
  }
  const GLint orientation_location = glGetUniformLocation(program, "lens_orientation");
  if (orientation_location >= 0) {
    const std::array<float, 12> m{x[0], x[1], x[2], y[0],      y[1],      y[2],
                                  z[0], z[1], z[2], center[0], center[1], center[2]};
    glUniformMatrix4x3fv(orientation_location, 1, GL_FALSE, m.data());
  }
  report_gl_errors("2: lens_uniforms() GL error ");

  if (focal_location >= 0) {
    const std::array<float, 2> fr{focal_length, radius};
    glUniform2fv(focal_location, 1, fr.data());
  }
  report_gl_errors("3: lens_uniforms() GL error ");
  if (eye_location >= 0) {
    const std::array<float, 2> eye{d, s};
    glUniform2fv(eye_location, 1, eye.data());
  }
  report_gl_errors("4: lens_uniforms() GL error ");
  glUseProgram(0);
  report_gl_errors("5: lens_uniforms() GL error ");
  return 0;
}
