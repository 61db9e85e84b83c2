#include <cmath>

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
