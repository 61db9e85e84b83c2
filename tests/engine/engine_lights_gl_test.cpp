// The engine's lights with OpenGL: the default rig, lamps taken from the
// objects of a model, and the per-drawing enable states and positions, all
// read back from GL.
#include <array>
#include <sstream>
#include <string>

#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "models/model_text.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;
using testing_support::OutputCapture;
using Vec4 = std::array<float, 4>;

namespace {

class EngineLightsGLTest : public GLTest {
 protected:
  void TearDown() override {
    for (int i = 0; i < get_int(GL_MAX_LIGHTS); ++i) glDisable(GL_LIGHT0 + i);
    glDisable(GL_LIGHTING);
    GLTest::TearDown();
  }

  // The lights' GL state, read back; positions in eye coordinates, so with
  // an identity model-view they are as sent.
  static Vec4 light(int i, GLenum what) {
    Vec4 v{};
    glGetLightfv(GL_LIGHT0 + i, what, v.data());
    return v;
  }
  static float light1(int i, GLenum what) { return light(i, what)[0]; }

  BasicEngine engine_;
  OutputCapture quiet_;  // kLight announces itself on construction
};

// Two lamp objects: "lampA" of three clusters (the first of two squares
// side by side), "lampB" of two, each square 0.2 on a side facing z; and an
// object that is no lamp.
std::string lamp_model() {
  std::ostringstream obj;
  int vertices = 0;
  auto square = [&](float x, float y, float z) {
    for (auto [dx, dy] : {std::pair{-0.1f, -0.1f}, {0.1f, -0.1f}, {0.1f, 0.1f}, {-0.1f, 0.1f}})
      obj << "v " << x + dx << " " << y + dy << " " << z << "\n";
    obj << "f " << vertices + 1 << " " << vertices + 2 << " " << vertices + 3 << " " << vertices + 4
        << "\n";
    vertices += 4;
  };
  obj << "o lampA\n";
  square(0.0f, 3.0f, 0.0f);
  square(0.2f, 3.0f, 0.0f);
  square(2.0f, 3.0f, 0.0f);
  square(4.0f, 3.0f, 0.0f);
  obj << "o lampB\n";
  square(0.0f, 3.0f, 2.0f);
  square(0.0f, 3.0f, 4.0f);
  obj << "o table\n";
  square(0.0f, 0.0f, 0.0f);
  return obj.str();
}

ProgramCfg lamp_section(const std::string& brightnesses) {
  ProgramCfg cfg;
  cfg["point_lights_objects"] = "lampA lampB";
  // lampB takes the radius and the brightness given as arguments; the third
  // ambient value has no name and is dropped.
  cfg["point_lights_radii"] = "0.5";
  cfg["point_lights_brightnesses"] = brightnesses;
  cfg["point_lights_ambient"] = "0.5 0.1 7";
  return cfg;
}

}  // namespace

TEST_F(EngineLightsGLTest, TheDefaultRigHasFourCornerLightsAndTheRestAtTheOrigin) {
  glEnable(GL_NORMALIZE);
  engine_.init_lights(6);
  ASSERT_EQ(engine_.lights().size(), 6u);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
  EXPECT_EQ(get_int(GL_LIGHT_MODEL_LOCAL_VIEWER), 1);
  EXPECT_EQ(get_int(GL_LIGHT_MODEL_TWO_SIDE), 0);

  // Positions are sent by apply_lighting, through the model-view matrix.
  engine_.apply_lighting();
  const std::array<Vec4, 6> positions{
      {{-3, 2, 3, 1}, {-3, 2, -3, 1}, {3, 2, 3, 1}, {3, 2, -3, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(engine_.lights()[static_cast<std::size_t>(i)].id(), GL_LIGHT0 + i);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0 + i));
    EXPECT_EQ(light(i, GL_POSITION), positions[static_cast<std::size_t>(i)]);
    EXPECT_EQ(light(i, GL_DIFFUSE), (Vec4{1, 1, 1, 1}));
    EXPECT_EQ(light(i, GL_SPECULAR), (Vec4{1, 1, 1, 1}));
    EXPECT_EQ(light(i, GL_AMBIENT), (Vec4{0.2f, 0.2f, 0.2f, 0.2f}));
    EXPECT_EQ(light1(i, GL_CONSTANT_ATTENUATION), 0.0f);
    EXPECT_EQ(light1(i, GL_LINEAR_ATTENUATION), 0.0f);
    EXPECT_NEAR(light1(i, GL_QUADRATIC_ATTENUATION), 0.010869565f, 1e-8f);
  }

  // Positions follow the view loaded before apply_lighting; a light
  // switched off is disabled in GL.
  engine_.lights()[1].enabled(false);
  glTranslatef(0.0f, 0.0f, -1.0f);
  engine_.apply_lighting();
  EXPECT_EQ(light(0, GL_POSITION), (Vec4{-3, 2, 2, 1}));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
}

TEST_F(EngineLightsGLTest, ACountBeyondGLsLightsOrBelowOneMakesNoGLError) {
  const int max = get_int(GL_MAX_LIGHTS);
  engine_.init_lights(max + 5);
  EXPECT_EQ(engine_.lights().size(), static_cast<std::size_t>(max));
  engine_.apply_lighting();
  for (int n : {0, -3}) {
    engine_.init_lights(n);
    EXPECT_TRUE(engine_.lights().empty()) << n;
    engine_.apply_lighting();
  }
  EXPECT_TRUE(testing_support::drain_gl_errors().empty());
}

TEST_F(EngineLightsGLTest, EachClusterOfALampObjectTakesTheNextLight) {
  OBJRenderer model = testing_support::model_of(lamp_model());
  ProgramCfg cfg = lamp_section("2");
  engine_.init_lights(4);
  ASSERT_EQ(engine_.load_obj_lighting(4, model, cfg, 1.0f, 1.0f, 0.2f), 0);
  ASSERT_EQ(engine_.lights().size(), 4u);
  engine_.apply_lighting();

  // lampA's three clusters, then lampB's first; its second finds no light.
  // A cluster's light sits at the mean of all its faces and fades with
  // their area over the brightness.
  struct Expected {
    Vec4 position;
    float quadratic;
    float ambient;
  };
  const std::array<Expected, 4> expected{{{{0.1f, 3, 0, 1}, 0.08f / 2, 0.5f},
                                          {{2, 3, 0, 1}, 0.04f / 2, 0.5f},
                                          {{4, 3, 0, 1}, 0.04f / 2, 0.5f},
                                          {{0, 3, 2, 1}, 0.04f / 1, 0.1f}}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Expected& e = expected[static_cast<std::size_t>(i)];
    const Vec4 p = light(i, GL_POSITION);
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(p[c], e.position[c], 1e-5f);
    EXPECT_NEAR(light1(i, GL_QUADRATIC_ATTENUATION), e.quadratic, 1e-6f);
    EXPECT_EQ(light1(i, GL_CONSTANT_ATTENUATION), 0.0f);
    EXPECT_EQ(light(i, GL_AMBIENT), (Vec4{e.ambient, e.ambient, e.ambient, e.ambient}));
  }
  // The settings read nothing into the section.
  EXPECT_EQ(cfg.fields().size(), 4u);
}

TEST_F(EngineLightsGLTest, TooFewLightsGrowTheRigAndNoLampLeavesItAlone) {
  OBJRenderer model = testing_support::model_of(lamp_model());
  ProgramCfg cfg = lamp_section("2");
  EXPECT_EQ(engine_.load_obj_lighting(8, model, cfg, 1.0f, 1.0f, 0.2f), 0);
  EXPECT_EQ(engine_.lights().size(), 5u);

  // No names, or names without faces: 1 and the rig as it was.
  for (const char* names : {"", "nothing here"}) {
    ProgramCfg none;
    none["point_lights_objects"] = names;
    EXPECT_EQ(engine_.load_obj_lighting(8, model, none, 1.0f, 1.0f, 0.2f), 1) << names;
    EXPECT_EQ(engine_.lights().size(), 5u);
  }
  ProgramCfg empty;
  EXPECT_EQ(engine_.load_obj_lighting(8, model, empty, 1.0f, 1.0f, 0.2f), 1);
  EXPECT_EQ(engine_.load_obj_lighting(0, model, cfg, 1.0f, 1.0f, 0.2f), 1);
  EXPECT_EQ(engine_.lights().size(), 5u);
}

TEST_F(EngineLightsGLTest, ABrightnessOfZeroOrLessMakesADarkLampNotAGLError) {
  OBJRenderer model = testing_support::model_of(lamp_model());
  for (const char* brightness : {"0", "-2"}) {
    ProgramCfg cfg = lamp_section(brightness);
    engine_.init_lights(4);
    EXPECT_EQ(engine_.load_obj_lighting(4, model, cfg, 1.0f, 1.0f, 0.2f), 0);
    EXPECT_TRUE(testing_support::drain_gl_errors().empty()) << brightness;
    EXPECT_GT(light1(0, GL_QUADRATIC_ATTENUATION), 1e30f) << brightness;
    EXPECT_NEAR(light1(3, GL_QUADRATIC_ATTENUATION), 0.04f, 1e-6f) << brightness;
  }
}
