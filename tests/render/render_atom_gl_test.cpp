#include "render/render_atom.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;
using testing_support::OffscreenTarget;

namespace {

// A triangle covering the whole viewport, with texture coordinates.
VAO full_screen_triangle() {
  VAO vao;
  vao.construct_compatibility({-1, -1, 0, 3, -1, 0, -1, 3, 0}, {}, {0, 0, 2, 0, 0, 2}, 3, 3, 2);
  return vao;
}

// Lit by its own emission only: the drawn colour is the material colour.
Material glowing(float r, float g, float b) {
  Material m;
  const float c[4] = {r, g, b, 1};
  m.set_color(c, 0.0f, 0.0f, 1.0f, 0.0f);
  return m;
}

TextureGL solid_texture(unsigned char r, unsigned char g, unsigned char b) {
  TextureGL t;
  const unsigned char px[4] = {r, g, b, 255};
  t.transfer(px, 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  t.release();
  return t;
}

class RenderAtomTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (!has_context() || HasFatalFailure()) return;
    glEnable(GL_LIGHTING);
    const float none[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
  }
  void TearDown() override {
    glDisable(GL_LIGHTING);
    const float standard[4] = {0.2f, 0.2f, 0.2f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, standard);
    GLTest::TearDown();
  }
};

}  // namespace

TEST_F(RenderAtomTest, DrawsWithItsMaterialAndRestoresState) {
  OffscreenTarget target(8, 8);
  RenderAtom atom(full_screen_triangle(), TextureGL(0), glowing(1, 0, 0));
  const GLint depth = get_int(GL_MODELVIEW_STACK_DEPTH);
  atom.draw_arrays(true);
  EXPECT_EQ(target.pixel(4, 4), (std::array<unsigned char, 4>{255, 0, 0, 255}));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(get_int(GL_ATTRIB_STACK_DEPTH), 0);
  EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), depth);
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), 0);
  atom.clear();
}

TEST_F(RenderAtomTest, PoseIsAppliedOnlyWhenAsked) {
  OffscreenTarget target(8, 8);
  RenderAtom atom(full_screen_triangle(), TextureGL(0), glowing(0, 0, 1));
  atom.pose()[3] = 10.0f;  // far off to the right
  atom.draw_arrays(true);
  EXPECT_EQ(target.pixel(4, 4)[2], 0);
  atom.draw_arrays(false);
  EXPECT_EQ(target.pixel(4, 4)[2], 255);
  atom.clear();
}

TEST_F(RenderAtomTest, MoleculeSkipsARepeatedTextureBindButStillTextures) {
  OffscreenTarget target(8, 8);
  const TextureGL green = solid_texture(0, 255, 0);
  RenderMolecule molecule;
  molecule.draw();  // empty: nothing
  molecule += RenderAtom(full_screen_triangle(), green, glowing(1, 1, 1));
  molecule += RenderAtom(full_screen_triangle(), green, glowing(1, 1, 1));
  molecule.atoms()[1].pose()[7] = 0.0f;

  molecule.draw_atom(0);
  // The first atom's texture was bound outside the saved state.
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(green.id()));
  glBindTexture(GL_TEXTURE_2D, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  molecule.draw_atom(1);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);  // no second bind
  EXPECT_EQ(target.pixel(4, 4), (std::array<unsigned char, 4>{0, 255, 0, 255}));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  molecule.draw_atom(99);  // outside the list: nothing
  for (RenderAtom& a : molecule.atoms()) a.clear();
  TextureGL(green).clear();
}
