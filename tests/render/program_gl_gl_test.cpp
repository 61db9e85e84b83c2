#include <stdexcept>

#include "render/program_gl.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;
using testing_support::OutputCapture;

namespace {

const char* kVertex =
    "#version 450 compatibility\n"
    "uniform float scale;\n"
    "void main() { gl_Position = ftransform() * scale; }\n";
const char* kFragment =
    "#version 450 compatibility\n"
    "uniform vec4 tint;\n"
    "void main() { gl_FragColor = tint; }\n";

int uniform_lookups = 0;
PFNGLGETUNIFORMLOCATIONPROC real_get_uniform_location = nullptr;
GLint GLAPIENTRY counting_get_uniform_location(GLuint program, const GLchar* name) {
  ++uniform_lookups;
  return real_get_uniform_location(program, name);
}

GLint attached_shaders(GLuint program) {
  GLint n = -1;
  glGetProgramiv(program, GL_ATTACHED_SHADERS, &n);
  return n;
}

}  // namespace

class ProgramGLTest : public GLTest {};

TEST_F(ProgramGLTest, AssemblesLinksAndUses) {
  ProgramGL program;
  OutputCapture cap;
  ASSERT_EQ(program.assemble(kVertex, kFragment, true), 0) << cap.err();
  EXPECT_TRUE(glIsProgram(program.id()));
  EXPECT_EQ(attached_shaders(program.id()), 2);
  GLint linked = 0;
  glGetProgramiv(program.id(), GL_LINK_STATUS, &linked);
  EXPECT_EQ(linked, GL_TRUE);
  program.use();
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(program.id()));
  program.release();
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), 0);
  GLint during = -1;
  program.wrap([&] { glGetIntegerv(GL_CURRENT_PROGRAM, &during); }, true);
  EXPECT_EQ(during, static_cast<GLint>(program.id()));
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), 0);
  EXPECT_THROW(program.wrap(nullptr, true), std::bad_function_call);
  glUseProgram(0);
  EXPECT_TRUE(cap.err().empty()) << cap.err();
  program.clear();
  EXPECT_FALSE(glIsProgram(program.id()));
}

TEST_F(ProgramGLTest, VertexCompileErrorStopsBeforeTheFragmentShader) {
  ProgramGL program;
  OutputCapture cap;
  EXPECT_EQ(
      program.assemble("#version 450 compatibility\nvoid main() { oops; }\n", kFragment, true), 1);
  ASSERT_FALSE(program.vertex_log().empty());
  EXPECT_TRUE(program.fragment_log().empty());
  EXPECT_EQ(attached_shaders(program.id()), 0);  // the fragment shader was never made
  const std::string log = program.vertex_log();
  EXPECT_EQ(cap.err(),
            log + "\nProgramGL::assemble() - vertex shader compile error\n" + log + "\n");
  program.clear();
}

TEST_F(ProgramGLTest, FragmentAndLinkErrorsAreReported) {
  ProgramGL bad_fragment;
  OutputCapture cap;
  EXPECT_EQ(
      bad_fragment.assemble(kVertex, "#version 450 compatibility\nvoid main() { nope(); }\n", true),
      1);
  EXPECT_FALSE(bad_fragment.fragment_log().empty());
  EXPECT_NE(cap.err().find("ProgramGL::assemble() - fragment shader compile error\n"),
            std::string::npos);
  EXPECT_EQ(attached_shaders(bad_fragment.id()), 1);
  bad_fragment.clear();

  cap.reset();
  // A fragment shader that reads a varying no vertex shader writes fails to link.
  ProgramGL unlinkable;
  EXPECT_EQ(unlinkable.assemble(kVertex,
                                "#version 450 core\nin vec3 missing_in;\nout vec4 c;\n"
                                "void main() { c = vec4(missing_in, 1.0); }\n",
                                true),
            1);
  EXPECT_EQ(unlinkable.link_error(), 1);
  const std::string message = unlinkable.link_message();
  ASSERT_FALSE(message.empty());
  EXPECT_EQ(message.back(), '\0');  // the length OpenGL reports counts the terminator
  EXPECT_EQ(cap.err(), message + "\nProgramGL::assemble() - link error\n" + message + "\n");
  unlinkable.clear();
}

TEST_F(ProgramGLTest, EmptySourcesOnlyCreateTheProgram) {
  ProgramGL program;
  EXPECT_EQ(program.assemble("", "", false), 0);
  EXPECT_TRUE(glIsProgram(program.id()));
  EXPECT_EQ(attached_shaders(program.id()), 0);
  program.clear();
}

TEST_F(ProgramGLTest, UniformCacheAsksOpenGLOnce) {
  ProgramGL program;
  ASSERT_EQ(program.assemble(kVertex, kFragment, true), 0);
  real_get_uniform_location = glGetUniformLocation;
  glGetUniformLocation = counting_get_uniform_location;
  uniform_lookups = 0;
  const int tint = program.uniform_location("tint");
  EXPECT_EQ(program.uniform_location("tint"), tint);
  EXPECT_EQ(program.uniform_location("absent"), -1);
  EXPECT_EQ(program.uniform_location("absent"), -1);
  glGetUniformLocation = real_get_uniform_location;
  EXPECT_EQ(uniform_lookups, 2);
  EXPECT_GE(tint, 0);
  // A copy takes the cache with it.
  ProgramGL copy;
  copy = program;
  EXPECT_EQ(copy.id(), program.id());
  EXPECT_EQ(copy.uniform_location("tint"), tint);
  program.clear();
}

TEST_F(ProgramGLTest, UseReportsPendingAndOwnErrors) {
  ProgramGL program;
  ASSERT_EQ(program.assemble(kVertex, kFragment, true), 0);
  OutputCapture cap;
  glEnable(0xBAD);  // leaves GL_INVALID_ENUM pending
  program.use();
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(program.id()));
  EXPECT_EQ(cap.err(), "0: ProgramGL::use(" + std::to_string(program.id()) +
                           ") GL error 1280: " + gl_error_string(GL_INVALID_ENUM) + "\n");
  glUseProgram(0);
  cap.reset();
  ProgramGL unlinked;
  unlinked.create();
  unlinked.use();
  EXPECT_EQ(cap.err(), "1: ProgramGL::use(" + std::to_string(unlinked.id()) +
                           ") GL error 1282: " + gl_error_string(GL_INVALID_OPERATION) + "\n");
  unlinked.clear();
  program.clear();
}
