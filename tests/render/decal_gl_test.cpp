// Decals drawn into an offscreen target: where they land, when they draw
// nothing, and the state they leave.
#include "render/decal.h"
#include "support/gl/gl_test.h"

using testing_support::OrthoViewTest;
using Pixel = std::array<unsigned char, 4>;

namespace {

const Pixel kBlack{0, 0, 0, 0};
const Pixel kRed{255, 0, 0, 255};
const Pixel kGreen{0, 255, 0, 255};

class DecalTest : public OrthoViewTest {
 protected:
  void SetUp() override {
    OrthoViewTest::SetUp();
    if (has_context()) glColor4f(1, 1, 1, 1);
  }

  // The decal's texture: left texel red, right texel green.
  static void red_green(Decal& d) {
    const unsigned char texels[8] = {255, 0, 0, 255, 0, 255, 0, 255};
    d.transfer(texels, sizeof texels, 2, 1, GL_RGBA, GL_UNSIGNED_BYTE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
};

}  // namespace

TEST_F(DecalTest, CoversItsWidthAndHeightAroundItsPosition) {
  Decal d;
  d.disable();  // neither rotation nor translation
  d.width = 2;
  d.height = 0.5f;
  red_green(d);
  d.init();
  d.render();
  EXPECT_EQ(at(-0.9f, 0.2f), kRed);
  EXPECT_EQ(at(0.9f, -0.2f), kGreen);
  for (const auto& [x, y] : {std::pair{-1.1f, 0.0f}, std::pair{1.1f, 0.0f}, std::pair{0.5f, 0.3f},
                             std::pair{0.5f, -0.3f}})
    EXPECT_EQ(at(x, y), kBlack) << x << "," << y;
  d.quad.clear();
  d.clear();
}

TEST_F(DecalTest, IsPlacedFromItsLocalFrameToTheScene) {
  Decal d;
  d.translate(0.5f, 0.0f, 0.0f);
  // Local x along the scene's y axis.
  const std::array<float, 9> quarter_turn{0, 1, 0, -1, 0, 0, 0, 0, 1};
  d.set_rotation(quarter_turn.data());
  d.width = 2;
  d.height = 0.5f;
  red_green(d);
  d.init();
  d.render();
  EXPECT_EQ(at(0.5f, 0.9f), kGreen);
  EXPECT_EQ(at(0.5f, -0.9f), kRed);
  EXPECT_EQ(at(0.0f, 0.9f), kBlack);
  d.quad.clear();
  d.clear();
}

TEST_F(DecalTest, DrawsNothingUninitialisedOrInvisible) {
  Decal never;
  never.render();
  EXPECT_EQ(never.id(), 0u);  // not even a texture name
  Decal hidden;
  red_green(hidden);
  hidden.init();
  hidden.visible = false;
  hidden.render();
  EXPECT_EQ(at(0, 0), kBlack);
  hidden.quad.clear();
  hidden.clear();
}

TEST_F(DecalTest, RestoresStateAndMakesATextureNameWhenItHasNone) {
  Decal d;
  d.init();
  d.depth_test = true;
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  const auto modelview = read_matrix(GL_MODELVIEW_MATRIX);
  d.render();
  EXPECT_NE(d.id(), 0u);
  EXPECT_TRUE(glIsTexture(d.id()));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), 0);
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), modelview);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);

  // Copies share the texture and the quad.
  Decal copy(d);
  EXPECT_EQ(copy.id(), d.id());
  EXPECT_EQ(copy.quad.id(), d.quad.id());
  EXPECT_EQ(copy.quad.mode().count, 6);
  d.quad.clear();
  d.clear();
}
