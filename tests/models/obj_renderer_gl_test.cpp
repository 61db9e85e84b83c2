// OBJRenderer with OpenGL: per-material VAOs read back from OpenGL, drawing
// checked by pixels, the transparent passes, and a model read and prepared
// on a worker thread and finished on the OpenGL thread.
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/image_files.h"

using testing_support::buffer_floats;
using testing_support::GLTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Names = std::vector<std::string>;
using Pixel = std::array<unsigned char, 4>;

namespace {

// The viewport-filling square, counter-clockwise (front-facing), with
// texture coordinates; `material` names its material.
std::string square(const std::string& material, bool clockwise = false) {
  return "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
         "usemtl " +
         material + (clockwise ? "\nf 4/4/1 3/3/1 2/2/1 1/1/1\n" : "\nf 1/1/1 2/2/1 3/3/1 4/4/1\n");
}

// Colours come from the emission alone: lighting on, no light, no ambient.
const std::string kMaterials =
    "newmtl red\nKe 1 0 0\n"
    "newmtl blue\nKe 0 0 1\nd 0.5\n"
    "newmtl green\nKe 0 1 0\nd 0.5\n"
    "newmtl wood\nKe 1 1 1\nmap_Kd wood.png\n";

class OBJRendererGLTest : public GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (!has_context()) return;
    root_.write("models/m.mtl", kMaterials);
    root_.write("models/wood.png", testing_support::png_file(2, 2, 4,
                                                             {40, 200, 90, 255, 40, 200, 90, 255,
                                                              40, 200, 90, 255, 40, 200, 90, 255}));
    glEnable(GL_LIGHTING);
  }
  void TearDown() override {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    for (OBJRenderer* m : models_) {
      for (VAO vao : m->opaque_vaos()) vao.clear();
      for (VAO vao : m->transparent_vaos()) vao.clear();
      for (WavefrontMTL& mtl : m->materials())
        for (auto& [key, texture] : mtl.textures()) texture.clear();
    }
    GLTest::TearDown();
  }

  // A model read from models/<name>.obj with the MTL file above.
  OBJRenderer& load(const std::string& name, const std::string& body) {
    root_.write("models/" + name + ".obj", "mtllib m.mtl\n" + body);
    owned_.push_back(std::make_unique<OBJRenderer>());
    OutputCapture quiet;
    EXPECT_EQ(owned_.back()->load("models/" + name + ".obj"), 0);
    models_.push_back(owned_.back().get());
    return *owned_.back();
  }

  static Pixel draw(const std::function<void()>& render) {
    OffscreenTarget target(4, 4);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    render();
    return target.pixel(2, 2);
  }

  TempDataRoot root_;
  std::vector<std::unique_ptr<OBJRenderer>> owned_;
  std::vector<OBJRenderer*> models_;
};

bool near(const Pixel& p, int r, int g, int b) {
  return std::abs(p[0] - r) <= 2 && std::abs(p[1] - g) <= 2 && std::abs(p[2] - b) <= 2;
}

}  // namespace

TEST_F(OBJRendererGLTest, MaterialVAOsHoldTheTrianglesAndDrawWithTheirMaterial) {
  OBJRenderer& model = load("red", square("red"));
  // With a window, the reader leaves the flags as they were.
  model.auto_create_vaos(true, true);
  OutputCapture quiet;
  const std::vector<VAO> vaos = model.default_material_vaos(true);
  ASSERT_EQ(vaos.size(), 1u);
  ASSERT_EQ(model.opaque_material_names(), Names{"red"});
  const VAO& vao = model.opaque_vaos()[0];
  EXPECT_TRUE(glIsVertexArray(vao.id()));
  EXPECT_EQ(vao.mode().mode, static_cast<GLenum>(GL_TRIANGLES));
  EXPECT_EQ(vao.mode().first, 0);
  EXPECT_EQ(vao.mode().count, 6);
  ASSERT_EQ(vao.owned_buffers().size(), 3u);
  const OBJRenderer::Attributes arrays = model.construct_material_attributes("red");
  EXPECT_EQ(buffer_floats(vao.owned_buffers()[0]), arrays[0]);
  EXPECT_EQ(buffer_floats(vao.owned_buffers()[1]), arrays[1]);
  // Texture coordinates go up as s and t.
  EXPECT_EQ(buffer_floats(vao.owned_buffers()[2]).size(), 12u);
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), 0);

  EXPECT_TRUE(near(draw([&] { EXPECT_EQ(model.render(true, 0), 0); }), 255, 0, 0));
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), 0);
  // Lists of different lengths draw nothing; a VAO without a name is skipped.
  EXPECT_TRUE(near(draw([&] {
                     EXPECT_EQ(model.render_vaos({vao, vao}, {"red"}, true), -1);
                   }),
                   0, 0, 0));
  EXPECT_TRUE(
      near(draw([&] { EXPECT_EQ(model.render_vaos({VAO()}, {"red"}, true), 0); }), 0, 0, 0));

  // The whole model when no arrays are given.
  VAO whole = model.vao({});
  EXPECT_EQ(whole.mode().count, 6);
  whole.clear();
}

TEST_F(OBJRendererGLTest, MaterialsWithoutFacesGetVAOsThatDrawNothing) {
  OBJRenderer& model = load("unused", square("red"));
  OutputCapture quiet;
  const std::vector<VAO> vaos = model.material_vaos({"green", "red"}, true);
  ASSERT_EQ(vaos.size(), 2u);
  EXPECT_EQ(vaos[0].id(), 0u);
  EXPECT_NE(vaos[1].id(), 0u);
  // The names stay as they were: render_vaos refuses lists that differ.
  EXPECT_TRUE(model.opaque_material_names().empty());
  EXPECT_EQ(model.render_opaque(true), -1);
  EXPECT_EQ(model.material_attribute_vao("green", true).id(), 0u);
}

TEST_F(OBJRendererGLTest, MaterialsTheFileLacksAreNamedOnceAndTheirFacesLeftOut) {
  // The red square, then the same square in two materials m.mtl lacks: drawn
  // in the default material they would cover it in black.
  const std::string body = square("red") + "usemtl brass\nf 1/1/1 2/2/1 3/3/1 4/4/1\n" +
                           "usemtl gold\nf 1/1/1 2/2/1 3/3/1 4/4/1\n";
  root_.write("models/lacking.obj", "mtllib m.mtl\n" + body);
  owned_.push_back(std::make_unique<OBJRenderer>());
  OBJRenderer& model = *owned_.back();
  models_.push_back(&model);
  OutputCapture capture;
  ASSERT_EQ(model.load("models/lacking.obj"), 0);
  model.auto_create_vaos(true, true);
  model.default_material_vaos(true);
  model.default_material_vaos(false);
  ASSERT_EQ(model.opaque_material_names(), (Names{"red", "brass", "gold"}));
  EXPECT_EQ(model.missing_materials(), (Names{"brass", "gold"}));
  for (int frame = 0; frame < 50; ++frame)
    EXPECT_TRUE(near(draw([&] { EXPECT_EQ(model.render(true, 0), 0); }), 255, 0, 0));

  const std::string err = capture.err();
  const auto count = [&err](const std::string& part) {
    int n = 0;
    for (auto at = err.find(part); at != std::string::npos; at = err.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("not found"), 0) << err;
  EXPECT_EQ(count("brass"), 1) << err;
  EXPECT_EQ(count("gold"), 1) << err;
  EXPECT_EQ(count("models/m.mtl"), 1) << err;
}

// A model without material files, and one whose material file is missing,
// draw in the default material (white under GL's default light, which shines
// along the square's normal), with no name left out.
TEST_F(OBJRendererGLTest, AModelWithoutItsMaterialFileDrawsInTheDefaultMaterial) {
  struct Case {
    const char* what;
    std::string text;
    std::string warning;
  };
  const Case cases[] = {
      {"no mtllib",
       square("red").substr(0, square("red").find("usemtl")) + "f 1/1/1 2/2/1 3/3/1 4/4/1\n", ""},
      {"a missing file", "mtllib gone.mtl\n" + square("red"),
       "Warning: material file gone.mtl not found. Inserting default material.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    root_.write("models/bare.obj", c.text);
    owned_.push_back(std::make_unique<OBJRenderer>());
    OBJRenderer& model = *owned_.back();
    models_.push_back(&model);
    OutputCapture capture;
    ASSERT_EQ(model.load("models/bare.obj"), 0);
    model.default_material_vaos(true);
    model.default_material_vaos(false);
    ASSERT_EQ(model.opaque_material_names().size(), 1u);
    EXPECT_TRUE(model.missing_materials().empty());
    glEnable(GL_LIGHT0);
    for (int frame = 0; frame < 3; ++frame)
      EXPECT_TRUE(near(draw([&] { EXPECT_EQ(model.render(true, 0), 0); }), 255, 255, 255));
    glDisable(GL_LIGHT0);
    EXPECT_EQ(capture.err(), c.warning);
  }
}

TEST_F(OBJRendererGLTest, TransparentMaterialsAreBlendedInTheirPasses) {
  // A blue square facing the viewer and a green one facing away, both half
  // transparent; blue comes first in the material list.
  OBJRenderer& model = load("glass", square("blue") + square("green", true));
  OutputCapture quiet;
  model.default_material_vaos(false);
  ASSERT_EQ(model.transparent_material_names(), (Names{"blue", "green"}));
  ASSERT_TRUE(model.opaque_material_names().empty());

  glDepthMask(GL_TRUE);
  // One pass, no culling: list order, green over blue.
  EXPECT_TRUE(near(draw([&] { EXPECT_EQ(model.render(false, 1), 0); }), 0, 128, 64));
  // Two passes: the back faces (green) first, then the front faces (blue).
  const Pixel two = draw([&] { model.render(false, 2); });
  EXPECT_TRUE(near(two, 0, 64, 128));
  EXPECT_EQ(draw([&] { model.render_transparent_passes(5); }), two);
  // Every state the passes touch is restored.
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  GLboolean mask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
  EXPECT_EQ(mask, GL_TRUE);
  EXPECT_EQ(get_int(GL_CULL_FACE_MODE), GL_BACK);

  // Without blending set-up the second square simply covers the first.
  EXPECT_TRUE(near(draw([&] { model.render_transparent(true); }), 0, 255, 0));
}

TEST_F(OBJRendererGLTest, ModelPreparedOnAWorkerIsFinishedOnTheGLThread) {
  root_.write("models/room/wood.obj", "mtllib ../m.mtl\n" + square("wood") + square("blue"));
  root_.write("models/room/wood.png", root_.read("models/wood.png"));
  // An absolute path: the materials and the texture are found beside it.
  const std::string path = (root_.path() / "models/room/wood.obj").string();
  OBJRenderer& model = *owned_.emplace_back(std::make_unique<OBJRenderer>());
  models_.push_back(&model);
  int status = 1;
  {
    OutputCapture quiet;
    std::thread worker([&] {
      OBJTransform transform;
      transform.scale = {0.5f, 0.5f, 1};
      status = model.load(path, &transform);
      model.construct_materials_attributes(true);
      model.construct_materials_attributes(false);
    });
    worker.join();
  }
  ASSERT_EQ(status, 0);
  EXPECT_EQ(model.load_path(), (root_.path() / "models/room/").string());
  EXPECT_EQ(model.opaque_material_names(), Names{"wood"});
  EXPECT_EQ(model.transparent_material_names(), Names{"blue"});
  // Nothing of OpenGL was made on the worker.
  EXPECT_TRUE(model.opaque_vaos().empty());
  EXPECT_TRUE(model.materials()[3].textures().empty());

  OutputCapture quiet;
  model.material_attribute_vaos(model.opaque_material_names(), true);
  model.material_attribute_vaos(model.transparent_material_names(), false);
  EXPECT_EQ(model.load_textures(model.load_path()), 0);
  model.clear_vertex_data();
  ASSERT_EQ(model.opaque_vaos().size(), 1u);
  EXPECT_EQ(model.opaque_vaos()[0].mode().count, 6);
  EXPECT_EQ(model.transparent_vaos()[0].mode().count, 6);

  // The scaled square covers the middle: textured wood there, nothing at
  // the edge.
  OffscreenTarget target(8, 8);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  EXPECT_EQ(model.render_opaque(true), 0);
  EXPECT_TRUE(near(target.pixel(4, 4), 40, 200, 90));
  EXPECT_TRUE(near(target.pixel(0, 0), 0, 0, 0));
}
