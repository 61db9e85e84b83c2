// Generated programs compiled and linked by Mesa, and the uniforms the
// setters send, read back with glGetUniform.
#include <cmath>

#include "render/glsl_programs.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;
using testing_support::OutputCapture;
using testing_support::program_linked;
using testing_support::TempDataRoot;

namespace {

template <std::size_t N>
std::array<float, N> uniform(GLuint program, const char* name) {
  std::array<float, N> v{};
  v.fill(-99.0f);
  const GLint location = glGetUniformLocation(program, name);
  EXPECT_GE(location, 0) << name;
  if (location >= 0) glGetUniformfv(program, location, v.data());
  return v;
}

// A vertex shader that uses every uniform it declares, so none is optimised away.
GLuint program_with_uniforms(const std::string& declarations, const std::string& use) {
  ProgramGL p;
  const std::string vertex = "#version 450 compatibility\n" + declarations +
                             "void main() { vec4 s = vec4(0.0); " + use +
                             " gl_Position = ftransform() + s; }\n";
  EXPECT_EQ(p.assemble(vertex, "", true), 0) << vertex;
  return p.id();
}

class GLSLProgramsTest : public GLTest {};

}  // namespace

TEST_F(GLSLProgramsTest, InitLightedModelSavesItsVertexShaderAndLinks) {
  TempDataRoot root;
  Pipeline p;
  OutputCapture cap;
  ASSERT_EQ(p.init_lighted_model(3), 0) << cap.err();
  EXPECT_EQ(p.num_lights, 3u);
  EXPECT_TRUE(program_linked(p.id()));
  GLint shaders = 0;
  glGetProgramiv(p.id(), GL_ATTACHED_SHADERS, &shaders);
  EXPECT_EQ(shaders, 1);  // fragments go through the fixed-function stage
  EXPECT_EQ(root.read("glsl/default_lighted_vertex.glsl"), p.default_lighted_vertex_source());
  EXPECT_NE(p.default_lighted_vertex_source().find("#define NUM_LIGHTS 3\n"), std::string::npos);
  p.clear();
}

TEST_F(GLSLProgramsTest, SaveSourceReportsFilesThatCannotBeOpenedOrWritten) {
  TempDataRoot root;
  root.write("blocker", "a file where the folder should be");
  Pipeline p;
  p.source_folder = "blocker";
  EXPECT_EQ(p.save_source("x.glsl", "text"), -1);
  p.source_folder = "nested/glsl";
  EXPECT_EQ(p.save_source("x.glsl", "text"), 0);
  EXPECT_EQ(root.read("nested/glsl/x.glsl"), "text");
  p.source_folder = "/dev";
  EXPECT_EQ(p.save_source("full", std::string(1 << 16, 'x')), -2);
}

TEST_F(GLSLProgramsTest, VBOProgramsOfTheEngineAndTheGameLinkOnMesa) {
  struct Case {
    const char* what;
    std::string declarations, position, tex_coord, direction, fragment_declarations,
        fragment_statement;
    bool use_color, per_light_color;
  };
  const std::string lens_uniforms_text =
      "uniform mat4x3 lens_orientation; \n uniform vec2 lens_focal_length_radius; \n uniform vec2 "
      "eye_x_z; \n";
  const std::vector<Case> cases{
      {"untextured", "", "gl_Position = ftransform()", "", "-normalize(vtx_temp)", "", "", false,
       false},
      {"ball", "", "gl_Position = ftransform()", "gl_TexCoord[0] = gl_MultiTexCoord0.xy",
       "-normalize(vtx_temp)", "", "", false, false},
      {"coloured per light", "", "gl_Position = ftransform()", "", "-normalize(vtx_temp)", "", "",
       true, true},
      {"lens", lens_uniforms_text + lens_transform_glsl(),
       "gl_Position = gl_ProjectionMatrix*vec4( lens_transform(vtx_temp), 1.0);",
       "gl_TexCoord[0] = gl_MultiTexCoord0.xy", "normalize(lens_orientation[3]-vtx_temp)", "", "",
       false, false},
      {"mirror sphere", "uniform vec4 sphere_center_radius; \n" + reflect_sphere_glsl(false, false),
       "gl_Position = gl_ProjectionMatrix*vec4(reflect_sphere(vtx_temp), 1.0);", "",
       "normalize(sphere_center_radius.xyz-vtx_temp)", "", "", false, false},
      {"mirror sphere with depth",
       "uniform vec4 sphere_center_radius; \nout float frag_depth; \n" +
           reflect_sphere_glsl(true, true),
       "gl_Position = gl_ProjectionMatrix*vec4(reflect_sphere(vtx_temp), 1.0);",
       "gl_TexCoord[0] = gl_MultiTexCoord0.xy", "normalize(sphere_center_radius.xyz-vtx_temp)",
       "in float frag_depth; \n", "gl_FragDepth = frag_depth; \n", false, false},
  };
  for (const Case& c : cases) {
    OutputCapture cap;
    const GLuint program = init_vbo_program(
        c.what, 4, c.declarations, c.position, c.tex_coord, c.direction, c.fragment_declarations,
        c.fragment_statement, "glsl", c.use_color, c.per_light_color);
    EXPECT_TRUE(program_linked(program)) << c.what << "\n" << cap.err();
    if (program) glDeleteProgram(program);
  }
}

TEST_F(GLSLProgramsTest, AProgramThatDoesNotCompileGivesZeroAndIsReported) {
  OutputCapture cap;
  EXPECT_EQ(init_vbo_program("bad", 4, "", "gl_Position = nonsense", "", "-normalize(vtx_temp)", "",
                             "", "glsl", false, false),
            0u);
  EXPECT_NE(cap.err().find("ProgramGL::assemble() - vertex shader compile error"),
            std::string::npos);
}

TEST_F(GLSLProgramsTest, LensUniformsOfAnEyeBesideTheAxis) {
  const GLuint program = program_with_uniforms(
      "uniform vec3 lens_x; uniform vec3 lens_y; uniform vec3 lens_z; uniform vec3 lens_center;\n"
      "uniform mat4x3 lens_orientation; uniform vec2 lens_focal_length_radius; uniform vec2 "
      "eye_x_z;\n",
      "s.xyz = lens_x + lens_y + lens_z + lens_center + lens_orientation * vec4(1.0); s.xy += "
      "lens_focal_length_radius + eye_x_z;");
  ASSERT_TRUE(program_linked(program));
  OutputCapture cap;
  EXPECT_EQ(lens_uniforms(program, {3, 0, -10}, {0, 0, 1}, 2.5f, 0.75f), 0);
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), 0);
  EXPECT_EQ(uniform<2>(program, "eye_x_z"), (std::array<float, 2>{3, 10}));
  EXPECT_EQ(uniform<3>(program, "lens_x"), (std::array<float, 3>{-1, 0, 0}));
  EXPECT_EQ(uniform<3>(program, "lens_y"), (std::array<float, 3>{0, -1, 0}));
  EXPECT_EQ(uniform<3>(program, "lens_z"), (std::array<float, 3>{0, 0, 1}));
  EXPECT_EQ(uniform<3>(program, "lens_center"), (std::array<float, 3>{3, 0, -10}));
  EXPECT_EQ(uniform<2>(program, "lens_focal_length_radius"), (std::array<float, 2>{2.5f, 0.75f}));
  EXPECT_EQ(uniform<12>(program, "lens_orientation"),
            (std::array<float, 12>{-1, 0, 0, 0, -1, 0, 0, 0, 1, 3, 0, -10}));

  // A centre on the far side of the axis direction turns the axis round; the
  // eye on the axis gets a frame built around (1, 0, 0).
  EXPECT_EQ(lens_uniforms(program, {0, 0, -10}, {0, 0, -1}, 1, 1), 0);
  EXPECT_EQ(uniform<3>(program, "lens_z"), (std::array<float, 3>{0, 0, 1}));
  EXPECT_EQ(uniform<3>(program, "lens_y"), (std::array<float, 3>{0, 1, 0}));
  EXPECT_EQ(uniform<3>(program, "lens_x"), (std::array<float, 3>{1, 0, 0}));
  EXPECT_EQ(uniform<2>(program, "eye_x_z"), (std::array<float, 2>{0, 10}));

  // An axis along x with the eye on it still gives a finite frame.
  EXPECT_EQ(lens_uniforms(program, {-5, 0, 0}, {1, 0, 0}, 1, 1), 0);
  for (const char* name : {"lens_x", "lens_y", "lens_z"}) {
    const auto v = uniform<3>(program, name);
    EXPECT_FLOAT_EQ(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 1.0f) << name;
  }
  EXPECT_EQ(cap.err(), "");
  glDeleteProgram(program);
}

TEST_F(GLSLProgramsTest, LightParametersSendAtMostNumLightsAndReturnTheGLError) {
  Pipeline p;
  ProgramGL made(program_with_uniforms(
      "uniform vec4 light_positions[8]; uniform vec4 light_colors[8]; uniform vec4 "
      "light_ambient;\nuniform vec3 observer_position; uniform mat4 view_matrix;\n",
      "for (int i = 0; i < 8; ++i) s += light_positions[i] + light_colors[i]; s += light_ambient "
      "+ view_matrix * vec4(observer_position, 1.0);"));
  static_cast<ProgramGL&>(p) = made;
  ASSERT_TRUE(program_linked(p.id()));
  std::vector<std::array<float, 4>> positions;
  for (int i = 0; i < 8; ++i) positions.push_back({float(i + 1), 0, 0, 1});
  EXPECT_EQ(p.light_parameters(positions, {{0.5f, 0.5f, 0.5f, 1}}, {0.1f, 0.2f, 0.3f, 0.4f}, true),
            GL_NO_ERROR);
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(p.id()));
  EXPECT_EQ(uniform<4>(p.id(), "light_positions[3]"), (std::array<float, 4>{4, 0, 0, 1}));
  EXPECT_EQ(uniform<4>(p.id(), "light_positions[4]"), (std::array<float, 4>{0, 0, 0, 0}));
  EXPECT_EQ(uniform<4>(p.id(), "light_colors[0]"), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 1}));
  EXPECT_EQ(uniform<4>(p.id(), "light_ambient"), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));

  std::array<float, 16> view{};
  for (int i = 0; i < 16; ++i) view[i] = float(i);
  EXPECT_EQ(p.observer_parameters({1, 2, 3}, view, true, false), GL_NO_ERROR);
  EXPECT_EQ(uniform<3>(p.id(), "observer_position"), (std::array<float, 3>{1, 2, 3}));
  const auto sent = uniform<16>(p.id(), "view_matrix");
  EXPECT_EQ(sent[1], 4.0f);  // transposed on the way in
  EXPECT_EQ(sent[4], 1.0f);
  glUseProgram(0);
  p.clear();
}

TEST_F(GLSLProgramsTest, SettersSkipUniformsTheProgramLacks) {
  Pipeline p;
  OutputCapture cap;
  TempDataRoot root;
  ASSERT_EQ(p.init_lighted_model(4), 0);
  EXPECT_EQ(p.light_parameters({{1, 2, 3, 1}}, {{1, 1, 1, 1}}, {0, 0, 0, 1}, true), GL_NO_ERROR);
  EXPECT_EQ(p.observer_parameters({0, 0, 0}, {}, false, true), GL_NO_ERROR);
  glUseProgram(0);
  EXPECT_EQ(cap.err(), "");
  p.clear();
}
