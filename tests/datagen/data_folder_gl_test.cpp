// The generated pictures and model surfaces become OpenGL textures, and the
// models their vertex arrays, the way the engine's loaders make them.
#include "datagen/data_folder.h"
#include "render/texture.h"
#include "support/gl/gl_test.h"

namespace datagen_test {
namespace {

using DataFolderGLTest = DataFolderFixture<testing_support::GLTest>;

TEST_F(DataFolderGLTest, ModelsBuildTheirArraysAndFindTheirMapsInBothFolders) {
  const EngineSettings s = settings();
  std::vector<std::string> descriptions{"gamepad.ini"};
  const ProgramCfg objects = cfg("pool_objects");
  for (const auto& [key, field] : objects.fields()) descriptions.push_back(field.str());
  for (const std::string& d : descriptions) {
    SCOPED_TRACE(d);
    OBJRenderer model = load_model(d);
    model.construct_materials_attributes(true);
    model.construct_materials_attributes(false);
    testing_support::OutputCapture capture;
    const std::vector<VAO> opaque =
        model.material_attribute_vaos(model.opaque_material_names(), true);
    model.material_attribute_vaos(model.transparent_material_names(), false);
    EXPECT_FALSE(opaque.empty());
    for (const VAO& vao : opaque) EXPECT_NE(vao.id(), 0u);
    // The engine looks for the maps beside the models, then in textures/.
    EXPECT_EQ(model.load_textures(s.root() + s.models_folder()), 0);
    EXPECT_EQ(model.load_textures(s.root() + s.textures_folder()), 0);
    EXPECT_EQ(capture.err(), "");
    for (const WavefrontMTL& m : model.materials())
      EXPECT_EQ(m.textures().size(), m.map_text().size()) << m.name();
    EXPECT_EQ(model.render_opaque(true), 0);
  }
}

TEST_F(DataFolderGLTest, PicturesBecomeTextures) {
  const EngineSettings s = settings();
  std::vector<std::string> files{"solid_felt_4.png", "tlv-transp.png", "merv-banner.png",
                                 "merivane(R)-ecl-transp.png", "controls/keyboard_Enter.png"};
  for (int n = 0; n < 16; ++n) files.push_back("Ball" + std::to_string(n) + ".png");
  for (const std::string& f : files) {
    Texture t;
    testing_support::OutputCapture capture;
    EXPECT_EQ(t.load(s.root() + s.textures_folder() + "/" + f, true, true, false), 0) << f;
    EXPECT_EQ(capture.err(), "") << f;
    EXPECT_NE(t.id(), 0u) << f;
    t.clear();
  }
}

}  // namespace
}  // namespace datagen_test
