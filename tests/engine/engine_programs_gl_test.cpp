// The engine's lens and mirror-sphere programs compiled and linked by Mesa,
// the sphere uniform read back from GL, and the display-mode choice with
// freeglut running (under Xvfb freeglut accepts no game mode).
#include <algorithm>
#include <string>
#include <vector>

#include "engine/basic_engine.h"
#include "platform/glut_guard.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

using testing_support::drain_gl_errors;
using testing_support::GLTest;
using testing_support::OutputCapture;
using testing_support::program_linked;
using testing_support::TempDataRoot;

namespace {

// The texts of the shaders attached to the program, one after the other.
std::string shader_texts(GLuint program) {
  GLuint shaders[4] = {0, 0, 0, 0};
  GLsizei count = 0;
  glGetAttachedShaders(program, 4, &count, shaders);
  std::string text;
  for (GLsizei i = 0; i < count; ++i) {
    GLint length = 0;
    glGetShaderiv(shaders[i], GL_SHADER_SOURCE_LENGTH, &length);
    std::string source(static_cast<std::size_t>(std::max(length, 1)), '\0');
    glGetShaderSource(shaders[i], length, nullptr, source.data());
    text += source.c_str();
  }
  return text;
}

std::array<float, 4> sphere_uniform(GLuint program) {
  std::array<float, 4> v{-9, -9, -9, -9};
  const GLint location = glGetUniformLocation(program, "sphere_center_radius");
  EXPECT_GE(location, 0);
  if (location >= 0) glGetUniformfv(program, location, v.data());
  return v;
}

class EnginePrograms : public GLTest {
 protected:
  BasicEngine engine_;
};

}  // namespace

TEST_F(EnginePrograms, LensAndMirrorSphereProgramsLinkOnMesa) {
  const struct {
    bool lens, textured, write_depth;
  } cases[] = {
      {true, false, false}, {true, true, false},  {false, false, false},
      {false, true, false}, {false, false, true}, {false, true, true},
  };
  for (unsigned int lights : {0u, 3u}) {
    engine_.lights().assign(lights, kLight());
    for (const auto& c : cases) {
      const std::string what = std::string(c.lens ? "lens" : "sphere") +
                               (c.textured ? ", textured" : "") + (c.write_depth ? ", depth" : "") +
                               ", " + std::to_string(lights) + " lights";
      OutputCapture cap;
      const GLuint program =
          c.lens ? engine_.lens_program("lens", c.textured)
                 : engine_.reflect_sphere_program("sphere", c.textured, c.write_depth);
      ASSERT_TRUE(program_linked(program)) << what << "\n" << cap.err();
      // Texturing, the depth output and the light count reach the program.
      EXPECT_EQ(glGetUniformLocation(program, "mytexture") >= 0, c.textured) << what;
      const std::string texts = shader_texts(program);
      EXPECT_EQ(texts.find("gl_FragDepth = frag_depth") != std::string::npos, c.write_depth)
          << what;
      EXPECT_EQ(texts.find("frag_depth") != std::string::npos, c.write_depth) << what;
      EXPECT_NE(texts.find("#define NUM_LIGHTS " + std::to_string(lights) + "\n"),
                std::string::npos)
          << what;
      EXPECT_NE(texts.find(c.lens ? "normalize(lens_orientation[3]-vtx_temp)"
                                  : "normalize(sphere_center_radius.xyz-vtx_temp)"),
                std::string::npos)
          << what;
      glDeleteProgram(program);
    }
  }
}

TEST_F(EnginePrograms, TheSphereUniformGoesToItsProgramAlone) {
  OutputCapture cap;
  const GLuint sphere = engine_.reflect_sphere_program("sphere", false, true);
  const GLuint lens = engine_.lens_program("lens", true);
  ASSERT_TRUE(program_linked(sphere) && program_linked(lens)) << cap.err();

  glUseProgram(sphere);
  engine_.reflect_sphere_center_radius(sphere, 2.0f, {0, 0, -5});
  EXPECT_EQ(sphere_uniform(sphere), (std::array<float, 4>{0, 0, -5, 2}));

  // Another program current: it stays current, the sphere's program gets the
  // values and nothing is written into the current one.
  glUseProgram(lens);
  engine_.reflect_sphere_center_radius(sphere, 0.5f, {1, 2, -3});
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(lens));
  EXPECT_EQ(sphere_uniform(sphere), (std::array<float, 4>{1, 2, -3, 0.5f}));

  // No such uniform, no program, a name that is no program: nothing at all.
  engine_.reflect_sphere_center_radius(lens, 1.0f, {1, 1, 1});
  engine_.reflect_sphere_center_radius(0, 1.0f, {1, 1, 1});
  engine_.reflect_sphere_center_radius(sphere + lens + 1000, 1.0f, {1, 1, 1});
  EXPECT_TRUE(drain_gl_errors().empty());
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(lens));

  glUseProgram(0);
  glDeleteProgram(sphere);
  glDeleteProgram(lens);
}

TEST_F(EnginePrograms, UnderXvfbTheScreenSizeIsTheModeFreeglutIsHanded) {
  TempDataRoot root;
  const std::array<int, 2> screen = platform::glut_guard::screen_size();
  ASSERT_GT(screen[0], 0);
  OutputCapture quiet;
  // freeglut's own probe answers no mode here: the screen's size is the one.
  ASSERT_EQ(engine_.auto_game_mode(true, ""), 0);
  EXPECT_EQ(engine_.window().get_resolution(), screen);
  EXPECT_EQ(glutGameModeGet(GLUT_GAME_MODE_WIDTH), screen[0]);
  EXPECT_EQ(glutGameModeGet(GLUT_GAME_MODE_HEIGHT), screen[1]);

  // A display that lists two modes, the setting naming the first.
  BasicEngine other;
  other.window().mode_probe(
      [](const std::string& mode) { return mode == "1280x720" || mode == "1920x1080"; });
  root.write("cfg/video_settings.ini", "resolution = 1280x720\n");
  ASSERT_EQ(other.auto_game_mode(false, ""), 0);
  EXPECT_EQ(other.window().get_resolution(), (std::array<int, 2>{1280, 720}));
  EXPECT_EQ(glutGameModeGet(GLUT_GAME_MODE_WIDTH), 1280);
  EXPECT_EQ(glutGameModeGet(GLUT_GAME_MODE_HEIGHT), 720);
  EXPECT_EQ(glutGameModeGet(GLUT_GAME_MODE_ACTIVE), 0);

  // With freeglut's own probe again, the stored size fits on the screen and
  // is taken: the window opens at 1280 x 720.
  BasicEngine windowed;
  ASSERT_EQ(windowed.auto_game_mode(true, ""), 0);
  EXPECT_EQ(windowed.window().get_resolution(), (std::array<int, 2>{1280, 720}));
}
