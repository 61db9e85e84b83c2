#include <cmath>
#include <functional>

#include "render/material.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;

namespace {

Color4 material_color(GLenum pname) {
  Color4 c{};
  glGetMaterialfv(GL_FRONT, pname, c.data());
  return c;
}

float material_shininess() {
  float s = -1;
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &s);
  return s;
}

Color4 light_color(GLenum light, GLenum pname) {
  Color4 c{};
  glGetLightfv(light, pname, c.data());
  return c;
}

}  // namespace

class MaterialTest : public GLTest {};

TEST_F(MaterialTest, NewMaterialSendsItsAlphaIntoEmissionAndAmbient) {
  Material m;
  m.colorGL();
  EXPECT_EQ(material_color(GL_DIFFUSE), (Color4{1, 1, 1, 1}));
  EXPECT_EQ(material_color(GL_SPECULAR), (Color4{0, 0, 0, 0}));
  EXPECT_EQ(material_color(GL_EMISSION), (Color4{0, 0, 0, 1}));
  EXPECT_EQ(material_color(GL_AMBIENT), (Color4{0, 0, 0, 1}));
  EXPECT_EQ(material_shininess(), 0.0f);
}

TEST_F(MaterialTest, ShininessIsClampedAndNaNSendsZero) {
  const struct { float stored, sent; } cases[] = {{200, 128}, {-3, 0}, {64, 64}, {NAN, 0}};
  for (const auto& c : cases) {
    Material m;
    m.set_spec(0.5f, 1.0f, c.stored);
    m.colorGL();
    EXPECT_EQ(material_shininess(), c.sent) << "stored " << c.stored;
  }
}

TEST_F(MaterialTest, ColourSettersAndAlpha) {
  Material m;
  const float c[4] = {0.4f, 0.2f, 0.8f, 0.5f};
  m.set_color(c, 0.5f, 0.25f, 0.5f, 32.0f);
  EXPECT_EQ(m.ambient(), (Color4{0.2f, 0.1f, 0.4f, 1}));
  EXPECT_EQ(m.specular(), (Color4{0.25f, 0.25f, 0.25f, 1}));
  EXPECT_EQ(m.emission(), (Color4{0.2f, 0.1f, 0.4f, 0}));
  m.set_alpha(0.3f);
  for (const Color4* col : {&m.diffuse(), &m.ambient(), &m.specular(), &m.emission()})
    EXPECT_EQ((*col)[3], 0.3f);
  m.set_amb(2.0f, 0.7f);
  EXPECT_EQ(m.ambient(), (Color4{0.8f, 0.4f, 1.6f, 0.7f}));
  m.set_emiss(0.5f, 0.9f);
  EXPECT_EQ(m.emission(), (Color4{0.2f, 0.1f, 0.4f, 0.9f}));
  m.set_spec(0.1f, 0.2f, 0.3f, 0.4f, 10.0f);
  EXPECT_EQ(m.specular(), (Color4{0.1f, 0.2f, 0.3f, 0.4f}));
  m.colorGL();
  // The material alpha replaces the alpha of diffuse, emission and ambient only.
  EXPECT_EQ(material_color(GL_AMBIENT)[3], 0.3f);
  EXPECT_EQ(material_color(GL_EMISSION)[3], 0.3f);
  EXPECT_EQ(material_color(GL_SPECULAR)[3], 0.4f);
  EXPECT_EQ(material_shininess(), 10.0f);
}

TEST_F(MaterialTest, DisabledMaterialSendsNothing) {
  Material red;
  red.set_color(1, 0, 0, 1);
  red.colorGL();
  Material blue;
  blue.set_color(0, 0, 1, 1);
  blue.disable();
  EXPECT_FALSE(blue.enabled());
  blue.colorGL();
  EXPECT_EQ(material_color(GL_DIFFUSE), (Color4{1, 0, 0, 1}));
}

// The state in which an invisible volume is drawn: lit, blended over the
// scene with source alpha and one minus source alpha, depth tested but not
// written. A grey square lies under the middle of the view.
class InvisibleSurface : public testing_support::OrthoViewTest {
 protected:
  void SetUp() override {
    OrthoViewTest::SetUp();
    if (!has_context()) return;
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    square(0.5f);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    volume_.set_color(1.0f, 0.0f, 0.0f, 1.0f);
    volume_.set_alpha(0.0f);
  }
  void TearDown() override {
    if (has_context()) glPopAttrib();
    OrthoViewTest::TearDown();
  }

  // A square across the middle of the view, facing it, at depth z.
  static void square(float z) {
    glNormal3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, -1.0f, z);
    glVertex3f(1.0f, -1.0f, z);
    glVertex3f(1.0f, 1.0f, z);
    glVertex3f(-1.0f, 1.0f, z);
    glEnd();
  }

  Material volume_;
};

TEST_F(InvisibleSurface, AnAlphaZeroMaterialBlendedOverTheSceneLeavesNoTraceAndIsKnownToLeaveNone) {
  const auto middle = at(0.0f, 0.0f), outside = at(1.5f, 1.5f);
  volume_.colorGL();
  EXPECT_TRUE(volume_.leaves_no_trace());
  square(0.8f);
  EXPECT_EQ(at(0.0f, 0.0f), middle);
  EXPECT_EQ(at(1.5f, 1.5f), outside);
  // Nor did it write depth: a square behind it still shows.
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
  square(0.7f);
  glPopAttrib();
  EXPECT_EQ(at(0.0f, 0.0f)[1], 255);
}

TEST_F(InvisibleSurface, AnyStateOrMaterialThatCouldShowIsNotTakenForInvisible) {
  const struct {
    const char* what;
    std::function<void(Material&)> change;
  } cases[] = {
      {"alpha above 0", [](Material& m) { m.set_alpha(0.01f); }},
      {"material disabled", [](Material& m) { m.disable(); }},
      {"front faces only", [](Material& m) { m.face(GL_FRONT); }},
      {"blending off", [](Material&) { glDisable(GL_BLEND); }},
      {"adding blend", [](Material&) { glBlendFunc(GL_ONE, GL_ONE); }},
      {"subtracting blend", [](Material&) { glBlendEquation(GL_FUNC_REVERSE_SUBTRACT); }},
      {"logic op", [](Material&) { glEnable(GL_COLOR_LOGIC_OP); }},
      {"depth written", [](Material&) { glDepthMask(GL_TRUE); }},
      {"stencil test", [](Material&) { glEnable(GL_STENCIL_TEST); }},
      {"lighting off (the current colour's alpha)", [](Material&) { glDisable(GL_LIGHTING); }},
      {"colour material", [](Material&) { glEnable(GL_COLOR_MATERIAL); }},
      {"texture replacing",
       [](Material&) { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE); }},
      {"alpha forced to one", [](Material&) { glEnable(GL_SAMPLE_ALPHA_TO_ONE); }},
  };
  for (const auto& c : cases) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    Material m = volume_;
    c.change(m);
    m.colorGL();
    EXPECT_FALSE(m.leaves_no_trace()) << c.what;
    glPopAttrib();
  }
  // The one that shows plainly: without blending the volume paints over the
  // scene.
  const auto middle = at(0.0f, 0.0f);
  glDisable(GL_BLEND);
  volume_.colorGL();
  square(0.8f);
  EXPECT_NE(at(0.0f, 0.0f), middle);
}

class LightTest : public GLTest {};

TEST_F(LightTest, DefaultLightAndConstructorLine) {
  testing_support::OutputCapture cap;
  kLight light;
  EXPECT_EQ(light.id(), GL_LIGHT0);
  EXPECT_FALSE(light.directional());
  EXPECT_EQ(light.position()[3], 1.0f);
  EXPECT_EQ(cap.out(), "kLight(): id__ = 16384, id_=16384\n");
}

TEST_F(LightTest, BrightnessScalesDiffuseAndSpecularColourOnly) {
  kLight light(GL_LIGHT2, false);
  light.set_color(Color4{0.8f, 0.6f, 0.4f, 1.0f}, 0.5f, 0.25f);
  EXPECT_EQ(light_color(GL_LIGHT2, GL_DIFFUSE), (Color4{0.8f, 0.6f, 0.4f, 1.0f}));
  EXPECT_EQ(light_color(GL_LIGHT2, GL_SPECULAR), (Color4{0.4f, 0.3f, 0.2f, 0.5f}));
  EXPECT_EQ(light_color(GL_LIGHT2, GL_AMBIENT), (Color4{0.2f, 0.15f, 0.1f, 0.25f}));
  light.brightness(0.5f);
  EXPECT_EQ(light_color(GL_LIGHT2, GL_DIFFUSE), (Color4{0.4f, 0.3f, 0.2f, 1.0f}));
  EXPECT_EQ(light_color(GL_LIGHT2, GL_SPECULAR), (Color4{0.2f, 0.15f, 0.1f, 0.5f}));
  EXPECT_EQ(light_color(GL_LIGHT2, GL_AMBIENT), (Color4{0.2f, 0.15f, 0.1f, 0.25f}));
  light.set_color(0.1f, 0.2f, 0.3f, 0.4f);
  EXPECT_EQ(light_color(GL_LIGHT2, GL_AMBIENT), (Color4{0, 0, 0, 0}));
  EXPECT_EQ(light_color(GL_LIGHT2, GL_SPECULAR), (Color4{0.05f, 0.1f, 0.15f, 0.4f}));
  EXPECT_EQ(light.get_color(), (Color4{0.1f, 0.2f, 0.3f, 0.4f}));
}

TEST_F(LightTest, PositionKeepsItsKindAndInitSwitchesTheLight) {
  kLight point(GL_LIGHT1, false), sun(GL_LIGHT3, true);
  point.set_position(1, 2, 3, 0.5f);
  sun.set_position(std::array<float, 4>{1, 2, 3, 1});
  EXPECT_EQ(point.position()[3], 1.0f);
  EXPECT_EQ(sun.position()[3], 0.0f);
  point.initGL();
  sun.enabled(false);
  sun.initGL();
  EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
  // The position is sent through the identity modelview unchanged.
  EXPECT_EQ(light_color(GL_LIGHT1, GL_POSITION), (Color4{1, 2, 3, 1}));
  point.attenuation() = {1, 0.5f, 0.25f};
  point.apply_attenuation_gl();
  float q = 0;
  glGetLightfv(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, &q);
  EXPECT_EQ(q, 0.25f);
  point.set_position(nullptr);
  EXPECT_EQ(point.position()[0], 0.0f);
  glDisable(GL_LIGHT1);
}
