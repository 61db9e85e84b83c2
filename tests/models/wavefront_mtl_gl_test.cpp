// A material's textures and its OpenGL application, read back from OpenGL.
#include <sstream>

#include "models/wavefront_mtl.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/image_files.h"

using testing_support::GLTest;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

WavefrontMTL material_of(const std::string& text) {
  OutputCapture quiet;
  std::istringstream in(text);
  return WavefrontMTL::load(in, true, true).at(0);
}

Color4 gl_diffuse() {
  Color4 c{};
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, c.data());
  return c;
}

// Two brown pixels in a row.
const std::string kWood = testing_support::png_file(2, 1, 4, {120, 80, 40, 255, 90, 60, 30, 255});

}  // namespace

class WavefrontMTLGLTest : public GLTest {
 protected:
  TempDataRoot root_;
};

TEST_F(WavefrontMTLGLTest, ApplyWithoutDiffuseMapUnbindsTexturing) {
  Texture other;
  const unsigned char px[4] = {1, 2, 3, 4};
  other.set_data(1, 1, px, Texture::kRGBA);
  ASSERT_EQ(other.generate(GL_RGBA), 0);
  other.bind();
  ASSERT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(other.id()));

  // Textured false touches no texture state.
  const WavefrontMTL m = material_of("Kd 0.5 0.25 1\nmap_bump n.png");
  m.apply_gl(GL_FRONT_AND_BACK, false);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(other.id()));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(gl_diffuse(), (Color4{0.5f, 0.25f, 1, 1}));

  m.apply_gl(GL_FRONT_AND_BACK, true);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(gl_diffuse(), (Color4{0.5f, 0.25f, 1, 1}));
  other.clear();
}

TEST_F(WavefrontMTLGLTest, LoadTexturesKeepsWhatLoadedAndApplyBindsTheDiffuseMap) {
  root_.write("textures/wood.png", kWood);
  root_.write("textures/broken.png", "not a png");
  WavefrontMTL m = material_of(
      "Kd 0.2 0.4 0.6\nmap_Kd -clamp on wood.png\nmap_bump missing.png\nmap_Ks broken.png\n");
  OutputCapture capture;
  EXPECT_EQ(m.load_textures("textures\\"), 2);
  EXPECT_NE(capture.err().find("WavefrontMTL::load_textures() Error - file not found: "
                               "'missing.png', texture folder = 'textures'\n"),
            std::string::npos);
  EXPECT_NE(capture.err().find("WavefrontMTL::load_textures() Texture load error -3 for "
                               "textures/broken.png\n"),
            std::string::npos);
  ASSERT_EQ(m.textures().size(), 1u);
  const GLuint wood = m.textures().at("map_Kd").id();
  ASSERT_NE(wood, 0u);
  EXPECT_TRUE(glIsTexture(wood));

  // Copies share the OpenGL name.
  const WavefrontMTL copy = m;
  copy.apply_gl(GL_FRONT_AND_BACK, true);
  EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(wood));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(gl_diffuse(), (Color4{0.2f, 0.4f, 0.6f, 1}));
  glDisable(GL_TEXTURE_2D);

  // A file name that exists as given needs no folder.
  WavefrontMTL direct = material_of("map_Kd textures/wood.png");
  EXPECT_EQ(direct.load_textures("nowhere"), 0);
  EXPECT_EQ(direct.textures().count("map_Kd"), 1u);
  direct.textures().at("map_Kd").clear();
  m.textures().at("map_Kd").clear();
}

TEST_F(WavefrontMTLGLTest, MapFilesWithBlanksAndForeignPathsAreFoundInTheFolder) {
  root_.write("models/maps/old wood.png", kWood);
  root_.write("models/bark.png", kWood);
  // As written beside the material file, relative with a backslash, and an
  // absolute path of another machine whose image lies in the folder by its
  // bare name.
  WavefrontMTL m = material_of(
      "map_Kd maps\\old wood.png\n"
      "map_Ka .\\maps\\old wood.png\n"
      "map_Ks -bm 1 C:\\Export\\Textures\\bark.png\n");
  OutputCapture capture;
  EXPECT_EQ(m.load_textures("models"), 0) << capture.err();
  EXPECT_EQ(m.textures().size(), 3u);
  for (auto& [key, texture] : m.textures()) {
    EXPECT_EQ(texture.width(), 2u) << key;
    texture.clear();
  }
}

TEST_F(WavefrontMTLGLTest, SaveTexturesWritesEachStatedMapAsPng) {
  root_.write("textures/wood.png", kWood);
  WavefrontMTL m = material_of("map_Kd wood.png\n");
  OutputCapture capture;
  ASSERT_EQ(m.load_textures("textures"), 0);
  std::filesystem::create_directories(root_.path() / "out");
  EXPECT_EQ(m.save_textures("out"), 0);

  Texture original, saved;
  ASSERT_EQ(original.load_png("textures/wood.png", false, false, false), 0);
  ASSERT_EQ(saved.load_png("out/map_Kd.png", false, false, false), 0);
  EXPECT_EQ(saved.width(), 2u);
  EXPECT_EQ(saved.pixels(), original.pixels());

  EXPECT_EQ(m.save_textures("no_such_folder"), 1);
  m.textures().at("map_Kd").clear();
}
